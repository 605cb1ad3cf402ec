#include "framework/CArchive.h"

#include <cstring>

CArchive::CArchive(CFile* file, Mode mode, size_t bufferSize)
    : m_file(file), m_mode(mode), m_buffer(bufferSize < 16 ? 16 : bufferSize) {}

CArchive::~CArchive() {
  // An archive that was not closed loses what it buffered, as a write that
  // was abandoned should.
}

bool CArchive::FlushBuffer() {
  if (m_end == 0) return !m_failed;
  if (!m_file || !m_file->Write(m_buffer.data(), m_end)) m_failed = true;
  m_end = 0;
  return !m_failed;
}

void CArchive::WriteBytes(const void* data, size_t count) {
  if (m_mode != store || m_closed) {
    m_failed = true;
    return;
  }
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  while (count > 0) {
    if (m_end == m_buffer.size()) FlushBuffer();
    size_t chunk = m_buffer.size() - m_end;
    if (chunk > count) chunk = count;
    std::memcpy(m_buffer.data() + m_end, bytes, chunk);
    m_end += chunk;
    bytes += chunk;
    count -= chunk;
  }
}

CArchive& CArchive::operator<<(int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  uint8_t bytes[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                      static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
  WriteBytes(bytes, 4);
  return *this;
}

CArchive& CArchive::operator<<(const CString& text) {
  uint32_t length = static_cast<uint32_t>(text.GetLength());
  if (length < 0xFF) {
    uint8_t b = static_cast<uint8_t>(length);
    WriteBytes(&b, 1);
  } else if (length < 0xFFFF) {
    uint8_t b[3] = {0xFF, static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8)};
    WriteBytes(b, 3);
  } else {
    uint8_t b[7] = {0xFF, 0xFF, 0xFF, static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                    static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 24)};
    WriteBytes(b, 7);
  }
  WriteBytes(text.c_str(), length);
  return *this;
}

uint64_t CArchive::Remaining() const {
  uint64_t buffered = m_end - m_begin;
  if (!m_file) return buffered;
  uint64_t length = m_file->GetLength();
  uint64_t position = m_file->GetPosition();
  return buffered + (length > position ? length - position : 0);
}

bool CArchive::Fill(size_t wanted) {
  if (m_end - m_begin >= wanted) return true;
  if (m_begin > 0) {
    std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
    m_end -= m_begin;
    m_begin = 0;
  }
  while (m_end < wanted && m_file) {
    size_t got = m_file->Read(m_buffer.data() + m_end, m_buffer.size() - m_end);
    if (got == 0) break;
    m_end += got;
  }
  return m_end - m_begin >= wanted;
}

bool CArchive::ReadBytes(void* data, size_t count) {
  if (m_mode != load || m_failed) {
    m_failed = true;
    return false;
  }
  // Asking the file how much is left costs seeks: only when the buffer
  // cannot serve the read.
  if (count > m_end - m_begin && count > Remaining()) {
    m_failed = true;
    return false;
  }
  uint8_t* out = static_cast<uint8_t*>(data);
  while (count > 0) {
    size_t chunk = count < m_buffer.size() ? count : m_buffer.size();
    if (!Fill(chunk)) {
      m_failed = true;
      return false;
    }
    std::memcpy(out, m_buffer.data() + m_begin, chunk);
    m_begin += chunk;
    out += chunk;
    count -= chunk;
  }
  return true;
}

CArchive& CArchive::operator>>(int32_t& value) {
  uint8_t b[4];
  if (!ReadBytes(b, 4)) {
    value = 0;
    return *this;
  }
  value = static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                               uint32_t(b[3]) << 24);
  return *this;
}

bool CArchive::ReadStringLength(uint32_t& length) {
  length = 0;
  uint8_t b8;
  if (!ReadBytes(&b8, 1)) return false;
  if (b8 < 0xFF) {
    length = b8;
    return true;
  }
  uint8_t b16[2];
  if (!ReadBytes(b16, 2)) return false;
  uint32_t l16 = uint32_t(b16[0]) | uint32_t(b16[1]) << 8;
  if (l16 < 0xFFFF) {
    length = l16;
    return true;
  }
  uint8_t b32[4];
  if (!ReadBytes(b32, 4)) return false;
  length = uint32_t(b32[0]) | uint32_t(b32[1]) << 8 | uint32_t(b32[2]) << 16 | uint32_t(b32[3]) << 24;
  return true;
}

CArchive& CArchive::operator>>(CString& text) {
  text.Empty();
  uint32_t length;
  if (!ReadStringLength(length)) return *this;
  // The length comes from the file: never allocate more than the file holds.
  if (length > Remaining()) {
    m_failed = true;
    return *this;
  }
  std::string chars(length, '\0');
  if (ReadBytes(chars.data(), length)) text = CString(std::move(chars));
  return *this;
}

bool CArchive::Close() {
  if (m_closed) return !m_failed;
  m_closed = true;
  if (m_mode == store) FlushBuffer();
  return !m_failed;
}

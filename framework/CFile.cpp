#include "framework/CFile.h"

#include "framework/FileReplace.h"

#include <climits>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

bool CFile::Open(const char* path, unsigned flags) {
  Close();
  const char* mode = (flags & modeWrite) ? ((flags & modeCreate) ? "wb" : "r+b") : "rb";
  m_file = openFile(path, mode);
  return m_file != nullptr;
}

size_t CFile::Read(void* buffer, size_t count) {
  if (!m_file || count == 0) return 0;
  return std::fread(buffer, 1, count, m_file);
}

bool CFile::Write(const void* buffer, size_t count) {
  if (!m_file) return false;
  if (count == 0) return true;
  return std::fwrite(buffer, 1, count, m_file) == count;
}

bool CFile::Flush() {
  if (!m_file || std::fflush(m_file) != 0) return false;
#ifdef _WIN32
  return _commit(_fileno(m_file)) == 0;  // FlushFileBuffers underneath
#else
  return fsync(fileno(m_file)) == 0;
#endif
}

uint64_t CFile::GetLength() const {
  if (!m_file) return 0;
  long here = std::ftell(m_file);
  if (here < 0 || std::fseek(m_file, 0, SEEK_END) != 0) return 0;
  long end = std::ftell(m_file);
  std::fseek(m_file, here, SEEK_SET);
  return end < 0 ? 0 : static_cast<uint64_t>(end);
}

bool CFile::Seek(uint64_t position) {
  return m_file && position <= static_cast<uint64_t>(LONG_MAX) &&
         std::fseek(m_file, static_cast<long>(position), SEEK_SET) == 0;
}

bool CFile::SetLength(uint64_t length) {
  if (!m_file || length > static_cast<uint64_t>(LONG_MAX) || std::fflush(m_file) != 0) return false;
#ifdef _WIN32
  return _chsize(_fileno(m_file), static_cast<long>(length)) == 0;
#else
  return ftruncate(fileno(m_file), static_cast<off_t>(length)) == 0;
#endif
}

bool CFile::Failed() const { return m_file && std::ferror(m_file); }

uint64_t CFile::GetPosition() const {
  if (!m_file) return 0;
  long here = std::ftell(m_file);
  return here < 0 ? 0 : static_cast<uint64_t>(here);
}

bool CFile::Close() {
  if (!m_file) return true;
  bool ok = std::fclose(m_file) == 0;
  m_file = nullptr;
  return ok;
}

// Serialises integers and strings to or from a CFile, in the archive encoding
// that stored files rely on:
//  - 32-bit integers, little-endian;
//  - 8-bit strings with a length prefix: one byte below 255, else 0xFF and a
//    16-bit length below 0xFFFF, else 0xFF 0xFFFF and a 32-bit length.
//
// Reads never throw. A read past the end of the data, or a string longer than
// what is left of the file, marks the archive failed and yields 0 or an empty
// string; callers check failed() once at the end.
#pragma once
#include <cstdint>
#include <vector>

#include "framework/CFile.h"
#include "framework/CString.h"

class CArchive {
public:
  enum Mode { store, load };

  CArchive(CFile* file, Mode mode, size_t bufferSize = 4096);
  ~CArchive();
  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;

  CArchive& operator<<(int32_t value);
  CArchive& operator<<(const CString& text);
  CArchive& operator>>(int32_t& value);
  CArchive& operator>>(CString& text);

  // Reads a string's length prefix alone (the characters follow).
  bool ReadStringLength(uint32_t& length);
  // Reads exactly `count` bytes, or fails without reading any.
  bool ReadBytes(void* buffer, size_t count);
  void WriteBytes(const void* buffer, size_t count);

  // Bytes not yet read (loading).
  uint64_t Remaining() const;

  // Storing: writes out what is buffered. False when any write failed.
  bool Close();
  bool failed() const { return m_failed; }

private:
  bool Fill(size_t wanted);
  bool FlushBuffer();

  CFile* m_file;
  Mode m_mode;
  std::vector<uint8_t> m_buffer;
  size_t m_begin = 0;  // loading: next unread byte in buffer_
  size_t m_end = 0;    // loading: end of valid bytes; storing: bytes buffered
  bool m_failed = false;
  bool m_closed = false;
};

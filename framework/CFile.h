// A binary file, opened for reading or for writing. Portable: the program's
// settings code runs on the host in tests as well as on Windows.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

class CFile {
public:
  enum OpenFlags : unsigned {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeCreate = 0x1000,  // create, or truncate an existing file
  };

  CFile() = default;
  ~CFile() { Close(); }
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // `path` in UTF-8.
  bool Open(const char* path, unsigned flags);
  bool IsOpen() const { return m_file != nullptr; }

  // Bytes actually read; fewer than asked at the end of the file.
  size_t Read(void* buffer, size_t count);
  // False when not every byte could be written.
  bool Write(const void* buffer, size_t count);
  // Pushes written data through to the disk (not just to the system's cache).
  bool Flush();
  uint64_t GetLength() const;
  // Moves to `position` from the start.
  bool Seek(uint64_t position);
  // Cuts or extends the file to `length` bytes.
  bool SetLength(uint64_t length);
  // True once a read or a write failed.
  bool Failed() const;
  uint64_t GetPosition() const;
  // False when closing reported an error (data that could not be written).
  bool Close();

private:
  FILE* m_file = nullptr;
};

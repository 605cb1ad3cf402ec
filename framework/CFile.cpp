#include "framework/CFile.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

bool CFile::Open(const char* path, unsigned flags) {
  Close();
  const char* mode = (flags & modeWrite) ? ((flags & modeCreate) ? "wb" : "r+b") : "rb";
  file_ = std::fopen(path, mode);
  return file_ != nullptr;
}

size_t CFile::Read(void* buffer, size_t count) {
  if (!file_ || count == 0) return 0;
  return std::fread(buffer, 1, count, file_);
}

bool CFile::Write(const void* buffer, size_t count) {
  if (!file_) return false;
  if (count == 0) return true;
  return std::fwrite(buffer, 1, count, file_) == count;
}

bool CFile::Flush() {
  if (!file_ || std::fflush(file_) != 0) return false;
#ifdef _WIN32
  return _commit(_fileno(file_)) == 0;  // FlushFileBuffers underneath
#else
  return fsync(fileno(file_)) == 0;
#endif
}

uint64_t CFile::GetLength() const {
  if (!file_) return 0;
  long here = std::ftell(file_);
  if (here < 0 || std::fseek(file_, 0, SEEK_END) != 0) return 0;
  long end = std::ftell(file_);
  std::fseek(file_, here, SEEK_SET);
  return end < 0 ? 0 : static_cast<uint64_t>(end);
}

uint64_t CFile::GetPosition() const {
  if (!file_) return 0;
  long here = std::ftell(file_);
  return here < 0 ? 0 : static_cast<uint64_t>(here);
}

bool CFile::Close() {
  if (!file_) return true;
  bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  return ok;
}

#include "device/ProgramDirectory.h"

CString programDirectory;

CString programDirectoryFromModulePath(const char* path) {
  CString directory(path);
  int lastSeparator = directory.ReverseFind('\\');
  if (lastSeparator >= 0) directory = directory.Left(lastSeparator);
  directory += '\\';
  return directory;
}

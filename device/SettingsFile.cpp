#include "device/SettingsFile.h"

#include <cstring>
#include <new>

#include "device/ProgramDirectory.h"
#include "framework/CArchive.h"
#include "framework/FileReplace.h"

namespace {

// Marks a file as ours and of this layout. ASCII, so it is the same in every
// code page.
constexpr char kMarker[] = "_@_SF3_";
constexpr uint32_t kMarkerLength = sizeof kMarker - 1;
constexpr char kFileName[] = "setting.dat";
// A new file is written here first; a crash or a full disk then leaves no
// half-written settings file.
constexpr char kTemporarySuffix[] = ".tmp";

void writeRecord(CArchive& ar, const MouseConfig& config) {
  ar << CString(kMarker);
  for (const ButtonAssignment& a : config.assignments) ar << a.modifiers << a.scanCode << a.function << a.buttonMask;
  for (int32_t step : config.dpiStep) ar << step;
  ar << config.dpiLevel;
}

bool readMarker(CArchive& ar) {
  // The length comes from the file; anything but the marker's own length is
  // another file, and its characters are not even read.
  uint32_t length = 0;
  if (!ar.ReadStringLength(length) || length != kMarkerLength) return false;
  char chars[kMarkerLength];
  return ar.ReadBytes(chars, kMarkerLength) && std::memcmp(chars, kMarker, kMarkerLength) == 0;
}

// Rewrites the record of an existing file where it stands: one write of all
// 156 bytes at offset 0, pushed through to the disk. A write that fits in one
// disk sector is not torn, so a reader finds the old record or the new one.
// Bytes after the record stay; readers ignore them.
bool rewriteInPlace(const char* path, const MouseConfig& config) {
  CFile file;
  if (!file.Open(path, CFile::modeWrite)) return false;  // only an existing file
  bool written;
  {
    CArchive ar(&file, CArchive::store);
    writeRecord(ar, config);
    written = ar.Close();
  }
  written = written && file.Flush();
  return file.Close() && written;
}

}  // namespace

CString settingsFilePath() { return programDirectory + kFileName; }

bool saveSettingsTo(const char* path, const MouseConfig& config) {
  if (config.exitRequested) return false;
  // A file the user made read-only stays exactly as it is; the change lives
  // in memory only.
  if (isReadOnlyFile(path)) return false;
  // An existing file keeps its identity: only its record is rewritten, so it
  // keeps the rights it was given (a standard user may change setting.dat
  // but not its folder), its attributes and its owner. A file put in its
  // place would take the folder's rights instead.
  if (fileExists(path)) return rewriteInPlace(path, config);
  // A new file is written under a temporary name first, so that a crash or
  // a full disk leaves no half-written file behind.
  CString temporary = CString(path) + kTemporarySuffix;
  CFile file;
  if (!file.Open(temporary, CFile::modeCreate | CFile::modeWrite)) return false;
  bool written;
  {
    CArchive ar(&file, CArchive::store);
    writeRecord(ar, config);
    written = ar.Close();
  }
  written = written && file.Flush();
  written = file.Close() && written;
  if (!written || !replaceFile(temporary, path)) {
    removeFile(temporary);
    return false;
  }
  return true;
}

bool saveSettings() {
  // Saving follows a click; nothing it runs into, not even a failed
  // allocation, may reach the window's handler.
  try {
    return saveSettingsTo(settingsFilePath(), mouseConfig);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool readSettings(CFile& file, MouseConfig& config) {
  CArchive ar(&file, CArchive::load);
  if (!readMarker(ar)) return false;

  // Read everything before touching the model, so that a file cut short
  // leaves the model as it was.
  ButtonAssignment assignments[ButtonIndex::Count];
  for (ButtonAssignment& a : assignments) ar >> a.modifiers >> a.scanCode >> a.function >> a.buttonMask;
  int32_t dpiStep[kDpiLevels];
  for (int32_t& step : dpiStep) ar >> step;
  int32_t dpiLevel = 0;
  ar >> dpiLevel;
  if (ar.failed()) return false;

  // A function this program does not know would take the button from the
  // mouse and then do nothing: the button keeps its own function instead
  // (its shortcut stays). DPI values index tables and go to the mouse, so
  // they must be in range.
  for (ButtonAssignment& a : assignments) {
    if (!isKnownFunction(a.function)) a.function = ButtonFunction::Native, a.buttonMask = 0;
  }
  for (int i = 0; i < ButtonIndex::Count; ++i) config.assignments[i] = assignments[i];
  for (int level = 0; level < kDpiLevels; ++level)
    config.dpiStep[level] = isValidDpiStep(dpiStep[level]) ? dpiStep[level] : kDefaultDpiSteps[level];
  config.dpiLevel = isValidDpiLevel(dpiLevel) ? dpiLevel : kDefaultDpiLevel;
  return true;
}

bool readSettingsFile(const char* path, MouseConfig& config) {
  CFile file;
  if (!file.Open(path, CFile::modeRead)) return false;
  return readSettings(file, config);
}

bool loadSettingsIntoModel() { return readSettingsFile(settingsFilePath(), mouseConfig); }

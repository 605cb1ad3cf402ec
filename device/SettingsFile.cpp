#include "device/SettingsFile.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "app/ProgramDirectory.h"
#include "framework/CArchive.h"
#include "framework/FileReplace.h"

namespace {

// Marks a file as ours and of this layout. ASCII, so it is the same in every
// code page.
constexpr char kMarker[] = "_@_SF3_";
constexpr uint32_t kMarkerLength = sizeof kMarker - 1;
constexpr char kFileName[] = "setting.dat";
// The new contents are written here first; a crash or a full disk then costs
// at most this file, never the user's settings.
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

}  // namespace

CString settingsFilePath() { return programDirectory + kFileName; }

bool saveSettingsTo(const char* path, const MouseConfig& config) {
  if (config.exitRequested) return false;
  CString temporary = CString(path) + kTemporarySuffix;
  CFile file;
  // Not ours to remove when it does not open: something else sits there.
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
    std::remove(temporary);
    return false;
  }
  return true;
}

int saveSettings() {
  // Saving follows a click; nothing it runs into, not even a failed
  // allocation, may reach the window's handler.
  try {
    saveSettingsTo(settingsFilePath(), mouseConfig);
  } catch (const std::bad_alloc&) {
  }
  return 0;
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

  // Assignments are taken as stored: an unknown function only does nothing.
  // DPI values index tables and go to the mouse, so they must be in range.
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

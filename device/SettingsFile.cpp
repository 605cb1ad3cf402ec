#include "device/SettingsFile.h"

#include <cstring>
#include <new>
#include <string>

#include "device/MouseModel.h"
#include "device/ProgramDirectory.h"
#include "framework/CArchive.h"
#include "framework/FileSaver.h"
#include "framework/SystemFileLayer.h"

namespace {

// Marks a file as ours and of this layout. ASCII, so it is the same in every
// code page.
constexpr char kMarker[] = "_@_SF3_";
constexpr uint32_t kMarkerLength = sizeof kMarker - 1;
constexpr char kFileName[] = "setting.dat";

// The record as the archive lays it out: the marker with its one length
// byte, then every integer in little-endian order.
std::string recordBytes(const MouseConfig& config) {
  std::string bytes(1, static_cast<char>(kMarkerLength));
  bytes += kMarker;
  const auto add = [&bytes](int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((v >> shift) & 0xFF);
  };
  for (const ButtonAssignment& a : config.assignments) {
    add(a.modifiers);
    add(a.scanCode);
    add(a.function);
    add(a.buttonMask);
  }
  for (int32_t step : config.dpiStep) add(step);
  add(config.dpiLevel);
  return bytes;
}

bool readMarker(CArchive& ar) {
  // The length comes from the file; anything but the marker's own length is
  // another file, and its characters are not even read.
  uint32_t length = 0;
  if (!ar.ReadStringLength(length) || length != kMarkerLength) return false;
  char chars[kMarkerLength];
  return ar.ReadBytes(chars, kMarkerLength) && std::memcmp(chars, kMarker, kMarkerLength) == 0;
}

// An existing file keeps its identity: only its record is rewritten, in one
// write of all 156 bytes at offset 0, which the disk does not tear. Bytes
// after the record stay; readers ignore them.
bool writeSettings(const char* path, const MouseConfig& config, FileLayer& files) {
  return FileSaver(files).save(path, recordBytes(config), FileSaver::Existing::RewriteInPlace);
}

}  // namespace

CString settingsFilePath() { return programDirectory + kFileName; }

bool saveSettingsTo(const char* path, const MouseConfig& config, FileLayer& files) {
  if (config.exitRequested) return false;
  return writeSettings(path, config, files);
}

bool saveSettingsAtExit() {
  try {
    return writeSettings(settingsFilePath(), mouseModel.config(), SystemFileLayer::instance());
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool saveSettingsTo(const char* path, const MouseConfig& config) {
  return saveSettingsTo(path, config, SystemFileLayer::instance());
}

bool saveSettings() {
  // Saving follows a click; nothing it runs into, not even a failed
  // allocation, may reach the window's handler.
  try {
    return saveSettingsTo(settingsFilePath(), mouseModel.config());
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

bool loadSettingsIntoModel() { return readSettingsFile(settingsFilePath(), *mouseModel.change()); }

// setting.dat: the configuration kept between runs, beside the executable.
//
// Layout (156 bytes, integers signed 32-bit little-endian): the marker
// "_@_SF3_" as an archive string (one length byte 0x07 when written), then
// modifiers, scanCode, function and buttonMask of buttons 0..7, then the DPI
// steps of levels 0..3, then the current DPI level.
#pragma once
#include "device/MouseConfig.h"
#include "framework/CFile.h"
#include "framework/FileLayer.h"
#include "framework/CString.h"

constexpr int kSettingsFileSize = 156;

// programDirectory followed by "setting.dat".
CString settingsFilePath();

// Writes the model (mouseModel) to settingsFilePath(), unless an exit has been
// requested. False when the record was not saved: the change then stays in
// memory only.
bool saveSettings();

// At the exit, which turns saving off: writes the model to
// settingsFilePath() once more, for a save that had failed before.
bool saveSettingsAtExit();

// Writes `config` to `path` (UTF-8). An existing `path` keeps its identity
// (rights, attributes, owner): its record is rewritten in place, in one
// write at offset 0. A new file is written under a temporary name beside it
// and then moved to `path`. A read-only `path` is never touched. False when
// the record was not saved (exit requested, read-only file, or any failure);
// `path` then holds its old record and no temporary file is left behind.
bool saveSettingsTo(const char* path, const MouseConfig& config);
// The same over another file layer.
bool saveSettingsTo(const char* path, const MouseConfig& config, FileLayer& files);

// Reads a settings record from the current position of `file` into `config`.
// All or nothing: the values are put into the model only when the marker is
// right and all 37 integers are there, and then true is returned. A button
// whose function code is not known gets its own function (Native, mask 0); a
// DPI level or a DPI step out of its range is replaced by its default. Bytes after the
// record are ignored. The run-time flags are not touched.
bool readSettings(CFile& file, MouseConfig& config);
// The same for the file at `path`; false when it does not open.
bool readSettingsFile(const char* path, MouseConfig& config);
// Reads settingsFilePath() into the model. True when the model took the
// file's values; the window then updates its controls and the mouse.
bool loadSettingsIntoModel();

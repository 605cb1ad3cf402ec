// The settings loader on arbitrary file contents: it must never read out of
// bounds, allocate what a length field claims, or leave the model half
// loaded; what it takes must be in range, every function one it knows, and
// come back unchanged through a save.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "device/SettingsFile.h"

namespace {

std::string scratchDir;

void removeScratch() {
  std::remove((scratchDir + "/setting.dat").c_str());
  std::remove((scratchDir + "/again.dat").c_str());
  rmdir(scratchDir.c_str());
}

const std::string& scratch() {
  if (scratchDir.empty()) {
    // In memory where there is such a place: the round trip syncs the file.
    char pattern[] = "/dev/shm/skivol-fuzz-XXXXXX";
    char fallback[] = "/tmp/skivol-fuzz-XXXXXX";
    char* made = mkdtemp(pattern);
    if (!made) made = mkdtemp(fallback);
    if (!made) std::abort();
    scratchDir = made;
    std::atexit(removeScratch);
  }
  return scratchDir;
}

bool sameStoredValues(const MouseConfig& a, const MouseConfig& b) {
  for (int i = 0; i < ButtonIndex::Count; ++i) {
    const ButtonAssignment& x = a.assignments[i];
    const ButtonAssignment& y = b.assignments[i];
    if (x.modifiers != y.modifiers || x.scanCode != y.scanCode || x.function != y.function ||
        x.buttonMask != y.buttonMask)
      return false;
  }
  return std::memcmp(a.dpiStep, b.dpiStep, sizeof a.dpiStep) == 0 && a.dpiLevel == b.dpiLevel;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = scratch() + "/setting.dat";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);

  MouseConfig config;
  bool loaded = readSettingsFile(path.c_str(), config);
  if (!loaded) {
    if (!sameStoredValues(config, MouseConfig())) std::abort();  // half loaded
    return 0;
  }
  if (size < size_t(kSettingsFileSize)) std::abort();  // took a short file
  if (!isValidDpiLevel(config.dpiLevel)) std::abort();
  for (int32_t step : config.dpiStep)
    if (!isValidDpiStep(step)) std::abort();
  for (const ButtonAssignment& a : config.assignments)
    if (!isKnownFunction(a.function)) std::abort();

  std::string again = scratch() + "/again.dat";
  MouseConfig reread;
  if (!saveSettingsTo(again.c_str(), config) || !readSettingsFile(again.c_str(), reread)) std::abort();
  if (!sameStoredValues(config, reread)) std::abort();
  return 0;
}

// The input engine fed whatever the mouse (or something posing as it) might
// report, under any assignment: the first 16 bytes assign functions to the
// eight buttons (function, key), the rest are reports of varying length.
// Whatever arrives, the DPI level stays one of the four, the held keys stay
// distinct, every report sends at most one frame per changed button, and once
// every button is up nothing is held.
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "device/MouseModel.h"
#include "input/InputEngine.h"

namespace {

struct CountingOutput : InputEngineOutput {
  size_t frames = 0;
  size_t actions = 0;
  void exchangeFrame(const FeatureFrame&) override { ++frames; }
  void closeCurrentWindow() override { ++actions; }
  void doubleClick() override { ++actions; }
  void showDpiState(int step) override {
    require(step >= 0 && step < kDpiSteps, "the slider is set to a step it does not have");
  }
};

int anyUsage(int32_t scanCode) { return scanCode & 0x7F; }

const int32_t kFunctions[] = {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 99};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MouseModel model;
  MouseConfig& config = *model.change();  // one thread
  for (int i = 0; i < ButtonIndex::Count && 2 * i + 1 < static_cast<int>(size); ++i) {
    ButtonAssignment& a = config.assignments[i];
    a.function = kFunctions[data[2 * i] % (sizeof kFunctions / sizeof kFunctions[0])];
    a.buttonMask = buttonMaskFor(a.function);
    a.scanCode = data[2 * i + 1];
    a.modifiers = data[2 * i] >> 4;
  }
  CountingOutput out;
  InputEngine engine(model, &anyUsage, out);
  size_t at = 16;
  while (at < size) {
    const size_t length = data[at] % 10;  // 0..9 bytes, a full report is 8
    ++at;
    const size_t take = length < size - at ? length : size - at;
    const uint8_t before = engine.holdsOf("").lastButtonByte;
    const size_t framesBefore = out.frames + out.actions;
    engine.onReport(data + at, take);
    at += take;

    require(config.dpiLevel >= 0 && config.dpiLevel < kDpiLevels, "the DPI level left 0..3");
    const MouseHolds holds = engine.holdsOf("");
    const auto& keys = holds.keyboardState.keys;
    for (size_t i = 0; i < keys.size(); ++i)
      for (size_t j = i + 1; j < keys.size(); ++j)
        require(keys[i] == 0 || keys[i] != keys[j], "a key held in two slots");
    const unsigned changed = static_cast<unsigned>(before ^ holds.lastButtonByte) & 0x7F;
    require(out.frames + out.actions - framesBefore <= static_cast<size_t>(__builtin_popcount(changed)),
            "more frames or actions than changed buttons");
    if ((holds.lastButtonByte & 0x7F) == 0) {
      require(holds.keyboardState.modifiers == 0 && holds.injectedButtons == 0,
              "a modifier or mouse button held with every button up");
      for (uint8_t key : keys) require(key == 0, "a key held with every button up");
    }
  }
  return 0;
}

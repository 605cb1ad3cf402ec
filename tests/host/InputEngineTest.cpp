// Remapped buttons reported by the mouse, carried out as frames and actions;
// the mouse's DPI state taken into the model.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "device/MouseModel.h"
#include "input/InputEngine.h"
#include "input/MouseSet.h"
#include "tests/host/FakeHidBus.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A few rows of the key table: C, A, B, D, E, F.
int testUsage(int32_t scanCode) {
  switch (scanCode) {
    case 0x2E: return 0x06;
    case 0x1E: return 0x04;
    case 0x30: return 0x05;
    case 0x20: return 0x07;
    case 0x12: return 0x08;
    case 0x21: return 0x09;
    default: return 0;
  }
}

struct Recorder : InputEngineOutput {
  std::vector<std::string> log;  // frames as hex, actions by name, in order
  void exchangeFrame(const FeatureFrame& request) override {
    std::string hex;
    for (uint8_t b : request.bytes) {
      char part[4];
      snprintf(part, sizeof part, hex.empty() ? "%02X" : " %02X", b);
      hex += part;
    }
    log.push_back(hex);
  }
  void sendToEveryMouse(const FeatureFrame& frame) override {
    exchangeFrame(frame);
    everyMouse.push_back(log.back());
  }
  std::vector<std::string> everyMouse;  // the frames that went to every mouse
  std::set<std::string> gone;            // mice that no longer take frames
  bool exchangeFrameWith(const std::string& mouse, const FeatureFrame& request) override {
    exchangeFrame(request);
    log.back() = mouse + ": " + log.back();
    return gone.count(mouse) == 0;
  }
  void closeCurrentWindow() override { log.push_back("close"); }
  void doubleClick() override { log.push_back("double-click"); }
  void showDpiState(int step) override { log.push_back("dpi step " + std::to_string(step)); }
  void showDpiChoice(int level, int step) override { choices.push_back({level, step}); }
  std::vector<std::pair<int, int>> choices;  // levels chosen on the mouse, with their steps
};

class InputEngineTest : public ::testing::Test {
protected:
  MouseModel model;
  MouseConfig& config = *model.change();  // one thread: the cases set it directly
  Recorder out;
  InputEngine engine{model, &testUsage, out};

  void assign(int index, int32_t function, int32_t scanCode = 0, int32_t modifiers = 0) {
    ButtonAssignment& a = config.assignments[index];
    a.function = function;
    a.scanCode = scanCode;
    a.modifiers = modifiers;
    a.buttonMask = buttonMaskFor(function);
  }
  void buttons(uint8_t byte) {
    const uint8_t report[8] = {0, 0, 0, VendorReport::kButtonState, byte, 0, 0, 0};
    engine.onReport(report, sizeof report);
  }
  void buttonsOf(const std::string& mouse, uint8_t byte) {
    const uint8_t report[8] = {0, 0, 0, VendorReport::kButtonState, byte, 0, 0, 0};
    engine.onReport(mouse, report, sizeof report);
  }
  void dpi(uint8_t level, uint8_t step) { dpiOf("", level, step); }
  void dpiOf(const std::string& mouse, uint8_t level, uint8_t step) {
    const uint8_t report[8] = {0, 0, 0, VendorReport::kDpiState, level, step, 0, 0};
    engine.onReport(mouse, report, sizeof report);
  }
  std::vector<std::string> take() {
    std::vector<std::string> log;
    log.swap(out.log);
    return log;
  }
};

using Log = std::vector<std::string>;

TEST_F(InputEngineTest, ShortcutGoesDownAndUpThroughTheMouse) {
  assign(ButtonIndex::Wheel, ButtonFunction::KeyShortcut, 0x2E, ModifierBit::LeftCtrl);
  buttons(0x04);
  buttons(0x04);  // a repeated byte does nothing
  buttons(0x00);
  EXPECT_EQ(take(), (Log{"00 15 01 01 06 00 00 00 00", "00 15 01 00 00 00 00 00 00"}));
}

TEST_F(InputEngineTest, TwoButtonsWithOneKeyShareItsSlot) {
  assign(ButtonIndex::Right, ButtonFunction::KeyShortcut, 0x2E, ModifierBit::LeftCtrl);
  assign(ButtonIndex::Wheel, ButtonFunction::KeyShortcut, 0x2E, ModifierBit::LeftShift);
  buttons(0x02);
  buttons(0x06);  // the key is held already: only the modifier is new
  buttons(0x04);  // the first release empties the slot, the other button still down
  buttons(0x00);  // nothing left to release, and still sent
  EXPECT_EQ(take(), (Log{"00 15 01 01 06 00 00 00 00", "00 15 01 03 06 00 00 00 00", "00 15 01 02 00 00 00 00 00",
                         "00 15 01 00 00 00 00 00 00"}));
  // A modifier held alone is still held: it stays on the mouse that holds it.
  EXPECT_EQ(out.everyMouse, (Log{"00 15 01 00 00 00 00 00 00"}));
}

TEST_F(InputEngineTest, SixthHeldKeyIsDropped) {
  const int32_t scanCodes[] = {0x2E, 0x1E, 0x30, 0x20, 0x12, 0x21};
  for (int i = 0; i < 6; ++i) assign(i, ButtonFunction::KeyShortcut, scanCodes[i]);
  buttons(0x3F);  // all six at once, lowest bit first
  Log log = take();
  ASSERT_EQ(log.size(), 6u);
  EXPECT_EQ(log[4], "00 15 01 00 06 04 05 07 08");
  EXPECT_EQ(log[5], "00 15 01 00 06 04 05 07 08");
  // Releasing the dropped key finds no slot; releasing another frees one.
  buttons(0x1F);
  buttons(0x1E);
  EXPECT_EQ(take(), (Log{"00 15 01 00 06 04 05 07 08", "00 15 01 00 00 04 05 07 08"}));
  // The freed slot is the first empty one, so the next key goes there.
  buttons(0x3E);
  EXPECT_EQ(take(), (Log{"00 15 01 00 09 04 05 07 08"}));
}

TEST_F(InputEngineTest, MouseButtonFunctionsHoldButtonsThroughTheMouse) {
  assign(ButtonIndex::Right, ButtonFunction::Button4th);
  assign(ButtonIndex::Wheel, ButtonFunction::LeftButton);
  buttons(0x02);
  buttons(0x00);
  EXPECT_EQ(take(), (Log{"00 15 02 10 00 00 00 00 00", "00 15 02 00 00 00 00 00 00"}));
  buttons(0x02);
  buttons(0x06);
  buttons(0x04);
  buttons(0x00);
  EXPECT_EQ(take(), (Log{"00 15 02 10 00 00 00 00 00", "00 15 02 11 00 00 00 00 00", "00 15 02 01 00 00 00 00 00",
                         "00 15 02 00 00 00 00 00 00"}));
}

TEST_F(InputEngineTest, BitSevenIsNeverActedOn) {
  assign(7, ButtonFunction::KeyShortcut, 0x2E, ModifierBit::LeftCtrl);
  buttons(0x80);
  buttons(0x00);
  assign(7, ButtonFunction::DoubleClick);
  buttons(0x80);
  EXPECT_TRUE(take().empty());
}

TEST_F(InputEngineTest, CloseAndDoubleClickActOnPressOnly) {
  assign(ButtonIndex::Button4th, ButtonFunction::CloseCurrentWindow);
  assign(ButtonIndex::Button5th, ButtonFunction::DoubleClick);
  buttons(0x10);
  buttons(0x10);  // held: no repeat
  buttons(0x00);
  buttons(0x08);
  buttons(0x08);
  buttons(0x00);
  EXPECT_EQ(take(), (Log{"close", "double-click"}));
}

TEST_F(InputEngineTest, ButtonsWithoutAnythingToDoSendNothing) {
  // Native, codes that are not offered, and a key without a HID usage (not
  // even its modifiers go down).
  assign(ButtonIndex::Left, ButtonFunction::Native);
  assign(ButtonIndex::Right, 2);
  assign(ButtonIndex::Wheel, 99);
  assign(ButtonIndex::Button5th, ButtonFunction::KeyShortcut, 0xE05C, ModifierBit::LeftCtrl);
  assign(ButtonIndex::Button4th, ButtonFunction::KeyShortcut, 0, ModifierBit::LeftShift);
  buttons(0x1F);
  buttons(0x00);
  EXPECT_TRUE(take().empty());
  EXPECT_FALSE(engine.holdsOf("").holdsKeys());
}

TEST_F(InputEngineTest, ReportsOfOtherKindsOrTooShortAreIgnored) {
  assign(ButtonIndex::Wheel, ButtonFunction::KeyShortcut, 0x2E, ModifierBit::LeftCtrl);
  const uint8_t otherKind[8] = {0, 0, 0, 6, 0x04, 0, 0, 0};
  engine.onReport(otherKind, sizeof otherKind);
  const uint8_t noButtonByte[4] = {0, 0, 0, VendorReport::kButtonState};
  engine.onReport(noButtonByte, sizeof noButtonByte);
  const uint8_t noStepByte[5] = {0, 0, 0, VendorReport::kDpiState, 1};
  engine.onReport(noStepByte, sizeof noStepByte);
  engine.onReport(nullptr, 0);
  EXPECT_TRUE(take().empty());
  EXPECT_EQ(engine.holdsOf("").lastButtonByte, 0);
  EXPECT_TRUE(config.dpiSyncPending);
}

TEST_F(InputEngineTest, DpiReportSetsTheLevelShowsTheStepAndEndsTheWait) {
  // Outside the ranges nothing changes and the wait goes on.
  config.dpiLevel = 2;
  dpi(4, 3);
  dpi(0xFF, 3);
  dpi(1, 8);
  EXPECT_TRUE(take().empty());
  EXPECT_EQ(config.dpiLevel, 2);
  EXPECT_TRUE(config.dpiSyncPending);

  dpi(1, 6);
  EXPECT_EQ(take(), (Log{"dpi step 6"}));
  EXPECT_EQ(config.dpiLevel, 1);
  EXPECT_FALSE(config.dpiSyncPending);
  // The step is the slider's business; the model's steps stay.
  EXPECT_EQ(config.dpiStep[1], kDefaultDpiSteps[1]);
  dpi(3, 7);
  EXPECT_EQ(take(), (Log{"dpi step 7"}));
  EXPECT_EQ(config.dpiLevel, 3);
}

TEST_F(InputEngineTest, ResetAfterTheMiceChangedForgetsHeldInput) {
  assign(ButtonIndex::Wheel, ButtonFunction::KeyShortcut, 0x2E, ModifierBit::LeftCtrl);
  assign(ButtonIndex::Right, ButtonFunction::Button4th);
  buttons(0x06);
  take();

  // The mouse goes away with both buttons down; the next scan finds none.
  engine.reset();
  const MouseHolds holds = engine.holdsOf("");
  EXPECT_EQ(holds.lastButtonByte, 0);
  EXPECT_FALSE(holds.holdsInput());
  EXPECT_TRUE(take().empty());  // nothing is sent: the mouse is gone

  // Back again: the first press is a press, and only its own state is sent.
  buttons(0x04);
  EXPECT_EQ(take(), (Log{"00 15 01 01 06 00 00 00 00"}));
}

TEST_F(InputEngineTest, ReleaseAllLetsEveryMouseGoOnlyWhenSomethingIsHeld) {
  engine.releaseAll();
  EXPECT_TRUE(take().empty());

  assign(ButtonIndex::Wheel, ButtonFunction::KeyShortcut, 0x2E, ModifierBit::LeftCtrl);
  assign(ButtonIndex::Button4th, ButtonFunction::Button4th);
  buttons(0x14);
  take();
  ASSERT_TRUE(engine.holdsInput());
  out.everyMouse.clear();
  engine.releaseAll();
  EXPECT_EQ(take(), (Log{"00 15 01 00 00 00 00 00 00", "00 15 02 00 00 00 00 00 00"}));
  EXPECT_EQ(out.everyMouse, (Log{"00 15 01 00 00 00 00 00 00", "00 15 02 00 00 00 00 00 00"}));
  EXPECT_FALSE(engine.holdsInput());

  // Whichever mouse took a press, the release that leaves nothing held
  // reaches every mouse; one that leaves something held goes to the first.
  buttons(0x00);
  out.everyMouse.clear();
  take();
  buttons(0x04);
  buttons(0x14);
  buttons(0x10);
  buttons(0x00);
  EXPECT_EQ(out.everyMouse, (Log{"00 15 01 00 00 00 00 00 00", "00 15 02 00 00 00 00 00 00"}));
  EXPECT_EQ(out.log.size(), 4u);

  // A modifier held alone counts too.
  engine.updateKeys(ModifierBit::LeftCtrl, 0, 0, 0);
  take();
  engine.releaseAll();
  EXPECT_EQ(take().size(), 2u);
}

TEST_F(InputEngineTest, EachMouseKeepsItsOwnButtonsAndHoldsOnItself) {
  assign(ButtonIndex::Wheel, ButtonFunction::KeyShortcut, 0x2E, ModifierBit::LeftCtrl);
  assign(ButtonIndex::Button4th, ButtonFunction::Button4th);
  assign(ButtonIndex::Button5th, ButtonFunction::DoubleClick);
  assign(ButtonIndex::Right, ButtonFunction::CloseCurrentWindow);

  // One mouse holds Ctrl+C, on itself; another presses and releases its
  // "Button 4th": neither its byte nor its release touches the first's hold.
  buttonsOf("usb1", 0x04);
  buttonsOf("usb2", 0x10);
  buttonsOf("usb2", 0x00);
  EXPECT_EQ(take(), (Log{"usb1: 00 15 01 01 06 00 00 00 00", "usb2: 00 15 02 10 00 00 00 00 00",
                         "usb2: 00 15 02 00 00 00 00 00 00"}));
  EXPECT_TRUE(out.everyMouse.empty());
  EXPECT_EQ(engine.holdsOf("usb1").keyboardState.modifiers, ModifierBit::LeftCtrl);

  // A double-click and a close held on one mouse do not fire again when
  // another reports.
  buttonsOf("usb1", 0x04 | 0x08 | 0x02);
  EXPECT_EQ(take(), (Log{"close", "double-click"}));
  buttonsOf("usb2", 0x10);
  buttonsOf("usb1", 0x04 | 0x08 | 0x02);
  EXPECT_EQ(take(), (Log{"usb2: 00 15 02 10 00 00 00 00 00"}));

  // Gone: its holds are forgotten without a word to it, and back, its first
  // press acts.
  engine.dropMouse("usb1");
  EXPECT_TRUE(take().empty());
  EXPECT_FALSE(engine.holdsOf("usb1").holdsInput());
  EXPECT_TRUE(engine.holdsOf("usb2").holdsInput());
  buttonsOf("usb1", 0x04);
  EXPECT_EQ(take(), (Log{"usb1: 00 15 01 01 06 00 00 00 00"}));

  // A mouse that no longer takes frames has gone, and its holds with it.
  out.gone.insert("usb1");
  buttonsOf("usb1", 0x14);
  EXPECT_EQ(take(), (Log{"usb1: 00 15 02 10 00 00 00 00 00"}));
  EXPECT_EQ(engine.holdsOf("usb1").lastButtonByte, 0);
  EXPECT_FALSE(engine.holdsOf("usb1").holdsInput());
  out.gone.clear();

  // Let go for every mouse, each on itself.
  engine.releaseAll();
  EXPECT_EQ(take(), (Log{"usb2: 00 15 01 00 00 00 00 00 00", "usb2: 00 15 02 00 00 00 00 00 00"}));
  EXPECT_FALSE(engine.holdsInput());

  // A mouse that comes back is told to let go of what a report handled
  // meanwhile made it hold, and compares with a clean byte.
  buttonsOf("usb2", 0x04);
  take();
  engine.mouseArrived("usb2");
  EXPECT_EQ(take(), (Log{"usb2: 00 15 01 00 00 00 00 00 00", "usb2: 00 15 02 00 00 00 00 00 00"}));
  EXPECT_EQ(engine.holdsOf("usb2").lastButtonByte, 0);

  // Every start: every mouse lets go, whatever the engine knows.
  engine.releaseEveryMouse();
  EXPECT_EQ(out.everyMouse, (Log{"00 15 01 00 00 00 00 00 00", "00 15 02 00 00 00 00 00 00"}));
}

TEST_F(InputEngineTest, AButtonWhoseHoldWasLetGoActsAtItsNextPress) {
  assign(ButtonIndex::Wheel, ButtonFunction::KeyShortcut, 0x2E, ModifierBit::LeftCtrl);
  assign(ButtonIndex::Button5th, ButtonFunction::DoubleClick);
  buttons(0x0C);
  buttonsOf("usb1", 0x0C);
  take();

  // The row is set to the mouse's own function and back while the button is
  // down: the mouse no longer reports its release, and the next press acts.
  engine.releaseAll();
  take();
  buttons(0x0C);
  buttonsOf("usb1", 0x0C);
  EXPECT_EQ(take(), (Log{"00 15 01 01 06 00 00 00 00", "usb1: 00 15 01 01 06 00 00 00 00"}));
  // The double-click, which holds nothing, stays down and does not repeat.
  EXPECT_EQ(engine.holdsOf("usb1").lastButtonByte, 0x0C);
}

TEST_F(InputEngineTest, DuringTheResetOnlyTheAnswerToItsLastCommandIsTaken) {
  config.dpiLevel = 2;
  engine.awaitDpiAnswer(2, 3);
  dpi(0, 6);  // answers to the reset's own selections, from before its writes
  dpi(2, 5);
  dpi(3, 4);  // the mouse's DPI button, pressed meanwhile: as many as it likes
  dpi(7, 3);  // no level
  EXPECT_EQ(config.dpiLevel, 2);
  EXPECT_TRUE(take().empty());
  dpi(2, 3);
  EXPECT_EQ(take(), (Log{"dpi step 3"}));
  dpi(3, 5);  // the DPI button after the reset
  EXPECT_EQ(config.dpiLevel, 3);

  // A mouse that never answers: the wait's end takes every report again.
  engine.awaitDpiAnswer(2, 3);
  dpi(1, 2);
  EXPECT_EQ(config.dpiLevel, 3);
  engine.stopAwaitingDpiAnswer();
  dpi(1, 2);
  EXPECT_EQ(config.dpiLevel, 1);
}

TEST_F(InputEngineTest, OnlyALevelChosenOnTheMouseIsShownAsItsChoice) {
  using Choices = std::vector<std::pair<int, int>>;
  config.dpiLevel = 2;
  dpi(3, 5);  // after a scan: the answer to PostScan, whatever its level
  config.dpiLevel = 1;
  dpi(1, 1);  // a level clicked in the window, which took it before the answer
  dpi(2, 3);  // the mouse's DPI button
  EXPECT_EQ(out.choices, (Choices{{2, 3}}));

  out.choices.clear();
  engine.awaitDpiAnswer(2, 0);
  dpi(3, 5);  // pressed during the reset: dropped
  dpi(2, 0);  // the reset's answer
  dpi(3, 5);
  EXPECT_EQ(out.choices, (Choices{{3, 5}}));

  out.choices.clear();
  engine.dpiStepsRestored();
  dpi(0, 0);
  EXPECT_TRUE(out.choices.empty());
}

TEST_F(InputEngineTest, EachMouseAnswersTheScanForItselfAndTheWindowFollowsOne) {
  using Choices = std::vector<std::pair<int, int>>;
  dpiOf("usb1", 2, 3);  // its answer
  dpiOf("usb1", 3, 5);  // the DPI button
  EXPECT_EQ(out.choices, (Choices{{3, 5}}));
  take();

  // A second mouse comes; after the scan both answer. The second one's first
  // report is no choice, and its level is not the window's.
  engine.dpiStepsRestored();
  dpiOf("usb1", 3, 5);
  dpiOf("usb2", 1, 1);
  EXPECT_EQ(out.choices, (Choices{{3, 5}}));
  EXPECT_EQ(config.dpiLevel, 3);
  EXPECT_EQ(take(), (Log{"dpi step 5"}));

  // Its own DPI button is a choice, and the window follows it from then on:
  // the first mouse's reports that choose nothing are not shown.
  dpiOf("usb2", 2, 3);
  EXPECT_EQ(out.choices, (Choices{{3, 5}, {2, 3}}));
  dpiOf("usb1", 2, 4);
  EXPECT_EQ(take(), (Log{"dpi step 3"}));
  // Gone, it is followed no more.
  engine.dropMouse("usb2");
  dpiOf("usb1", 2, 4);
  EXPECT_EQ(take(), (Log{"dpi step 4"}));
}

TEST_F(InputEngineTest, AMouseThatCameBackTellsItsLevelButNotItsPowerOnStep) {
  config.dpiStep[3] = 7;
  config.dpiLevel = 3;
  dpiOf("usb1", 3, 7);  // the answer after the first scan
  engine.mouseArrived("usb1");
  take();
  // Its DPI button, before the settings' steps are back on it: its level,
  // with the settings' step for it; no choice, and the slider stays held.
  config.dpiSyncPending = true;
  dpiOf("usb1", 3, 5);
  EXPECT_EQ(take(), (Log{"dpi step 7"}));
  EXPECT_TRUE(out.choices.empty());
  EXPECT_TRUE(config.dpiSyncPending);
  EXPECT_EQ(config.dpiStep[3], 7);
  // The steps restored, a report it sent before they reached it is not the
  // answer either; its next report at the restored step is, and the one
  // after it a choice.
  engine.dpiStepsRestored();
  dpiOf("usb1", 3, 5);
  EXPECT_EQ(take(), (Log{"dpi step 7"}));
  EXPECT_TRUE(config.dpiSyncPending);
  dpiOf("usb1", 3, 7);
  EXPECT_FALSE(config.dpiSyncPending);
  EXPECT_TRUE(out.choices.empty());
  dpiOf("usb1", 0, 0);
  EXPECT_EQ(out.choices.size(), 1u);

  // The system told of a change of its devices, not which: a mouse may have
  // come back without a word, so until the next restore no report is a step.
  engine.devicesChanged();
  dpiOf("usb1", 1, 5);
  EXPECT_EQ(take().back(), "dpi step " + std::to_string(config.dpiStep[1]));
  EXPECT_EQ(out.choices.size(), 1u);
  engine.dpiStepsRestored();
  dpiOf("usb1", 1, 1);
  dpiOf("usb1", 2, 3);
  EXPECT_EQ(out.choices.size(), 2u);
}

TEST_F(InputEngineTest, AnotherSetOfMiceLetsGoOnlyOfWhatTheMiceThatWentHeld) {
  assign(ButtonIndex::Wheel, ButtonFunction::KeyShortcut, 0x2E, ModifierBit::LeftCtrl);
  buttons(0x04);
  buttonsOf("usb1", 0x04);
  buttonsOf("usb2", 0x04);
  take();
  // Another device came: every mouse is still there.
  engine.keepOnlyMice({"usb1", "usb2"}, false);
  EXPECT_TRUE(take().empty());
  EXPECT_TRUE(engine.holdsOf("").holdsKeys());

  // usb2 went; the mouse that cannot be told apart may have been it.
  engine.keepOnlyMice({"usb1"}, true);
  EXPECT_EQ(take(), (Log{"usb2: 00 15 01 00 00 00 00 00 00", "usb2: 00 15 02 00 00 00 00 00 00",
                         "00 15 01 00 00 00 00 00 00", "00 15 02 00 00 00 00 00 00"}));
  EXPECT_TRUE(engine.holdsOf("usb1").holdsKeys());
  EXPECT_EQ(engine.holdsOf("usb1").lastButtonByte, 0x04);
  EXPECT_FALSE(engine.holdsOf("usb2").holdsInput());
  EXPECT_FALSE(engine.holdsOf("").holdsInput());
  buttonsOf("usb1", 0x00);
  EXPECT_EQ(take(), (Log{"usb1: 00 15 01 00 00 00 00 00 00"}));
}

TEST(MouseSet, ScansTellUnplugReplugAndAnotherMouse) {
  FakeHidBus bus;
  bus.interfaces = {unrelated("kbd"), mouseConfiguration("cfg#1"), mouseInput("col02#1")};
  HidLink link(bus);
  link.scan();
  const MouseSet first = mouseSetOf(link);
  EXPECT_EQ(first, (MouseSet{1, 1, {"col02#1"}}));

  link.scan();
  EXPECT_EQ(mouseSetOf(link), first);  // nothing happened: held input stays

  bus.interfaces = {unrelated("kbd")};
  link.scan();
  const MouseSet none = mouseSetOf(link);
  EXPECT_NE(none, first);
  EXPECT_EQ(none, MouseSet{});

  EXPECT_TRUE(someMouseWent(first, none));
  EXPECT_FALSE(someMouseWent(none, first));

  // Another mouse of the same kind in another port: same counts, other path.
  bus.interfaces = {unrelated("kbd"), mouseConfiguration("cfg#2"), mouseInput("col02#2")};
  link.scan();
  EXPECT_NE(mouseSetOf(link), first);
  EXPECT_TRUE(someMouseWent(first, mouseSetOf(link)));
  // A second mouse, or another maker's collection, added: none went.
  EXPECT_FALSE(someMouseWent(first, MouseSet{2, 2, {"col02#1", "col02#2"}}));
  EXPECT_FALSE(someMouseWent(first, MouseSet{1, 2, {"other#1", "col02#1"}}));
  EXPECT_TRUE(someMouseWent(MouseSet{2, 1, {"col02#1"}}, MouseSet{1, 1, {"col02#1"}}));
}

}  // namespace

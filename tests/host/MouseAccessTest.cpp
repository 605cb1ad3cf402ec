// Which power and session events make this copy let go of the mouse, which
// give it its settings back, and when it may talk to the mouse at all.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "device/MouseAccess.h"

namespace {

using E = SessionEvent;
using A = MouseAction;

void expectRun(bool onConsole, const std::vector<std::pair<E, A>>& steps, bool talksAtTheEnd) {
  MouseAccess access(onConsole);
  for (size_t i = 0; i < steps.size(); ++i) EXPECT_EQ(access.onEvent(steps[i].first), steps[i].second) << "step " << i;
  EXPECT_EQ(access.mayTalk(), talksAtTheEnd);
}

TEST(MouseAccess, EventsLetGoOnceAndGiveBackOnlyWhenTheCopyMayTalk) {
  // Both resumes the system sends; one never announced by a suspend.
  expectRun(true, {{E::Suspend, A::LetGo}, {E::Suspend, A::None}, {E::Resume, A::GiveBack}, {E::Resume, A::GiveBack}},
            true);
  // Locked as it slept: nothing goes to the mouse until the unlock.
  expectRun(true, {{E::Lock, A::LetGo}, {E::Suspend, A::None}, {E::Resume, A::None}, {E::Unlock, A::GiveBack}}, true);
  // The first display notice after registering is no return of the display.
  expectRun(true, {{E::DisplayOn, A::None}, {E::DisplayOff, A::None}, {E::DisplayOn, A::GiveBack}}, true);
  // Away from the console nothing counts until the session comes there.
  expectRun(false, {{E::Resume, A::None}, {E::Unlock, A::None}, {E::DisplayOff, A::None}, {E::DisplayOn, A::None},
                    {E::ConsoleConnect, A::GiveBack}}, true);
  expectRun(true, {{E::ConsoleDisconnect, A::LetGo}, {E::Unlock, A::None}}, false);
  expectRun(true, {{E::RemoteDisconnect, A::LetGo}}, false);
  expectRun(false, {{E::Lock, A::None}, {E::ConsoleConnect, A::None}, {E::Unlock, A::GiveBack}}, true);
}

}  // namespace

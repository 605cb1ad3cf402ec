// Which power and session events make this copy let go of the mouse, which
// give it its settings back, and when the copy may talk to it at all.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "app/MouseAccess.h"

namespace {

using E = SessionEvent;
using A = MouseAction;
using Steps = std::vector<std::pair<SessionEvent, MouseAction>>;

void expectRun(MouseAccess access, const Steps& steps, bool talksAtTheEnd) {
  int index = 0;
  for (const auto& step : steps) {
    EXPECT_EQ(access.onEvent(step.first), step.second) << "step " << index;
    ++index;
  }
  EXPECT_EQ(access.mayTalk(), talksAtTheEnd);
}

TEST(MouseAccess, SleepAndLockLetGoOnceAndTheirEndGivesBack) {
  // Sleep, twice announced, and both resumes the system sends.
  expectRun(MouseAccess(true), {{E::Suspend, A::LetGo}, {E::Suspend, A::None}, {E::Resume, A::GiveBack},
                                {E::Resume, A::GiveBack}}, true);
  // A resume never announced: the mouse may have lost power all the same.
  expectRun(MouseAccess(true), {{E::Resume, A::GiveBack}}, true);
  expectRun(MouseAccess(true), {{E::Lock, A::LetGo}, {E::Unlock, A::GiveBack}}, true);
  // Locked as it slept: nothing goes to the mouse until the unlock.
  expectRun(MouseAccess(true), {{E::Lock, A::LetGo}, {E::Suspend, A::None}, {E::Resume, A::None},
                                {E::Unlock, A::GiveBack}}, true);
  expectRun(MouseAccess(true), {{E::Suspend, A::LetGo}, {E::Lock, A::None}, {E::Unlock, A::None}}, false);
}

TEST(MouseAccess, OnlyTheDisplaysReturnGivesBack) {
  // The first notice after registering says "on": no return.
  expectRun(MouseAccess(true), {{E::DisplayOn, A::None}, {E::DisplayOff, A::None}, {E::DisplayOn, A::GiveBack},
                                {E::DisplayOn, A::None}}, true);
  expectRun(MouseAccess(true), {{E::Lock, A::LetGo}, {E::DisplayOff, A::None}, {E::DisplayOn, A::None}}, false);
}

TEST(MouseAccess, OnlyTheConsolesSessionTalksToTheMouse) {
  // Started away from the console: nothing until the session comes there.
  expectRun(MouseAccess(false), {{E::Resume, A::None}, {E::Unlock, A::None}, {E::DisplayOff, A::None},
                                 {E::DisplayOn, A::None}, {E::Suspend, A::None}, {E::Resume, A::None},
                                 {E::ConsoleConnect, A::GiveBack}}, true);
  expectRun(MouseAccess(true), {{E::ConsoleDisconnect, A::LetGo}, {E::Unlock, A::None},
                                {E::ConsoleConnect, A::GiveBack}}, true);
  expectRun(MouseAccess(true), {{E::RemoteDisconnect, A::LetGo}, {E::RemoteDisconnect, A::None}}, false);
  // Its session comes to the console while locked: the unlock gives back.
  expectRun(MouseAccess(false), {{E::Lock, A::None}, {E::ConsoleConnect, A::None}, {E::Unlock, A::GiveBack}},
            true);
  EXPECT_FALSE(MouseAccess(false).mayTalk());
  EXPECT_FALSE(MouseAccess(false).onConsole());
}

}  // namespace

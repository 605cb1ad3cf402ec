// The two threads that turn a later copy's signals into actions on the
// running window: the open signal restores it, the close signal ends it.
#pragma once

class MainDialog;

// Starts the close watch, then the show watch. Threads whose event does not
// exist (the single-instance channel could not be set up) are not started.
void startWatchThreads(MainDialog* dialog);
// Ends both threads and waits for them, before the window, the dialog object
// or the events they use go away. A signal that comes later stays set on its
// event, unseen.
void stopWatchThreads();

// How a later copy signals the running one: the event is set, not pulsed, so
// that a request made while the watch thread is busy, or before it waits, is
// still there when it waits next. The watch thread resets the event.
void signalNamedEvent(const char* name);

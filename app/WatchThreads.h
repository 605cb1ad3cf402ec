// The watch that turns a later copy's signals into actions on the running
// window: the open signal restores it, the close signal ends it. One thread
// waits for both.
#pragma once

class MainDialog;

// Starts the watch of both signals. A signal whose event does not exist (the
// single-instance channel could not be set up) is not watched; without
// either, no thread is started.
void startWatchThreads(MainDialog* dialog);
// Ends the watch and waits for its thread, before the window, the dialog
// object or the events it uses go away. A signal that comes later stays set
// on its event, unseen.
void stopWatchThreads();

// How a later copy signals the running one: the event is set, not pulsed, so
// that a request made while the watch thread is busy, or before it waits, is
// still there when it waits next. The watch thread resets the event; one
// reset by another before the thread ran is a request withdrawn.
void signalNamedEvent(const char* name);

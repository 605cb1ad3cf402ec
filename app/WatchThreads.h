// The two threads that turn a later copy's signals into actions on the
// running window: the open signal restores it, the close signal ends it.
#pragma once

class MainDialog;

// Starts the close watch, then the show watch. Threads whose event does not
// exist (the single-instance channel could not be set up) are not started.
void startWatchThreads(MainDialog* dialog);

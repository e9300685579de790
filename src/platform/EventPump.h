// Letting pending window events run from inside long work on the window's thread.
#pragma once

#include <atomic>

namespace EventPump {
// Runs every pending event now.
void letEventsRun();
// Runs pending events at most about once per frame: for loops that would otherwise
// spend more time asking for events than doing their work.
void letEventsRunThrottled();
// Set once the application has been asked to quit (its last window closed) while
// long work let events run: that work should stop at its next chance.
const std::atomic_bool &quitRequested();
// Ends the process at once: no further handler runs, nothing more is written.
[[noreturn]] void endProgramNow();
} // namespace EventPump

// Letting pending window events run from inside long work on the window's thread.
#pragma once

namespace EventPump {
// Runs every pending event now.
void LetEventsRun();
// Runs pending events at most about once per frame: for loops that would otherwise
// spend more time asking for events than doing their work.
void LetEventsRunThrottled();
// Ends the process at once: no further handler runs, nothing more is written.
[[noreturn]] void EndProgramNow();
} // namespace EventPump

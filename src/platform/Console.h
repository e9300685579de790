// The standard streams of a program run from a terminal or a script.
#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace Console {

enum class Stream
{
    Out,
    Err
};

// True when the stream is a terminal (not a pipe, a file or /dev/null).
bool isTerminal(Stream stream);
// The terminal's width in columns; 0 when the stream is no terminal or does not say.
int columns(Stream stream);
// Writes the text in the local encoding and flushes it at once.
void write(Stream stream, const QString &text);
// While it lives, a request to stop the process (Ctrl-C, SIGTERM, SIGHUP) does not end
// it on the spot: `onStop` runs with the signal's number the next time events run, so
// that work under way can be put back first. Only one may live at a time.
class StopRequestWatch
{
public:
    explicit StopRequestWatch(std::function<void(int)> onStop);
    ~StopRequestWatch();
    StopRequestWatch(const StopRequestWatch &) = delete;
    StopRequestWatch &operator=(const StopRequestWatch &) = delete;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// Ends the process at once with the status, without unwinding and without a core dump.
[[noreturn]] void exitNow(int status);

} // namespace Console

// The standard streams of a program run from a terminal or a script.
#pragma once

#include <QString>

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
// Ends the process at once with the status, without unwinding and without a core dump.
[[noreturn]] void exitNow(int status);

} // namespace Console

#include "Console.h"

#include <cstdio>
#include <cstdlib>
#include <sys/ioctl.h>
#include <unistd.h>

namespace Console {
namespace {
int descriptor(Stream stream)
{
    return stream == Stream::Out ? STDOUT_FILENO : STDERR_FILENO;
}
std::FILE *file(Stream stream)
{
    return stream == Stream::Out ? stdout : stderr;
}
} // namespace

bool isTerminal(Stream stream)
{
    return ::isatty(descriptor(stream)) == 1;
}

int columns(Stream stream)
{
    winsize size{};
    if (::ioctl(descriptor(stream), TIOCGWINSZ, &size) != 0)
        return 0;
    return size.ws_col;
}

void write(Stream stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file(stream));
    std::fflush(file(stream));
}

void exitNow(int status)
{
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace Console

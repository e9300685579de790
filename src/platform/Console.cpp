#include "Console.h"

#include "AtomicReplace.h"
#include "ChildProcess.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <thread>
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

constexpr std::array<int, 3> StopSignals = {SIGINT, SIGTERM, SIGHUP};
// How long the event loop has to take a stop up before the program ends without it.
constexpr std::chrono::milliseconds StopGrace{500};
// Plain numbers rather than owners: the signal handler reads them, and the watch
// below closes them in the one order its thread needs.
int stopPipe[2] = {-1, -1};
int watchdogPipe[2] = {-1, -1};

// Only async-signal-safe calls here: the byte names the signal.
void noteStopRequest(int signal)
{
    const unsigned char byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a stop that has not been taken up yet.
    static_cast<void>(!::write(stopPipe[1], &byte, 1));
    static_cast<void>(!::write(watchdogPipe[1], &byte, 1));
}

// Beside the event loop: when the loop's thread is held up (a read, a write or a wait
// that does not return), the stop is carried out here, more bluntly.
void watchdog(int requests)
{
    unsigned char signal = 0;
    while (::read(requests, &signal, 1) != 1) {
        if (errno != EINTR)
            return; // the watch ended
    }
    const auto deadline = std::chrono::steady_clock::now() + StopGrace;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd more{requests, POLLIN, 0};
        unsigned char again = 0;
        if (::poll(&more, 1, int(left.count())) > 0 && ::read(requests, &again, 1) == 0)
            return; // the watch ended: the loop took the stop up
    }
    SafeFile::finishReplacesBeforeExit();
    ChildProcess::killAllNow();
    ::_exit(128 + signal);
}
} // namespace

struct StopRequestWatch::Private
{
    std::function<void(int)> onStop;
    std::unique_ptr<QSocketNotifier> notifier;
    std::array<struct sigaction, StopSignals.size()> previous{};
    std::thread watchdog;
};

StopRequestWatch::StopRequestWatch(std::function<void(int)> onStop) : d(new Private)
{
    d->onStop = std::move(onStop);
    if (::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    if (::pipe2(watchdogPipe, O_CLOEXEC) != 0) {
        ::close(stopPipe[0]);
        ::close(stopPipe[1]);
        stopPipe[0] = stopPipe[1] = -1;
        return;
    }
    // Non-blocking for the signal handler only; the watchdog waits on its end.
    ::fcntl(watchdogPipe[1], F_SETFL, O_NONBLOCK);
    d->watchdog = std::thread(watchdog, watchdogPipe[0]);
    d->notifier = std::make_unique<QSocketNotifier>(stopPipe[0], QSocketNotifier::Read);
    QObject::connect(d->notifier.get(), &QSocketNotifier::activated, [this] {
        unsigned char byte = 0;
        if (::read(stopPipe[0], &byte, 1) == 1)
            d->onStop(byte);
    });
    struct sigaction action = {};
    action.sa_handler = noteStopRequest;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < StopSignals.size(); ++i) {
        ::sigaction(StopSignals[i], nullptr, &d->previous[i]);
        // A signal the caller chose to ignore (nohup, a background job) stays ignored.
        if (d->previous[i].sa_handler != SIG_IGN)
            ::sigaction(StopSignals[i], &action, nullptr);
    }
}

StopRequestWatch::~StopRequestWatch()
{
    if (!d->notifier)
        return;
    for (size_t i = 0; i < StopSignals.size(); ++i)
        ::sigaction(StopSignals[i], &d->previous[i], nullptr);
    d->notifier.reset();
    ::close(stopPipe[0]);
    ::close(stopPipe[1]);
    stopPipe[0] = stopPipe[1] = -1;
    ::close(std::exchange(watchdogPipe[1], -1));
    d->watchdog.join();
    ::close(std::exchange(watchdogPipe[0], -1));
}

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

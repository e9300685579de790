#include "RunAndWait.h"

#include "platform/AppError.h"
#include "platform/FileSystem.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <cmath>

namespace {
QPointer<ChildProcess> s_runningChild;
constexpr int PollsBeforeWaitingText = 50;
constexpr int PollsPerCreep = 150;
} // namespace

int RoundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

QString WaitingText(const QString &caption, int polls)
{
    QString text = caption;
    if (!caption.isEmpty())
        text += QStringLiteral(", ");
    return text + QStringLiteral("Please wait.. ") +
           QString::number(polls - PollsBeforeWaitingText);
}

std::optional<double> CreepValue(int polls, int rowCount, int startValue)
{
    const int extra = polls - PollsBeforeWaitingText;
    if (extra < 0 || extra % PollsPerCreep != 0 || rowCount <= 0)
        return std::nullopt;
    const int step = RoundHalfEven(100.0 / rowCount / 10.0);
    const int cap = RoundHalfEven(100.0 / rowCount + startValue - step);
    const double x = double(extra) / PollsPerCreep * step + startValue;
    return x < cap ? x : double(cap);
}

int RunAndWait(const ChildCommand &command, std::optional<int> windowStyle,
               ProgressDisplay *progress, const QString &caption, int startValue, int rowCount,
               RunOutcome *outcome)
{
    // There are no console windows to show or hide here: the style changes nothing.
    Q_UNUSED(windowStyle)

    RunOutcome result;
    if (!FileSystem::isSafeExecutable(command.program)) {
        const int number = FileSystem::pathExists(command.program) ? ErrorNumber::PermissionDenied
                                                                   : ErrorNumber::FileNotFound;
        result = {ChildProcess::End::FailedToStart, number};
        if (outcome)
            *outcome = result;
        return number + ObjectErrorBase;
    }

    ChildProcess child;
    QEventLoop loop;
    bool ended = false;
    QObject::connect(&child, &ChildProcess::ended, &loop, [&](ChildProcess::End how, int exitCode) {
        ended = true;
        result = {how, exitCode};
        loop.quit();
    });
    child.start(command.program, command.arguments);

    int polls = 0;
    QTimer poll;
    poll.setInterval(PollIntervalMs);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!progress)
            return;
        ++polls;
        if (polls < PollsBeforeWaitingText)
            return;
        progress->setProgressText(WaitingText(caption, polls));
        if (const auto value = CreepValue(polls, rowCount, startValue))
            progress->setProgressValue(*value);
    });
    if (!ended) {
        s_runningChild = &child;
        poll.start();
        loop.exec();
        poll.stop();
        s_runningChild = nullptr;
    }

    if (outcome)
        *outcome = result;
    if (result.end == ChildProcess::End::FailedToStart)
        return result.exitCode + ObjectErrorBase;
    if (progress)
        progress->setProgressText(caption.isEmpty() ? QStringLiteral("Progress Bar") : caption);
    return result.exitCode;
}

void AbortRunningChild()
{
    if (s_runningChild)
        s_runningChild->kill();
}

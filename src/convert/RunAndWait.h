// Starts one converter and waits for it without ever blocking the window: a local
// event loop ends the moment the child ends, and a 100 ms timer counts the polls
// that drive the "Please wait.. " text and the creep of the bar.
#pragma once

#include "CommandLine.h"
#include "platform/ChildProcess.h"

#include <QString>
#include <optional>

class ProgressDisplay
{
public:
    virtual ~ProgressDisplay() = default;
    virtual QString progressText() const = 0;
    virtual void setProgressText(const QString &text) = 0;
    virtual int progressValue() const = 0;
    virtual void setProgressValue(double value) = 0;
};

struct RunOutcome
{
    ChildProcess::End end = ChildProcess::End::FailedToStart;
    int exitCode = 0;
};

inline constexpr int ObjectErrorBase = -2147221504;
inline constexpr int PollIntervalMs = 100;

// The child's exit code, or the start error's number plus ObjectErrorBase.
// A program that is not a regular file of ours, closed to group and others, is
// never started: that answers as a failed start.
int RunAndWait(const ChildCommand &command, std::optional<int> windowStyle,
               ProgressDisplay *progress, const QString &caption, int startValue, int rowCount,
               RunOutcome *outcome = nullptr);

// Ends the child that RunAndWait is waiting for, if any (used when the program quits).
void AbortRunningChild();

// The display's text after `polls` polls (counter 50 and up).
QString WaitingText(const QString &caption, int polls);
// The bar's new value at this poll, if the creep moves it at this poll.
std::optional<double> CreepValue(int polls, int rowCount, int startValue);
// Rounds to the nearest whole number, a half to the even neighbour.
int RoundHalfEven(double value);

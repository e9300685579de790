// The progress display while a conversion takes long: after 50 polls of 100 ms the
// text counts the extra polls after "Please wait.. ", and every 150 polls the bar
// creeps on by a tenth of one file's share, never past the file's own share.
#pragma once

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

inline constexpr int PollIntervalMs = 100;
inline constexpr int PollsBeforeWaitingText = 50;

// The display's text after `polls` polls (counter 50 and up).
QString waitingText(const QString &caption, int polls);
// The bar's new value at this poll, if the creep moves it at this poll.
std::optional<double> creepValue(int polls, int rowCount, int startValue);
// Rounds to the nearest whole number, a half to the even neighbour.
int roundHalfEven(double value);

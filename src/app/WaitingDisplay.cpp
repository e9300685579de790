#include "WaitingDisplay.h"

#include <QCoreApplication>
#include <cmath>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("Form1", text);
}
} // namespace

namespace {
constexpr int PollsPerCreep = 150;
} // namespace

int roundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

QString waitingText(const QString &caption, int polls)
{
    QString text = caption;
    if (!caption.isEmpty())
        text += QStringLiteral(", ");
    return text + tr("Please wait.. ") + QString::number(polls - PollsBeforeWaitingText);
}

std::optional<double> creepValue(int polls, int rowCount, int startValue)
{
    const int extra = polls - PollsBeforeWaitingText;
    if (extra < 0 || extra % PollsPerCreep != 0 || rowCount <= 0)
        return std::nullopt;
    const int step = roundHalfEven(100.0 / rowCount / 10.0);
    const int cap = roundHalfEven(100.0 / rowCount + startValue - step);
    const double x = double(extra) / PollsPerCreep * step + startValue;
    return x < cap ? x : double(cap);
}

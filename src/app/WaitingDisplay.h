// The progress display while a conversion takes long: after 50 polls of 100 ms the
// text counts the extra polls after "Please wait.. ", and every 150 polls the bar
// creeps on by a tenth of one file's share, never past the file's own share.
#pragma once

#include "convert/BatchObserver.h"

#include <QString>
#include <optional>

// The display's text after `polls` polls (counter 50 and up).
QString waitingText(const QString &caption, int polls);
// The bar's new value at this poll, if the creep moves it at this poll.
std::optional<double> creepValue(int polls, int rowCount, int startValue);
// Rounds to the nearest whole number, a half to the even neighbour.
int roundHalfEven(double value);

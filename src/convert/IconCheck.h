// What a converter's output must be before it may replace an icon: a well-formed
// Windows icon file, whatever the converter's exit code claimed.
#pragma once

#include "core/IcoFile.h"

#include <QByteArray>
#include <QList>

// Nothing found wrong by the icon format's own checks.
bool isWellFormedIcon(const QByteArray &bytes);
// The same, holding exactly one square entry of each of `sizes` (any entries when
// no sizes are given).
bool isWellFormedIcon(const QByteArray &bytes, const QList<int> &sizes);

// What a converter's output must be before it may replace an icon: a well-formed
// Windows icon file, whatever the converter's exit code claimed.
#pragma once

#include <QByteArray>
#include <QList>

inline constexpr int LargestIconSide = 256;

// An ICO header (reserved 0, type 1, at least one image), every directory entry's
// data inside the file, past the directory and apart from every other entry's, no
// image above 256 pixels a side.
// Entries may be several, 256 px (stored as 0) and PNG-compressed.
bool isWellFormedIcon(const QByteArray &bytes);
// The same, holding exactly one square entry of each of `sizes` (any entries when
// no sizes are given).
bool isWellFormedIcon(const QByteArray &bytes, const QList<int> &sizes);

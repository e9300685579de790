// A user-defined size that holds a comma is a list of icon sizes: the icon gets one
// square entry per size, in the order typed, as Windows and browsers want them.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

inline constexpr int LargestIconSize = 256;

bool isSizeList(const QString &sizeText);

// The listed sizes; nothing when a member is not a whole number from 1 to 256.
std::optional<QList<int>> parseSizeList(const QString &sizeText);

// The converter's arguments between its input and its output: each size is the
// picture fitted into a transparent square of that size, its shape kept.
QStringList sizeListArguments(const QList<int> &sizes);

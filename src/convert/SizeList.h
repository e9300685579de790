// The size text the user types: a list of square icon sizes when it holds a comma or
// names a set, else one ImageMagick size given to the converter exactly as typed.
#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>

bool isSizeList(const QString &sizeText);

// Windows' own sets of sizes for an application icon, by the names the user may type
// alone or as members of a list.
struct SizeSet
{
    const char *name;
    QList<int> sizes;
};
const QList<SizeSet> &namedSizeSets();
// The sizes of the set named `name`, blanks around it and letter case aside.
std::optional<QList<int>> sizesOfSet(const QString &name);
// The sizes as a person reads them: "16, 32, 48".
QString sizesText(const QList<int> &sizes);

// The listed sizes, each once, in the order first typed (a set's in its own order);
// nothing when a member is neither a whole number from 1 to 256 nor a set's name.
std::optional<QList<int>> parseSizeList(const QString &sizeText);

// Whether a single size may go to the converter: a size ImageMagick reads as one
// ("32", "48x48", "x64", "50%", "32x32!", ...) that leaves at least one pixel. Zero,
// negative and empty sizes are refused, as is anything else ImageMagick would read
// as no size or as several arguments.
bool isAcceptedSingleSize(const QString &sizeText);

// Whether an accepted single size makes an entry of at most 256 pixels a side of some
// picture: "512x64" and "300>" do, "300x300" and "x300" never.
bool someEntryFits(const QString &sizeText);

// The size a picture of `picture` pixels gets from an accepted single size, as
// ImageMagick's "-resize" computes it; nothing for a size that is not accepted.
std::optional<QSize> resizedSize(QSize picture, const QString &sizeText);

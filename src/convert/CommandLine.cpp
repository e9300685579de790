#include "CommandLine.h"

#include "PictureColour.h"
#include "SizeList.h"

#include <algorithm>

QString protectFromPrintfPatterns(const QString &path)
{
    QString protectedPath = path;
    protectedPath.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return protectedPath;
}

namespace {
// What a vector picture without a size of its own is drawn at before it is fitted.
constexpr QSize UnsizedVector(256, 256);

QSize drawnSize(const PictureInput &picture)
{
    return picture.vector && !picture.size.isValid() ? UnsizedVector : picture.size;
}

// The picture's name after the reader that must read it.
QString readName(const PictureInput &picture)
{
    // Only the one picture: an animation's other frames or an icon's other entries
    // would each become an entry of their own, at their own sizes.
    return picture.reader + QLatin1Char(':') + picture.name +
           QStringLiteral("[%1]").arg(picture.frame);
}

// A raster picture's name and how its colours become sRGB.
QStringList reading(const PictureInput &picture)
{
    return QStringList{readName(picture)} + colourArguments(picture.storedGamma);
}

// Area averaging keeps small entries sharp; enlarging with it would give blocks.
QString filterFor(QSize picture, QSize wanted)
{
    if (!picture.isValid() || !wanted.isValid())
        return {};
    const bool shrinks = wanted.width() < picture.width() || wanted.height() < picture.height();
    return shrinks ? QStringLiteral("Box") : QStringLiteral("Mitchell");
}

QString squareText(int size)
{
    return QStringLiteral("%1x%1").arg(size);
}

QStringList withFilter(QSize picture, QSize wanted)
{
    const QString filter = filterFor(picture, wanted);
    return filter.isEmpty() ? QStringList() : QStringList{QStringLiteral("-filter"), filter};
}

// Any filter would soften a picture drawn for exactly this size.
bool alreadyThatSize(QSize picture, QSize wanted)
{
    return picture.isValid() && picture == wanted;
}

// One square entry, read anew when it comes from a picture of its own.
QStringList entryArguments(const PictureInput &picture, int size, bool fromClone)
{
    const QString square = squareText(size);
    QStringList arguments{QStringLiteral("(")};
    if (picture.vector) {
        arguments << QStringLiteral("-size") << square << readName(picture)
                  << QStringLiteral("+size");
    } else {
        arguments << (fromClone ? QStringList{QStringLiteral("-clone"), QStringLiteral("0")}
                                : reading(picture));
        const QSize fitted = picture.size.scaled(size, size, Qt::KeepAspectRatio);
        if (!alreadyThatSize(picture.size, fitted))
            arguments << withFilter(picture.size, fitted) << QStringLiteral("-resize") << square;
    }
    arguments << QStringLiteral("-extent") << square << QStringLiteral(")");
    return arguments;
}

QStringList listArguments(const PictureInput &picture, QList<int> sizes,
                          const QMap<int, PictureInput> &perSize)
{
    std::sort(sizes.begin(), sizes.end(), std::greater<int>());
    const bool cloned = !picture.vector && perSize.size() < sizes.size();
    QStringList arguments;
    if (cloned)
        arguments << reading(picture);
    arguments << QStringLiteral("-background") << QStringLiteral("none")
              << QStringLiteral("-gravity") << QStringLiteral("center");
    for (const int size : sizes) {
        const auto own = perSize.constFind(size);
        arguments << (own != perSize.constEnd() ? entryArguments(*own, size, false)
                                                : entryArguments(picture, size, cloned));
    }
    if (cloned)
        arguments << QStringLiteral("-delete") << QStringLiteral("0");
    return arguments;
}

QStringList singleArguments(const PictureInput &picture, const QString &sizeText)
{
    const auto wanted = resizedSize(drawnSize(picture), sizeText);
    if (picture.vector && wanted) {
        // Drawn at the size the picture gets; the "-resize" then has nothing to do
        // unless the size changes the picture's shape.
        const QString exact = QStringLiteral("%1x%2").arg(wanted->width()).arg(wanted->height());
        return {QStringLiteral("-background"),
                QStringLiteral("none"),
                QStringLiteral("-size"),
                exact,
                readName(picture),
                QStringLiteral("-resize"),
                exact + QLatin1Char('!')};
    }
    QStringList arguments = reading(picture);
    if (wanted && alreadyThatSize(picture.size, *wanted))
        return arguments;
    if (wanted)
        arguments << withFilter(picture.size, *wanted);
    return arguments << QStringLiteral("-resize") << sizeText;
}
} // namespace

QStringList converterArguments(const PictureInput &picture, const IconSize &size,
                               const QString &output, const QMap<int, PictureInput> &perSize)
{
    QStringList arguments;
    switch (size.kind()) {
    case IconSize::Kind::Unchanged:
        if (picture.vector) {
            const QSize own = drawnSize(picture);
            arguments << QStringLiteral("-background") << QStringLiteral("none")
                      << QStringLiteral("-size")
                      << QStringLiteral("%1x%2").arg(own.width()).arg(own.height())
                      << readName(picture);
        } else {
            arguments << reading(picture);
        }
        break;
    case IconSize::Kind::Single:
        // Windows stretches every entry to a square: one number gives one, as in a list.
        arguments << (size.side() > 0 ? listArguments(picture, {size.side()}, {})
                                      : singleArguments(picture, size.text()));
        break;
    case IconSize::Kind::List:
        arguments << listArguments(picture, size.sizes(), perSize);
        break;
    }
    // Eight bits a channel, and no resolution: Windows reads nothing else well.
    // A picture's own compression (a JPEG's) would keep the 256 px entry a bitmap.
    arguments << withoutColourChunks() << QStringLiteral("+compress") << QStringLiteral("-depth")
              << QStringLiteral("8") << QStringLiteral("-density") << QStringLiteral("0")
              << QStringLiteral("-define") << QStringLiteral("png:color-type=6");
    if (size.kitParts() != 0) {
        // One file of bare pixels a drawing, largest first: read back at once, so
        // nothing is gained by packing them.
        return arguments << QStringLiteral("+adjoin") << QStringLiteral("rgba:") + output;
    }
    arguments << protectFromPrintfPatterns(output);
    return arguments;
}

ConversionWork conversionWork(const PictureInput &picture, const IconSize &size,
                              const QMap<int, PictureInput> &perSize)
{
    ConversionWork work;
    QList<QSize> entries; // made from the picture itself
    switch (size.kind()) {
    case IconSize::Kind::Unchanged:
        entries << drawnSize(picture);
        break;
    case IconSize::Kind::Single:
        entries
            << (size.side() > 0
                    ? QSize(size.side(), size.side())
                    : resizedSize(drawnSize(picture), size.text()).value_or(drawnSize(picture)));
        break;
    case IconSize::Kind::List:
        for (const int side : size.sizes()) {
            const auto own = perSize.constFind(side);
            if (own == perSize.constEnd())
                entries << QSize(side, side);
            else if (own->vector)
                work.addDrawing(QSize(side, side));
            else
                work.addPicture(own->size);
        }
        break;
    }
    if (picture.vector) {
        for (const QSize entry : std::as_const(entries))
            work.addDrawing(entry);
    } else if (!entries.isEmpty()) {
        work.addPicture(picture.size, int(entries.size()));
    }
    return work;
}

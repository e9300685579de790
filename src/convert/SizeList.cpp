#include "SizeList.h"

#include "IconCheck.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace {
// ImageMagick's size: width, "x" and height, either may be left out, then flags.
const QRegularExpression &geometryPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(\d+(?:\.\d+)?)?(?:[xX](\d+(?:\.\d+)?)?)?([%!<>^@]*)$)"));
    return pattern;
}

// Above this no picture can be made, and the numbers stay exact in a double.
constexpr double LargestSide = 1e6;

struct Geometry
{
    double width = 0; // 0: not given
    double height = 0;
    QString flags;
};

std::optional<Geometry> readGeometry(const QString &sizeText)
{
    const auto match = geometryPattern().match(sizeText.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    Geometry g;
    const bool hasWidth = match.capturedLength(1) > 0;
    const bool hasHeight = match.capturedLength(2) > 0;
    g.width = hasWidth ? match.captured(1).toDouble() : 0;
    g.height = hasHeight ? match.captured(2).toDouble() : 0;
    g.flags = match.captured(3);
    if (!hasWidth && !hasHeight)
        return std::nullopt;
    if ((hasWidth && g.width <= 0) || (hasHeight && g.height <= 0))
        return std::nullopt;
    if (g.width > LargestSide || g.height > LargestSide)
        return std::nullopt;
    return g;
}
} // namespace

bool isSizeList(const QString &sizeText)
{
    return sizeText.contains(QLatin1Char(','));
}

const QList<SizeSet> &namedSizeSets()
{
    // An application icon at each of Windows' display scales; the fewest of those that
    // keep the taskbar sharp at 125 % and 150 %; what browsers ask a site for.
    static const QList<SizeSet> sets = {
        {"windows", {16, 20, 24, 30, 32, 36, 40, 48, 60, 64, 72, 80, 96, 256}},
        {"windows-small", {16, 20, 24, 32, 40, 48, 64, 256}},
        {"favicon", {16, 32, 48}},
    };
    return sets;
}

std::optional<QList<int>> sizesOfSet(const QString &name)
{
    const QString trimmed = name.trimmed();
    for (const SizeSet &set : namedSizeSets()) {
        if (trimmed.compare(QLatin1String(set.name), Qt::CaseInsensitive) == 0)
            return set.sizes;
    }
    return std::nullopt;
}

QString sizesText(const QList<int> &sizes)
{
    QStringList numbers;
    for (const int size : sizes)
        numbers << QString::number(size);
    return numbers.join(QStringLiteral(", "));
}

std::optional<QList<int>> parseSizeList(const QString &sizeText)
{
    QList<int> sizes;
    for (const QString &member : sizeText.split(QLatin1Char(','))) {
        if (const auto set = sizesOfSet(member)) {
            for (const int size : *set) {
                if (!sizes.contains(size))
                    sizes << size;
            }
            continue;
        }
        const QString digits = member.trimmed();
        bool allDigits = !digits.isEmpty() && digits.size() <= 3;
        for (const QChar c : digits)
            allDigits = allDigits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        const int size = allDigits ? digits.toInt() : 0;
        if (size < 1 || size > LargestIconSide)
            return std::nullopt;
        if (!sizes.contains(size))
            sizes << size;
    }
    return sizes;
}

bool isAcceptedSingleSize(const QString &sizeText)
{
    // ImageMagick skips blanks around a size; blanks inside are no size at all. A text
    // longer than any size could not even be handed to the converter.
    constexpr qsizetype LongestSizeText = 64;
    return !isSizeList(sizeText) && sizeText.size() <= LongestSizeText &&
           readGeometry(sizeText).has_value();
}

bool someEntryFits(const QString &sizeText)
{
    // The smallest, the largest and the most lopsided pictures an icon can hold.
    const QSize pictures[] = {
        {1, 1}, {LargestIconSide, LargestIconSide}, {1, LargestIconSide}, {LargestIconSide, 1}};
    return std::any_of(std::begin(pictures), std::end(pictures), [&](QSize picture) {
        const auto size = resizedSize(picture, sizeText);
        return size && size->width() <= LargestIconSide && size->height() <= LargestIconSide;
    });
}

std::optional<QSize> resizedSize(QSize picture, const QString &sizeText)
{
    if (!isAcceptedSingleSize(sizeText) || picture.isEmpty())
        return std::nullopt;
    const Geometry g = *readGeometry(sizeText);
    const double w = picture.width();
    const double h = picture.height();
    double scaleX = 1;
    double scaleY = 1;
    if (g.flags.contains(QLatin1Char('%'))) {
        // A width alone scales both sides; a height alone only the height.
        scaleX = g.width > 0 ? g.width / 100 : 1;
        scaleY = g.height > 0 ? g.height / 100 : scaleX;
    } else if (g.flags.contains(QLatin1Char('@'))) {
        scaleX = scaleY = std::sqrt(g.width / (w * h));
    } else if (g.flags.contains(QLatin1Char('!')) && g.width > 0 && g.height > 0) {
        scaleX = g.width / w;
        scaleY = g.height / h;
    } else {
        const double byWidth = g.width > 0 ? g.width / w : 0;
        const double byHeight = g.height > 0 ? g.height / h : 0;
        if (byWidth == 0 || byHeight == 0)
            scaleX = byWidth + byHeight;
        else if (g.flags.contains(QLatin1Char('^')))
            scaleX = std::max(byWidth, byHeight);
        else
            scaleX = std::min(byWidth, byHeight);
        scaleY = scaleX;
    }
    const bool enlarges = scaleX > 1 || scaleY > 1;
    const bool shrinks = scaleX < 1 || scaleY < 1;
    if ((g.flags.contains(QLatin1Char('>')) && !shrinks) ||
        (g.flags.contains(QLatin1Char('<')) && !enlarges))
        return picture;
    const auto side = [](double value) { return std::max(1, int(std::floor(value + 0.5))); };
    return QSize(side(w * scaleX), side(h * scaleY));
}

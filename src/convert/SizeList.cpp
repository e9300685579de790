#include "SizeList.h"

#include <algorithm>

bool isSizeList(const QString &sizeText)
{
    return sizeText.contains(QLatin1Char(','));
}

std::optional<QList<int>> parseSizeList(const QString &sizeText)
{
    QList<int> sizes;
    for (const QString &member : sizeText.split(QLatin1Char(','))) {
        const QString digits = member.trimmed();
        bool allDigits = !digits.isEmpty() && digits.size() <= 3;
        for (const QChar c : digits)
            allDigits = allDigits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        const int size = allDigits ? digits.toInt() : 0;
        if (size < 1 || size > LargestIconSize)
            return std::nullopt;
        sizes << size;
    }
    return sizes;
}

QStringList sizeListArguments(const QList<int> &sizes)
{
    // The picture is fitted once into the largest square; every entry is made from that
    // square, which costs far less than scaling the full picture for each size.
    const QString largest =
        QStringLiteral("%1x%1").arg(*std::max_element(sizes.begin(), sizes.end()));
    // Eight bits a channel: Windows reads no deeper compressed entries.
    QStringList arguments{QStringLiteral("-depth"),      QStringLiteral("8"),
                          QStringLiteral("-background"), QStringLiteral("none"),
                          QStringLiteral("-gravity"),    QStringLiteral("center"),
                          QStringLiteral("-resize"),     largest,
                          QStringLiteral("-extent"),     largest};
    for (const int size : sizes) {
        const QString square = QStringLiteral("%1x%1").arg(size);
        arguments << QStringLiteral("(") << QStringLiteral("-clone") << QStringLiteral("0")
                  << QStringLiteral("-resize") << square << QStringLiteral("-extent") << square
                  << QStringLiteral(")");
    }
    arguments << QStringLiteral("-delete") << QStringLiteral("0");
    return arguments;
}

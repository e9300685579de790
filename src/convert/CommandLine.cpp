#include "CommandLine.h"

#include "SizeList.h"

QStringList splitWindowsArguments(const QString &text)
{
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = text[i];
        if (!quoted && (c == QLatin1Char(' ') || c == QLatin1Char('\t'))) {
            if (inArgument) {
                arguments << current;
                current.clear();
                inArgument = false;
            }
            ++i;
            continue;
        }
        inArgument = true;
        if (c == QLatin1Char('\\')) {
            qsizetype run = 0;
            while (i < n && text[i] == QLatin1Char('\\')) {
                ++run;
                ++i;
            }
            if (i < n && text[i] == QLatin1Char('"')) {
                // 2k backslashes + quote: k backslashes, the quote delimits;
                // 2k+1: k backslashes and a literal quote.
                current += QString(run / 2, QLatin1Char('\\'));
                if (run % 2 == 1) {
                    current += QLatin1Char('"');
                    ++i;
                }
            } else {
                current += QString(run, QLatin1Char('\\'));
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            if (quoted && i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                current += QLatin1Char('"');
                i += 2;
                continue;
            }
            quoted = !quoted;
            ++i;
            continue;
        }
        current += c;
        ++i;
    }
    if (inArgument)
        arguments << current;
    return arguments;
}

QString protectFromPrintfPatterns(const QString &path)
{
    QString protectedPath = path;
    protectedPath.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return protectedPath;
}

QStringList sizeArguments(bool withSize, const QString &sizeText)
{
    if (!withSize)
        return {};
    if (isSizeList(sizeText)) {
        // A list that cannot be read is refused before any child runs.
        if (const auto sizes = parseSizeList(sizeText))
            return sizeListArguments(*sizes);
    }
    return QStringList{QStringLiteral("-resize")} + splitWindowsArguments(sizeText);
}

QStringList converterArguments(const QString &source, bool withSize, const QString &sizeText,
                               const QString &output)
{
    QStringList arguments{source};
    arguments << sizeArguments(withSize, sizeText);
    arguments << protectFromPrintfPatterns(output);
    return arguments;
}

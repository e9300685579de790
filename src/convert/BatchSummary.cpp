#include "BatchObserver.h"

#include <QStringList>

namespace {
constexpr int ListedFailures = 10;
} // namespace

QString BatchObserver::refusalText(Refusal why)
{
    switch (why) {
    case Refusal::NoFiles:
        return QStringLiteral("No files added.");
    case Refusal::NoFolder:
        return QStringLiteral("Folder does not exist. Please select another folder.");
    case Refusal::BadSize:
        break;
    }
    return QStringLiteral("Size not accepted. An icon's pictures are 1 to 256 pixels: type a "
                          "number from 1 to 256 (48), a list of them (16,32,48,256), or a size "
                          "ImageMagick understands that fits in 256 (128x64, 50%).");
}

QList<FileResult> BatchSummary::failed() const
{
    QList<FileResult> list;
    for (const FileResult &result : results) {
        if (result.outcome == FileResult::Outcome::Failed)
            list << result;
    }
    return list;
}

QString failureLine(const FileResult &result)
{
    return result.reason.isEmpty()
               ? result.source
               : result.source + QStringLiteral(" (") + result.reason + QLatin1Char(')');
}

QString summaryText(const BatchSummary &summary)
{
    const QList<FileResult> failed = summary.failed();
    QString text;
    if (summary.stopped) {
        const qsizetype converted = summary.results.size() - failed.size();
        text = QStringLiteral("Stopped.\r\n\r\n%1 of %2 files were converted before the stop")
                   .arg(converted)
                   .arg(summary.total);
        if (failed.isEmpty())
            return text + QLatin1Char('.');
        text += QStringLiteral(". Not converted:");
    } else {
        text = QStringLiteral("Done.");
        if (failed.isEmpty())
            return text;
        text += QStringLiteral("\r\n\r\n%1 of %2 files could not be converted:")
                    .arg(failed.size())
                    .arg(summary.total);
    }
    for (qsizetype i = 0; i < failed.size() && i < ListedFailures; ++i)
        text += QStringLiteral("\r\n") + failureLine(failed.at(i));
    if (failed.size() > ListedFailures)
        text += QStringLiteral("\r\n... and %1 more.").arg(failed.size() - ListedFailures);
    return text;
}

QString failureDetails(const BatchSummary &summary)
{
    const QList<FileResult> failed = summary.failed();
    if (failed.size() <= ListedFailures)
        return {};
    QStringList lines;
    for (const FileResult &result : failed)
        lines << failureLine(result);
    return lines.join(QStringLiteral("\r\n"));
}

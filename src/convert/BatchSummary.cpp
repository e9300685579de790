#include "BatchObserver.h"

namespace {
constexpr int ListedFailures = 10;
} // namespace

QString BatchObserver::refusalText(Refusal why)
{
    return why == Refusal::NoFiles
               ? QStringLiteral("No files added.")
               : QStringLiteral("Folder does not exist. Please select another folder.");
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

QString summaryText(const BatchSummary &summary)
{
    QString text = QStringLiteral("Done.");
    const QList<FileResult> failed = summary.failed();
    if (failed.isEmpty())
        return text;
    text += QStringLiteral("\r\n\r\n%1 of %2 files could not be converted:")
                .arg(failed.size())
                .arg(summary.total);
    for (qsizetype i = 0; i < failed.size() && i < ListedFailures; ++i) {
        text += QStringLiteral("\r\n") + failed.at(i).source;
        if (!failed.at(i).reason.isEmpty())
            text += QStringLiteral(" (") + failed.at(i).reason + QLatin1Char(')');
    }
    if (failed.size() > ListedFailures)
        text += QStringLiteral("\r\n... and %1 more.").arg(failed.size() - ListedFailures);
    return text;
}

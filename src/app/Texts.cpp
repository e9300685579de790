#include "Texts.h"

#include "core/FailureText.h"

#include <QStringList>

namespace {
// Every failed file's line, in list order.
QStringList failureLines(const QList<FileResult> &failed)
{
    QStringList lines;
    for (const FileResult &result : failed)
        lines << WindowTexts::failureLine(result);
    return lines;
}
} // namespace

QString WindowTexts::refusal(BatchObserver::Refusal why)
{
    return refusalText(why);
}

QString WindowTexts::reason(const FileResult &result)
{
    return failureText(result.failure);
}

QString WindowTexts::notReached()
{
    return tr("stopped before this file");
}

QString WindowTexts::failureLine(const FileResult &result)
{
    const QString why = reason(result);
    return why.isEmpty() ? result.source : tr("%1 (%2)").arg(result.source, why);
}

QString WindowTexts::summary(const BatchSummary &summary)
{
    const QList<FileResult> failed = summary.failed();
    return summaryText(summary.stopped, summary.results.size() - failed.size(), summary.total,
                       failureLines(failed), QStringLiteral("\r\n"));
}

QString WindowTexts::failureDetails(const BatchSummary &summary)
{
    const QList<FileResult> failed = summary.failed();
    if (failed.size() <= ListedFailures)
        return {};
    return failureLines(failed).join(QStringLiteral("\r\n"));
}

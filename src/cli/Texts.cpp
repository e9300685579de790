#include "Texts.h"

#include "ConsoleDisplay.h"
#include "core/FailureText.h"

namespace {
// A path or reason as a terminal may show it.
QString shownReason(const FileResult &result)
{
    return printable(failureText(result.failure));
}
} // namespace

QString TerminalTexts::refusal(BatchObserver::Refusal why)
{
    return refusalText(why);
}

QString TerminalTexts::failedFile(const FileResult &result)
{
    return tr("%1: %2").arg(printable(result.source), shownReason(result));
}

QString TerminalTexts::summary(const BatchSummary &summary)
{
    const QList<FileResult> failed = summary.failed();
    QStringList lines;
    for (const FileResult &result : failed) {
        const QString why = shownReason(result);
        lines << (why.isEmpty() ? printable(result.source)
                                : tr("%1 (%2)").arg(printable(result.source), why));
    }
    return summaryText(summary.stopped, summary.results.size() - failed.size(), summary.total,
                       lines, QStringLiteral("\n"));
}

QString TerminalTexts::written(int written, int replaced)
{
    if (written == 0)
        return tr("Wrote no icon.\n");
    return tr("Wrote %1 %2; %3 replaced an existing icon.\n")
        .arg(written)
        .arg(written == 1 ? tr("icon") : tr("icons"))
        .arg(replaced == 0 ? tr("none") : QString::number(replaced));
}

QString TerminalTexts::kitsWritten(const QStringList &folders, int replaced)
{
    if (folders.isEmpty())
        return tr("Wrote no kit.\n");
    QString text = tr("Wrote %1 %2; %3 replaced files of an earlier kit.\n")
                       .arg(folders.size())
                       .arg(folders.size() == 1 ? tr("kit") : tr("kits"))
                       .arg(replaced == 0 ? tr("none") : QString::number(replaced));
    for (const QString &folder : folders)
        text += QStringLiteral("  ") + printable(folder) + QLatin1Char('\n');
    return text;
}

#include "Texts.h"

#include "core/FailureText.h"
#include "core/PathHelpers.h"

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

FolderOffer WindowTexts::written(const BatchSummary &summary)
{
    QStringList folders;
    int icons = 0;
    QString kit; // the first kit's own folder
    for (const FileResult &result : summary.results) {
        if (result.outcome != FileResult::Outcome::Converted || result.icon.isEmpty())
            continue;
        ++icons;
        if (result.kit && kit.isEmpty())
            kit = result.icon;
        QString folder = FolderOf(result.icon);
        if (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
            folder.chop(1);
        if (!folders.contains(folder))
            folders << folder;
    }
    if (icons == 0)
        return {};
    // Beside pictures in several folders, the first of them is the one shown.
    QString note;
    if (!kit.isEmpty()) {
        // One kit opens on its own folder; several on where they were put.
        if (icons == 1)
            return {tr("1 kit written in %1.").arg(kit), kit};
        note = folders.size() > 1 ? tr("%1 kits written beside their pictures.").arg(icons)
                                  : tr("%1 kits written in %2.").arg(icons).arg(folders.first());
        return {note, folders.first()};
    }
    if (folders.size() > 1)
        note = tr("%1 icons written beside their pictures.").arg(icons);
    else if (icons == 1)
        note = tr("1 icon written in %1.").arg(folders.first());
    else
        note = tr("%1 icons written in %2.").arg(icons).arg(folders.first());
    return {note, folders.first()};
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

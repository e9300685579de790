#include "Texts.h"

#include "ConsoleDisplay.h"
#include "core/FailureText.h"

namespace {
constexpr int ListedFailures = 10;

// A path or reason as a terminal may show it.
QString shownReason(const FileResult &result)
{
    return printable(failureText(result.failure));
}
} // namespace

QString TerminalTexts::refusal(BatchObserver::Refusal why)
{
    switch (why) {
    case BatchObserver::Refusal::NoFiles:
        return tr("No files added.");
    case BatchObserver::Refusal::NoFolder:
        return tr("Folder does not exist. Please select another folder.");
    case BatchObserver::Refusal::BadSize:
        break;
    }
    return tr("Size not accepted. An icon's pictures are 1 to 256 pixels: type a number from 1 "
              "to 256 (48), a list of them (16,32,48,256), or a size ImageMagick understands "
              "that fits in 256 (128x64, 50%).");
}

QString TerminalTexts::failedFile(const FileResult &result)
{
    return tr("%1: %2").arg(printable(result.source), shownReason(result));
}

QString TerminalTexts::summary(const BatchSummary &summary)
{
    const QList<FileResult> failed = summary.failed();
    QString text;
    if (summary.stopped) {
        const qsizetype converted = summary.results.size() - failed.size();
        text = tr("Stopped.\n\n%1 of %2 files were converted before the stop")
                   .arg(converted)
                   .arg(summary.total);
        if (failed.isEmpty())
            return text + tr(".");
        text += tr(". Not converted:");
    } else {
        text = tr("Done.");
        if (failed.isEmpty())
            return text;
        text +=
            tr("\n\n%1 of %2 files could not be converted:").arg(failed.size()).arg(summary.total);
    }
    for (qsizetype i = 0; i < failed.size() && i < ListedFailures; ++i) {
        const FileResult &result = failed.at(i);
        const QString why = shownReason(result);
        text +=
            QLatin1Char('\n') + (why.isEmpty() ? printable(result.source)
                                               : tr("%1 (%2)").arg(printable(result.source), why));
    }
    if (failed.size() > ListedFailures)
        text += tr("\n... and %1 more.").arg(failed.size() - ListedFailures);
    return text;
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

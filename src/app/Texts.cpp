#include "Texts.h"

#include "core/FailureText.h"

#include <QStringList>

namespace {
constexpr int ListedFailures = 10;
} // namespace

QString WindowTexts::refusal(BatchObserver::Refusal why)
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

QString WindowTexts::reason(const FileResult &result)
{
    return failureText(result.failure);
}

QString WindowTexts::failureLine(const FileResult &result)
{
    const QString why = reason(result);
    return why.isEmpty() ? result.source : tr("%1 (%2)").arg(result.source, why);
}

QString WindowTexts::summary(const BatchSummary &summary)
{
    const QList<FileResult> failed = summary.failed();
    QString text;
    if (summary.stopped) {
        const qsizetype converted = summary.results.size() - failed.size();
        text = tr("Stopped.\r\n\r\n%1 of %2 files were converted before the stop")
                   .arg(converted)
                   .arg(summary.total);
        if (failed.isEmpty())
            return text + tr(".");
        text += tr(". Not converted:");
    } else {
        text = tr("Done.");
        if (failed.isEmpty())
            return text;
        text += tr("\r\n\r\n%1 of %2 files could not be converted:")
                    .arg(failed.size())
                    .arg(summary.total);
    }
    for (qsizetype i = 0; i < failed.size() && i < ListedFailures; ++i)
        text += QStringLiteral("\r\n") + failureLine(failed.at(i));
    if (failed.size() > ListedFailures)
        text += tr("\r\n... and %1 more.").arg(failed.size() - ListedFailures);
    return text;
}

QString WindowTexts::failureDetails(const BatchSummary &summary)
{
    const QList<FileResult> failed = summary.failed();
    if (failed.size() <= ListedFailures)
        return {};
    QStringList lines;
    for (const FileResult &result : failed)
        lines << failureLine(result);
    return lines.join(QStringLiteral("\r\n"));
}

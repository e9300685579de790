#include "FailureText.h"

#include <QCoreApplication>

namespace {
QString reasonText(const Failure &failure)
{
    using Reason = Failure::Reason;
    const auto tr = [](const char *text) { return QCoreApplication::translate("Failure", text); };
    switch (failure.reason) {
    case Reason::None:
        return {};
    case Reason::NotAPicture:
        return tr("not a picture that can be read");
    case Reason::SizeNotAccepted:
        return tr("size not accepted");
    case Reason::CannotWriteFolder:
        return tr("cannot write in the destination folder");
    case Reason::FolderMissing:
        return tr("the destination folder does not exist");
    case Reason::DiskFull:
        return tr("the destination disk is full");
    case Reason::IconNameTaken:
        return tr("the icon's name is taken by something that is not a file");
    case Reason::ConverterNotStarted:
        return tr("the converter could not be started");
    case Reason::ConverterStopped:
        return tr("the converter stopped unexpectedly");
    case Reason::TookTooLong:
        return tr("the converter took too long and was stopped");
    case Reason::BatchStopped:
        return tr("stopped before it was converted");
    case Reason::NoValidIcon:
        return tr("the converter made no valid icon");
    case Reason::SameFile:
        return tr("same file as its source");
    case Reason::SourceMissing:
        return tr("file not found");
    case Reason::SourceNotAFile:
        return tr("not a regular file");
    case Reason::SourceUnreadable:
        return tr("the file cannot be read");
    case Reason::NoDestination:
        return tr("no destination chosen");
    case Reason::WriteFailed:
        return tr("the icon could not be written");
    case Reason::PictureTooLarge:
        return tr("picture too large");
    case Reason::NoSpaceForConverter:
        return tr("no space left for the converter's files in %1").arg(failure.detail);
    case Reason::ConverterSaid:
        return tr("ImageMagick: %1").arg(failure.detail);
    case Reason::ReplacedBy:
        return tr("replaced by the icon of %1").arg(failure.detail);
    case Reason::LinkNotFollowed:
        return tr("%1 is a link owned by another user in a shared folder; not followed")
            .arg(failure.detail);
    case Reason::IconReadOnly:
        return tr("%1 is read-only").arg(failure.detail);
    case Reason::MovedDuringBatch:
        return tr("moved during the batch");
    case Reason::LinkTargetLocked:
        return tr("the icon is a link to %1, which you may not change").arg(failure.detail);
    case Reason::IconNameTooLong:
        return tr("the icon's name is too long for the file system");
    case Reason::KitFolderTaken:
        return tr("%1 is not a folder, so the kit cannot be put there").arg(failure.detail);
    case Reason::TooWideToConvert:
        return tr("too large to convert: %1 × %2 pixels (at most %3 a side)")
            .arg(failure.size.width())
            .arg(failure.size.height())
            .arg(failure.limit);
    case Reason::TooManyPixels:
        return tr("too large to convert: %1 × %2 pixels (at most %3 million pixels)")
            .arg(failure.size.width())
            .arg(failure.size.height())
            .arg(failure.limit / 1'000'000);
    }
    return {};
}
} // namespace

QString failureText(const Failure &failure)
{
    QString text = reasonText(failure);
    for (const QString &picture : failure.pictures)
        text = QCoreApplication::translate("Failure", "%1: %2").arg(picture, text);
    if (!failure.partOf.isEmpty())
        text = QCoreApplication::translate("Failure", "part of %1, which could not be made: %2")
                   .arg(failure.partOf, text);
    return text;
}

QString refusalText(BatchRefusal why)
{
    const auto tr = [](const char *text) { return QCoreApplication::translate("Batch", text); };
    switch (why) {
    case BatchRefusal::NoFiles:
        return tr("No files added.");
    case BatchRefusal::NoFolder:
        return tr("Folder does not exist. Please select another folder.");
    case BatchRefusal::BadColour:
        return tr("Kit background not accepted: type a colour's name (white, navy) or "
                  "#rrggbb.");
    case BatchRefusal::BadSize:
        break;
    }
    return tr("Size not accepted. An icon's pictures are 1 to 256 pixels: type a number from 1 "
              "to 256 (48), a list of them (16,32,48,256), a set's name (windows, "
              "windows-small, favicon), a kit's (kit, web, mac, linux, android, ios), or a size "
              "ImageMagick understands that fits in 256 "
              "(128x64, 50%).");
}

QString summaryText(bool stopped, qsizetype converted, qsizetype total,
                    const QStringList &failedLines, const QString &lineBreak)
{
    const auto tr = [](const char *text) { return QCoreApplication::translate("Batch", text); };
    const qsizetype failed = failedLines.size();
    QString text;
    if (stopped) {
        text = tr("Stopped.") + lineBreak + lineBreak +
               tr("%1 of %2 files were converted before the stop").arg(converted).arg(total);
        if (failed == 0)
            return text + tr(".");
        text += tr(". Not converted:");
    } else {
        text = tr("Done.");
        if (failed == 0)
            return text;
        text += lineBreak + lineBreak +
                tr("%1 of %2 files could not be converted:").arg(failed).arg(total);
    }
    for (qsizetype i = 0; i < failed && i < ListedFailures; ++i)
        text += lineBreak + failedLines.at(i);
    if (failed > ListedFailures)
        text += lineBreak + tr("... and %1 more.").arg(failed - ListedFailures);
    return text;
}

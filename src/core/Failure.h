// Why a file was not converted, as the engine knows it: a reason and the facts that
// go with it. Each client phrases it for its own readers.
#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

// Why a batch does not start at all.
enum class BatchRefusal
{
    NoFiles,
    NoFolder,
    BadSize,  // no icon entry can have it
    BadColour // a kit's background that is no colour
};

struct Failure
{
    enum class Reason
    {
        None, // converted
        NotAPicture,
        SizeNotAccepted,
        CannotWriteFolder,
        FolderMissing,
        DiskFull,
        IconNameTaken,
        ConverterNotStarted,
        ConverterStopped,
        TookTooLong,
        BatchStopped,
        NoValidIcon,
        SameFile,
        SourceMissing,
        SourceNotAFile,
        SourceUnreadable,
        NoDestination,
        WriteFailed,
        PictureTooLarge,
        NoSpaceForConverter, // detail: the folder the converter's files are in
        ConverterSaid,       // detail: ImageMagick's own words
        ReplacedBy,          // detail: the source whose icon took this one's place
        LinkNotFollowed,     // detail: the icon's file name
        IconReadOnly,        // detail: the icon's file name
        MovedDuringBatch,    // onto a row the batch had passed
        LinkTargetLocked,    // detail: where the icon's link leads
        IconNameTooLong,
        TooWideToConvert, // size; limit: the most pixels a side
        TooManyPixels,    // size; limit: the most pixels
        KitFolderTaken,   // detail: the kit folder's name, held by something else
    };

    Failure(Reason why = Reason::None, QString detail = {}, QStringList pictures = {})
        : reason(why), detail(std::move(detail)), pictures(std::move(pictures))
    {
    }

    Reason reason = Reason::None;
    QString detail;
    // The designer's per-size pictures (file names) the reason is about, innermost
    // first; empty when it is about the file itself.
    QStringList pictures;
    // The icon this picture was to be part of, when the failure is that icon's.
    QString partOf;
    QSize size = {};  // the picture's, as its header declares it
    qint64 limit = 0; // the converter's, that the size passes

    bool isNone() const { return reason == Reason::None; }
    // The same reason, said of the designer's picture `fileName`.
    Failure about(const QString &fileName) const
    {
        Failure failure = *this;
        failure.pictures << fileName;
        return failure;
    }
    // The failure of `base`'s icon `iconName`, said of one of its designer's pictures.
    Failure partOfIcon(const QString &iconName, const QString &base) const
    {
        Failure failure = about(base);
        failure.partOf = iconName;
        return failure;
    }
    friend bool operator==(const Failure &, const Failure &) = default;
};

#include "FailureReason.h"

#include <QRegularExpression>

namespace FailureReason {

Failure fromConverterOutput(const QByteArray &errorOutput, const QString &stagingFolder)
{
    using Reason = Failure::Reason;
    // "prog: message `name' @ error/file.c/Function/line." -- the first such line.
    QString line = QString::fromUtf8(errorOutput).section(QLatin1Char('\n'), 0, 0).trimmed();
    const qsizetype colon = line.indexOf(QLatin1String(": "));
    if (colon >= 0)
        line = line.mid(colon + 2);
    const qsizetype at = line.lastIndexOf(QLatin1String(" @ "));
    if (at >= 0)
        line = line.left(at);
    const QString lower = line.toLower();
    const QString all = QString::fromUtf8(errorOutput).toLower();
    // The converter reads and writes only in our work folder: a write it could not
    // make means that folder's disk is full.
    if (all.contains(QLatin1String("no space left")) ||
        lower.contains(QLatin1String("unable to write")))
        return {Reason::NoSpaceForConverter, stagingFolder, {}};
    // The drawing program ran out of the memory it is given: cairo, Rust and GLib say so.
    for (const char *words : {"no memory", "memory allocation of", "failed to allocate"}) {
        if (all.contains(QLatin1String(words)))
            return {Reason::PictureTooLarge, {}, {}};
    }
    // A picture beyond the converter's limits that its header did not show.
    if (lower.contains(QLatin1String("cache resources exhausted")) ||
        (lower.contains(QLatin1String("exceeds limit")) && lower.contains(QLatin1String("`in-"))))
        return {Reason::PictureTooLarge, {}, {}};
    if (lower.contains(QLatin1String("-resize")) || lower.contains(QLatin1String("geometry")) ||
        lower.contains(QLatin1String("exceeds limit")))
        return {Reason::SizeNotAccepted, {}, {}};
    // Every other complaint about the plain input name is about the picture, and so is
    // one about a drawing the drawing program never made of it, or about a picture
    // that gave nothing to make entries of (a truncated one).
    if (lower.contains(QLatin1String("`in-")) || lower.contains(QLatin1String("delegate")) ||
        lower.contains(QLatin1String("image sequence is required")) ||
        lower.contains(QLatin1String("image header")) || lower.contains(QLatin1String("corrupt")) ||
        lower.contains(QLatin1String("no images defined")) || all.contains(QLatin1String("`tmp-")))
        return {Reason::NotAPicture, {}, {}};
    // Our work folder's names mean nothing to the user.
    static const QRegularExpression internalName(QStringLiteral(" ?`(in|out|tmp)-[0-9]+[^']*'"));
    line.remove(internalName);
    if (line.isEmpty())
        return {Reason::NoValidIcon, {}, {}};
    return {Reason::ConverterSaid, line, {}};
}

bool isAbout(const QByteArray &errorOutput, const QString &inputName)
{
    return errorOutput.contains('`' + inputName.toUtf8() + '\'');
}

Failure forSource(SafeFile::Outcome outcome)
{
    using Reason = Failure::Reason;
    switch (outcome) {
    case SafeFile::Outcome::Done:
        return {};
    case SafeFile::Outcome::Missing:
        return {Reason::SourceMissing, {}, {}};
    case SafeFile::Outcome::NotRegular:
        return {Reason::SourceNotAFile, {}, {}};
    default:
        return {Reason::SourceUnreadable, {}, {}};
    }
}

Failure forReplacing(SafeFile::Outcome outcome, const QString &iconName, const QString &linkedTo)
{
    using Reason = Failure::Reason;
    // Through a link, what is refused is the link's end, not the destination folder.
    const bool refused =
        outcome == SafeFile::Outcome::NoAccess || outcome == SafeFile::Outcome::ReadOnly;
    if (refused && !linkedTo.isEmpty())
        return {Reason::LinkTargetLocked, linkedTo, {}};
    switch (outcome) {
    case SafeFile::Outcome::Done:
        return {};
    case SafeFile::Outcome::Missing:
        return {Reason::FolderMissing, {}, {}};
    case SafeFile::Outcome::NotRegular:
        return {Reason::IconNameTaken, {}, {}};
    case SafeFile::Outcome::NoAccess:
        return {Reason::CannotWriteFolder, {}, {}};
    case SafeFile::Outcome::DiskFull:
        return {Reason::DiskFull, {}, {}};
    case SafeFile::Outcome::LinkNotFollowed:
        return {Reason::LinkNotFollowed, iconName, {}};
    case SafeFile::Outcome::ReadOnly:
        return {Reason::IconReadOnly, iconName, {}};
    case SafeFile::Outcome::NameTooLong:
        return {Reason::IconNameTooLong, {}, {}};
    case SafeFile::Outcome::Failed:
        break;
    }
    return {Reason::WriteFailed, {}, {}};
}

} // namespace FailureReason

// The short reason shown after each path in the batch's failure summary.
#pragma once

#include "platform/SafeFile.h"

#include <QByteArray>
#include <QString>

namespace FailureReason {
inline constexpr char NotAPicture[] = "not a picture that can be read";
inline constexpr char SizeNotAccepted[] = "size not accepted";
inline constexpr char CannotWriteFolder[] = "cannot write in the destination folder";
inline constexpr char FolderMissing[] = "the destination folder does not exist";
inline constexpr char DiskFull[] = "the destination disk is full";
inline constexpr char IconNameTaken[] = "the icon's name is taken by something that is not a file";
inline constexpr char ConverterNotStarted[] = "the converter could not be started";
inline constexpr char ConverterStopped[] = "the converter stopped unexpectedly";
inline constexpr char TookTooLong[] = "the converter took too long and was stopped";
inline constexpr char BatchStopped[] = "stopped before it was converted";
inline constexpr char NoValidIcon[] = "the converter made no valid icon";
inline constexpr char SameFile[] = "same file as its source";
inline constexpr char SourceMissing[] = "file not found";
inline constexpr char SourceNotAFile[] = "not a regular file";
inline constexpr char SourceUnreadable[] = "the file cannot be read";
inline constexpr char NoDestination[] = "no destination chosen";
inline constexpr char WriteFailed[] = "the icon could not be written";
inline constexpr char PictureTooLarge[] = "picture too large";

// Why the converter failed, from its error output: one of the reasons above where
// its message says so, else ImageMagick's own words.
// `stagingFolder` holds the converter's own files.
QString fromConverterOutput(const QByteArray &errorOutput, const QString &stagingFolder);
// Why a row fails when the designer's picture `fileName` for one of its sizes cannot
// be used: that file and its own reason.
QString forPerSizePicture(const QString &fileName, const QString &reason);
// Whether the converter's error output is about the picture it read as `inputName`.
bool isAbout(const QByteArray &errorOutput, const QString &inputName);
// Why the source cannot be converted, or empty when it can be read.
QString forSource(SafeFile::Outcome outcome);
// Why the icon could not be put in place, or empty when it was.
QString forReplacing(SafeFile::Outcome outcome);
} // namespace FailureReason

// The staged converter: written whole, run only when it is ours alone, removed
// only when it is ours.
#pragma once

#include "FileOutcome.h"
#include "Result.h"

#include <QByteArray>
#include <QString>

namespace SafeFile {

// Writes the file unless one is already there; it appears whole or not at all,
// so another instance never starts a half-written converter. Throws AppError.
void stageFileIfMissing(const QString &path, const QByteArray &bytes);
// A regular file, not a link, ours, closed to writing by group and others.
bool isPrivateExecutable(const QString &path);
// Deletes the file only when it is a regular file that belongs to this user.
Status deleteOwnFile(const QString &path);

Status makeHardLink(const QString &existing, const QString &newPath);

// The start of the name a converter copy has while it is written.
inline constexpr char StagingPrefix[] = ".emfconvert-";

} // namespace SafeFile

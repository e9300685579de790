// The folders the program works in: the staging folder, its own folder, the desktop.
#pragma once

#include "AppError.h"
#include "Result.h"

#include <QChar>
#include <QString>

namespace FileSystem {

// `TEMP` when set, else `XDG_RUNTIME_DIR`, else a folder private to this user
// (created 0700) in `TMPDIR` or /tmp; always an absolute path. A folder that is
// missing, not a folder or not writable is passed over (said once on standard
// error), and so is one whose path ImageMagick would read otherwise than it
// stands, or where no program may run. A private folder's name taken by anything
// else is left alone for a fresh private folder beside it. Throws AppError when
// even /tmp holds none. FindOnly makes and says nothing: the folder a run would
// use when it exists already, else empty.
enum class StagingLookup
{
    Make,
    FindOnly
};
QString stagingFolder(StagingLookup lookup = StagingLookup::Make);
// With HOME unset or empty: HOME becomes the user's home from the password
// database, else the current folder, never the root folder (said once).
void settleHomeFolder();
// The home that rule picks; empty when neither will do.
QString homeFolderFor(const QString &passwordHome, const QString &current);
// False where the file system runs no program (mounted noexec).
bool mayRunProgramsIn(const QString &folder);

QString applicationFolder();
// The desktop folder followed by a separator, or the home folder where there is
// no desktop folder; a run-time error when neither is known.
Result<QString, AppError> findDesktopFolder();
// The same for a handler's trap: throws what findDesktopFolder() fails with.
QString desktopFolderPath();
QChar nativeSeparator();

} // namespace FileSystem

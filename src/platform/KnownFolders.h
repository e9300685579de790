// The folders the program works in: the staging folder, its own folder, the desktop.
#pragma once

#include <QChar>
#include <QString>

namespace FileSystem {

// `TEMP` when set, else `XDG_RUNTIME_DIR`, else a folder private to this user
// (created 0700); always an absolute path. A folder whose path ImageMagick would
// read otherwise than it stands, or where no program may run, is passed over.
// Throws AppError when the private folder exists but is not ours alone.
QString stagingFolder();
// False where the file system runs no program (mounted noexec).
bool mayRunProgramsIn(const QString &folder);

QString applicationFolder();
// The desktop folder followed by a separator, or the home folder where there is
// no desktop folder; throws AppError when neither is known.
QString desktopFolderPath();
QChar nativeSeparator();

} // namespace FileSystem

// What a source is before a converter may read it.
#pragma once

#include "FileOutcome.h"
#include "Result.h"

#include <QByteArray>
#include <QString>

namespace SafeFile {

// What stands at a path once links are followed.
Outcome checkReadableFile(const QString &path);
// Device and inode of an existing file.
Result<QString> identityOf(const QString &path);

bool exists(const QString &path);
// The whole regular file, when it is no larger than `limit` (EFBIG otherwise).
Result<QByteArray> readFile(const QString &path, qint64 limit);

} // namespace SafeFile

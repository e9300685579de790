// What a source is before a converter may read it.
#pragma once

#include "FileOutcome.h"

#include <QByteArray>
#include <QString>

namespace SafeFile {

// What stands at a path once links are followed.
Outcome checkReadableFile(const QString &path);
// Device and inode of an existing file, empty when it cannot be read.
QString identityOf(const QString &path);

bool exists(const QString &path);
// The whole file, or empty when it cannot be read or is larger than `limit`.
QByteArray readFile(const QString &path, qint64 limit);

} // namespace SafeFile

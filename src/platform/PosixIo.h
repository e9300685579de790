// Small system-call helpers shared by the file code of this layer.
#pragma once

#include "Result.h"
#include "UniqueFd.h"

#include <QByteArray>
#include <QString>
#include <sys/types.h>

struct stat;

namespace PosixIo {

// A path as the system takes it.
QByteArray encoded(const QString &path);
// The folder part of a path ("." for a bare name).
QByteArray folderOf(const QByteArray &path);
QByteArray randomSuffix();
// Writes all of `bytes` at `offset`; a write that makes no progress is a full disk.
Status writeAll(int fd, const QByteArray &bytes, off_t offset);
// A new file with a random hidden name in the folder, opened for writing.
Result<UniqueFd> createHidden(const QByteArray &folder, const char *stem, mode_t mode,
                              QByteArray *name);
// The same in the folder open as `folder`; `name` is the bare name.
Result<UniqueFd> createHiddenAt(int folder, const char *stem, mode_t mode, QByteArray *name);
// The Windows-style attribute value of an entry named `name`, from what lstat
// (`link`) and stat (`target`) said of it.
int attributeValue(const struct stat &link, const struct stat &target, const char *name);

} // namespace PosixIo

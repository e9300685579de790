// Small system-call helpers shared by the file code of this layer.
#pragma once

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
// Writes all of `bytes` at `offset`; false with the error number in `err`.
bool writeAll(int fd, const QByteArray &bytes, off_t offset, int *err);
// A new file with a random hidden name in the folder, opened for writing.
int createHidden(const QByteArray &folder, const char *stem, mode_t mode, QByteArray *name);
// The same in the folder open as `folder`; `name` is the bare name.
int createHiddenAt(int folder, const char *stem, mode_t mode, QByteArray *name);
// The Windows-style attribute value of an entry named `name`, from what lstat
// (`link`) and stat (`target`) said of it.
int attributeValue(const struct stat &link, const struct stat &target, const char *name);

} // namespace PosixIo

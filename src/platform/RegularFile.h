// Opening a listed file for reading only when it is a regular file: a FIFO would
// block the reader forever and opening a device can have effects of its own.
#pragma once

#include <QFile>
#include <QString>
#include <memory>

namespace FileSystem {

// The file (after links) opened read-only, or null when the path does not name a
// regular file we may read. FIFOs, sockets and devices are never opened.
std::unique_ptr<QFile> openRegularFile(const QString &path);

} // namespace FileSystem

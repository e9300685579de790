// Windows-style attributes of a path, and the limits of its length.
#pragma once

#include <QString>

namespace FileSystem {

// Windows-style attribute bits, derived from lstat/stat and the mount table.
namespace Attr {
inline constexpr int ReadOnly = 1;
inline constexpr int Hidden = 2;
inline constexpr int System = 4;
inline constexpr int Directory = 16;
inline constexpr int Archive = 32;
inline constexpr int ReparsePoint = 1024;
} // namespace Attr

// The attribute value of a path, or -1 when it cannot be read.
int attributes(const QString &path);
bool isVolumeRoot(const QString &path);
// The hidden bit of a file's attribute value, without reading more than its name.
bool isHiddenFile(const QString &path);

// True when a path or name is shorter than the system's limit (PATH_MAX bytes
// as the file system stores it).
bool fitsPathLimit(const QString &path);
bool fitsPathLimit(qsizetype encodedBytes);
// A name's or path's length as the file system stores it.
qsizetype encodedSize(const QString &path);

// True when the path's modification time can be read.
bool pathExists(const QString &path);

} // namespace FileSystem

// Replacing an icon so that it is never seen half-written.
#pragma once

#include "FileOutcome.h"

#include <QByteArray>
#include <QString>

namespace SafeFile {

// Where a write to `path` lands: the end of any chain of links, also when that
// end does not exist yet (a dangling link). `outcome` is Done, NotRegular (something
// other than a file stands there), ReadOnly (a file its owner may not write),
// LinkNotFollowed (another user's link in a shared folder) or the error met on the way.
struct Target
{
    QString path;
    bool exists = false;
    Outcome outcome = Outcome::Done;
};
Target resolveTarget(const QString &path);

// Puts `bytes` where `icon` leads, found anew as resolveTarget() finds it and
// refused for the same reasons: written to a new hidden file beside it (the old
// file's permissions, owner and group), flushed to disk and renamed over it, so the
// old file stays whole until that instant. Written in place instead, with its space
// reserved first, when the folder refuses new files or the file has several links.
// `readyFile`, a file of ours holding exactly `bytes`, may be moved in as the new
// file instead of writing one; it is gone afterwards when it was.
Outcome replaceFile(const QString &icon, const QByteArray &bytes,
                    const QString &readyFile = QString());
// For a program about to end at once, from another thread: waits for the replaces
// under way and holds back any that would begin, so that the end leaves no icon
// half-written and no hidden file behind.
void finishReplacesBeforeExit();

} // namespace SafeFile

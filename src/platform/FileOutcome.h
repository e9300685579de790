// What a file operation of this layer came to, and what an error number means.
#pragma once

namespace SafeFile {

enum class Outcome
{
    Done,
    Missing,    // the path (or its folder) does not exist
    NotRegular, // a folder, FIFO, device or socket
    NoAccess,   // refused: permission or a read-only file system
    DiskFull,
    LinkNotFollowed, // another user's link in a shared folder
    ReadOnly,        // a file its owner may not write
    NameTooLong,     // for the file system
    Failed           // anything else
};

// What a failed system call's error number means here.
Outcome outcomeFor(int err);
// The error number a report shows for it: PermissionDenied, PathNotFound or
// PathFileAccess.
int errorNumberFor(int err);
// True when the system refused for lack of permission (not for a read-only
// file system).
bool isRefusal(int err);

} // namespace SafeFile

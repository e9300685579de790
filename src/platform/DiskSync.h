// Every flush to disk of the icon writes goes through here, so that a test can see
// which files and folders were made durable.
#pragma once

namespace SafeFile {

// fsync(), told to the observer first.
int syncToDisk(int fd);
using SyncObserver = void (*)(int fd);
// Only for tests; none by default.
void setSyncObserver(SyncObserver observer);

} // namespace SafeFile

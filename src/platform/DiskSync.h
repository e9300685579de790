// Every flush to disk of the icon writes goes through here, so that a test can see
// which files and folders were made durable.
#pragma once

#include "Result.h"

namespace SafeFile {

// fsync(), told to the observer first.
Status syncToDisk(int fd);
using SyncObserver = void (*)(int fd);
// Only for tests; none by default.
void setSyncObserver(SyncObserver observer);

} // namespace SafeFile

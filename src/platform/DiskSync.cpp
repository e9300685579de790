#include "DiskSync.h"

#include <atomic>
#include <unistd.h>

namespace SafeFile {

namespace {
std::atomic<SyncObserver> observer{nullptr};
} // namespace

int syncToDisk(int fd)
{
    if (const SyncObserver told = observer.load())
        told(fd);
    return fsync(fd);
}

void setSyncObserver(SyncObserver newObserver)
{
    observer.store(newObserver);
}

} // namespace SafeFile

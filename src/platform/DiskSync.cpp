#include "DiskSync.h"

#include <atomic>
#include <unistd.h>

namespace SafeFile {

namespace {
std::atomic<SyncObserver> observer{nullptr};
} // namespace

Status syncToDisk(int fd)
{
    if (const SyncObserver told = observer.load())
        told(fd);
    if (fsync(fd) != 0)
        return lastSysError();
    return {};
}

void setSyncObserver(SyncObserver newObserver)
{
    observer.store(newObserver);
}

} // namespace SafeFile

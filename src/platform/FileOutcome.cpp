#include "FileOutcome.h"

#include <cerrno>

namespace SafeFile {

Outcome outcomeFor(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return Outcome::Missing;
    case EACCES:
    case EPERM:
    case EROFS:
        return Outcome::NoAccess;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return Outcome::DiskFull;
    default:
        return Outcome::Failed;
    }
}

} // namespace SafeFile

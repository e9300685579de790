#include "FileOutcome.h"

#include "AppError.h"

#include <cerrno>

namespace SafeFile {
namespace {

// What each error number means, both as an outcome of this layer and as the
// number a report shows; numbers not listed are Failed and PathFileAccess.
struct Meaning
{
    int err;
    Outcome outcome;
    int number;
};
constexpr Meaning Meanings[] = {
    {ENOENT, Outcome::Missing, ErrorNumber::PathNotFound},
    {ENOTDIR, Outcome::Missing, ErrorNumber::PathNotFound},
    {EACCES, Outcome::NoAccess, ErrorNumber::PermissionDenied},
    {EPERM, Outcome::NoAccess, ErrorNumber::PermissionDenied},
    {EROFS, Outcome::NoAccess, ErrorNumber::PathFileAccess},
    {ENOSPC, Outcome::DiskFull, ErrorNumber::PathFileAccess},
    {EDQUOT, Outcome::DiskFull, ErrorNumber::PathFileAccess},
    {EFBIG, Outcome::DiskFull, ErrorNumber::PathFileAccess},
    {ENAMETOOLONG, Outcome::NameTooLong, ErrorNumber::PathFileAccess},
};
constexpr Meaning Otherwise{0, Outcome::Failed, ErrorNumber::PathFileAccess};

const Meaning &meaningOf(int err)
{
    for (const Meaning &meaning : Meanings) {
        if (meaning.err == err)
            return meaning;
    }
    return Otherwise;
}

} // namespace

Outcome outcomeFor(int err)
{
    return meaningOf(err).outcome;
}

int errorNumberFor(int err)
{
    return meaningOf(err).number;
}

bool isRefusal(int err)
{
    return meaningOf(err).number == ErrorNumber::PermissionDenied;
}

} // namespace SafeFile

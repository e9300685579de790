#include "ProcessLimits.h"

#include <sys/resource.h>

namespace ProcessLimits {

std::optional<quint64> addressSpaceCeiling()
{
    struct rlimit limit;
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_max == RLIM_INFINITY)
        return std::nullopt;
    return quint64(limit.rlim_max);
}

} // namespace ProcessLimits

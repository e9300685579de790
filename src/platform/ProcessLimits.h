// The limits this process runs under, which every child inherits.
#pragma once

#include <QtGlobal>
#include <optional>

namespace ProcessLimits {

// The most address space a child of ours can be given (the hard limit); nothing
// when there is no limit.
std::optional<quint64> addressSpaceCeiling();

} // namespace ProcessLimits

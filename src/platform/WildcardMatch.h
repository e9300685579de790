// Matching names against "*" and "?" patterns, case-blind, as a folder search does.
#pragma once

#include <QString>

namespace FileSystem {

bool wildcardMatch(const QString &pattern, const QString &name);

} // namespace FileSystem

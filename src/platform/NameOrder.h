// The order listings come in.
#pragma once

#include <QStringView>

namespace FileSystem {

// The order a file manager shows: case-blind, runs of digits compared as
// numbers (p1, p3, p10), the same whatever the locale. Listings come in it.
bool comesBefore(QStringView a, QStringView b);

} // namespace FileSystem

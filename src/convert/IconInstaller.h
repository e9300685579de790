// The end of one conversion: the converter's output is checked and, only when it is
// a good icon, put in place of what was there.
#pragma once

#include "ConverterRunner.h"
#include "IconSize.h"
#include "core/Failure.h"
#include "core/IcoFile.h"

#include <QString>

namespace SafeFile {
class WorkSlot;
}

// Why the icon was not put at `iconName`, its links followed as it is written; none
// when it was. The converter's own files were in `stagingFolder`.
Failure installIcon(const ChildEnd &end, const SafeFile::WorkSlot &slot, const QString &iconName,
                    const IconSize &size, IcoFile::Packing packing, const QString &stagingFolder);

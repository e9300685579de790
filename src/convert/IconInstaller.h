// The end of one conversion: the converter's output is checked and, only when it is
// a good icon, put in place of what was there.
#pragma once

#include "ConverterRunner.h"
#include "IconSize.h"
#include "core/Failure.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace SafeFile {
class WorkSlot;
}

// What the converter left in `slot`: an icon of the standard shape holding the sizes
// asked for, or why there is none. The converter's own files were in `stagingFolder`.
struct CheckedIcon
{
    Failure failure; // none when `bytes` is the icon
    QByteArray bytes;
    QString readyFile; // the slot's output when it holds `bytes` already, to be moved in
};
// Why a child's end gave nothing to use; none when it exited well.
Failure converterEndFailure(const ChildEnd &end, const QString &stagingFolder);
CheckedIcon checkIcon(const ChildEnd &end, const SafeFile::WorkSlot &slot, const IconSize &size,
                      const QString &stagingFolder);

// A checked icon made compact and checked again; nothing when that fails. Any thread.
std::optional<QByteArray> compactChecked(const QByteArray &icon, const QList<int> &sizes);

// Why `bytes` were not put at `iconName`, its links followed as it is written; none
// when they were.
Failure placeIcon(const QString &iconName, const QByteArray &bytes, const QString &readyFile);

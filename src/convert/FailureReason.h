// What the engine makes of a failure it meets: the converter's error output, a
// source that cannot be read, an icon that cannot be put in place.
#pragma once

#include "core/Failure.h"
#include "platform/SafeFile.h"

#include <QByteArray>
#include <QString>

namespace FailureReason {
// Why the converter failed, from its error output: a known reason where its message
// says so, else ImageMagick's own words. `stagingFolder` holds the converter's files.
Failure fromConverterOutput(const QByteArray &errorOutput, const QString &stagingFolder);
// Whether the converter's error output is about the picture it read as `inputName`.
bool isAbout(const QByteArray &errorOutput, const QString &inputName);
// Why the source cannot be converted; none when it can be read.
Failure forSource(SafeFile::Outcome outcome);
// Why the icon named `iconName` (a file name) could not be put in place; none when
// it was. `linkedTo`: where the icon's name leads, when it is a link.
Failure forReplacing(SafeFile::Outcome outcome, const QString &iconName,
                     const QString &linkedTo = {});
} // namespace FailureReason

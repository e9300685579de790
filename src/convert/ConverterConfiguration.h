// The converter's own configuration, kept in a batch's private work folder: a
// delegate that draws SVG with librsvg at the size asked for, whichever ImageMagick
// set-up is installed (its internal renderer draws strokes and paths wrong, and the
// stock delegate draws only at the picture's own size).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace SafeFile {
class WorkFolder;
}

// ImageMagick's "delegates.xml" for the drawing program at `rsvgConvert`.
QByteArray converterDelegates(const QString &rsvgConvert);
// The librsvg drawing program: the system's own, else the first on PATH.
QString rsvgConvertPath();
// How many conversions run at once: QUORBEL_JOBS when set, else one per core.
int converterJobCount();
// The children's environment for a batch of `jobs` children at once, with the
// configuration written into `work` when there is one.
QStringList converterEnvironment(const SafeFile::WorkFolder *work, int jobs);

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

// ImageMagick's "delegates.xml" for the drawing program at `rsvgConvert`, run under
// `memoryLimiter` (a command that ends in "--") when there is one.
QByteArray converterDelegates(const QString &rsvgConvert, const QString &memoryLimiter = {});
// The librsvg drawing program: the system's own, else the first on PATH.
QString rsvgConvertPath();
// The command that keeps the drawing program within its memory; empty where there is
// none, or where we already run under a tighter limit that the program inherits.
QString drawingMemoryLimiter();
// The converter's settings that keep a job's own files (ImageMagick's copies of its
// pictures for the drawing program, its pixel caches) in the job's folder `folderName`:
// a picture the drawing program draws may then read no other job's files.
QStringList converterJobFolder(const QString &folderName);
// The children's environment for a batch of `jobs` children at once, with the
// configuration written into `work` when there is one.
QStringList converterEnvironment(const SafeFile::WorkFolder *work, int jobs);

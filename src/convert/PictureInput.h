// A picture the converter reads, and which of its readers reads it: decided from the
// picture's content and named on the command line, so no file's name or text makes
// the converter draw a picture of its own, run a drawing script or read a page
// description, whatever its policy allows. Only TGA, which has no signature, is
// known by its name.
#pragma once

#include "core/Failure.h"

#include <QSize>
#include <QString>
#include <QStringList>

// What the converter reads at most: its policy's width and height limit, and its
// area limit (128 MP, also what its 1 GiB disk cache holds at 8 bytes a pixel).
inline constexpr int MostPixelsASide = 16000;
inline constexpr qint64 MostPixels = 128'000'000;
// The converter's settings that hold it to the side limit also where its policy
// would allow more, so a picture whose header we could not read meets the same.
QStringList converterSizeLimits();

// One picture the converter reads, through a plain name in its work folder.
struct PictureInput
{
    QString path; // where the picture really is
    QString name;
    QString reader; // the converter's reader for it ("png"), put before the name
    QSize size;     // invalid when its header could not be read
    bool vector = false;
    double storedGamma = 0; // to undo on reading; see storedGammaToUndo()
    Failure fault = {};     // why the converter must not be given it; none when it may
    int frame = 0; // the one picture read of several: an animation's first, an icon's largest
};

// `inputName` for the picture at `path`, its format and size read from its header.
// An SVG picture, whatever its name, is read by us and drawn only by our bounded
// delegate.
PictureInput pictureInput(const QString &path, const QString &inputName);

// Why a raster picture of `size` is beyond the converter; none when it is not.
Failure sizeFault(QSize size);

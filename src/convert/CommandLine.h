// The converter's argument list: how each entry of the icon is made from the picture.
#pragma once

#include "IconSize.h"
#include "PictureInput.h"
#include "TimeLimit.h"

#include <QMap>
#include <QString>
#include <QStringList>

// ImageMagick expands printf patterns in output names; "%%" is a literal "%".
QString protectFromPrintfPatterns(const QString &path);

// The converter's arguments: the picture, how the icon is made of it, the output.
// One number gives one square entry, the picture fitted inside it on transparency;
// any other single size goes to "-resize" as one argument exactly as typed; a list
// gives such a square entry per size, largest first, each from the picture itself or
// from the designer's own picture for that size in `perSize`. Shrinking averages
// areas, enlarging is smooth, a picture already at the size is copied as it is, and
// vector pictures are drawn at each entry's size. Every raster picture is read
// as 8-bit sRGB (see PictureColour.h). For a kit, `output` is a name pattern of ours
// ("out-1-%d.rgba") that gets one file of bare RGBA pixels a size, largest first.
QStringList converterArguments(const PictureInput &picture, const IconSize &size,
                               const QString &output, const QMap<int, PictureInput> &perSize = {});

// What the converter does for the icon these arguments make: the pixels of each
// raster picture, once for every entry made from it, and the pixels it draws of a
// vector picture, at the entries' sizes whatever size the picture declares.
ConversionWork conversionWork(const PictureInput &picture, const IconSize &size,
                              const QMap<int, PictureInput> &perSize = {});

// A picture's colours as a viewer that manages colour shows them: every entry is
// 8-bit sRGB, whatever profile or gamma the picture was saved with.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QStringList>

// Where the converter finds the sRGB profile that pictures are converted to: a
// plain name in its work folder, written there by the batch.
inline constexpr char SrgbProfileName[] = "srgb.icc";
QByteArray srgbProfile();

// The gamma a PNG's "gAMA" chunk says its samples were stored with, when that is
// all that says how to show them (no colour profile, no sRGB chunk) and it is not
// sRGB's own; 0 for any other picture. The chunk's primaries (cHRM) are taken as sRGB's.
double storedGammaToUndo(QIODevice &file);

// What follows a raster picture's name on the converter's command line: its
// embedded profile applied, or the gamma above undone.
QStringList colourArguments(double storedGamma);

// Ends the command line before the output: no entry carries a gamma of its own.
QStringList withoutColourChunks();

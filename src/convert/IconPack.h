// The icon every reader shows right: entries largest first, the 256 px entry an 8-bit
// RGBA PNG (unless it is the only one) with no colour chunks, dates or text, every
// other entry a 32-bit BMP with no resolution and its mask set where a pixel is less
// than half opaque. What the converter wrote is re-packed into that shape when it
// differs, whatever the installed ImageMagick chose. A compact icon has the same
// shape but for its PNG entries (IcoFile::storageFor), packed as tightly as zlib can.
#pragma once

#include "core/IcoFile.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <optional>

// Whether a well-formed icon already has the shape above.
bool isCanonicalIcon(const QByteArray &icon, IcoFile::Packing packing = IcoFile::Packing::Standard);

// The same pictures in the shape above; nothing when an entry cannot be read.
std::optional<QByteArray> repackIcon(const QByteArray &icon);

// The icon of the shape above, in `packing`, of these square pictures (largest first),
// pixel for pixel; its PNG entries packed as tightly as zlib can.
QByteArray packIcon(const QList<QImage> &pictures, IcoFile::Packing packing);

// An icon of the standard shape made compact, its pictures pixel for pixel; nothing
// when it is not of that shape.
std::optional<QByteArray> compactIcon(const QByteArray &icon);

// An icon of that shape with each bitmap's mask set from its pixels' alpha as above:
// ImageMagick sets only the pixels that are fully clear.
QByteArray withMasksFromAlpha(const QByteArray &icon);

// One entry's picture as it is stored, through Qt's own icon reader, which knows every
// kind of bitmap; a null image when it cannot be read.
QImage decodeIconEntry(const IcoFile &icon, const IcoFile::Entry &entry);

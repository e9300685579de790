// The macOS icon file format, written here only: a header and typed entries, each a
// PNG or, for the two smallest sizes, run-length packed colour planes and a mask.
#pragma once

#include <QByteArray>
#include <QList>

class QImage;

namespace IcnsFile {

struct Entry
{
    QByteArray type; // four letters: "ic07", "is32", ...
    QByteArray data;
};

// The file of these entries in this order.
QByteArray write(const QList<Entry> &entries);

// "is32"/"il32" data: the picture's red, green and blue planes (not premultiplied),
// each packed the way every reader since the first macOS expects.
QByteArray packedColour(const QImage &picture);
// "s8mk"/"l8mk" data: the picture's alpha, one byte a pixel, unpacked.
QByteArray alphaMask(const QImage &picture);

} // namespace IcnsFile

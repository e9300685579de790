// A picture as the smallest 8-bit RGBA PNG that zlib can make of it, with nothing but
// its pixels: no colour, resolution, date or text chunks, and the same bytes every time.
#pragma once

#include <QByteArray>

class QImage;

// The rows are packed unfiltered and with each row's best filter, both at zlib's
// tightest level, and the smaller is kept. Empty when the picture is empty.
QByteArray tightPng(const QImage &picture);

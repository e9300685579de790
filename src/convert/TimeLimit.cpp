#include "TimeLimit.h"

#include <algorithm>

namespace {
using std::chrono::milliseconds;
constexpr milliseconds Base{120'000};
constexpr milliseconds Most{600'000};
// 2 µs a pixel: some fifty times what ImageMagick needs with its cache on disk.
constexpr qint64 PixelsPerMs = 500;
// ImageMagick's own area limit: a picture that could not be measured counts as that large.
constexpr qint64 UnmeasuredPixels = 128'000'000;

qint64 area(QSize size)
{
    return size.isValid() && !size.isEmpty() ? qint64(size.width()) * size.height()
                                             : UnmeasuredPixels;
}
} // namespace

void ConversionWork::addPicture(QSize size, int entries)
{
    pixels += area(size) * std::max(entries, 1);
}

void ConversionWork::addDrawing(QSize size)
{
    pixels += area(size);
}

std::chrono::milliseconds conversionTimeLimit(const ConversionWork &work)
{
    return std::min(Base + milliseconds(work.pixels / PixelsPerMs), Most);
}

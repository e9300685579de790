#include "TimeLimit.h"

#include <algorithm>

namespace {
using std::chrono::milliseconds;
constexpr milliseconds Base{120'000};
// 2 µs a pixel and entry: some fifty times what ImageMagick needs with its cache on disk.
constexpr qint64 PixelsPerMs = 500;
// ImageMagick's own area limit: a picture that could not be measured counts as that large.
constexpr qint64 UnmeasuredPixels = 128'000'000;
} // namespace

void ConversionWork::addPicture(QSize size)
{
    pixels +=
        size.isValid() && !size.isEmpty() ? qint64(size.width()) * size.height() : UnmeasuredPixels;
}

std::chrono::milliseconds conversionTimeLimit(const ConversionWork &work)
{
    return Base + milliseconds(work.pixels * std::max(work.entries, 1) / PixelsPerMs);
}

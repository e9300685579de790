// How long one conversion may run before its converter is taken for stuck.
#pragma once

#include <QSize>
#include <chrono>
#include <functional>

// What a converter has to read, make and draw for one icon.
struct ConversionWork
{
    qint64 pixels = 0; // counted each time the converter goes through them

    // A raster picture, as its header gave its size (invalid when unread), that
    // `entries` entries are each made from whole.
    void addPicture(QSize size, int entries = 1);
    // What a vector picture is drawn at.
    void addDrawing(QSize size);
};

using TimeLimit = std::function<std::chrono::milliseconds(const ConversionWork &)>;

// Far beyond what an honest conversion needs on a slow machine with its pixel cache
// on disk: a stuck converter must not hold the batch for ever, but a large picture
// must never be cut short. Never more than ten minutes, well above what the largest
// picture the converter takes needs, so a hostile file holds a batch no longer.
std::chrono::milliseconds conversionTimeLimit(const ConversionWork &work);

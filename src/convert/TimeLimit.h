// How long one conversion may run before its converter is taken for stuck.
#pragma once

#include <QSize>
#include <chrono>
#include <functional>

// What a converter has to read and make for one icon.
struct ConversionWork
{
    qint64 pixels = 0; // of every picture it reads
    int entries = 1;   // each entry is made from the whole picture again

    // A picture it reads, as its header gave its size (invalid when unread).
    void addPicture(QSize size);
};

using TimeLimit = std::function<std::chrono::milliseconds(const ConversionWork &)>;

// Far beyond what an honest conversion needs on a slow machine with its pixel cache
// on disk: a stuck converter must not hold the batch for ever, but a large picture
// must never be cut short.
std::chrono::milliseconds conversionTimeLimit(const ConversionWork &work);

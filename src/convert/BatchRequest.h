// What a batch is asked to do: which files, at which size and packing, and where each
// icon goes.
#pragma once

#include "IconSize.h"
#include "core/IcoFile.h"

#include <QColor>
#include <QString>
#include <functional>

class RowSource;

struct Destination
{
    enum class Rule
    {
        Previous,
        Folder,
        BesideSource
    };
    Rule rule = Rule::Previous; // Previous: where the last file's icon went
    QString folder;
};

// One conversion per core: what a batch runs at once unless asked otherwise.
int oneJobPerCore();

struct BatchRequest
{
    // Read in list order as the batch comes to each row: the window's list stays
    // open to moves and additions while a batch runs.
    const RowSource *sources = nullptr;
    IconSize size;
    IcoFile::Packing packing = IcoFile::Packing::Standard;
    // Asked again for every file, since the window's folder may change mid-batch.
    std::function<Destination()> destination;
    int jobs = oneJobPerCore();    // conversions at once, 1 or more
    QColor background = Qt::white; // under a kit's opaque files; invalid refuses a kit
};

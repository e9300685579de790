// What a row must pass before a converter may run on it, and the names it uses.
#pragma once

#include "BatchRequest.h"
#include "core/Failure.h"

#include <QString>
#include <QStringList>

struct JobCheck
{
    Failure failure; // why the row fails now; none when it may run
    QString target;  // where the icon lands, links followed
    bool replacing = false;
    QStringList writes; // identities the icon writes over
    QStringList reads;  // identities of the source

    // For a kit, `output` is the kit's folder (kitFolderFor).
    // Checks the source, the icon's place and the size before anything runs; a FIFO
    // or a device would hold the converter for ever, so such a source fails now.
    static JobCheck forRow(const QString &source, const QString &output, const IconSize &size);
};

// The icon's path for a source; `previous` when the rule keeps the last one.
QString outputPathFor(const QString &source, const Destination &destination,
                      const QString &previous);
// Where a kit goes instead of the icon at `iconPath`: "/out/logo.ico" gives
// "/out/logo-icons".
QString kitFolderFor(const QString &iconPath);
// The plain name the converter reads job `job`'s source through, "in-<job>": the
// reader is named on the command line, never left to the name.
QString inputNameFor(int job);

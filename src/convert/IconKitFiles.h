// The bytes of every file of a kit, made from one drawing per size: each file of a
// size holds the same pixels, whatever its format. Pure work; any thread.
#pragma once

#include "IconKit.h"
#include "core/IcoFile.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QMap>
#include <QString>
#include <optional>

struct KitOptions
{
    IconKit::Parts parts = IconKit::Everything;
    QString base; // "logo"
    QColor background = Qt::white;
    IcoFile::Packing packing = IcoFile::Packing::Standard; // of the Windows icon
};

struct KitPictures
{
    QMap<int, QImage> drawings; // by side, each square
    QByteArray svg;             // the picture made safe for the web; empty unless an SVG
};

struct KitFileBytes
{
    QString path; // inside the kit's folder
    QByteArray bytes;
};

// Every file of the kit in layout order; nothing when a drawing is missing or wrong.
std::optional<QList<KitFileBytes>> makeKitFiles(const KitOptions &options,
                                                const KitPictures &pictures);

// What the converter left for a kit: its drawings, one a size as bare 8-bit RGBA, and
// for an SVG picture the picture's own bytes.
struct KitMaterial
{
    QList<int> sizes; // of the drawings, in their order
    QList<QByteArray> drawings;
    QByteArray svgSource; // empty unless the picture is an SVG
};
std::optional<QList<KitFileBytes>> makeKitFiles(const KitOptions &options,
                                                const KitMaterial &material);

// The text files: the web manifest, the markup, Android's and iOS's descriptions.
QByteArray kitText(IconKit::File::Kind kind, const KitOptions &options, bool vector);

// The colour a person typed: a name or "#rrggbb"; invalid for anything else.
QColor kitColour(const QString &text);
// A colour as "#rrggbb".
QString colourText(const QColor &colour);

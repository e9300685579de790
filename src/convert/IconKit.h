// A kit: every icon file a program or a site ships, made from one picture into a
// folder "<name>-icons" where its icon would go. Kits are named like size sets; this
// is their layout, which files each part holds and which sizes the converter draws.
#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace IconKit {

enum Part : unsigned
{
    Windows = 1,
    Web = 2,
    Mac = 4,
    Linux = 8,
    Android = 16,
    Ios = 32,
    Everything = 63
};
using Parts = unsigned;

struct Name
{
    const char *name;
    Parts parts;
};
// "web", "mac", "linux", "android", "ios", and "kit" for all with the Windows icon.
const QList<Name> &names();
// The parts a text names: one kit name or several joined by commas, blanks and letter
// case aside; nothing when any member is not a kit's name.
std::optional<Parts> partsOf(const QString &text);

// "logo-icons" for the picture named "logo".
QString folderName(const QString &base);

struct File
{
    enum class Kind
    {
        Png,
        Ico,
        Icns,
        Svg, // the picture itself, made safe, when it is an SVG
        WebManifest,
        WebMarkup,
        AdaptiveIcon,
        BackgroundColour,
        IosContents
    };
    QString path; // inside the kit's folder, "/" between folders
    Kind kind = Kind::Png;
    int side = 0;        // a PNG's
    int picture = 0;     // the drawing in a PNG, centred; the PNG's side when it fills it
    bool opaque = false; // over the background colour
    QList<int> entries;  // an ICO's sizes, largest first
};
// The files of `parts` for the picture named `base`; the SVG files only when the
// picture is one.
QList<File> layout(Parts parts, const QString &base, bool vector);
// Every size the converter must draw the picture at for `parts`, largest first.
QList<int> drawingSizes(Parts parts);

// The ICNS entries: four-letter type and the side of the picture it holds.
struct IcnsEntry
{
    const char *type;
    int side;
    bool png;
};
const QList<IcnsEntry> &icnsEntries();

} // namespace IconKit

#include "IconKit.h"

#include "SizeList.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace IconKit {
namespace {
constexpr int LinuxSizes[] = {16, 24, 32, 48, 64, 128, 256, 512};
struct Density
{
    const char *name;
    int launcher;
};
constexpr Density AndroidDensities[] = {
    {"mdpi", 48}, {"hdpi", 72}, {"xhdpi", 96}, {"xxhdpi", 144}, {"xxxhdpi", 192}};
// An adaptive icon's foreground is 108 dp; its mask keeps the centred 66 dp.
int foregroundSide(int launcher)
{
    return launcher * 108 / 48;
}
int foregroundPicture(int launcher)
{
    return launcher * 66 / 48;
}
// A maskable web icon keeps its picture inside the centred 80 %.
int maskablePicture(int side)
{
    return int(std::lround(side * 0.8));
}

File png(const QString &path, int side, bool opaque = false, int picture = 0)
{
    File file;
    file.path = path;
    file.side = side;
    file.picture = picture > 0 ? picture : side;
    file.opaque = opaque;
    return file;
}

File other(const QString &path, File::Kind kind, QList<int> entries = {})
{
    File file;
    file.path = path;
    file.kind = kind;
    file.entries = std::move(entries);
    return file;
}
} // namespace

const QList<Name> &names()
{
    static const QList<Name> kits = {{"web", Web},         {"mac", Mac}, {"linux", Linux},
                                     {"android", Android}, {"ios", Ios}, {"kit", Everything}};
    return kits;
}

std::optional<Parts> partsOf(const QString &text)
{
    Parts parts = 0;
    for (const QString &member : text.split(QLatin1Char(','))) {
        const QString name = member.trimmed();
        const auto kit = std::find_if(names().cbegin(), names().cend(), [&](const Name &n) {
            return name.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0;
        });
        if (kit == names().cend())
            return std::nullopt;
        parts |= kit->parts;
    }
    return parts;
}

QString folderName(const QString &base)
{
    return base + QStringLiteral("-icons");
}

QList<File> layout(Parts parts, const QString &base, bool vector)
{
    QList<File> files;
    if (parts & Windows) {
        QList<int> sizes = *sizesOfSet(QStringLiteral("windows"));
        std::sort(sizes.begin(), sizes.end(), std::greater<int>());
        files << other(base + QStringLiteral(".ico"), File::Kind::Ico, sizes);
    }
    if (parts & Mac)
        files << other(base + QStringLiteral(".icns"), File::Kind::Icns);
    if (parts & Linux) {
        for (const int side : LinuxSizes)
            files << png(QStringLiteral("hicolor/%1x%1/apps/%2.png").arg(side).arg(base), side);
        if (vector)
            files << other(QStringLiteral("hicolor/scalable/apps/%1.svg").arg(base),
                           File::Kind::Svg);
    }
    if (parts & Web) {
        files << other(QStringLiteral("favicon.ico"), File::Kind::Ico, {48, 32, 16});
        if (vector)
            files << other(QStringLiteral("favicon.svg"), File::Kind::Svg);
        files << png(QStringLiteral("favicon-96x96.png"), 96)
              << png(QStringLiteral("apple-touch-icon.png"), 180, true)
              << png(QStringLiteral("icon-192.png"), 192)
              << png(QStringLiteral("icon-512.png"), 512)
              << png(QStringLiteral("icon-maskable-512.png"), 512, true, maskablePicture(512))
              << other(QStringLiteral("site.webmanifest"), File::Kind::WebManifest)
              << other(QStringLiteral("favicon.html"), File::Kind::WebMarkup);
    }
    if (parts & Android) {
        for (const Density &d : AndroidDensities) {
            const QString folder = QStringLiteral("android/mipmap-%1/").arg(QLatin1String(d.name));
            files << png(folder + QStringLiteral("ic_launcher.png"), d.launcher)
                  << png(folder + QStringLiteral("ic_launcher_foreground.png"),
                         foregroundSide(d.launcher), false, foregroundPicture(d.launcher));
        }
        files << other(QStringLiteral("android/mipmap-anydpi-v26/ic_launcher.xml"),
                       File::Kind::AdaptiveIcon)
              << other(QStringLiteral("android/values/ic_launcher_background.xml"),
                       File::Kind::BackgroundColour)
              << png(QStringLiteral("android/play-store-512.png"), 512, true);
    }
    if (parts & Ios) {
        files << png(QStringLiteral("ios/AppIcon.appiconset/AppIcon-1024.png"), 1024, true)
              << other(QStringLiteral("ios/AppIcon.appiconset/Contents.json"),
                       File::Kind::IosContents);
    }
    return files;
}

const QList<IcnsEntry> &icnsEntries()
{
    static const QList<IcnsEntry> entries = {
        {"is32", 16, false}, {"il32", 32, false},  {"ic07", 128, true}, {"ic08", 256, true},
        {"ic09", 512, true}, {"ic10", 1024, true}, {"ic11", 32, true},  {"ic12", 64, true},
        {"ic13", 256, true}, {"ic14", 512, true}};
    return entries;
}

QList<int> drawingSizes(Parts parts)
{
    QList<int> sizes;
    const auto add = [&](int side) {
        if (side > 0 && !sizes.contains(side))
            sizes << side;
    };
    for (const File &file : layout(parts, QStringLiteral("x"), false)) {
        add(file.picture);
        for (const int side : file.entries)
            add(side);
        if (file.kind == File::Kind::Icns) {
            for (const IcnsEntry &entry : icnsEntries())
                add(entry.side);
        }
    }
    std::sort(sizes.begin(), sizes.end(), std::greater<int>());
    return sizes;
}

} // namespace IconKit

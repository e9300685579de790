// What a kit costs against the plainest icon, and its bytes; the share of packing
// its PNGs at zlib's tightest level.
#include "BatchFakes.h"
#include "BenchSupport.h"
#include "convert/IconKitFiles.h"
#include "convert/TightPng.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

namespace {
QImage kitLogo(int side)
{
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(16, 16, 96), side / 24.0));
    p.setBrush(QColor(50, 100, 200));
    p.drawEllipse(QRectF(1, 1, side - 2, side - 2));
    p.fillRect(QRectF(side * 0.47, side * 0.25, side * 0.06, side * 0.5), QColor(255, 200, 0));
    return image;
}

qint64 bytesIn(const QString &folder, const QString &nameFilter, qint64 *largest = nullptr)
{
    qint64 total = 0;
    QDirIterator it(folder, {nameFilter}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const qint64 size = QFileInfo(it.next()).size();
        total += size;
        if (largest)
            *largest = std::max(*largest, size);
    }
    return total;
}
} // namespace

void benchKit(const QString &work, int files, int runs)
{
    const QString folder = work + "/kit";
    QDir().mkpath(folder);
    QStringList masters;
    for (int i = 0; i < files; ++i) {
        masters << folder + QStringLiteral("/logo%1.png").arg(i);
        kitLogo(1024).save(masters.last());
    }
    auto msPerFile = [&](const QString &size) {
        QElapsedTimer t;
        t.start();
        const QStringList said = convertBeside(masters, size);
        if (said != QStringList{QStringLiteral("Done.")})
            std::fprintf(stderr, "kit: %s\n", qPrintable(said.join(' ')));
        return double(t.elapsed()) / files;
    };
    QList<double> single, kit, ratios, making;
    for (int run = 0; run < runs; ++run) {
        single << msPerFile(QStringLiteral("48"));
        kit << msPerFile(QStringLiteral("kit"));
        ratios << kit.last() / single.last();
        // The files alone from the drawings, as the batch's worker makes them.
        KitPictures pictures;
        for (const int side : IconKit::drawingSizes(IconKit::Everything))
            pictures.drawings.insert(side, kitLogo(side));
        QElapsedTimer t;
        t.start();
        makeKitFiles(KitOptions{}, pictures);
        making << double(t.elapsed());
    }
    const QString made = folder + "/logo0-icons";
    print("kit_single_48_ms_per_file", median(single), 2);
    print("kit_ms_per_file", median(kit), 2);
    print("kit_vs_single_ratio", median(ratios));
    print("kit_files_only_ms", median(making), 2);
    print("kit_bytes", double(bytesIn(made, QStringLiteral("*"))), 0);
    print("kit_icns_bytes", double(QFileInfo(made + "/logo0.icns").size()), 0);
    print("kit_ico_bytes", double(QFileInfo(made + "/logo0.ico").size()), 0);
    print("kit_png_bytes", double(bytesIn(made, QStringLiteral("*.png"))), 0);
}

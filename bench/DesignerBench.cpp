// What a designer's full icon costs against the plainest one, and its bytes in
// both forms.
#include "BatchFakes.h"
#include "BenchSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

namespace {
const QString WindowsSizes = QStringLiteral("16,20,24,30,32,36,40,48,60,64,72,80,96,256");

QImage logo(int side)
{
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, side > 64);
    p.setPen(QPen(QColor(16, 16, 96), std::max(1, side / 24)));
    p.setBrush(QColor(50, 100, 200));
    p.drawEllipse(QRectF(1, 1, side - 2, side - 2));
    p.fillRect(QRectF(side * 0.47, side * 0.25, std::max(1.0, side * 0.06), side * 0.5),
               QColor(255, 200, 0));
    return image;
}
} // namespace

void benchDesignerSet(const QString &work, int files, int runs)
{
    const QString folder = work + "/designer";
    QDir().mkpath(folder);
    QStringList masters;
    for (int i = 0; i < files; ++i) {
        masters << folder + QStringLiteral("/logo%1.png").arg(i);
        logo(1024).save(masters.last());
        for (const int side : {16, 20, 24, 32, 40, 48, 64})
            logo(side).save(folder + QStringLiteral("/logo%1-%2.png").arg(i).arg(side));
    }
    auto msPerFile = [&](const QString &size, IcoFile::Packing packing) {
        QElapsedTimer t;
        t.start();
        const QStringList said = convertBeside(masters, size, packing);
        if (said != QStringList{QStringLiteral("Done.")})
            std::fprintf(stderr, "designer set: %s\n", qPrintable(said.join(' ')));
        return double(t.elapsed()) / files;
    };
    const QString icon = folder + "/logo0.ico";
    QList<double> single, set, compact, ratios, compactRatios;
    qint64 standardBytes = 0;
    for (int run = 0; run < runs; ++run) {
        single << msPerFile(QStringLiteral("48"), IcoFile::Packing::Standard);
        set << msPerFile(WindowsSizes, IcoFile::Packing::Standard);
        standardBytes = QFileInfo(icon).size();
        compact << msPerFile(WindowsSizes, IcoFile::Packing::Compact);
        ratios << set.last() / single.last();
        compactRatios << compact.last() / single.last();
    }
    print("designer_single_48_ms_per_file", median(single), 2);
    print("designer_windows_set_ms_per_file", median(set), 2);
    print("designer_set_vs_single_ratio", median(ratios));
    print("designer_windows_set_bytes", double(standardBytes), 0);
    print("designer_compact_set_ms_per_file", median(compact), 2);
    print("designer_compact_vs_single_ratio", median(compactRatios));
    print("designer_compact_set_bytes", double(QFileInfo(icon).size()), 0);
}

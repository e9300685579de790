// Icon kits: which files each kit holds at which sizes, the same pixels in every file
// of a size as its readers see them, and a kit folder that never loses anything.
#include "BatchFakes.h"
#include "TestSupport.h"
#include "convert/IconKit.h"
#include "convert/IconSize.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// A disc with a hard rim and a notch, drawn without smoothing: any resampling shows.
QImage crisp(int side, QColor fill = QColor(200, 40, 60, 200))
{
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setPen(QColor(20, 20, 120));
    p.setBrush(fill);
    p.drawEllipse(1, 1, side - 3, side - 3);
    p.fillRect(side / 2, 0, 1, side / 2, Qt::yellow);
    return image;
}

// What the kit's readers (Pillow, icns2png, gtk-update-icon-cache, json, XML) saw,
// by size and then by file and entry; empty with a failure when one complained.
QMap<int, QMap<QString, QImage>> readBack(const QString &kit, const QString &base)
{
    QMap<int, QMap<QString, QImage>> seen;
    const QString json = kit + QStringLiteral(".pixels.json");
    QProcess reader;
    reader.start(QStringLiteral(QUORBEL_CHECK_KIT), {kit, base, QStringLiteral("--pixels"), json});
    if (!reader.waitForFinished(120000) || reader.exitCode() != 0) {
        qWarning("%s", reader.readAllStandardOutput().constData());
        return seen;
    }
    const QJsonObject sizes = QJsonDocument::fromJson(readFile(json)).object();
    for (auto size = sizes.begin(); size != sizes.end(); ++size) {
        const int side = size.key().toInt();
        const QJsonObject files = size.value().toObject();
        for (auto file = files.begin(); file != files.end(); ++file) {
            const QByteArray rgba = QByteArray::fromHex(file.value().toString().toLatin1());
            QImage image(reinterpret_cast<const uchar *>(rgba.constData()), side, side,
                         QImage::Format_RGBA8888);
            seen[side].insert(file.key(), image.convertToFormat(QImage::Format_ARGB32));
        }
    }
    return seen;
}

QMap<QString, QByteArray> filesIn(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), readFile(path));
    }
    return files;
}
} // namespace

class TestIconKit : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { qputenv("TEMP", QFile::encodeName(m_dir.path())); }

    void kitsHoldTheirFiles_data()
    {
        QTest::addColumn<QString>("sizeText");
        QTest::addColumn<bool>("vector");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("holds"); // "path side picture"
        QTest::newRow("mac") << "mac" << false << 1 << QStringList{"logo.icns 0 0"};
        QTest::newRow("linux, raster") << "linux" << false << 8
                                       << QStringList{"hicolor/16x16/apps/logo.png 16 16",
                                                      "hicolor/512x512/apps/logo.png 512 512"};
        QTest::newRow("linux, SVG")
            << "Linux" << true << 9 << QStringList{"hicolor/scalable/apps/logo.svg 0 0"};
        QTest::newRow("web, SVG") << "web" << true << 9
                                  << QStringList{"favicon.ico 0 0",
                                                 "favicon.svg 0 0",
                                                 "apple-touch-icon.png 180 180",
                                                 "icon-maskable-512.png 512 410",
                                                 "site.webmanifest 0 0",
                                                 "favicon.html 0 0"};
        QTest::newRow("android") << "android" << false << 13
                                 << QStringList{
                                        "android/mipmap-mdpi/ic_launcher_foreground.png 108 66",
                                        "android/mipmap-xxxhdpi/ic_launcher_foreground.png 432 264",
                                        "android/mipmap-hdpi/ic_launcher.png 72 72",
                                        "android/mipmap-anydpi-v26/ic_launcher.xml 0 0",
                                        "android/play-store-512.png 512 512"};
        QTest::newRow("ios") << " ios " << false << 2
                             << QStringList{"ios/AppIcon.appiconset/AppIcon-1024.png 1024 1024",
                                            "ios/AppIcon.appiconset/Contents.json 0 0"};
        QTest::newRow("web and mac") << "web,mac" << false << 9 << QStringList{"logo.icns 0 0"};
        QTest::newRow("kit") << "kit" << true << 35 << QStringList{"logo.ico 0 0"};
    }
    void kitsHoldTheirFiles()
    {
        QFETCH(QString, sizeText);
        QFETCH(bool, vector);
        QFETCH(int, count);
        QFETCH(QStringList, holds);
        const IconSize size = IconSize::fromText(sizeText);
        QVERIFY(size.isAccepted());
        const QList<IconKit::File> files = IconKit::layout(size.kitParts(), "logo", vector);
        QCOMPARE(files.size(), count);
        for (const QString &held : holds) {
            const QStringList fields = held.split(QLatin1Char(' '));
            const auto file = std::find_if(files.cbegin(), files.cend(),
                                           [&](const auto &f) { return f.path == fields[0]; });
            QVERIFY2(file != files.cend(), qPrintable(held));
            QCOMPARE(file->side, fields[1].toInt());
            QCOMPARE(file->picture, fields[2].toInt());
            // Every picture the file holds is drawn for it.
            if (file->picture > 0)
                QVERIFY(size.sizes().contains(file->picture));
        }
    }

    void kitNamesStandAlone_data()
    {
        QTest::addColumn<QString>("sizeText");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("largest");
        QTest::newRow("kit") << "kit" << true << 1024;
        QTest::newRow("web") << "web" << true << 512;
        QTest::newRow("a kit and a size") << "kit,16" << false << 0;
        QTest::newRow("a kit and a set") << "web,favicon" << false << 0;
    }
    void kitNamesStandAlone()
    {
        QFETCH(QString, sizeText);
        QFETCH(bool, accepted);
        QFETCH(int, largest);
        const IconSize size = IconSize::fromText(sizeText);
        QCOMPARE(size.isAccepted(), accepted);
        QCOMPARE(size.sizes().value(0), largest);
    }

    // The designer's own 16 and 32 px pictures are every 16 and 32 px picture of the
    // kit; every file of a size holds the same pixels as its readers see them.
    void everyFileOfASizeHoldsTheSamePixels_data()
    {
        QTest::addColumn<bool>("svg");
        QTest::newRow("PNG with own pictures") << false;
        QTest::newRow("SVG") << true;
    }
    void everyFileOfASizeHoldsTheSamePixels()
    {
        QFETCH(bool, svg);
        QTemporaryDir dir;
        const QString logo = dir.filePath(svg ? QStringLiteral("logo.svg") : "logo.png");
        if (svg) {
            writeFile(logo, svgDrawing("<circle cx='32' cy='32' r='28' fill='#c83c3c'/>"
                                       "<script>alert(1)</script>"));
        } else {
            QVERIFY(crisp(1024, Qt::darkGreen).save(logo));
            QVERIFY(crisp(16).save(dir.filePath(QStringLiteral("logo-16.png"))));
            QVERIFY(crisp(32).save(dir.filePath(QStringLiteral("logo-32.png"))));
        }
        QCOMPARE(convertBeside({logo}, QStringLiteral("kit")), QStringList{"Done."});
        const auto seen = readBack(dir.filePath(QStringLiteral("logo-icons")), "logo");
        QVERIFY(!seen.isEmpty());
        for (const int side : {16, 32}) {
            QVERIFY(seen[side].size() >= 5); // ico, favicon, icns (two readers), hicolor
            for (auto it = seen[side].cbegin(); it != seen[side].cend(); ++it) {
                const QImage expected = svg ? seen[side].first() : crisp(side);
                QVERIFY2(rmsError(*it, expected) <= 1.0, qPrintable(it.key()));
            }
        }
        if (svg) {
            const QByteArray web = readFile(dir.filePath("logo-icons/favicon.svg"));
            QVERIFY(web.contains("<circle"));
            QVERIFY(!web.contains("script"));
        }
    }

    // The same picture gives the same bytes; a failed run leaves the earlier kit as it
    // was, and files the kit does not make stay.
    void nothingIsLostAndBytesRepeat()
    {
        QTemporaryDir dir;
        const QString logo = dir.filePath(QStringLiteral("logo.png"));
        const QString kit = dir.filePath(QStringLiteral("logo-icons"));
        QVERIFY(crisp(300).save(logo));
        QCOMPARE(convertBeside({logo}, QStringLiteral("web,mac,ios")), QStringList{"Done."});
        const QMap<QString, QByteArray> first = filesIn(kit);
        writeFile(kit + QStringLiteral("/notes.txt"), "ours");
        QCOMPARE(convertBeside({logo}, QStringLiteral("web,mac,ios")), QStringList{"Done."});
        QMap<QString, QByteArray> second = filesIn(kit);
        QCOMPARE(second.take(QStringLiteral("notes.txt")), QByteArray("ours"));
        QCOMPARE(second, first);

        writeFile(logo, "not a picture at all");
        QVERIFY(convertBeside({logo}, QStringLiteral("web,mac,ios")) != QStringList{"Done."});
        second = filesIn(kit);
        second.remove(QStringLiteral("notes.txt"));
        QCOMPARE(second, first);
    }

    // A folder of the kit that refuses the new file: no file of the kit changes, even
    // those whose folders would take them, and no hidden file is left.
    void aRefusedFolderLeavesTheEarlierKitWhole()
    {
        if (const int child = rerunWithoutPermissionOverride(); child >= 0) {
            QCOMPARE(child, 0);
            return;
        }
        QTemporaryDir dir;
        const QString logo = dir.filePath(QStringLiteral("logo.png"));
        const QString kit = dir.filePath(QStringLiteral("logo-icons"));
        QVERIFY(crisp(128).save(logo));
        QCOMPARE(convertBeside({logo}, QStringLiteral("web,linux")), QStringList{"Done."});
        const QMap<QString, QByteArray> first = filesIn(kit);
        const QString locked = kit + QStringLiteral("/hicolor/512x512/apps");
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(crisp(128, Qt::blue).save(logo));
        const QStringList shown = convertBeside({logo}, QStringLiteral("web,linux"));
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY2(shown.join('\n').contains("cannot write"), qPrintable(shown.join('\n')));
        QCOMPARE(filesIn(kit), first);
    }

    void aFileInTheWayFailsTheRow()
    {
        QTemporaryDir dir;
        const QString logo = dir.filePath(QStringLiteral("logo.png"));
        QVERIFY(crisp(64).save(logo));
        writeFile(dir.filePath(QStringLiteral("logo-icons")), "a file");
        const QStringList shown = convertBeside({logo}, QStringLiteral("web"));
        QVERIFY2(shown.join('\n').contains("logo-icons is not a folder"),
                 qPrintable(shown.join('\n')));
        QCOMPARE(readFile(dir.filePath(QStringLiteral("logo-icons"))), QByteArray("a file"));
    }
};

QTEST_GUILESS_MAIN(TestIconKit)
#include "tst_iconkit.moc"

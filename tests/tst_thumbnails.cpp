// Thumbnails in the file list: read for shown rows, keyed by path, never blocking.
#include "TestSupport.h"
#include "filelist/FileListModel.h"
#include "filelist/FileListView.h"
#include "filelist/ThumbnailLoader.h"

#include <QPixmap>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <fcntl.h>
#include <thread>

class TestThumbnails : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }
    static QPixmap decoration(const FileListModel &model, int row)
    {
        return model.data(model.index(row), Qt::DecorationRole).value<QPixmap>();
    }
    static void readAll(FileListModel &model)
    {
        for (int row = 0; row < model.rowCount(); ++row)
            decoration(model, row);
        QTRY_VERIFY_WITH_TIMEOUT(model.thumbnails()->isIdle(), 10000);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(makePng(path("wide.png"), 64, 32));
        QImage palette(64, 32, QImage::Format_Mono);
        palette.setColorTable({qRgb(0, 0, 255), qRgb(0, 0, 255)});
        palette.fill(0);
        QVERIFY(palette.save(path("palette.png")));
        writeFile(path("notes.png"), "just some text\n");
        QCOMPARE(QProcess::execute("mkfifo", {path("pipe.png")}), 0);
        QDir().mkpath(path("folder.png"));
    }

    void oneRow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("centre"); // invalid: no thumbnail
        QTest::newRow("png") << "wide.png" << QColor(200, 40, 40);
        QTest::newRow("one-colour palette png") << "palette.png" << QColor(0, 0, 255);
        QTest::newRow("text file") << "notes.png" << QColor();
        QTest::newRow("fifo") << "pipe.png" << QColor();
        QTest::newRow("folder") << "folder.png" << QColor();
        QTest::newRow("missing") << "gone.png" << QColor();
    }

    void oneRow()
    {
        QFETCH(QString, name);
        QFETCH(QColor, centre);
        const bool picture = centre.isValid();
        FileListModel model;
        model.appendRows({path("notes.png"), path(name)});
        QSignalSpy changed(&model, &FileListModel::dataChanged);
        readAll(model);
        const QPixmap thumbnail = decoration(model, 1);
        QCOMPARE(!thumbnail.isNull(), picture);
        QCOMPARE(model.data(model.index(1), Qt::DisplayRole).toString(), path(name));
        if (!picture)
            return;
        QCOMPARE(changed.count(), 1); // the view is told, for this row alone
        QCOMPARE(changed.first().at(0).value<QModelIndex>().row(), 1);
        // 64 x 32 fits as 16 x 8, centred on a transparent square.
        const QImage image = thumbnail.toImage();
        QCOMPARE(image.size(), QSize(16, 16));
        QCOMPARE(qAlpha(image.pixel(8, 1)), 0);
        QCOMPARE(image.pixelColor(8, 8), centre);
    }

    // Qt's reader would block on what a picture names, and expand it whole.
    void svgReadsOnlyItself_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("svg");
        QTest::addColumn<bool>("picture");
        const QByteArray blue = "<rect width='64' height='64' fill='blue'/>";
        const QByteArray fifo = "<image width='9' height='9' xlink:href='%fifo'/>";
        QTest::newRow("svg") << "a.svg" << svgDrawing(blue) << true;
        QTest::newRow("naming a FIFO") << "b.svg" << svgDrawing(blue + fifo) << true;
        QTest::newRow("named .png, naming a FIFO") << "c.png" << svgDrawing(blue + fifo) << true;
        QTest::newRow("a stylesheet that is a FIFO")
            << "d.svg"
            << "<?xml-stylesheet type=\"text/css\" href=\"%fifo\"?>" + svgDrawing(blue) << true;
        QTest::newRow("embedding an SVG naming a FIFO")
            << "e.svg"
            << svgDrawing(blue +
                          "<image width='9' height='9' xlink:href='data:image/svg+xml;base64," +
                          svgDrawing(fifo).toBase64() + "'/>")
            << true;
        QTest::newRow("past the limit")
            << "f.svg" << svgDrawing(blue + "<!--" + QByteArray(8 << 20, ' ') + "-->") << false;
    }
    void svgReadsOnlyItself()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, svg);
        const QByteArray fifo = QFile::encodeName(path("pipe.png"));
        writeFile(path(name), svg.replace("%fifo", fifo));
        QImage image;
        std::atomic<bool> done = false;
        std::thread reader([&] {
            image = ThumbnailLoader::readThumbnail(path(name), 16);
            done = true;
        });
        const bool blocked = !QTest::qWaitFor([&] { return done.load(); }, 20000);
        if (blocked) // let the reader go, so that a failure ends the test
            ::close(::open(fifo.constData(), O_WRONLY | O_NONBLOCK));
        reader.join();
        QVERIFY(!blocked);
        QFETCH(bool, picture);
        QCOMPARE(!image.isNull(), picture);
        if (picture)
            QCOMPARE(image.pixelColor(8, 8), QColor(Qt::blue));
    }

    // Rows change while pictures are read: each row still shows its own file's.
    void rowsChangeWhileReading_data()
    {
        QTest::addColumn<bool>("clear");
        QTest::newRow("first rows removed") << false;
        QTest::newRow("list cleared") << true;
    }

    void rowsChangeWhileReading()
    {
        QFETCH(bool, clear);
        QStringList paths;
        for (int i = 0; i < 12; ++i) {
            paths << path(QStringLiteral("big%1.png").arg(i)) << path("notes.png");
            if (!QFile::exists(paths.at(2 * i)))
                QVERIFY(makePng(paths.at(2 * i), 1200, 1200));
        }
        FileListModel model;
        model.appendRows(paths);
        for (int row = 0; row < model.rowCount(); ++row)
            decoration(model, row);
        if (clear) {
            model.clear();
            std::rotate(paths.begin(), paths.begin() + 1, paths.end());
            model.appendRows(paths);
        } else {
            model.removeRowAt(1);
            model.removeRowAt(1);
            model.removeRowAt(1);
        }
        QSignalSpy changed(&model, &FileListModel::dataChanged);
        readAll(model);
        for (const QList<QVariant> &signal : changed)
            QVERIFY(model.rowText(signal.at(0).value<QModelIndex>().row() + 1) !=
                    path("notes.png"));
        for (int row = 0; row < model.rowCount(); ++row)
            QCOMPARE(decoration(model, row).isNull(), model.rowText(row + 1) == path("notes.png"));
    }

    void onlyShownRowsAreRead()
    {
        FileListModel model;
        QStringList paths;
        for (int i = 0; i < 5000; ++i)
            paths << path(QStringLiteral("none%1.png").arg(i));
        model.appendRows(paths);
        QSignalSpy read(model.thumbnails(), &ThumbnailLoader::thumbnailReady);
        FileListView view;
        view.setModel(&model);
        view.resize(300, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTRY_VERIFY(read.count() > 0 && model.thumbnails()->isIdle());
        QVERIFY2(read.count() < 20, qPrintable(QString::number(read.count())));
    }
};

QTEST_MAIN(TestThumbnails)
#include "tst_thumbnails.moc"

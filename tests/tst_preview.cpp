// The icon preview: what it lists for pictures and icons, and its opening from the list.
#include "TestSupport.h"
#include "app/Form1.h"
#include "filelist/FileListModel.h"
#include "filelist/FileListView.h"
#include "preview/EntrySaver.h"
#include "preview/EntryTile.h"
#include "preview/PreviewTexts.h"
#include "preview/PreviewWindow.h"

#include <QBuffer>
#include <QColorSpace>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
using Origin = PreviewEntry::Origin;
using Kind = PreviewNote::Kind;

QByteArray pngBytes(int side)
{
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(QColor(20, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// An icon of PNG entries, as other programs write them.
QByteArray iconOf(const QList<int> &sides)
{
    QList<IcoFile::Image> images;
    for (const int side : sides) {
        IcoFile::Entry entry;
        entry.width = entry.height = side;
        images << IcoFile::Image{entry, pngBytes(side)};
    }
    return IcoFile::write(images);
}

PreviewModel previewOf(const PreviewRequest &request)
{
    PreviewMaker maker;
    QSignalSpy ready(&maker, &PreviewMaker::ready);
    maker.make(request);
    if (!ready.wait(60000))
        return {};
    return ready.first().first().value<PreviewModel>();
}

QString origins(const PreviewModel &model)
{
    QStringList texts;
    for (const PreviewEntry &entry : model.entries())
        texts << QStringLiteral("%1:%2").arg(entry.width).arg(PreviewTexts::origin(entry));
    return texts.join(QLatin1Char('|'));
}
} // namespace

Q_DECLARE_METATYPE(PreviewModel)

class TestPreview : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<PreviewModel>();
        QVERIFY(makePng(path("logo.png"), 1024, 1024));
        QVERIFY(makePng(path("logo-16.png"), 16, 16));
        QVERIFY(makePng(path("wide.png"), 48, 32));
        QImage adobe(32, 32, QImage::Format_ARGB32);
        adobe.fill(QColor(0, 200, 0));
        adobe.setColorSpace(QColorSpace(QColorSpace::AdobeRgb));
        QVERIFY(adobe.save(path("adobe.png")));
        QFile svg(path("art.svg"));
        QVERIFY(svg.open(QIODevice::WriteOnly));
        svg.write("<svg xmlns='http://www.w3.org/2000/svg' width='64' height='64'>"
                  "<circle cx='32' cy='32' r='28' fill='#2a8'/></svg>");
        svg.close();
        QFile icon(path("have.ico"));
        QVERIFY(icon.open(QIODevice::WriteOnly));
        icon.write(iconOf({32, 16}));
        icon.close();
        QFile broken(path("broken.ico"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(iconOf({32, 16}).left(40)); // the second entry's data is cut off
        broken.close();
    }

    void listsEntriesSourcesAndNotes_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("origins");
        QTest::addColumn<QList<int>>("notes");
        const auto notes = [](std::initializer_list<Kind> kinds) {
            QList<int> list;
            for (const Kind kind : kinds)
                list << int(kind);
            return list;
        };
        QTest::newRow("PNG") << "logo.png"
                             << "16,20,256"
                             << "16:your picture logo-16.png|20:scaled from 1024 × 1024|"
                                "256:scaled from 1024 × 1024"
                             << notes({});
        QTest::newRow("SVG") << "art.svg"
                             << "24,32"
                             << "24:drawn from the SVG at 24 px|32:drawn from the SVG at 32 px"
                             << notes({Kind::No256});
        QTest::newRow("not square, enlarged")
            << "wide.png"
            << "32,64"
            << "32:scaled from 48 × 32|64:scaled from 48 × 32"
            << notes({Kind::No256, Kind::NoTaskbarSizes, Kind::Enlarged, Kind::NotSquare});
        QTest::newRow("colour profile") << "adobe.png"
                                        << "24,256"
                                        << "24:scaled from 32 × 32|256:scaled from 32 × 32"
                                        << notes({Kind::Enlarged, Kind::ColourConverted});
        QTest::newRow("icon as it is") << "have.ico"
                                       << ""
                                       << "16:as stored in the icon|32:as stored in the icon"
                                       << notes({Kind::No256, Kind::NoTaskbarSizes});
    }
    void listsEntriesSourcesAndNotes()
    {
        QFETCH(QString, file);
        QFETCH(QString, size);
        QFETCH(QString, origins);
        QFETCH(QList<int>, notes);
        PreviewRequest request;
        request.path = path(file);
        request.asStored = isIconFile(file);
        request.size = IconSize::fromText(size);
        const PreviewModel model = previewOf(request);
        QVERIFY2(!model.failed(), qPrintable(PreviewTexts::problem(model)));
        QCOMPARE(::origins(model), origins);
        QList<int> kinds;
        for (const PreviewNote &note : model.notes())
            kinds << int(note.kind);
        QCOMPARE(kinds, notes);
        for (const PreviewEntry &entry : model.entries()) {
            QCOMPARE(entry.image.size(), QSize(entry.width, entry.height));
            QVERIFY(entry.bytes > 0);
            QCOMPARE(entry.storage == IcoFile::Storage::Png,
                     request.asStored || entry.width == 256);
        }
    }

    void aFileWithoutEntriesSaysWhy_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason");
        QTest::newRow("malformed icon")
            << "broken.ico"
            << "The icon is cut off: an entry's picture runs past the end of the file.";
        QTest::newRow("missing picture") << "none.png"
                                         << "Not converted: file not found";
    }
    void aFileWithoutEntriesSaysWhy()
    {
        QFETCH(QString, file);
        QFETCH(QString, reason);
        PreviewRequest request;
        request.path = path(file);
        request.asStored = isIconFile(file);
        request.size = IconSize::fromText(QStringLiteral("16,32"));
        const PreviewModel model = previewOf(request);
        QVERIFY(model.failed());
        QVERIFY(model.entries().isEmpty());
        QCOMPARE(PreviewTexts::problem(model), reason);
    }

    void waitsForTheWindowsBatch()
    {
        bool batchRunning = true;
        PreviewMaker maker([&] { return batchRunning; });
        QSignalSpy waiting(&maker, &PreviewMaker::waiting);
        QSignalSpy ready(&maker, &PreviewMaker::ready);
        PreviewRequest request;
        request.path = path("logo.png");
        request.size = IconSize::fromText(QStringLiteral("16"));
        maker.make(request);
        QVERIFY(waiting.wait(10000));
        QTest::qWait(600);
        QCOMPARE(ready.size(), 0);
        batchRunning = false;
        QVERIFY(ready.wait(60000));
        QCOMPARE(ready.first().first().value<PreviewModel>().entries().size(), 1);
    }

    void savesEntriesAsPngAskingBeforeReplacing()
    {
        PreviewRequest request;
        request.path = path("have.ico");
        request.asStored = true;
        const PreviewModel model = previewOf(request);
        const QString out = path("out");
        QVERIFY(QDir().mkpath(out));
        QFile taken(out + "/have-16.png");
        QVERIFY(taken.open(QIODevice::WriteOnly));
        taken.write("mine");
        taken.close();
        FakeDialogs dialogs;
        dialogs.folderAnswers << out << out;
        dialogs.yesNoAnswers << false << true;
        QVERIFY(saveEntriesAsPng(dialogs, nullptr, request.path, model.entries(), "t").isEmpty());
        QVERIFY(taken.open(QIODevice::ReadOnly));
        QCOMPARE(taken.readAll(), QByteArray("mine"));
        taken.close();
        const QStringList saved =
            saveEntriesAsPng(dialogs, nullptr, request.path, model.entries(), "t");
        QCOMPARE(saved, QStringList({out + "/have-16.png", out + "/have-32.png"}));
        QCOMPARE(QImage(out + "/have-32.png").size(), QSize(32, 32));
    }

    void spaceOnTheListOpensIt()
    {
        keepSettingsIn(m_dir.filePath("settings"));
        SettingsStore store;
        FakeDialogs dialogs;
        Form1 window(dialogs, store, m_dir.filePath("app"));
        window.Form_Load();
        window.findChild<QRadioButton *>("Option7")->setChecked(true);
        window.findChild<QLineEdit *>("Text2")->setText("16,24,48");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.fileList().appendRows({path("wide.png"), path("logo.png")});
        FileListView &list = window.listView();
        list.selectIndex(list.model()->index(1, 0));
        list.setFocus();
        QTest::keyClick(&list, Qt::Key_Space);
        PreviewWindow *preview = window.previewWindow();
        QVERIFY(preview);
        QVERIFY(preview->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(preview->model().entries().size(), 3, 60000);
        QStringList names;
        for (const EntryTile *tile : preview->findChildren<EntryTile *>())
            names << tile->accessibleName();
        QCOMPARE(names, QStringList({"16 by 16 pixels, bitmap, 1.1 KB, from logo-16.png",
                                     "24 by 24 pixels, bitmap, 2.4 KB, scaled from 1024 by 1024",
                                     "48 by 48 pixels, bitmap, 9.4 KB, scaled from 1024 by 1024"}));
        // Tab walks the entries.
        QVERIFY(QTest::qWaitForWindowActive(preview));
        const QList<EntryTile *> tiles = preview->findChildren<EntryTile *>();
        tiles[0]->setFocus();
        QTest::keyClick(tiles[0], Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), tiles[1]);
        // The arrow keys move it along with the selection.
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        list.setFocus();
        QTest::keyClick(&list, Qt::Key_Up);
        QCOMPARE(preview->request().path, path("wide.png"));
        QTRY_VERIFY_WITH_TIMEOUT(
            preview->model().notes().contains(PreviewNote{Kind::NotSquare, {}, QSize(48, 32)}),
            60000);
        QTest::keyClick(preview, Qt::Key_Plus);
        QCOMPARE(preview->magnification(), 8);
        QTest::keyClick(preview, Qt::Key_Escape);
        QVERIFY(!preview->isVisible());
    }
};

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"

// The main window offscreen: start-up, stored options, the folder picker, the
// list's removal and row moving, adding by dialog, drops, and closing mid-batch.
#include "TestSupport.h"
#include "app/Form1.h"
#include "app/ProgressBar.h"
#include "filelist/AddFilesByDialog.h"
#include "filelist/FileListModel.h"
#include "filelist/FileListView.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QCompleter>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

namespace {
class EventCounter final : public QObject
{
public:
    EventCounter(QEvent::Type type, int *count) : m_type(type), m_count(count) {}
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == m_type)
            ++*m_count;
        return false;
    }

private:
    QEvent::Type m_type;
    int *m_count;
};

template <class T> T *child(QWidget &w, const char *name)
{
    T *found = w.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}
} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_app;
    std::unique_ptr<SettingsStore> m_store;
    FakeDialogs m_dialogs;

    std::unique_ptr<Form1> loadedWindow()
    {
        auto w = std::make_unique<Form1>(m_dialogs, *m_store, m_app);
        w->Form_Load();
        return w;
    }
    QString stored(const QString &key) const { return m_store->read(key, "<absent>"); }
    QStringList reports() const
    {
        QStringList r;
        for (const ShownMessage &m : m_dialogs.messages)
            if (m.title == QLatin1String("Application Error"))
                r << m.text;
        return r;
    }
    static QString desktop()
    {
        const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        return (QFileInfo(desktop).isDir() ? desktop : QDir::homePath()) + '/';
    }

private slots:
    void init()
    {
        m_app = m_dir.filePath(QStringLiteral("app%1").arg(QRandomGenerator::global()->generate()));
        QDir().mkpath(m_app);
        keepSettingsIn(m_app + "/settings");
        m_store = std::make_unique<SettingsStore>();
        m_dialogs = FakeDialogs();
    }

    void firstRun()
    {
        writeFile(m_app + "/Samples/a.png", "x");
        auto w = loadedWindow();
        QVERIFY(reports().isEmpty());
        QCOMPARE(w->windowTitle(), QStringLiteral("Quorbel"));
        QCOMPARE(child<QLineEdit>(*w, "Text1")->text(), desktop());
        QCOMPARE(child<QLineEdit>(*w, "Text2")->text(), QStringLiteral("32"));
        QVERIFY(child<QRadioButton>(*w, "Option2")->isChecked());
        QVERIFY(!child<QLineEdit>(*w, "Text2")->isEnabled());
        QVERIFY(child<QRadioButton>(*w, "Option8")->isChecked());
        QVERIFY(child<QGroupBox>(*w, "Frame4")->isEnabled());
        QCOMPARE(stored("Text1"), desktop());
        QCOMPARE(stored("Text2"), QStringLiteral("32"));
        QCOMPARE(stored("Snapshot"), m_app + "/Samples/a.png");
        QCOMPARE(w->fileList().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("PNG File(s)"));
        QCOMPARE(w->listView().header()->sectionSize(0), 467);
        QCOMPARE(w->size(), QSize(536, 507));
        QCOMPARE(w->palette().color(QPalette::Window), QColor(Qt::white));
    }

    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("list") << "ListView1" << QRect(8, 8, 520, 169);
        QTest::newRow("progress") << "ProgressBar1" << QRect(8, 471, 520, 27);
        QTest::newRow("add files") << "PushButton1" << QRect(8, 183, 256, 27);
        QTest::newRow("start") << "PushButton2" << QRect(8, 436, 520, 27);
        QTest::newRow("user size") << "Text2" << QRect(368, 17, 137, 23);
        QTest::newRow("beside source") << "Option9" << QRect(16, 94, 241, 17);
        QTest::newRow("folder text") << "Text1" << QRect(16, 20, 378, 23);
    }

    void pushButtonsShareOneFont_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"PushButton1", "PushButton2", "PushButton9"})
            QTest::newRow(name) << name;
    }

    void pushButtonsShareOneFont()
    {
        QFETCH(QString, name);
        Form1 w(m_dialogs, *m_store, m_app);
        const QFont font = child<QPushButton>(w, qPrintable(name))->font();
        QCOMPARE(font.family(), QStringLiteral("Arial"));
        QCOMPARE(font.pointSizeF(), 11.25);
        QVERIFY(font.bold());
    }

    void framesStandOnWhite()
    {
        auto w = loadedWindow();
        const QImage shot = w->grab().toImage();
        for (const char *name : {"Frame1", "Frame2", "Frame4"}) {
            const QWidget *frame = child<QGroupBox>(*w, name);
            // Just inside the bottom edge, where no control stands.
            const QPoint inside =
                frame->mapTo(w.get(), QPoint(frame->width() / 2, frame->height() - 4));
            QCOMPARE(shot.pixelColor(inside * shot.devicePixelRatio()), QColor(Qt::white));
        }
    }

    void windowHasItsIcon()
    {
        auto w = loadedWindow();
        QVERIFY(!w->windowIcon().pixmap(32).isNull());
    }

    void tabStopsOnTheSelectedOption_data()
    {
        QTest::addColumn<QString>("iconSize");
        QTest::addColumn<bool>("toFolder");
        QTest::addColumn<QString>("firstStop");
        QTest::addColumn<QString>("secondStop");
        QTest::addColumn<int>("arrow");
        QTest::newRow("64, beside source")
            << "5" << false << QString("Option5") << QString("Option9") << int(Qt::Key_Up);
        QTest::newRow("16, to folder")
            << "1" << true << QString("Option1") << QString("Option8") << int(Qt::Key_Down);
        QTest::newRow("72, to folder")
            << "6" << true << QString("Option6") << QString("Option8") << int(Qt::Key_Down);
    }

    void tabStopsOnTheSelectedOption()
    {
        QFETCH(QString, iconSize);
        QFETCH(bool, toFolder);
        QFETCH(QString, firstStop);
        QFETCH(QString, secondStop);
        QFETCH(int, arrow);
        m_store->write("Icon Size", iconSize);
        m_store->write("Option8", toFolder ? "True" : "False");
        m_store->write("Option9", toFolder ? "False" : "True");
        auto w = loadedWindow();
        w->show();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        child<QPushButton>(*w, "PushButton7")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), firstStop);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), secondStop);

        // Arrows still move within a group, and Tab follows the new choice.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(arrow));
        const QString moved = QApplication::focusWidget()->objectName();
        QVERIFY(moved != secondStop);
        QVERIFY(child<QRadioButton>(*w, qPrintable(moved))->isChecked());
        child<QPushButton>(*w, "PushButton7")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), moved);
    }

    void handPointerUsesItsOwnHotSpot()
    {
        // A 32 px cursor whose hot spot is (5, 7).
        QImage image(32, 32, QImage::Format_ARGB32);
        image.fill(Qt::red);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(image.save(&buffer, "ICO"));
        bytes[2] = 2;
        bytes[10] = 5;
        bytes[12] = 7;
        writeFile(m_app + "/HAND-M.CUR", bytes);
        auto w = loadedWindow();
        QVERIFY(reports().isEmpty());
        w->setPointer(99);
        QCOMPARE(w->cursor().hotSpot(), QPoint(5, 7));
    }

    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        Form1 w(m_dialogs, *m_store, m_app);
        QWidget *control = w.findChild<QWidget *>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), geometry);
    }

    void iconSizeRestored_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("text2Enabled");
        QTest::addColumn<int>("reportLine"); // 0: none
        QTest::newRow("64") << "5"
                            << "Option5" << false << 0;
        QTest::newRow("user-defined") << "7"
                                      << "Option7" << true << 0;
        QTest::newRow("fraction rounds") << "3.4"
                                         << "Option3" << false << 0;
        QTest::newRow("out of 1..7") << "9"
                                     << "Option2" << false << 0;
        QTest::newRow("not a number") << "big"
                                      << "Option1" << false << 140;
        QTest::newRow("overflow") << "70000"
                                  << "Option1" << false << 140;
    }

    void iconSizeRestored()
    {
        QFETCH(QString, stored);
        QFETCH(QString, selected);
        QFETCH(bool, text2Enabled);
        QFETCH(int, reportLine);
        m_store->write("Icon Size", stored);
        m_store->write("Text2", "100");
        auto w = loadedWindow();
        QVERIFY(child<QRadioButton>(*w, qPrintable(selected))->isChecked());
        QCOMPARE(child<QLineEdit>(*w, "Text2")->isEnabled(), text2Enabled);
        QCOMPARE(child<QLineEdit>(*w, "Text2")->text(), QStringLiteral("100"));
        const QStringList r = reports();
        QCOMPARE(r.size(), reportLine ? 1 : 0);
        if (reportLine)
            QVERIFY(r.first().contains(
                QStringLiteral("in Tessiva2021/08/31.Form1.Form_Load at line 140")));
    }

    void destinationRestored_data()
    {
        QTest::addColumn<QString>("option8");
        QTest::addColumn<QString>("option9");
        QTest::addColumn<bool>("toFolder");
        QTest::addColumn<bool>("besideSource");
        QTest::addColumn<int>("reportLine");
        QTest::newRow("1") << "1"
                           << "False" << true << false << 0;
        QTest::newRow("-1") << "-1"
                            << "0" << true << false << 0;
        QTest::newRow("0") << "0"
                           << "True" << false << true << 0;
        QTest::newRow("false words") << "fAlSe"
                                     << "tRuE" << false << true << 0;
        QTest::newRow("no truth value") << "maybe"
                                        << "False" << true << false << 182;
    }

    void destinationRestored()
    {
        QFETCH(QString, option8);
        QFETCH(QString, option9);
        QFETCH(bool, toFolder);
        QFETCH(bool, besideSource);
        QFETCH(int, reportLine);
        m_store->write("Option8", option8);
        m_store->write("Option9", option9);
        auto w = loadedWindow();
        QCOMPARE(child<QRadioButton>(*w, "Option8")->isChecked(), toFolder);
        QCOMPARE(child<QRadioButton>(*w, "Option9")->isChecked(), besideSource);
        QCOMPARE(child<QGroupBox>(*w, "Frame4")->isEnabled(), toFolder);
        QCOMPARE(reports().size(), reportLine ? 1 : 0);
        if (reportLine)
            QVERIFY(reports().first().contains(QStringLiteral("at line %1").arg(reportLine)));
    }

    void everyChangeIsStoredAtOnce()
    {
        auto w = loadedWindow();
        child<QRadioButton>(*w, "Option5")->click();
        QCOMPARE(stored("Icon Size"), QStringLiteral("5"));
        QVERIFY(!child<QLineEdit>(*w, "Text2")->isEnabled());
        child<QRadioButton>(*w, "Option7")->click();
        QCOMPARE(stored("Icon Size"), QStringLiteral("7"));
        QVERIFY(child<QLineEdit>(*w, "Text2")->isEnabled());

        child<QRadioButton>(*w, "Option9")->click();
        QCOMPARE(stored("Option8"), QStringLiteral("False"));
        QCOMPARE(stored("Option9"), QStringLiteral("True"));
        QVERIFY(!child<QGroupBox>(*w, "Frame4")->isEnabled());
        child<QRadioButton>(*w, "Option8")->click();
        QCOMPARE(stored("Option8"), QStringLiteral("True"));
        QCOMPARE(stored("Option9"), QStringLiteral("False"));
        QVERIFY(child<QGroupBox>(*w, "Frame4")->isEnabled());

        QLineEdit *text2 = child<QLineEdit>(*w, "Text2");
        text2->clear();
        QCOMPARE(stored("Text2"), QString());
        QTest::keyClicks(text2, "1");
        QCOMPARE(stored("Text2"), QStringLiteral("1"));
        QTest::keyClicks(text2, "0");
        QCOMPARE(stored("Text2"), QStringLiteral("10"));

        QCOMPARE(stored("Compact"), QStringLiteral("<absent>"));
        child<QCheckBox>(*w, "Check1")->click();
        QCOMPARE(stored("Compact"), QStringLiteral("True"));
        QCOMPARE(static_cast<Form1BatchWindow &>(w->batchWindow()).request().packing,
                 IcoFile::Packing::Compact);

        // Only a colour is kept; a text that is none refuses a kit's batch.
        QLineEdit *text3 = child<QLineEdit>(*w, "Text3");
        text3->setText(QStringLiteral("navy"));
        QCOMPARE(stored("KitBackground"), QStringLiteral("#000080"));
        text3->setText(QStringLiteral("#12345"));
        QCOMPARE(stored("KitBackground"), QStringLiteral("#000080"));
        QVERIFY(!static_cast<Form1BatchWindow &>(w->batchWindow()).request().background.isValid());
        text3->setText(QStringLiteral("navy"));

        // A fresh window restores it all.
        auto again = loadedWindow();
        QVERIFY(child<QRadioButton>(*again, "Option7")->isChecked());
        QCOMPARE(child<QLineEdit>(*again, "Text2")->text(), QStringLiteral("10"));
        QVERIFY(child<QCheckBox>(*again, "Check1")->isChecked());
    }

    // Windows' sets open on the Down key, each with its sizes; a typed list opens nothing.
    void sizeSetsInTheBox()
    {
        auto w = loadedWindow();
        w->show();
        QApplication::setActiveWindow(w.get());
        child<QRadioButton>(*w, "Option7")->click();
        QLineEdit *text2 = child<QLineEdit>(*w, "Text2");
        text2->setFocus(); // a completion reaches only the box with focus
        QTRY_VERIFY(text2->hasFocus());
        text2->clear();
        QTest::keyClicks(text2, "16,24");
        QAbstractItemView *list = text2->completer()->popup();
        QVERIFY(!list->isVisible());
        QTest::keyClick(text2, Qt::Key_Down);
        QVERIFY(list->isVisible());
        QCOMPARE(list->model()->rowCount(), 3);
        QCOMPARE(
            list->model()->index(0, 0).data().toString(),
            QStringLiteral("windows: 16, 20, 24, 30, 32, 36, 40, 48, 60, 64, 72, 80, 96, 256"));
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(text2->text(), QStringLiteral("windows-small"));
        QCOMPARE(stored("Text2"), QStringLiteral("windows-small"));
        QCOMPARE(static_cast<Form1BatchWindow &>(w->batchWindow()).request().size.sizes().size(),
                 8);
    }

    void folderPicker_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("text1");
        QTest::addColumn<QString>("remembered");
        QTest::newRow("cancel") << ""
                                << "unchanged"
                                << "<absent>";
        QTest::newRow("root") << "/"
                              << "/"
                              << "/";
        QTest::newRow("folder") << "/tmp/Icons"
                                << "/tmp/Icons/"
                                << "/tmp/Icons";
    }

    void folderPicker()
    {
        QFETCH(QString, answer);
        QFETCH(QString, text1);
        QFETCH(QString, remembered);
        m_store->write("Text1", "unchanged");
        m_store->write("LastFolderDot", "/start");
        auto w = loadedWindow();
        m_store->write("LastFolderDot", "/start");
        m_dialogs.folderAnswers << answer;
        w->PushButton9_Click();
        QCOMPARE(m_dialogs.startFolders.last(), QStringLiteral("/start"));
        QCOMPARE(m_dialogs.prompts.last(), QStringLiteral("Please select folder:"));
        QCOMPARE(child<QLineEdit>(*w, "Text1")->text(), text1);
        QCOMPARE(stored("LastFolderDot"), answer.isEmpty() ? QStringLiteral("/start") : remembered);
    }

    void emptyListSaysSo()
    {
        auto w = loadedWindow();
        child<QPushButton>(*w, "PushButton2")->click();
        QCOMPARE(m_dialogs.messages.size(), 1);
        QCOMPARE(m_dialogs.messages.first().text, QStringLiteral("No files added."));
        QCOMPARE(m_dialogs.messages.first().title, QStringLiteral("Quorbel"));
        QCOMPARE(m_dialogs.messages.first().icon, Dialogs::Icon::None);
    }

    void hoverPointer()
    {
        auto w = loadedWindow();
        auto move = [](QWidget *target) {
            QMouseEvent event(QEvent::MouseMove, QPointF(2, 2), target->mapToGlobal(QPointF(2, 2)),
                              Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(target, &event);
        };
        move(child<QPushButton>(*w, "PushButton1"));
        QCOMPARE(w->pointerCode(), 99);
        move(child<QRadioButton>(*w, "Option3")); // no handler: stays
        QCOMPARE(w->pointerCode(), 99);
        move(child<QGroupBox>(*w, "Frame1"));
        QCOMPARE(w->pointerCode(), 0);
        w->setPointer(11);
        move(child<QPushButton>(*w, "PushButton2"));
        move(child<QLineEdit>(*w, "Text1"));
        QCOMPARE(w->pointerCode(), 11);
    }

    void progressBeyondRangeShowsFull()
    {
        Form1 w(m_dialogs, *m_store, m_app);
        BatchView &batch = w.batchWindow();
        batch.setProgressValue(150);
        QCOMPARE(batch.progressValue(), 100);
        batch.setProgressText("Processing: 100%p.png");
        QCOMPARE(w.findChild<QProgressBar *>("ProgressBar1")->text(),
                 QStringLiteral("Processing: 100%p.png"));
    }

    void fastProgressEndsPaintedWithTheLatest()
    {
        Form1 w(m_dialogs, *m_store, m_app);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *bar = w.findChild<QProgressBar *>("ProgressBar1");
        int paints = 0;
        EventCounter counter(QEvent::Paint, &paints);
        bar->installEventFilter(&counter);
        BatchView &batch = w.batchWindow();
        for (int file = 1; file <= 40; ++file) {
            batch.setProgressValue(file * 2.5);
            batch.setProgressText(QStringLiteral("Processing: %1.png").arg(file));
            QCoreApplication::processEvents();
        }
        const int before = paints;
        QTRY_VERIFY(paints > before); // the last change is painted, late but surely
        QCOMPARE(bar->value(), 100);
        QCOMPARE(bar->text(), QStringLiteral("Processing: 40.png"));
        QCOMPARE(batch.progressValue(), 100);
    }

    void removal_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QStringList>("rows");
        const QStringList all{"A", "B", "C"};
        QTest::newRow("delete") << int(Qt::Key_Delete) << 0 << false << QStringList{"A", "C"};
        QTest::newRow("shift delete")
            << int(Qt::Key_Delete) << int(Qt::ShiftModifier) << false << QStringList{"A", "C"};
        QTest::newRow("ctrl delete")
            << int(Qt::Key_Delete) << int(Qt::ControlModifier) << false << QStringList{"A", "C"};
        QTest::newRow("other key") << int(Qt::Key_Backspace) << 0 << false << all;
        QTest::newRow("busy") << int(Qt::Key_Delete) << 0 << true << all;
    }

    void removal()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, busy);
        QFETCH(QStringList, rows);
        auto w = loadedWindow();
        FileListView &view = w->listView();
        for (const char *t : {"A", "B", "C"})
            w->fileList().appendRow(t);
        view.selectIndex(w->fileList().index(1));
        if (busy)
            w->setPointer(11);
        QTest::keyClick(&view, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(w->fileList().rows(), rows);
        w->listHandlers().ListView1_DblClick();
        QCOMPARE(w->fileList().numberOfRows(),
                 busy ? 3 : int(rows.size()) - (view.selectedIndex().isValid() ? 1 : 0));
        w->PushButton6_Click();
        QCOMPARE(w->fileList().numberOfRows() == 0, !busy);
    }

    void removalOnEmptyListDoesNothing()
    {
        auto w = loadedWindow();
        QTest::keyClick(&w->listView(), Qt::Key_Delete);
        w->listHandlers().ListView1_DblClick();
        QCOMPARE(w->fileList().numberOfRows(), 0);
        QVERIFY(reports().isEmpty());
    }

    void addByDialog_data()
    {
        QTest::addColumn<QStringList>("answer");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("cancel") << QStringList{} << QStringList{"/x.png"};
        QTest::newRow("one") << QStringList{"/p/a b.png"} << QStringList{"/x.png", "/p/a b.png"};
        QTest::newRow("several") << QStringList{"/p/c.png", "/p/a.png", "/p/x.png"}
                                 << QStringList{"/x.png", "/p/c.png", "/p/a.png", "/p/x.png"};
        QTest::newRow("root") << QStringList{"/a.png", "/b.png"}
                              << QStringList{"/x.png", "/a.png", "/b.png"};
        QTest::newRow("already listed") << QStringList{"/x.png"} << QStringList{"/x.png", "/x.png"};
    }

    void addByDialog()
    {
        QFETCH(QStringList, answer);
        QFETCH(QStringList, rows);
        auto w = loadedWindow();
        w->fileList().appendRow("/x.png");
        m_dialogs.openFilesAnswers << answer;
        child<QPushButton>(*w, "PushButton1")->click();
        QCOMPARE(w->fileList().rows(), rows);
        QCOMPARE(m_dialogs.prompts.last(),
                 QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"));
        QVERIFY(m_dialogs.messages.isEmpty());
    }

    void tooManyFilesSelected()
    {
        auto w = loadedWindow();
        m_dialogs.openFilesTooMany = true;
        w->PushButton1_Click();
        QCOMPARE(w->fileList().numberOfRows(), 0);
        QCOMPARE(m_dialogs.messages.size(), 1);
        QCOMPARE(m_dialogs.messages.first().text, TooManyFilesMessage());
        QCOMPARE(m_dialogs.messages.first().title, QStringLiteral("Quorbel"));
        QVERIFY(TooManyFilesMessage().endsWith("Please try adding via the \"Add All\" button."));
    }

    void dropsAcceptOnlyFiles()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("a.png"), "x");
        writeFile(dir.filePath("pics/b.png"), "x");
        auto w = loadedWindow();
        w->show();
        QWidget *viewport = w->listView().viewport();

        QMimeData text;
        text.setText("just text");
        QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton,
                                Qt::NoModifier);
        QApplication::sendEvent(viewport, &refused);
        QVERIFY(!refused.isAccepted());

        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(dir.filePath("a.png")),
                       QUrl("https://example.org/x.png"),
                       QUrl::fromLocalFile(dir.filePath("pics"))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
        QCOMPARE(w->fileList().rows(),
                 (QStringList{dir.filePath("a.png"), dir.filePath("pics/b.png")}));
    }

    void skinAndPointerImage()
    {
        writeFile(m_app + "/x/o.cjs", "QPushButton { font-style: italic; }");
        writeFile(m_app + "/HAND-M.CUR", "not a picture");
        auto w = loadedWindow();
        QCOMPARE(w->styleSheet(), QStringLiteral("QPushButton { font-style: italic; }"));
        QCOMPARE(w->palette().color(QPalette::Window), w->palette().color(QPalette::Button));
        QCOMPARE(reports().size(), 1);
        QVERIFY(reports().first().contains("Form_Load at line 104"));

        m_dialogs.messages.clear();
        writeFile(m_app + "/x/o.cjs", "\xff\xfe bad");
        QFile::remove(m_app + "/HAND-M.CUR");
        auto broken = loadedWindow();
        QCOMPARE(reports().size(), 1);
        QVERIFY(reports().first().contains("Form_Load at line 100"));
        QVERIFY(broken->styleSheet().isEmpty());
    }

    // A record that fails is tried again at once, and each try is reported.
    void samplesThatCannotBeRecorded()
    {
        QVERIFY(QFile::link(m_app + "/Samples", m_app + "/Samples")); // a loop
        auto w = loadedWindow();
        QCOMPARE(reports().size(), 2);
        QVERIFY(reports().at(0).contains("Form_Load at line 108"));
        QVERIFY(reports().at(1).contains("Form_Load at line 128"));
    }

    // A settings file that cannot be kept is said once, naming the file.
    void settingsThatCannotBeSaved()
    {
        static const int rerun = rerunWithoutPermissionOverride();
        if (rerun >= 0) {
            QCOMPARE(rerun, 0);
            return;
        }
        writeFile(m_store->fileName(), "[General]\n", QFile::ReadOwner);
        QVERIFY(QFile::setPermissions(QFileInfo(m_store->fileName()).path(),
                                      QFile::ReadOwner | QFile::ExeOwner));
        const auto unlock = qScopeGuard([&] {
            QFile::setPermissions(QFileInfo(m_store->fileName()).path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        auto w = loadedWindow();
        child<QRadioButton>(*w, "Option3")->click();
        QTRY_COMPARE(m_dialogs.messages.size(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(m_dialogs.messages.size(), 1);
        QVERIFY(m_dialogs.messages.first().text.contains(m_store->fileName()));
    }

    // What is written on the window's face stays readable whatever the desktop's
    // palette: the window forces its face, so its text must go with it.
    void readableUnderEveryPalette_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<bool>("skin");
        QTest::newRow("light") << false << false;
        QTest::newRow("dark") << true << false;
        QTest::newRow("light, skin") << false << true;
        QTest::newRow("dark, skin") << true << true;
    }

    void readableUnderEveryPalette()
    {
        QFETCH(bool, dark);
        QFETCH(bool, skin);
        const QPalette desktop = QApplication::palette();
        const auto restore = qScopeGuard([&] { QApplication::setPalette(desktop); });
        if (dark) {
            QPalette p = desktop;
            for (auto role : {QPalette::Window, QPalette::Button, QPalette::Base})
                p.setColor(role, QColor(50, 50, 50));
            for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
                p.setColor(role, QColor(220, 220, 220));
            QApplication::setPalette(p);
        }
        if (skin)
            writeFile(m_app + "/x/o.cjs", "QPushButton { font-style: italic; }");
        auto w = loadedWindow();
        // Luminance as the eye weighs it; 0.5 apart is plainly readable.
        const auto luminance = [](const QColor &c) {
            return 0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF();
        };
        const double face = luminance(w->palette().color(QPalette::Window));
        for (QWidget *label : w->findChildren<QWidget *>()) {
            if (!qobject_cast<QRadioButton *>(label) && !qobject_cast<QGroupBox *>(label))
                continue;
            const double text = luminance(label->palette().color(QPalette::WindowText));
            QVERIFY2(qAbs(face - text) > 0.5, qPrintable(label->objectName()));
        }
        // An empty circle is light inside and a chosen one dark, whatever the desktop.
        for (const char *name : {"Option1", "Option2"}) {
            auto *option = child<QRadioButton>(*w, name);
            QStyleOptionButton style;
            style.initFrom(option);
            const QPoint centre =
                option->style()
                    ->subElementRect(QStyle::SE_RadioButtonIndicator, &style, option)
                    .center();
            const QImage shot = option->grab().toImage();
            const double inside = luminance(shot.pixelColor(centre * shot.devicePixelRatio()));
            QVERIFY2(option->isChecked() ? inside < 0.3 : inside > 0.8, name);
        }
    }

    void screenReadersNameTheControls_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("list") << "ListView1"
                              << "Pictures to convert";
        QTest::newRow("folder box") << "Text1"
                                    << "Output folder";
        QTest::newRow("progress bar") << "ProgressBar1"
                                      << "Conversion progress";
        QTest::newRow("folder button") << "PushButton9"
                                       << "Choose output folder";
    }

    void screenReadersNameTheControls()
    {
        QFETCH(QString, control);
        QFETCH(QString, spoken);
        auto w = loadedWindow();
        QAccessibleInterface *read =
            QAccessible::queryAccessibleInterface(child<QWidget>(*w, qPrintable(control)));
        QVERIFY(read);
        QCOMPARE(read->text(QAccessible::Name), spoken);
        QVERIFY(!read->text(QAccessible::Description).isEmpty());
        QCOMPARE(child<QPushButton>(*w, "PushButton9")->text(), QStringLiteral("..."));
    }

    // A screen reader reads the bar's text and value as they change, not only its name.
    void progressReachesScreenReaders()
    {
        auto w = loadedWindow();
        auto *bar = child<ProgressBar>(*w, "ProgressBar1");
        bar->setText("Processing: a.png");
        bar->setValueLater(50);
        QAccessibleInterface *read = QAccessible::queryAccessibleInterface(bar);
        QVERIFY(read && read->valueInterface());
        QCOMPARE(read->text(QAccessible::Description), QStringLiteral("Processing: a.png"));
        QCOMPARE(read->valueInterface()->currentValue().toInt(), 50);
    }

    // Rows moved while the batch runs: each mark goes to the row its file is on now.
    void rowsShowHowTheirFilesEnded()
    {
        QTemporaryDir dir;
        qputenv("TEMP", QFile::encodeName(dir.path()));
        writeScript(dir.filePath("emfconvert.exe"), "sleep 0.3\nexit 1");
        const auto restore = qScopeGuard([] { qunsetenv("TEMP"); });
        auto w = loadedWindow();
        w->setConverterJobs(1);
        FileListModel &list = w->fileList();
        writeFile(dir.filePath("a.png"), greyPng(1, 1));
        writeFile(dir.filePath("b.png"), greyPng(1, 1));
        list.appendRows({dir.filePath("a.png"), dir.filePath("gone.png"), dir.filePath("b.png")});
        child<QRadioButton>(*w, "Option9")->click();
        QTimer::singleShot(150, w.get(), [&] { // a.png is converting
            list.exchangeRows(1, 3);
            list.appendRow(dir.filePath("c.png"));
        });
        w->PushButton2_Click();
        using Outcome = FileListModel::Outcome;
        QCOMPARE(list.rows(), QStringList({dir.filePath("b.png"), dir.filePath("gone.png"),
                                           dir.filePath("a.png"), dir.filePath("c.png")}));
        QCOMPARE(list.outcome(1), Outcome::NotReached); // the batch never came to b.png
        QCOMPARE(list.data(list.index(0), Qt::ToolTipRole).toString(),
                 QStringLiteral("Not converted: moved during the batch"));
        QCOMPARE(list.outcome(2), Outcome::Failed);
        QCOMPARE(list.data(list.index(1), Qt::ToolTipRole).toString(),
                 QStringLiteral("Not converted: file not found"));
        QCOMPARE(list.outcome(3), Outcome::Failed);
        QCOMPARE(list.outcome(4), Outcome::None);
        list.appendRow(dir.filePath("d.png"));
        QCOMPARE(list.outcome(2), Outcome::None);
    }

    void rowsGoneMidBatchAreReportedNotFatal()
    {
        QTemporaryDir dir;
        qputenv("TEMP", QFile::encodeName(dir.path()));
        writeScript(dir.filePath("emfconvert.exe"), "sleep 0.3\nexit 1");
        auto w = loadedWindow();
        w->setConverterJobs(1); // rows 2 and 3 are read after the clearing
        for (const char *name : {"a.png", "b.png", "c.png"}) {
            writeFile(dir.filePath(name), greyPng(1, 1)); // a missing source would fail at once
            w->fileList().appendRow(dir.filePath(name));
        }
        child<QRadioButton>(*w, "Option9")->click();
        QTimer::singleShot(150, w.get(), [&] {
            w->setPointer(0); // as when adding a folder ends in the middle of a batch
            w->PushButton6_Click();
        });
        w->PushButton2_Click();
        QCOMPARE(reports().size(), 2); // rows 2 and 3
        QVERIFY(reports().first().contains("PushButton2_Click at line 146"));
        QVERIFY(m_dialogs.messages.last().text.startsWith("Done."));
        QVERIFY(!w->isConverting());
        qunsetenv("TEMP");
    }

    // Escape reaches the window from whichever control has focus; the batch ends as
    // after its last file.
    void escapeStopsTheBatch_data()
    {
        QTest::addColumn<QString>("focus");
        for (const char *name : {"ListView1", "Text1", "PushButton2", "Option4"})
            QTest::newRow(name) << name;
    }
    void escapeStopsTheBatch()
    {
        QFETCH(QString, focus);
        QTemporaryDir dir;
        qputenv("TEMP", QFile::encodeName(dir.path()));
        writeScript(dir.filePath("emfconvert.exe"), "sleep 30");
        auto w = loadedWindow();
        w->setConverterJobs(1);
        for (const char *name : {"a.png", "b.png"}) {
            writeFile(dir.filePath(name), greyPng(1, 1));
            w->fileList().appendRow(dir.filePath(name));
        }
        child<QRadioButton>(*w, "Option9")->click();
        auto *target = child<QWidget>(*w, qPrintable(focus));
        QString title;
        QTimer::singleShot(300, w.get(), [&] {
            title = w->windowTitle();
            QTest::keyClick(target, Qt::Key_Escape);
            QTest::keyClick(target, Qt::Key_Escape);
        });
        QElapsedTimer clock;
        clock.start();
        w->PushButton2_Click();
        QVERIFY(clock.elapsed() < 20000); // did not wait for the converter
        QCOMPARE(title, QStringLiteral("Quorbel — 1 of 2 · Esc stops"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Quorbel"));
        QCOMPARE(m_dialogs.messages.size(), 1);
        QCOMPARE(m_dialogs.messages.last().text,
                 "Stopped.\r\n\r\n0 of 2 files were converted before the stop. Not converted:\r\n" +
                     dir.filePath("a.png") + " (stopped before it was converted)\r\n" +
                     dir.filePath("b.png") + " (stopped before it was converted)");
        QCOMPARE(child<QProgressBar>(*w, "ProgressBar1")->text(), QStringLiteral("Progress Bar"));
        QCOMPARE(w->pointerCode(), 0);
        for (int row : {1, 2}) // the row the stop left unreached too
            QVERIFY(w->fileList().outcome(row) == FileListModel::Outcome::NotReached);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 (QStringList{"a.png", "b.png"}));
        QTest::keyClick(target, Qt::Key_Escape); // nothing runs
        QCOMPARE(m_dialogs.messages.size(), 1);
        qunsetenv("TEMP");
    }

    void closingMidBatchPutsTheIconBack()
    {
        QTemporaryDir dir;
        const QString temp = dir.filePath("temp");
        QDir().mkpath(temp);
        qputenv("TEMP", QFile::encodeName(temp));
        writeScript(temp + "/emfconvert.exe", "eval out=\\${$#}\nprintf half > \"$out\"\nsleep 30");
        writeFile(dir.filePath("out/a.ico"), "GOOD OLD ICON");
        writeFile(dir.filePath("a.png"), greyPng(1, 1));
        auto w = loadedWindow();
        w->fileList().appendRow(dir.filePath("a.png"));
        child<QLineEdit>(*w, "Text1")->setText(dir.filePath("out"));
        bool ended = false;
        w->setEndProgram([&] { ended = true; });
        QElapsedTimer clock;
        clock.start();
        QTimer::singleShot(500, w.get(), [&] {
            QVERIFY(w->isConverting());
            QVERIFY(w->fileList().numberOfRows() == 1);
            w->PushButton6_Click(); // refused while busy
            QCOMPARE(w->fileList().numberOfRows(), 1);
            w->close();
        });
        w->PushButton2_Click();
        QVERIFY(ended);
        QVERIFY(clock.elapsed() < 10000);
        QCOMPARE(readFile(dir.filePath("out/a.ico")), QByteArray("GOOD OLD ICON"));
        QVERIFY(!QFile::exists(temp + "/emfconvert.exe"));
        qunsetenv("TEMP");
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"

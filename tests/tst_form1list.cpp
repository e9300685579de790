// The main window's list offscreen: the empty list, progress, removal, adding by
// dialog, drops, the pointer's skin, and settings that cannot be kept.
#include "Form1Fixture.h"

class TestForm1List : public Form1Fixture
{
    Q_OBJECT

private slots:
    void init() { prepare(); }

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
};

QTEST_MAIN(TestForm1List)
#include "tst_form1list.moc"

// The main window offscreen under every palette and for screen readers, and a batch
// through it: row marks, rows gone mid-batch, Escape, closing mid-batch.
#include "Form1Fixture.h"

class TestForm1Batch : public Form1Fixture
{
    Q_OBJECT

private slots:
    void init() { prepare(); }

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

QTEST_MAIN(TestForm1Batch)
#include "tst_form1batch.moc"

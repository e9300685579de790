// The main window offscreen: start-up, its layout, stored options and the folder picker.
#include "Form1Fixture.h"

class TestForm1 : public Form1Fixture
{
    Q_OBJECT

private slots:
    void init() { prepare(); }

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
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"

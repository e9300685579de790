// Keys as a person expects them: Return presses the focused button, and the box that
// ends a batch waits for a fresh Escape and offers the folder the icons went to.
#include "TestSupport.h"
#include "app/Form1.h"
#include "filelist/FileListModel.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {
class RecordingDialogs final : public QtDialogs
{
public:
    QStringList opened;
    void openFolder(const QString &path) override { opened << path; }
};

QKeyEvent escape(bool held)
{
    return QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(), held);
}
} // namespace

class TestKeys : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void returnPressesTheFocusedButton_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Enter") << int(Qt::Key_Enter);
    }
    void returnPressesTheFocusedButton()
    {
        QFETCH(int, key);
        keepSettingsIn(m_dir.filePath("settings"));
        SettingsStore store;
        FakeDialogs dialogs;
        Form1 window(dialogs, store, m_dir.filePath("app"));
        window.Form_Load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.fileList().appendRows({"/p/a.png", "/p/b.png"});
        auto *clear = window.findChild<QPushButton *>("PushButton6");
        clear->setFocus();
        QTest::keyClick(clear, Qt::Key(key));
        QTRY_COMPARE(window.fileList().numberOfRows(), 0);
    }

    void summaryWaitsForAFreshEscape_data()
    {
        QTest::addColumn<bool>("showFolder"); // else a fresh Escape closes it
        QTest::newRow("Show Folder") << true;
        QTest::newRow("a fresh Escape") << false;
    }
    void summaryWaitsForAFreshEscape()
    {
        QFETCH(bool, showFolder);
        RecordingDialogs dialogs;
        bool stayedOpen = false;
        bool okIsDefault = false;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            okIsDefault = box->defaultButton() == box->button(QMessageBox::Ok);
            QKeyEvent held = escape(true); // the stop's Escape, still down
            QApplication::sendEvent(box->focusWidget() ? box->focusWidget() : box, &held);
            QApplication::processEvents();
            stayedOpen = box->isVisible();
            QAbstractButton *show = nullptr;
            for (QAbstractButton *button : box->buttons())
                show = button->text() == "Show Folder" ? button : show;
            QVERIFY(show);
            if (showFolder) {
                show->click();
            } else {
                QKeyEvent fresh = escape(false);
                QApplication::sendEvent(box->focusWidget() ? box->focusWidget() : box, &fresh);
            }
        });
        dialogs.message(nullptr, "Done.", "Quorbel", Dialogs::Icon::None, {},
                        {"2 icons written in /out.", "/out"});
        QVERIFY(stayedOpen);
        QVERIFY(okIsDefault);
        QCOMPARE(dialogs.opened, showFolder ? QStringList{"/out"} : QStringList());
    }
};

QTEST_MAIN(TestKeys)
#include "tst_keys.moc"

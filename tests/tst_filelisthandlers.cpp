// Moving rows with the mouse, and the open-file dialog's result form.
#include "TestSupport.h"
#include "filelist/AddFilesByDialog.h"
#include "filelist/FileListHandlers.h"
#include "filelist/FileListModel.h"
#include "filelist/FileListView.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
class FakeSurface final : public ListSurface
{
public:
    explicit FakeSurface(FileListModel &model) : m_model(model) {}
    QModelIndex selected;
    QList<int> scrolledTo;
    int screenY = 330;
    int pointer = 0;
    // Rows are 10 pixels high in this fake.
    QModelIndex indexAt(const QPoint &p) const override { return m_model.index(p.y() / 10, 0); }
    QModelIndex selectedIndex() const override { return selected; }
    void selectIndex(const QModelIndex &index) override { selected = index; }
    void ensureRowVisible(int row) override { scrolledTo << row; }
    int cursorScreenY() const override { return screenY; }
    void setListPointer(int code, const QString &) override { pointer = code; }

private:
    FileListModel &m_model;
};

} // namespace

class TestFileListHandlers : public QObject
{
    Q_OBJECT

    QString m_app = QStringLiteral("/nonexistent-app");

private slots:
    void rowMoving_data()
    {
        QTest::addColumn<QStringList>("start");
        QTest::addColumn<QList<int>>("path"); // rows the pointer passes, from 1
        QTest::addColumn<QStringList>("result");
        QTest::addColumn<int>("selected");
        QTest::newRow("one by one") << QStringList{"A", "B", "C", "D"} << QList<int>{2, 3, 4}
                                    << QStringList{"B", "C", "D", "A"} << 4;
        QTest::newRow("jump") << QStringList{"A", "B", "C", "D"} << QList<int>{4}
                              << QStringList{"D", "B", "C", "A"} << 4;
        QTest::newRow("equal texts")
            << QStringList{"A", "A", "B"} << QList<int>{2} << QStringList{"A", "A", "B"} << 0;
        QTest::newRow("and back") << QStringList{"A", "B", "C"} << QList<int>{2, 3, 2, 1}
                                  << QStringList{"A", "B", "C"} << 1;
    }

    void rowMoving()
    {
        QFETCH(QStringList, start);
        QFETCH(QList<int>, path);
        QFETCH(QStringList, result);
        QFETCH(int, selected);
        FileListModel model;
        model.appendRows(start);
        FakeSurface surface(model);
        FileListHandlers h(
            model, surface, [] { return false; }, [] {}, m_app);
        surface.selected = model.index(0);
        h.ListView1_ItemClick();
        QCOMPARE(surface.pointer, 99);
        h.ListView1_MouseDown();
        for (int row : path)
            h.ListView1_MouseMove(5, (row - 1) * 10 + 5);
        QCOMPARE(model.rows(), result);
        if (selected)
            QCOMPARE(surface.selected.row() + 1, selected);
        h.ListView1_MouseUp();
        QCOMPARE(surface.pointer, 1);
        QVERIFY(!h.IsDraggingItem);
        h.ListView1_MouseMove(5, 5); // after the release nothing moves
        QCOMPARE(model.rows(), result);
    }

    void autoScroll_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("screenY");
        QTest::addColumn<QList<int>>("scrolled");
        QTest::newRow("up from row 3") << 4 << 3 << 304 << QList<int>{2};
        QTest::newRow("up at row 1") << 2 << 1 << 10 << QList<int>{};
        QTest::newRow("down") << 2 << 3 << 365 << QList<int>{4};
        QTest::newRow("down at last row") << 3 << 4 << 900 << QList<int>{};
        QTest::newRow("between, top") << 2 << 3 << 305 << QList<int>{};
        QTest::newRow("between, bottom") << 2 << 3 << 364 << QList<int>{};
        QTest::newRow("negative screen row") << 4 << 3 << -20 << QList<int>{2};
    }

    void autoScroll()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, screenY);
        QFETCH(QList<int>, scrolled);
        FileListModel model;
        model.appendRows({"A", "B", "C", "D"});
        FakeSurface surface(model);
        FileListHandlers h(
            model, surface, [] { return false; }, [] {}, m_app);
        surface.selected = model.index(from - 1);
        surface.screenY = screenY;
        h.ListView1_ItemClick();
        h.ListView1_MouseDown();
        h.ListView1_MouseMove(5, (to - 1) * 10 + 5);
        QCOMPARE(surface.scrolledTo, scrolled);
    }

    void movingARemovedRowDoesNothing()
    {
        FileListModel model;
        model.appendRows({"A", "B", "C"});
        FakeSurface surface(model);
        FileListHandlers h(
            model, surface, [] { return false; }, [] {}, m_app);
        surface.selected = model.index(1);
        h.ListView1_ItemClick();
        h.ListView1_MouseDown();
        surface.selected = model.index(1);
        h.ListView1_KeyDown(Qt::Key_Delete, Qt::NoModifier); // removes B, the dragged row
        h.ListView1_MouseMove(5, 5);
        QCOMPARE(model.rows(), (QStringList{"A", "C"}));
        model.clear();
        h.ListView1_MouseMove(5, 5);
        QCOMPARE(model.numberOfRows(), 0);
    }

    void chosenFilesFitTheBuffer()
    {
        QCOMPARE(chosenFiles({"/p/a.png", "/p//b.png"}, 100),
                 (QStringList{"/p/a.png", "/p/b.png"}));
        QCOMPARE(chosenFiles({}, 100), QStringList());
        QVERIFY_THROWS_EXCEPTION(AppError, chosenFiles({"/p/a.png", "/p/b.png"}, 8));
    }

    void eachChosenFileUnderItsOwnPath_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::newRow("one") << QStringList{"/p/a.png"};
        QTest::newRow("one folder") << QStringList{"/p/a.png", "/p/b.png"};
        QTest::newRow("two folders") << QStringList{"/a/A.png", "/b/B.png"};
        QTest::newRow("typed subfolder") << QStringList{"/p/sub/x.png", "/p/y.png"};
        QTest::newRow("root") << QStringList{"/a.png", "/b.png"};
        QTest::newRow("root and below") << QStringList{"/a.png", "/x/y/b.png"};
    }

    void eachChosenFileUnderItsOwnPath()
    {
        QFETCH(QStringList, chosen);
        FakeDialogs dialogs;
        dialogs.openFilesAnswers << chosenFiles(chosen, 1000);
        Rows rows;
        FakeReporter reporter;
        addFilesByDialog(dialogs, nullptr, rows, reporter, "Quorbel");
        QCOMPARE(rows.rows, chosen);
    }
};

QTEST_GUILESS_MAIN(TestFileListHandlers)
#include "tst_filelisthandlers.moc"

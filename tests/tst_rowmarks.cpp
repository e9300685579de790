// How the list shows a batch's outcome on each row, and paths too long for the column.
#include "TestSupport.h"
#include "app/RowMarks.h"
#include "filelist/FileListModel.h"
#include "filelist/FileListView.h"
#include "filelist/ThumbnailDelegate.h"

#include <QHeaderView>
#include <QToolTip>
#include <QtTest>

namespace {
using Outcome = FileListModel::Outcome;

QString tooltipAt(FileListView &view, int row)
{
    QToolTip::hideText();
    const QPoint at = view.visualRect(view.model()->index(row, 0)).center();
    QHelpEvent event(QEvent::ToolTip, at, view.viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(view.viewport(), &event);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

class SilentDisplay final : public BatchObserver
{
public:
    void batchRefused(Refusal) override {}
    void batchStarting() override {}
    void fileStarting(const FileStart &) override {}
    void conversionRunning(int, int) override {}
    void stillConverting(const StillConverting &) override {}
    void fileEnded(const FileResult &, bool) override {}
    void batchEnded(const BatchSummary &) override {}
    void letEventsRun() override {}
};
} // namespace

class TestRowMarks : public QObject
{
    Q_OBJECT

private slots:
    // Marks stay while their batch runs, whatever happens to the list, and go with
    // the first edit after it.
    void marksLastUntilTheListIsEdited_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::newRow("append") << "append";
        QTest::newRow("remove") << "remove";
        QTest::newRow("move") << "move";
        QTest::newRow("next batch") << "begin";
    }

    void marksLastUntilTheListIsEdited()
    {
        QFETCH(QString, edit);
        FileListModel model;
        model.appendRows({"a", "b", "c"});
        const auto doEdit = [&] {
            if (edit == "append")
                model.appendRow("d");
            else if (edit == "remove")
                model.removeRowAt(model.numberOfRows());
            else if (edit == "move")
                model.exchangeRows(3, 2);
            else
                model.beginOutcomes();
        };
        model.beginOutcomes();
        model.setOutcome(1, model.rowKey(1), Outcome::Converted, {});
        model.setOutcome(2, model.rowKey(2), Outcome::Failed, "file not found");
        doEdit(); // while the batch runs
        if (edit != "begin") {
            QCOMPARE(model.outcome(1), Outcome::Converted);
            QCOMPARE(model.outcome(edit == "move" ? 3 : 2), Outcome::Failed);
        }
        model.endOutcomes();
        if (edit == "begin")
            return;
        doEdit();
        for (int row = 1; row <= model.numberOfRows(); ++row)
            QCOMPARE(model.outcome(row), Outcome::None);
    }

    // A stop leaves rows unread; each is marked only where its own file stands.
    void unreadRowIsMarkedOnlyByItsOwnPath_data()
    {
        QTest::addColumn<QString>("rowNow");
        QTest::addColumn<bool>("marked");
        QTest::newRow("its file") << "/p/a.png" << true;
        QTest::newRow("longer name") << "/p/a.png.old" << false;
        QTest::newRow("shorter name") << "/p/a.pn" << false;
        QTest::newRow("deeper folder") << "/x/p/a.png" << false;
        QTest::newRow("same name, other folder") << "/q/a.png" << false;
        QTest::newRow("other case") << "/p/A.png" << false;
    }
    void unreadRowIsMarkedOnlyByItsOwnPath()
    {
        QFETCH(QString, rowNow);
        QFETCH(bool, marked);
        FileListModel model;
        model.appendRows({"/p/first.png", rowNow});
        SilentDisplay display;
        RowMarks marks(display, model);
        marks.batchStarting();
        const FileResult stopped{
            2,     "/p/a.png", FileResult::Outcome::Failed, {Failure::Reason::BatchStopped, {}, {}},
            false, {}};
        marks.batchEnded({2, {stopped}, true});
        QCOMPARE(model.outcome(2), marked ? Outcome::NotReached : Outcome::None);
        if (marked)
            QCOMPARE(model.data(model.index(1), Qt::ToolTipRole).toString(),
                     QStringLiteral("Not converted: stopped before this file"));
    }

    void rowShowsMarkReasonAndWholePath()
    {
        FileListModel model;
        const QString path = "/home/user/Pictures/Clients/Acme Corporation/Brand Assets/"
                             "Final/logo-final.png";
        model.appendRows({"/pics/a.png", "/pics/b.png", path});
        FileListView view;
        view.setToolTip("the list's hint");
        view.setModel(&model);
        view.header()->resizeSection(0, 350);
        view.resize(400, 120);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        // The mark's red, just left of the thumbnail.
        const auto marked = [&](int row) {
            const QImage shot = view.viewport()->grab().toImage();
            const QRect rect = view.visualRect(model.index(row));
            for (int x = rect.left(); x < rect.left() + ThumbnailDelegate::MarkEdge + 4; ++x) {
                const QColor c =
                    shot.pixelColor(QPoint(x, rect.center().y()) * shot.devicePixelRatio());
                if (c.red() > 150 && c.green() < 80)
                    return true;
            }
            return false;
        };
        QVERIFY(!marked(1));
        model.beginOutcomes();
        model.setOutcome(2, model.rowKey(2), Outcome::Failed, "file not found");
        model.endOutcomes();
        QVERIFY(!marked(0));
        QVERIFY(marked(1));
        QVERIFY(tooltipAt(view, 1).contains("Not converted: file not found"));
        QCOMPARE(tooltipAt(view, 0), QStringLiteral("the list's hint"));
        QString folder = path.section('/', 0, -2) + '/';
        folder.replace('/', QString('/') + QChar(0x200b));
        QCOMPARE(tooltipAt(view, 2), "<p>" + folder + "<br>logo-final.png</p>");
        QCOMPARE(model.data(model.index(1), Qt::AccessibleDescriptionRole).toString(),
                 QStringLiteral("Not converted: file not found"));
        model.appendRow("/pics/c.png");
        QVERIFY(!marked(1));
        QCOMPARE(tooltipAt(view, 1), QStringLiteral("the list's hint"));
    }

    // Converted, failed and never reached: each its own mark, tooltip and spoken text.
    void threeMarksTellThreeThings()
    {
        FileListModel model;
        const QString deep = "/" + QStringList(30, "a-folder-of-pictures").join('/');
        model.appendRows({"/p/a.png", "/p/b.png", "/p/c.png", deep + "/logo.png"});
        FileListView view;
        view.setModel(&model);
        view.resize(400, 160);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        SilentDisplay display;
        RowMarks marks(display, model);
        marks.batchStarting();
        using O = FileResult::Outcome;
        marks.batchEnded({3,
                          {{1, "/p/a.png", O::Converted, {}, false, {}},
                           {2, "/p/b.png", O::Failed, {Failure::Reason::NotAPicture}, false, {}},
                           {3, "/p/c.png", O::Failed, {Failure::Reason::BatchStopped}, false, {}}},
                          true});
        QCOMPARE(model.outcome(1), Outcome::Converted);
        QCOMPARE(model.outcome(2), Outcome::Failed);
        QCOMPARE(model.outcome(3), Outcome::NotReached);
        QSet<QString> spoken;
        QSet<QString> tips;
        QSet<QByteArray> drawn;
        const QImage shot = view.viewport()->grab().toImage();
        for (int row = 0; row < 3; ++row) {
            spoken << model.data(model.index(row), Qt::AccessibleDescriptionRole).toString();
            tips << tooltipAt(view, row);
            const QRect rect = view.visualRect(model.index(row));
            const QImage mark = shot.copy(QRect(
                rect.topLeft() * shot.devicePixelRatio(),
                QSize(ThumbnailDelegate::MarkEdge + 4, rect.height()) * shot.devicePixelRatio()));
            drawn << QByteArray(reinterpret_cast<const char *>(mark.constBits()),
                                mark.sizeInBytes());
        }
        QCOMPARE(spoken.size(), 3);
        QCOMPARE(tips.size(), 3);
        QCOMPARE(drawn.size(), 3);
        QVERIFY(spoken.contains("Not converted: stopped before this file"));
        // A path longer than the screen is wide wraps, its file name last.
        QVERIFY(tooltipAt(view, 3).endsWith("<br>logo.png</p>"));
        QWidget *tip = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets())
            tip = widget->inherits("QTipLabel") && widget->isVisible() ? widget : tip;
        QVERIFY(tip);
        QVERIFY2(tip->width() <= tip->screen()->availableGeometry().width(),
                 qPrintable(QString::number(tip->width())));
    }

    // The list answers: an empty list says what to do, added rows come into view,
    // and a passing hint shows over the rows.
    void listAnswers()
    {
        FileListModel model;
        FileListView view;
        view.setModel(&model);
        view.resize(400, 120);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const auto inkAt = [&](QRect area) {
            const QImage shot = view.viewport()->grab().toImage();
            const QColor base = view.palette().color(QPalette::Base);
            int ink = 0;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    ink += shot.pixelColor(QPoint(x, y) * shot.devicePixelRatio()) != base;
            return ink;
        };
        const QRect middle(0, view.viewport()->height() / 2 - 6, view.viewport()->width(), 12);
        QVERIFY(inkAt(middle) > 0);
        model.appendRow("/p/0.png");
        QCOMPARE(model.numberOfRows(), 1); // the hint is never a row
        // Rows up to the view's lower edge, then more below it.
        const int height = view.visualRect(model.index(0)).height();
        const int inSight = (view.viewport()->height() + height - 1) / height;
        QStringList rows;
        for (int i = 1; i < inSight + 50; ++i)
            rows << QStringLiteral("/p/%1.png").arg(i);
        model.appendRows(rows.mid(0, inSight - 1));
        model.appendRows(rows.mid(inSight - 1));
        QApplication::processEvents();
        QVERIFY(view.visualRect(model.index(inSight)).intersects(view.viewport()->rect()));
        const QRect bottom(0, view.viewport()->height() - 20, view.viewport()->width(), 12);
        const int before = inkAt(bottom);
        view.showHint("No files matching *.gif in /p");
        QVERIFY(inkAt(bottom) != before);
    }

    void longPathsLoseTheirMiddle_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("width"); // in average characters
        QTest::addColumn<QString>("shown");
        const QString brand = "/home/user/Pictures/Clients/Acme/Brand/logo-final.png";
        QTest::newRow("fits") << "/home/a.png" << 40 << "/home/a.png";
        QTest::newRow("folders go") << brand << 36 << "/home/user/…/Brand/logo-final.png";
        QTest::newRow("name only") << brand << 20 << "/…/logo-final.png";
        QTest::newRow("name too long")
            << "/home/a-very-long-picture-name-indeed.png" << 12 << "ends:.png";
    }

    void longPathsLoseTheirMiddle()
    {
        QFETCH(QString, path);
        QFETCH(int, width);
        QFETCH(QString, shown);
        const QFontMetrics metrics(QFont("Liberation Mono", 10)); // every character alike
        const int pixels = metrics.horizontalAdvance(QString(width, 'x'));
        const QString result = ThumbnailDelegate::shortenedPath(path, metrics, pixels);
        QVERIFY(metrics.horizontalAdvance(result) <= pixels);
        if (shown.startsWith("ends:")) {
            QVERIFY(result.contains(QChar(0x2026)));
            QVERIFY(result.endsWith(shown.mid(5)));
        } else {
            QCOMPARE(result, shown);
        }
    }
};

QTEST_MAIN(TestRowMarks)
#include "tst_rowmarks.moc"

// How soon the preview of Windows' fourteen sizes appears after Space on the list, for
// a 1024 px PNG and for an SVG, and the window's longest event gap meanwhile.
#include "BenchSupport.h"
#include "TestSupport.h"
#include "app/Form1.h"
#include "filelist/FileListModel.h"
#include "filelist/FileListView.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

namespace {
struct Measured
{
    double appearMs = 0;
    double gapMs = 0;
};

Measured previewOnce(Form1 &window, int row)
{
    FileListView &list = window.listView();
    list.selectIndex(list.model()->index(row, 0));
    // A new window each time, as at the first Space.
    delete window.previewWindow();
    QCoreApplication::processEvents();
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticks;
    ticks.setInterval(1);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceTick.elapsed());
        sinceTick.start();
    });
    ticks.start();
    sinceTick.start();
    clock.start();
    QTest::keyClick(&list, Qt::Key_Space);
    PreviewWindow *preview = window.previewWindow();
    const bool shown = QTest::qWaitFor(
        [&] { return preview->model().entries().size() == 14 || preview->model().failed(); },
        60000);
    Measured measured{double(clock.nsecsElapsed()) / 1e6, 0};
    ticks.stop();
    measured.gapMs = double(std::max(longestGap, sinceTick.elapsed()));
    if (!shown || preview->model().failed())
        std::fprintf(stderr, "preview: no entries for row %d\n", row);
    return measured;
}
} // namespace

void benchPreview(const QString &work, int runs)
{
    const QString folder = work + "/preview";
    if (!makePng(folder + "/logo.png", 1024, 1024))
        std::fprintf(stderr, "preview: no picture\n");
    QFile svg(folder + "/art.svg");
    if (svg.open(QIODevice::WriteOnly))
        svg.write("<svg xmlns='http://www.w3.org/2000/svg' width='64' height='64'>"
                  "<circle cx='32' cy='32' r='28' fill='#2a8' stroke='#064' stroke-width='3'/>"
                  "<rect x='29' y='12' width='6' height='40' fill='#fff'/></svg>");
    svg.close();
    keepSettingsIn(folder + "/settings");
    SettingsStore store;
    FakeDialogs dialogs;
    Form1 window(dialogs, store, folder);
    window.Form_Load();
    window.findChild<QRadioButton *>("Option7")->setChecked(true);
    window.findChild<QLineEdit *>("Text2")->setText("windows");
    window.show();
    window.fileList().appendRows({folder + "/logo.png", folder + "/art.svg"});
    QList<double> png, svgMs, gaps;
    for (int run = 0; run < runs; ++run) {
        const Measured a = previewOnce(window, 0);
        const Measured b = previewOnce(window, 1);
        png << a.appearMs;
        svgMs << b.appearMs;
        gaps << std::max(a.gapMs, b.gapMs);
    }
    print("preview_windows_set_png_1024_ms", median(png), 1);
    print("preview_windows_set_svg_ms", median(svgMs), 1);
    print("preview_longest_event_gap_ms", median(gaps), 1);
}

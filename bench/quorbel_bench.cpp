// Quorbel's performance figures, one "name: value" line each. Run by `make bench`.
// QUORBEL_BENCH_FILES and QUORBEL_BENCH_RUNS shrink the work for a quick look.
#include "BatchFakes.h"
#include "BenchSupport.h"
#include "TestSupport.h"
#include "app/Form1.h"
#include "convert/ConverterConfiguration.h"
#include "filelist/AddFolder.h"
#include "filelist/FileListModel.h"
#include "filelist/FileListView.h"
#include "filelist/ThumbnailLoader.h"
#include "platform/Dialogs.h"
#include "platform/SettingsStore.h"
#include "scan/FolderWalk.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMap>
#include <QPainter>
#include <QProcess>
#include <QRadioButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

namespace {
int envInt(const char *name, int fallback)
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v > 0 ? v : fallback;
}

// Conversions at once, as the program takes them.
int benchJobs()
{
    return envInt("QUORBEL_JOBS", oneJobPerCore());
}

void makePng(const QString &path)
{
    QImage image(512, 512, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setBrush(QColor(30, 120, 200));
    p.drawEllipse(QRect(40, 40, 430, 430));
    p.end();
    image.save(path, "PNG");
}

void removeIcons(const QString &folder)
{
    for (const QString &name : QDir(folder).entryList({"*.ico"}, QDir::Files))
        QFile::remove(folder + '/' + name);
}

// Runs `work` and answers the longest time the event loop went unserved meanwhile,
// as seen by a 5 ms timer.
qint64 MaxEventGapMs(const std::function<void()> &work)
{
    QElapsedTimer sinceTick;
    qint64 maxGap = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        maxGap = std::max(maxGap, sinceTick.elapsed());
        sinceTick.restart();
    });
    sinceTick.start();
    ticker.start();
    work();
    QCoreApplication::processEvents();
    return std::max(maxGap, sinceTick.elapsed());
}

struct Window
{
    FakeDialogs dialogs;
    struct SettingsFolder
    {
        QTemporaryDir dir;
        SettingsFolder() { keepSettingsIn(dir.path()); }
    } settingsFolder; // before the store that reads it
    SettingsStore store;
    Form1 form{dialogs, store, QCoreApplication::applicationDirPath()};
    Window()
    {
        form.setConverterJobs(benchJobs());
        form.Form_Load();
        form.show();
        QCoreApplication::processEvents();
    }
};

// One child per file, as a person would script it: the yardstick for the batch.
double bareLoopSeconds(const QStringList &paths, const QString &out)
{
    QElapsedTimer t;
    t.start();
    for (const QString &p : paths) {
        QProcess convert;
        convert.setStandardOutputFile(QProcess::nullDevice());
        convert.setStandardErrorFile(QProcess::nullDevice());
        convert.start(QStringLiteral(QUORBEL_CONVERTER),
                      {p, "-resize", "48", out + '/' + QFileInfo(p).completeBaseName() + ".ico"});
        convert.waitForFinished(-1);
    }
    return t.elapsed() / 1000.0;
}

// Two such loops at once over halves of the files: what two cores can give.
double twoLoopsSeconds(const QStringList &paths, const QString &out)
{
    const QString script =
        QStringLiteral("out=$1; shift; for f in \"$@\"; do n=${f##*/}; \"%1\" \"$f\" -resize 48 "
                       "\"$out/${n%.png}.ico\"; done")
            .arg(QStringLiteral(QUORBEL_CONVERTER));
    QElapsedTimer t;
    t.start();
    QProcess loops[2];
    for (int half = 0; half < 2; ++half) {
        QStringList files;
        for (int i = half; i < paths.size(); i += 2)
            files << paths.at(i);
        loops[half].setStandardOutputFile(QProcess::nullDevice());
        loops[half].setStandardErrorFile(QProcess::nullDevice());
        loops[half].start("sh", QStringList{"-c", script, "sh", out} + files);
    }
    for (QProcess &loop : loops)
        loop.waitForFinished(-1);
    return t.elapsed() / 1000.0;
}

// ImageMagick's own batch tool over the same files, in one process.
double mogrifySeconds(const QString &mogrify, const QStringList &paths, const QString &out)
{
    QElapsedTimer t;
    t.start();
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(mogrify, QStringList{"-path", out, "-format", "ico", "-resize", "48"} + paths);
    process.waitForFinished(-1);
    return t.elapsed() / 1000.0;
}

// CPU time of this process alone (all its threads, no children) in milliseconds:
// what the batch takes from the cores the converters need.
double ownCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// The batch with children that finish at once, writing a ready icon: what is left is
// the batch's own work per file (links, checks, the hidden copy, fsync, rename).
double batchOwnCostMs(const QStringList &paths, const QString &out, const QByteArray &icon,
                      double *cpuMs)
{
    FakeWindow window;
    window.jobs = benchJobs();
    FakeReporter reporter;
    window.rows = paths;
    window.folder = out;
    auto *runner = new FakeRunner;
    runner->delayMs = [](const FakeRunner::Start &) { return 0; };
    runner->act = [&icon](const FakeRunner::Start &s) {
        QFile file(s.output());
        file.open(QIODevice::WriteOnly);
        file.write(icon);
        return ChildEnd{ChildProcess::End::Exited, 0, {}};
    };
    FakeBatch batch(window, reporter, std::unique_ptr<ConverterRunner>(runner));
    QElapsedTimer t;
    t.start();
    const double cpuBefore = ownCpuMs();
    batch.PushButton2_Click();
    const double ms = double(t.nsecsElapsed()) / 1e6 / paths.size();
    *cpuMs = (ownCpuMs() - cpuBefore) / paths.size();
    if (window.messages.value(0) != QLatin1String("Done."))
        std::fprintf(stderr, "own cost batch: %s\n", qPrintable(window.messages.value(0)));
    return ms;
}

void benchBatch(const QString &work, int files, int runs)
{
    const QString sources = work + "/sources";
    const QString out = work + "/icons";
    QDir().mkpath(sources);
    QDir().mkpath(out);
    QStringList paths;
    for (int i = 0; i < files; ++i) {
        paths << sources + QStringLiteral("/image%1.png").arg(i);
        makePng(paths.last());
    }
    Window w;
    for (const QString &p : paths)
        w.form.fileList().appendRow(p);
    w.form.findChild<QLineEdit *>("Text1")->setText(out);
    w.form.findChild<QRadioButton *>("Option4")->setChecked(true);
    const QString mogrify = QString::fromUtf8(QUORBEL_CONVERTER).replace("convert", "mogrify");

    QList<double> batch, bare, mog, two, ratios, mogRatios, twoRatios, cpu;
    for (int run = 0; run < runs; ++run) {
        removeIcons(out);
        QElapsedTimer t;
        t.start();
        const double cpuBefore = ownCpuMs();
        w.form.PushButton2_Click();
        batch << t.elapsed() / 1000.0;
        cpu << (ownCpuMs() - cpuBefore) / files;
        if (w.dialogs.messages.last().text != QLatin1String("Done."))
            std::fprintf(stderr, "batch: %s\n", qPrintable(w.dialogs.messages.last().text));
        removeIcons(out);
        bare << bareLoopSeconds(paths, out);
        ratios << batch.last() / bare.last();
        removeIcons(out);
        two << twoLoopsSeconds(paths, out);
        twoRatios << two.last() / bare.last();
        if (QFile::exists(mogrify)) {
            removeIcons(out);
            mog << mogrifySeconds(mogrify, paths, out);
            mogRatios << batch.last() / mog.last();
        }
    }
    const QByteArray icon = [&] {
        QFile f(out + "/image0.ico");
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    removeIcons(out);
    print("batch_files", files, 0);
    print("batch_jobs", benchJobs(), 0);
    print("batch_wall_s", median(batch));
    print("bare_loop_wall_s", median(bare));
    print("batch_vs_bare_ratio", median(ratios));
    // Below 0.5 only with two free cores: on a shared machine this shows what there was.
    print("two_loops_wall_s", median(two));
    print("two_loops_vs_bare_ratio", median(twoRatios));
    print("batch_vs_two_loops_ratio", median(batch) / median(two));
    if (!mog.isEmpty()) {
        print("mogrify_wall_s", median(mog));
        print("batch_vs_mogrify_ratio", median(mogRatios));
    }
    double ownCpu = 0;
    print("batch_own_cost_ms_per_file", batchOwnCostMs(paths, out, icon, &ownCpu));
    print("batch_own_cost_cpu_ms_per_file", ownCpu);
    print("batch_own_cpu_ms_per_file", median(cpu));
    removeIcons(out);
}

// Several sizes in one icon against one size: the same files through the same batch.
void benchMultiSize(const QString &work, int files, int runs)
{
    const QString sources = work + "/multisize";
    const QString out = work + "/multisize-icons";
    QDir().mkpath(sources);
    QDir().mkpath(out);
    Window w;
    for (int i = 0; i < files; ++i) {
        const QString p = sources + QStringLiteral("/image%1.png").arg(i);
        makePng(p);
        w.form.fileList().appendRow(p);
    }
    w.form.findChild<QLineEdit *>("Text1")->setText(out);
    w.form.findChild<QRadioButton *>("Option7")->setChecked(true);
    auto *sizeText = w.form.findChild<QLineEdit *>("Text2");
    auto msPerFile = [&](const QString &size) {
        sizeText->setText(size);
        removeIcons(out);
        QElapsedTimer t;
        t.start();
        w.form.PushButton2_Click();
        if (w.dialogs.messages.last().text != QLatin1String("Done."))
            std::fprintf(stderr, "multisize: %s\n", qPrintable(w.dialogs.messages.last().text));
        return double(t.elapsed()) / files;
    };
    QList<double> single, multi, ratios;
    for (int run = 0; run < runs; ++run) {
        single << msPerFile(QStringLiteral("48"));
        multi << msPerFile(QStringLiteral("16,24,32,48,256"));
        ratios << multi.last() / single.last();
    }
    removeIcons(out);
    print("single_48_ms_per_file", median(single), 2);
    print("multisize_ms_per_file", median(multi), 2);
    print("multisize_vs_single_ratio", median(ratios));
}

void benchRows()
{
    Window w;
    QStringList rows;
    for (int i = 0; i < 100000; ++i)
        rows << QStringLiteral("/home/user/Pictures/set%1/image%2.png").arg(i / 100).arg(i);
    QElapsedTimer t;
    t.start();
    for (const QString &r : std::as_const(rows))
        w.form.fileList().appendRow(r);
    QCoreApplication::processEvents();
    w.form.listView().repaint();
    print("append_100k_rows_s", t.elapsed() / 1000.0);
    t.restart();
    w.form.PushButton6_Click();
    QCoreApplication::processEvents();
    w.form.listView().repaint();
    print("clear_100k_rows_s", t.elapsed() / 1000.0);
}

void benchWalk(const QString &work, int runs)
{
    const QString root = work + "/tree";
    for (int a = 0; a < 100; ++a) {
        for (int b = 0; b < 50; ++b) {
            const QString folder = b == 0 ? QStringLiteral("%1/a%2").arg(root).arg(a)
                                          : QStringLiteral("%1/a%2/b%3").arg(root).arg(a).arg(b);
            QDir().mkpath(folder);
            for (int f = 0; f < 10; ++f) {
                QFile file(folder + QStringLiteral("/file%1.png").arg(f));
                file.open(QIODevice::WriteOnly);
            }
        }
    }
    Window w;
    FakeReporter reports;
    // How long the window goes unserved while the whole tree is added.
    const qint64 walkGap = MaxEventGapMs(
        [&] { addFolderTree(root, QStringLiteral("*.png"), w.form.fileList(), reports); });
    print("max_event_gap_ms_during_walk", double(walkGap), 0);
    QList<double> walk, find, ratios;
    int rows = 0;
    for (int run = 0; run < runs; ++run) {
        w.form.fileList().clear();
        QElapsedTimer t;
        t.start();
        addFolderTree(root, QStringLiteral("*.png"), w.form.fileList(), reports);
        QCoreApplication::processEvents();
        walk << t.elapsed() / 1000.0;
        rows = w.form.fileList().numberOfRows();

        t.restart();
        QProcess findProcess;
        findProcess.setStandardOutputFile(QProcess::nullDevice());
        findProcess.start(QStringLiteral("find"), {root, "-iname", "*.png"});
        findProcess.waitForFinished(-1);
        find << t.elapsed() / 1000.0;
        ratios << walk.last() / find.last();
    }
    print("walk_rows", rows, 0);
    print("walk_s", median(walk));
    print("find_s", median(find));
    print("walk_vs_find_ratio", median(ratios));
}

// A chain of folders one below the other, walked for its files: the cost must
// follow the number of folders, so four times the depth costs about four times.
double deepWalkSeconds(const QString &work, int depth, int runs)
{
    QString deepest = work + QStringLiteral("/deep%1").arg(depth);
    for (int level = 0; level < depth; ++level)
        deepest += QStringLiteral("/d");
    QDir().mkpath(deepest);
    QFile(deepest + "/bottom.png").open(QIODevice::WriteOnly);
    QList<double> times;
    int rows = 0;
    for (int run = 0; run < runs; ++run) {
        FakeReporter reports;
        rows = 0;
        QElapsedTimer t;
        t.start();
        walkFolderTree(work + QStringLiteral("/deep%1").arg(depth), QStringLiteral("*.png"),
                       {[&](const QStringList &paths) { rows += int(paths.size()); }, {}}, reports);
        times << t.elapsed() / 1000.0;
    }
    if (rows != 1)
        std::fprintf(stderr, "deep walk of %d levels found %d files\n", depth, rows);
    return median(times);
}

void benchDeepWalk(const QString &work, int runs)
{
    const double shallow = deepWalkSeconds(work, 500, runs);
    const double deep = deepWalkSeconds(work, 2000, runs);
    print("walk_depth_500_s", shallow);
    print("walk_depth_2000_s", deep);
    print("walk_depth_2000_vs_500_ratio", deep / std::max(shallow, 1e-6), 1);
}

// From starting the program to its window shown on a private X server, watched
// from outside as a person would see it.
bool windowIsShown(const QString &display)
{
    QProcess search;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    search.setProcessEnvironment(env);
    search.start(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--name", "^Quorbel$"});
    search.waitForFinished(-1);
    return search.exitCode() == 0 && !search.readAllStandardOutput().trimmed().isEmpty();
}

void benchStartup(int runs)
{
    QProcess xvfb;
    QString display;
    xvfb.start(QStringLiteral("Xvfb"),
               {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1280x1024x24"});
    if (xvfb.waitForStarted(3000) && xvfb.waitForReadyRead(5000))
        display = QStringLiteral(":") + QString::fromLatin1(xvfb.readLine()).trimmed();
    if (display.isEmpty()) {
        std::printf("startup_to_window_s: skipped (no Xvfb)\n");
        return;
    }
    QList<double> times;
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir config;
        QProcess app;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", config.path());
        env.insert("DISPLAY", display);
        env.insert("QT_QPA_PLATFORM", "xcb");
        app.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        app.start(QStringLiteral(QUORBEL_EXECUTABLE), {});
        while (!windowIsShown(display) && t.elapsed() < 20000)
            QThread::msleep(2);
        times << t.elapsed() / 1000.0;
        app.kill();
        app.waitForFinished(-1);
    }
    xvfb.terminate();
    xvfb.waitForFinished(3000);
    print("startup_to_window_s", median(times));
}

// Slow conversions: the real converter behind a pause, staged where the batch
// finds it and uses it as it is.
void stageSlowConverter(const QString &temp, const char *pauseSeconds)
{
    QFile script(temp + "/emfconvert.exe");
    script.open(QIODevice::WriteOnly);
    script.write(QByteArray("#!/bin/sh\nsleep ") + pauseSeconds +
                 "\nexec '" QUORBEL_CONVERTER "' \"$@\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void benchEventGap(const QString &work)
{
    const QString temp = work + "/gap-temp";
    QDir().mkpath(temp);
    qputenv("TEMP", QFile::encodeName(temp));
    Window w;
    for (int i = 0; i < 6; ++i) {
        const QString p = work + QStringLiteral("/gap%1.png").arg(i);
        makePng(p);
        w.form.fileList().appendRow(p);
    }
    w.form.findChild<QLineEdit *>("Text1")->setText(work);
    stageSlowConverter(temp, "0.4");

    const qint64 batchGap = MaxEventGapMs([&] { w.form.PushButton2_Click(); });
    print("max_event_gap_ms_during_batch", double(batchGap), 0);
    qunsetenv("TEMP");
}

// Escape during a batch of slow conversions: how long the batch takes to end
// after the press, its children ended and its work folder removed.
void benchStop(const QString &work, int files)
{
    const QString temp = work + "/stop-temp";
    const QString out = work + "/stop-icons";
    QDir().mkpath(temp);
    QDir().mkpath(out);
    qputenv("TEMP", QFile::encodeName(temp));
    Window w;
    for (int i = 0; i < files; ++i) {
        const QString p = work + QStringLiteral("/stop%1.png").arg(i);
        makePng(p);
        w.form.fileList().appendRow(p);
    }
    w.form.findChild<QLineEdit *>("Text1")->setText(out);
    stageSlowConverter(temp, "0.3");

    QElapsedTimer sincePress;
    QTimer::singleShot(1000, [&] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        sincePress.start();
        QCoreApplication::sendEvent(&w.form, &press);
    });
    w.form.PushButton2_Click();
    const qint64 ms = sincePress.isValid() ? sincePress.elapsed() : -1;
    const bool stopped = w.dialogs.messages.last().text.startsWith(QLatin1String("Stopped."));
    print("stop_to_batch_end_s", stopped ? ms / 1000.0 : -1.0);
    print("stop_files_converted_before", double(QDir(out).entryList(QDir::Files).size()), 0);
    qunsetenv("TEMP");
}

// The terminal road's environment: no display at all, a settings folder of its own.
QProcessEnvironment terminalEnvironment(const QString &config, const QString &temp)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    env.insert("XDG_CONFIG_HOME", config);
    env.insert("TEMP", temp);
    return env;
}

// `quorbel --convert` over a folder against the one-at-a-time bare `convert` loop.
void benchCli(const QString &work, int files, int runs)
{
    const QString sources = work + "/cli-sources";
    const QString out = work + "/cli-icons";
    const QString temp = work + "/cli-temp";
    for (const QString &folder : {sources, out, temp})
        QDir().mkpath(folder);
    QStringList paths;
    for (int i = 0; i < files; ++i) {
        paths << sources + QStringLiteral("/image%1.png").arg(i);
        makePng(paths.last());
    }
    QTemporaryDir config;
    QList<double> cli, bare, ratios;
    for (int run = 0; run < runs; ++run) {
        removeIcons(out);
        QProcess quorbel;
        quorbel.setProcessEnvironment(terminalEnvironment(config.path(), temp));
        QElapsedTimer t;
        t.start();
        quorbel.start(QStringLiteral(QUORBEL_EXECUTABLE),
                      {"--convert", "--size", "48", "--to", out, sources});
        quorbel.waitForFinished(-1);
        cli << t.elapsed() / 1000.0;
        if (quorbel.exitCode() != 0)
            std::fprintf(stderr, "cli: %s\n", quorbel.readAllStandardError().constData());

        removeIcons(out);
        t.restart();
        for (const QString &p : paths) {
            QProcess convert;
            convert.setStandardOutputFile(QProcess::nullDevice());
            convert.setStandardErrorFile(QProcess::nullDevice());
            convert.start(
                QStringLiteral(QUORBEL_CONVERTER),
                {p, "-resize", "48", out + '/' + QFileInfo(p).completeBaseName() + ".ico"});
            convert.waitForFinished(-1);
        }
        bare << t.elapsed() / 1000.0;
        ratios << cli.last() / bare.last();
    }
    print("cli_files", files, 0);
    print("cli_wall_s", median(cli));
    print("cli_bare_loop_wall_s", median(bare));
    print("cli_vs_bare_ratio", median(ratios));
}

// From the process's start to its first converter starting, for one file. The staged
// converter (used as found) is a script that notes the time, then runs the real one.
void benchCliStartup(const QString &work, int runs)
{
    const QString temp = work + "/cli-startup-temp";
    const QString marker = temp + "/started";
    const QString source = work + "/cli-startup.png";
    QDir().mkpath(temp);
    makePng(source);
    QTemporaryDir config;
    QList<double> times;
    for (int run = 0; run < runs; ++run) {
        QFile::remove(marker);
        writeScript(temp + "/emfconvert.exe", "date +%s%N > '" + QFile::encodeName(marker) +
                                                  "'\nexec '" QUORBEL_CONVERTER "' \"$@\"");
        QProcess quorbel;
        quorbel.setProcessEnvironment(terminalEnvironment(config.path(), temp));
        const qint64 startNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::system_clock::now().time_since_epoch())
                                   .count();
        quorbel.start(QStringLiteral(QUORBEL_EXECUTABLE),
                      {"--convert", "--size", "48", "--to", work, source});
        quorbel.waitForFinished(-1);
        QFile started(marker);
        if (!started.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cli startup: the converter never started\n");
            continue;
        }
        times << (started.readAll().trimmed().toLongLong() - startNs) / 1e9;
    }
    print("cli_startup_s", median(times));
}

// Thumbnails are read while the list is scrolled page by page through real pictures:
// how long the window goes unserved meanwhile. Then 100,000 rows scrolled end to end.
void benchThumbnails(const QString &work)
{
    QStringList paths;
    for (int i = 0; i < 300; ++i) {
        paths << work + QStringLiteral("/thumbs/picture%1.png").arg(i);
        QDir().mkpath(work + "/thumbs");
        makePng(paths.last());
    }
    Window w;
    FileListModel &model = w.form.fileList();
    FileListView &view = w.form.listView();
    ThumbnailLoader *loader = model.thumbnails();
    int read = 0;
    QObject::connect(loader, &ThumbnailLoader::thumbnailReady, [&] { ++read; });
    model.appendRows(paths);
    const qint64 gap = MaxEventGapMs([&] {
        QEventLoop loop;
        QTimer scroller;
        scroller.setInterval(30);
        QObject::connect(&scroller, &QTimer::timeout, [&] {
            QScrollBar *bar = view.verticalScrollBar();
            if (bar->value() < bar->maximum())
                bar->setValue(bar->value() + bar->pageStep());
            else if (loader->isIdle())
                loop.quit();
        });
        scroller.start();
        loop.exec();
    });
    print("thumbnails_read", read, 0);
    print("max_event_gap_ms_while_thumbnails_load", double(gap), 0);

    model.clear();
    QStringList rows;
    for (int i = 0; i < 100000; ++i)
        rows << QStringLiteral("/home/user/Pictures/set%1/image%2.png").arg(i / 100).arg(i);
    model.appendRows(rows);
    QCoreApplication::processEvents();
    QScrollBar *bar = view.verticalScrollBar();
    QElapsedTimer t;
    t.start();
    for (int step = 0; step <= 200; ++step) {
        bar->setValue(int(qint64(bar->maximum()) * step / 200));
        QCoreApplication::processEvents();
        view.viewport()->repaint();
    }
    print("scroll_100k_rows_s", t.elapsed() / 1000.0);
}

// Artwork of our own with curves, strokes and text, drawn natively at every size by
// librsvg: what an entry is measured against.
const char BenchSvg[] =
    "<svg xmlns='http://www.w3.org/2000/svg' width='512' height='512' viewBox='0 0 64 64'>"
    "<rect x='4' y='4' width='56' height='56' rx='10' fill='#f4f0e0' stroke='#333' "
    "stroke-width='1.5'/>"
    "<path d='M10 48 C 18 12, 46 12, 54 48' fill='none' stroke='#c0392b' stroke-width='3'/>"
    "<circle cx='32' cy='30' r='9' fill='#2e86c1' fill-opacity='0.8'/>"
    "<path d='M12 56 L 52 56' stroke='#1e8449' stroke-width='1'/>"
    "<text x='32' y='53' font-family='Liberation Sans' font-size='12' font-weight='bold' "
    "text-anchor='middle' fill='#111'>Qb</text></svg>";

QImage drawn(const QString &svg, int size, const QString &work)
{
    const QString png = work + QStringLiteral("/native-%1.png").arg(size);
    QProcess::execute(QStringLiteral("rsvg-convert"),
                      {"-w", QString::number(size), "-h", QString::number(size), "-o", png, svg});
    return QImage(png);
}

// The entries of `source`'s icon made by the batch with `sizes`, by size.
QMap<int, QImage> batchEntries(const QString &source, const QString &sizes)
{
    convertBeside({source}, sizes);
    QMap<int, QImage> entries;
    QImageReader reader(source.left(source.lastIndexOf('.')) + ".ico", "ico");
    for (int i = 0; i < reader.imageCount() && reader.jumpToImage(i); ++i) {
        const QImage image = reader.read();
        entries.insert(image.width(), image);
    }
    return entries;
}

void benchEntries(const QString &work)
{
    if (QStandardPaths::findExecutable(QStringLiteral("rsvg-convert")).isEmpty()) {
        std::printf("small_entry_error_vs_lanczos: skipped (no rsvg-convert)\n");
        return;
    }
    const QString folder = work + "/entries";
    QDir().mkpath(folder);
    const QString svg = folder + "/art.svg";
    QFile file(svg);
    file.open(QIODevice::WriteOnly);
    file.write(BenchSvg);
    file.close();
    const QString png = folder + "/art.png";
    drawn(svg, 512, folder).save(png);
    const QList<int> sizes{16, 24, 32, 48};
    const QMap<int, QImage> fromPng = batchEntries(png, "16,24,32,48");
    const QMap<int, QImage> fromSvg = batchEntries(svg, "16,24,32,48");
    const QString im6 = QStringLiteral("/usr/bin/convert-im6.q16");
    double ratios = 0;
    double svgErrors = 0;
    for (const int size : sizes) {
        const QImage native = drawn(svg, size, folder);
        const QString lanczos = folder + QStringLiteral("/lanczos-%1.png").arg(size);
        QProcess::execute(QFile::exists(im6) ? im6 : QStringLiteral("convert"),
                          {png, "-filter", "Lanczos", "-resize", QString::number(size), lanczos});
        const double ours = rmsError(fromPng.value(size), native);
        const double theirs = rmsError(QImage(lanczos), native);
        std::printf("entry_error_%d: %.2f (Lanczos %.2f, SVG %.2f)\n", size, ours, theirs,
                    rmsError(fromSvg.value(size), native));
        ratios += ours / theirs;
        svgErrors += rmsError(fromSvg.value(size), native);
    }
    print("small_entry_error_vs_lanczos", ratios / sizes.size());
    print("svg_entry_error", svgErrors / sizes.size());
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int files = envInt("QUORBEL_BENCH_FILES", 200);
    const int runs = envInt("QUORBEL_BENCH_RUNS", 5);
    QTemporaryDir work;
    qputenv("TEMP", QFile::encodeName(work.filePath("temp")));
    QDir().mkpath(work.filePath("temp"));
    const QString only = qEnvironmentVariable("QUORBEL_BENCH_ONLY");
    auto wanted = [&](const char *part) { return only.isEmpty() || only == QLatin1String(part); };
    if (wanted("startup"))
        benchStartup(5);
    if (wanted("rows"))
        benchRows();
    if (wanted("gap"))
        benchEventGap(work.path());
    if (wanted("stop"))
        benchStop(work.path(), files);
    if (wanted("thumbnails"))
        benchThumbnails(work.path());
    qputenv("TEMP", QFile::encodeName(work.filePath("temp")));
    if (wanted("walk"))
        benchWalk(work.path(), runs);
    if (wanted("walk") || wanted("depth"))
        benchDeepWalk(work.path(), runs);
    if (wanted("batch"))
        benchBatch(work.path(), files, runs);
    if (wanted("entries"))
        benchEntries(work.path());
    if (wanted("multisize"))
        benchMultiSize(work.path(), files, runs);
    if (wanted("designer"))
        benchDesignerSet(work.path(), std::max(1, files / 4), runs);
    if (wanted("preview"))
        benchPreview(work.path(), runs);
    if (wanted("kit"))
        benchKit(work.path(), std::max(1, files / 4), runs);
    if (wanted("cli")) {
        benchCliStartup(work.path(), 5);
        benchCli(work.path(), files, runs);
    }
    return 0;
}

// `quorbel --convert` run as a script runs it: sizes, destinations, exit statuses,
// SVG and per-size pictures.
#include "CliHarness.h"

class TestCli : public QObject, private CliHarness
{
    Q_OBJECT

private slots:
    void init() { makeFixture(); }

    void convertsAtTheSize_data()
    {
        QTest::addColumn<QString>("size");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("button 16") << "16" << QStringList{"16x16"};
        QTest::newRow("button 72") << "72" << QStringList{"72x72"};
        QTest::newRow("user-defined") << "100" << QStringList{"100x100"};
        QTest::newRow("user-defined box") << "128x64" << QStringList{"64x64"};
        QTest::newRow("set favicon") << "favicon" << QStringList{"48x48", "32x32", "16x16"};
        QTest::newRow("set in a list")
            << "64,Favicon" << QStringList{"64x64", "48x48", "32x32", "16x16"};
    }
    void convertsAtTheSize()
    {
        QFETCH(QString, size);
        const Run run = quorbel({"--convert", "--size", size, "--to", "out", "src/a.png"});
        QCOMPARE(run.err, QString());
        QVERIFY2(run.out.contains(QStringLiteral("\nDone.\n")), qPrintable(run.out));
        QCOMPARE(run.status, 0);
        QTEST(iconEntries(path("out/a.ico")), "entries");
    }

    // Relative paths mean the current folder's, never the root's.
    void destinations_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("icon");
        QTest::newRow("to") << QStringList{"--to", "out"} << "out/a.ico";
        QTest::newRow("to, trailing separator") << QStringList{"--to=out/"} << "out/a.ico";
        QTest::newRow("beside") << QStringList{"--beside"} << "src/a.ico";
    }
    void destinations()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, icon);
        const Run run = quorbel(QStringList{"--convert", "--size", "32"} + arguments +
                                QStringList{"src/a.png"});
        QCOMPARE(run.status, 0);
        QCOMPARE(iconEntries(path(icon)), QStringList{"32x32"});
    }

    // Where the icons go is said before the run starts, and what it wrote at its end.
    void saysWhereIconsGo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("store");
        QTest::addColumn<QString>("out"); // %1: the test's folder
        QTest::newRow("to") << QStringList{"--to", "out/"} << ""
                            << "Saving icons in %1/out\nDone.\n"
                               "Wrote 2 icons; none replaced an existing icon.\n";
        QTest::newRow("beside") << QStringList{"--beside"} << ""
                                << "Saving each icon beside its picture\nDone.\n"
                                   "Wrote 2 icons; 1 replaced an existing icon.\n";
        QTest::newRow("saved folder")
            << QStringList{} << "Option8=True\nText1=%1/out\n"
            << "Saving icons in %1/out (the window's saved folder)\nDone.\n"
               "Wrote 2 icons; none replaced an existing icon.\n";
        QTest::newRow("saved: beside")
            << QStringList{} << "Option8=False\nOption9=True\n"
            << "Saving each icon beside its picture (the window's saved choice)\nDone.\n"
               "Wrote 2 icons; 1 replaced an existing icon.\n";
    }
    void saysWhereIconsGo()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, store);
        QFETCH(QString, out);
        writeFile(storeFile(),
                  "[General]\n" + QString(store).replace("%1", m_dir->path()).toUtf8());
        writeFile(path("src/a.ico"), "an unrelated icon");
        const Run run = quorbel(QStringList{"--convert", "--size", "16"} + arguments +
                                QStringList{"src/a.png", "src/sub/b.PNG"});
        QCOMPARE(run.out, QString(out).replace("%1", m_dir->path()));
        QCOMPARE(run.status, 0);
    }

    void foldersByExtension_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("status");
        QTest::newRow("default png") << QStringList{} << QStringList{"a.ico", "b.ico"} << 1;
        QTest::newRow("jpg") << QStringList{"--ext", "jpg"} << QStringList{"c.ico"} << 0;
        // "*" takes bad.png too, which fails.
        QTest::newRow("every file")
            << QStringList{"--ext", "*"} << QStringList{"a.ico", "b.ico", "c.ico"} << 1;
    }
    void foldersByExtension()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        const Run run = quorbel(QStringList{"--convert", "--size", "16", "--to", "out"} +
                                arguments + QStringList{"src/"});
        QCOMPARE(run.status, status);
        QTEST(icons("out"), "expected");
        if (status == 1)
            QVERIFY2(run.out.contains(path("src/bad.png")), qPrintable(run.out));
    }

    void savedOptionsAreDefaults_data()
    {
        QTest::addColumn<QString>("store");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QString>("entry");
        QTest::newRow("64 beside") << "Icon Size=5\nOption8=False\nOption9=True\n"
                                   << "src/a.ico"
                                   << "64x64";
        QTest::newRow("user-defined into Text1")
            << "Icon Size=7\nText2=40\nOption8=True\nOption9=False\nText1=%1\n"
            << "out/a.ico"
            << "40x40";
        QTest::newRow("first run: 24 on the desktop") << ""
                                                      << "home/Desktop/a.ico"
                                                      << "24x24";
    }
    void savedOptionsAreDefaults()
    {
        QFETCH(QString, store);
        const QByteArray before = QString(store).replace("%1", path("out/")).toUtf8();
        if (!store.isEmpty())
            writeFile(storeFile(), "[General]\n" + before);
        QDir().mkpath(path("home/Desktop"));
        const Run run = quorbel({"--convert", "src/a.png"});
        QCOMPARE(run.status, 0);
        QFETCH(QString, icon);
        QFETCH(QString, entry);
        QCOMPARE(iconEntries(path(icon)), QStringList{entry});
        // Read, never written: not even created.
        if (store.isEmpty())
            QVERIFY(!QFile::exists(storeFile()));
        else
            QCOMPARE(readFile(storeFile()), "[General]\n" + before);
    }

    void exitStatus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QStringList to{"--convert", "--to", "out"};
        QTest::newRow("all converted") << to + QStringList{"src/a.png"} << 0 << "Done."
                                       << "";
        QTest::newRow("a broken picture") << to + QStringList{"src/a.png", "src/bad.png"} << 1
                                          << "1 of 2 files could not be converted"
                                          << "src/bad.png: not a picture that can be read\n";
        // The summary names ten; standard error every one.
        QTest::newRow("twelve broken pictures")
            << to + QStringList{"many"} << 1 << "... and 2 more."
            << "many/bad12.png: not a picture that can be read\n";
        // A name that would clear the screen and set the title shows its controls as "?".
        QTest::newRow("a broken picture named with controls")
            << to + QStringList{"src/a.png", "ctl/\x1b[2J\x1b]0;x\x07.png"} << 1
            << "ctl/?[2J?]0;x?.png (not a picture that can be read)"
            << "ctl/?[2J?]0;x?.png: not a picture";
        QTest::newRow("a missing file beside a good one")
            << to + QStringList{"src/a.png", "nothere.png"} << 1 << "Done."
            << "cannot find \"nothere.png\"";
        QTest::newRow("only a missing file") << to + QStringList{"nothere.png"} << 2 << ""
                                             << "nothing to convert";
        QTest::newRow("a folder without pictures") << to + QStringList{"empty"} << 2 << ""
                                                   << "no file matches *.png";
        QTest::newRow("no path") << QStringList{"--convert"} << 2 << ""
                                 << "at least one PATH";
        QTest::newRow("missing destination")
            << QStringList{"--convert", "--to", "nowhere", "src/a.png"} << 2 << ""
            << "does not exist";
        QTest::newRow("a size no icon can have")
            << to + QStringList{"--size", "16,512", "src/a.png"} << 2 << ""
            << "Size not accepted.";
        QTest::newRow("compact and not")
            << to + QStringList{"--compact", "--no-compact", "src/a.png"} << 2 << ""
            << "exclude each other";
        QTest::newRow("two destinations") << to + QStringList{"--beside", "src/a.png"} << 2 << ""
                                          << "exclude each other";
        QTest::newRow("an option without --convert")
            << QStringList{"--size", "16", "src/a.png"} << 2 << ""
            << "only with --convert";
        QTest::newRow("unknown option") << to + QStringList{"--sise", "16", "src/a.png"} << 2 << ""
                                        << "sise";
        QTest::newRow("kits, counted and named")
            << to + QStringList{"--size", "web", "--background", "navy", "src/a.png"} << 0
            << "Wrote 1 kit; none replaced files of an earlier kit.\n  "
            << "";
        QTest::newRow("a colour that cannot be read")
            << to + QStringList{"--size", "kit", "--background", "#12345", "src/a.png"} << 2 << ""
            << "--background needs a colour";
        QTest::newRow("jobs not a number")
            << to + QStringList{"--jobs", "x", "src/a.png"} << 2 << ""
            << "--jobs";
        QTest::newRow("help") << QStringList{"--help"} << 0 << "--convert"
                              << "";
        QTest::newRow("version") << QStringList{"--version"} << 0 << "quorbel 1."
                                 << "";
    }
    void exitStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Run run = quorbel(arguments);
        QCOMPARE(run.how, QProcess::NormalExit);
        QVERIFY2(run.out.contains(out), qPrintable(run.out));
        QVERIFY(!run.out.contains(QChar(0x1b)) && !run.err.contains(QChar(0x1b)));
        QVERIFY2(run.err.contains(err), qPrintable(run.err));
        if (err.isEmpty()) // no progress line when standard error is not a terminal
            QCOMPARE(run.err, QString());
        QTEST(run.status, "status");
    }

    void svgPictures_data()
    {
        QTest::addColumn<QByteArray>("svg");
        QTest::addColumn<bool>("compressed");
        QTest::addColumn<QString>("reason"); // empty: converted
        QTest::addColumn<int>("opaque");     // pixels of the 64 px entry drawn
        const QByteArray red = "<rect width='64' height='64' fill='red'/>";
        QTest::newRow("names a FIFO")
            << svgDrawing(red + "<image width='64' height='64' xlink:href='%fifo'/>") << false << ""
            << 64 * 64;
        // The work folder's files, another job's among them, are never drawn.
        QTest::newRow("includes the work folder's files")
            << svgDrawing("<text y='20'><xi:include href='delegates.xml' parse='text'/>"
                          "<xi:include href='../delegates.xml' parse='text'/></text>")
            << false << "" << 0;
        QTest::newRow("embeds a picture")
            << svgEmbedding(greyPng(16, 16, true)) << false << "" << 64 * 64;
        QTest::newRow("embeds a huge picture")
            << svgEmbedding(greyPng(9000, 9000)) << false << "picture too large" << 0;
        QTest::newRow("expands to 64 MiB")
            << svgDrawing(red + "<!--" + QByteArray(64 << 20, ' ') + "-->") << true
            << "picture too large" << 0;
    }
    void svgPictures()
    {
        QFETCH(QByteArray, svg);
        QFETCH(bool, compressed);
        QFETCH(QString, reason);
        QCOMPARE(QProcess::execute("mkfifo", {path("fifo")}), 0);
        const QString source = path(compressed ? "src/v.svgz" : "src/v.svg");
        writeFile(path("src/v.svg"), svg.replace("%fifo", QFile::encodeName(path("fifo"))));
        if (compressed)
            QCOMPARE(QProcess::execute("gzip", {"-S", "z", path("src/v.svg")}), 0);
        const Run run = bounded({"--convert", "--size", "64,16", "--to", "out", source});
        QCOMPARE(run.how, QProcess::NormalExit);
        if (reason.isEmpty()) {
            QVERIFY2(run.out.contains(QStringLiteral("\nDone.\n")), qPrintable(run.out));
            const QImage entry = QImage(path("out/v.ico"), "ICO");
            int opaque = 0;
            for (int y = 0; y < entry.height(); ++y)
                for (int x = 0; x < entry.width(); ++x)
                    opaque += qAlpha(entry.pixel(x, y)) > 128;
            QCOMPARE(entry.size(), QSize(64, 64));
            QTEST(opaque, "opaque");
        } else {
            QVERIFY2(run.out.contains(source + " (" + reason + ")"), qPrintable(run.out));
            QCOMPARE(icons("out"), QStringList());
        }
    }

    // A designer's picture for one size that cannot be used fails its icon, naming it,
    // and its own row.
    void perSizePictures_data()
    {
        QTest::addColumn<QString>("own");
        QTest::addColumn<QByteArray>("content"); // empty: a picture, mode 000
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("said");
        QTest::addColumn<QStringList>("entries"); // of logo.ico
        const QByteArray png = greyPng(16, 16, true);
        QTest::newRow("the base is the last row")
            << "logo-16.png" << png << QStringList{"logo-16.png", "logo.png"}
            << QStringList{"Done.\n"} << QStringList{"32x32", "16x16"};
        QTest::newRow("unreadable")
            << "logo-16.png" << QByteArray() << QStringList{"logo.png", "logo-16.png"}
            << QStringList{"logo.png (logo-16.png: the file cannot be read)",
                           "logo-16.png (the file cannot be read)"}
            << QStringList();
        QTest::newRow("too large") << "logo_16.svg" << svgEmbedding(greyPng(9000, 9000))
                                   << QStringList{"logo_16.svg", "logo.png"}
                                   << QStringList{"logo.png (logo_16.svg: picture too large)",
                                                  "logo_16.svg (picture too large)"}
                                   << QStringList();
        QTest::newRow("not a picture")
            << "logo-16.png" << QByteArray("not a picture") << QStringList{"logo.png"}
            << QStringList{"logo.png (logo-16.png: not a picture that can be read)"}
            << QStringList();
    }
    void perSizePictures()
    {
        QFETCH(QString, own);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, rows);
        QVERIFY(makePng(path("logo/logo.png"), 64, 64));
        if (content.isEmpty())
            writeFile(path("logo/") + own, greyPng(16, 16), {});
        else
            writeFile(path("logo/") + own, content);
        QStringList arguments{"--convert", "--size", "32,16", "--to", "out"};
        for (const QString &row : rows)
            arguments << path("logo/") + row;
        const Run run = bounded(arguments);
        QFETCH(QStringList, said);
        for (const QString &text : said)
            QVERIFY2(run.out.contains(text), qPrintable(run.out));
        QTEST(iconEntries(path("out/logo.ico")), "entries");
        QCOMPARE(run.status, said.size() == 1 && said[0] == "Done.\n" ? 0 : 1);
        QVERIFY(!QFile::exists(path("out/") + QFileInfo(own).completeBaseName() + ".ico"));
    }

    // A run that converts nothing creates nothing: no staging folder, wherever
    // TMPDIR points, not even in the root folder.
};

QTEST_MAIN(TestCli)
#include "tst_cli.moc"

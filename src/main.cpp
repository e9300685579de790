// Quorbel: batch conversion of PNG images into Windows icon files. With --convert
// (or --help, --version) it runs on the terminal without any display; with --preview
// it opens the icon preview alone; otherwise it opens the window, with the given paths
// listed.
#include "app/Form1.h"
#include "app/StartPaths.h"
#include "cli/CliOptions.h"
#include "cli/DisplayCheck.h"
#include "cli/SettingsTroubleLine.h"
#include "cli/TerminalRun.h"
#include "convert/ConverterTool.h"
#include "filelist/FileListModel.h"
#include "platform/AppError.h"
#include "platform/Console.h"
#include "platform/Dialogs.h"
#include "platform/KnownFolders.h"
#include "platform/RunRecord.h"
#include "platform/SettingsStore.h"
#include "platform/WorkFolder.h"
#include "preview/PreviewWindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QStyleFactory>
#include <QTimer>
#include <memory>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("Terminal", text);
}

// What a killed Quorbel left running or lying in the staging folder goes first,
// and nothing is made for it: a run that converts nothing (help, version, a usage
// error) creates nothing at all.
void removeLeftovers()
{
    const QString staging = FileSystem::stagingFolder(FileSystem::StagingLookup::FindOnly);
    if (!staging.isEmpty()) // none yet: nothing can have been left in it
        SafeFile::removeStaleWorkFolders(staging);
    // Wherever a killed run staged, whatever TEMP says now.
    SafeFile::removeLeftoversOfGoneRuns(QLatin1String(ConverterFileName));
}
} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Before anything reads it: Qt would take a missing HOME for the root folder.
    FileSystem::settleHomeFolder();
    removeLeftovers();
    SettingsStore store;
    SettingsTroubleLine troubleLine; // the window says it its own way
    if (wantsTerminal(arguments)) {
        QCoreApplication app(argc, argv);
        store.tellTroubleTo(&troubleLine);
        return runTerminal(parseCommandLine(QCoreApplication::arguments()), store);
    }
    if (!canOpenWindow(currentDisplayEnvironment(arguments))) {
        Console::write(
            Console::Stream::Err,
            noDisplayMessage(tr("no display found (DISPLAY and WAYLAND_DISPLAY are not set)")));
        return ExitStatus::UsageError;
    }

    auto guard = std::make_unique<FatalStartGuard>();
    QApplication app(argc, argv);
    guard.reset();
    const CliOptions options = parseCommandLine(QCoreApplication::arguments());
    if (options.action == CliOptions::Action::Preview) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QtDialogs dialogs(qEnvironmentVariable("QUORBEL_MESSAGE_LOG"));
        Settings settings(store);
        PreviewWindow preview(dialogs);
        preview.showPreview(previewRequestFor(options.paths.constFirst(), settings));
        preview.show();
        return app.exec();
    }
    if (options.action != CliOptions::Action::Window) {
        store.tellTroubleTo(&troubleLine);
        return runTerminal(options, store);
    }

    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QtDialogs dialogs(qEnvironmentVariable("QUORBEL_MESSAGE_LOG"));
    Form1 window(dialogs, store, FileSystem::applicationFolder());
    if (const std::optional<int> jobs = jobsVariable())
        window.setConverterJobs(*jobs);
    window.Form_Load();
    window.centreOnScreen();
    window.show();
    // Added once the window shows: a big tree is walked while the window answers.
    if (!options.paths.isEmpty()) {
        QTimer::singleShot(0, &window, [&] {
            addStartPaths(options.paths, window.fileList(), window.errorReporter());
        });
    }
    return app.exec();
}

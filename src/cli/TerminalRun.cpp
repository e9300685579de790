#include "TerminalRun.h"

#include "CliOptions.h"
#include "ConsoleDisplay.h"
#include "FolderFiles.h"
#include "Texts.h"
#include "convert/ConversionBatch.h"
#include "core/OptionNumber.h"
#include "core/PathHelpers.h"
#include "core/RowSource.h"
#include "platform/AppError.h"
#include "platform/Console.h"
#include "platform/FileAttributes.h"
#include "platform/KnownFolders.h"
#include "platform/Settings.h"
#include <QCoreApplication>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("Terminal", text);
}
} // namespace

namespace {
using OptionNumber::UserDefinedSize;
constexpr int FallbackColumns = 80;

// A saved value the window could not read either: it says so and carries on, and so
// does the terminal, with what the window would then show.
template <class Read, class T> T savedOr(Read &&read, T fallback, const char *key)
{
    try {
        return read();
    } catch (const AppError &error) {
        complain(tr("the saved \"%1\" cannot be read (%2); ignoring it.")
                     .arg(QLatin1String(key), error.description()));
        return fallback;
    }
}

QString folderWithoutTrailingSeparators(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(FileSystem::nativeSeparator()))
        folder.chop(1);
    return folder;
}

// The size, packing and destination for a conversion: the command line's, else the
// saved ones, as the window would restore them. Answers an empty text, or why there is no
// destination.
QString choicesFor(const CliOptions &options, const Settings &settings, BatchRequest &request)
{
    if (options.size) {
        request.size = IconSize::fromText(*options.size);
    } else {
        // As the window restores it: unreadable selects "16", out of range keeps "24".
        const int saved = savedOr([&] { return settings.iconSize(); }, 1, "Icon Size");
        request.size = IconSize::forOption(saved >= 1 && saved <= UserDefinedSize ? saved : 2,
                                           settings.text2());
    }
    const bool compact = options.compact
                             ? *options.compact
                             : savedOr([&] { return settings.compact(); }, false, "Compact");
    request.packing = compact ? IcoFile::Packing::Compact : IcoFile::Packing::Standard;
    request.background = options.background ? *options.background
                                            : savedOr([&] { return settings.kitBackground(); },
                                                      QColor(Qt::white), "KitBackground");

    Destination destination;
    if (options.toFolder) {
        destination.rule = Destination::Rule::Folder;
        destination.folder = absolutePath(*options.toFolder);
    } else if (options.beside || savedOr([&] { return settings.option9(); }, false, "Option9")) {
        destination.rule = Destination::Rule::BesideSource;
    } else if (savedOr([&] { return settings.option8(); }, true, "Option8")) {
        destination.rule = Destination::Rule::Folder;
        // No desktop folder: only a saved folder can help.
        const QString desktop = FileSystem::findDesktopFolder().valueOr({});
        destination.folder = settings.text1(desktop);
    } else {
        return tr("no destination is saved; give --to DIR or --beside.");
    }
    request.destination = [destination] { return destination; };
    return {};
}

// Where the icons go, said before the run: a run without --to or --beside writes
// where the window would, and replaces what is there.
QString destinationLine(const Destination &destination, bool saved)
{
    if (destination.rule == Destination::Rule::BesideSource)
        return tr("Saving each icon beside its picture") +
               (saved ? tr(" (the window's saved choice)") : QString());
    return tr("Saving icons in ") + folderWithoutTrailingSeparators(destination.folder) +
           (saved ? tr(" (the window's saved folder)") : QString());
}

int convert(const CliOptions &options, SettingsStore &store)
{
    const Settings settings(store);
    BatchRequest request;
    const QString error = choicesFor(options, settings, request);
    if (!error.isEmpty()) {
        complain(error);
        return ExitStatus::UsageError;
    }
    const Destination destination = request.destination();
    if (destination.rule == Destination::Rule::Folder && !IsFolder(destination.folder)) {
        complain(tr("the destination folder \"%1\" does not exist; give --to DIR "
                    "or --beside.")
                     .arg(destination.folder));
        return ExitStatus::UsageError;
    }
    // Before a tree is walked: the batch would refuse it anyway.
    if (!request.size.isAccepted()) {
        complain(TerminalTexts::refusal(BatchObserver::Refusal::BadSize));
        return ExitStatus::UsageError;
    }
    if (const std::optional<int> jobs = options.jobs ? options.jobs : jobsVariable())
        request.jobs = *jobs;

    int columns = 0; // no progress line unless standard error is a terminal
    if (Console::isTerminal(Console::Stream::Err)) {
        columns = Console::columns(Console::Stream::Err);
        if (columns <= 0)
            columns = FallbackColumns;
    }
    // Ctrl-C mid-batch: end the converter and put back the icon it was writing.
    ConversionBatch *running = nullptr;
    const Console::StopRequestWatch watch([&running, columns](int signal) {
        if (running)
            running->abortForShutDown();
        complain(tr("%1stopped.").arg(columns > 0 ? QStringLiteral("\n") : QString()));
        Console::exitNow(128 + signal);
    });

    ConsoleReporter reporter;
    RowsInMemory collected;
    const QString pattern = QStringLiteral("*.") + options.extension;
    int missing = 0;
    bool walked = false;
    for (const QString &path : options.paths) {
        const QString absolute = absolutePath(path);
        const int attributes = FileSystem::attributes(absolute);
        if (attributes < 0) {
            complain(tr("cannot find \"%1\".").arg(path));
            ++missing;
        } else if (attributes & FileSystem::Attr::Directory) {
            appendFolderFiles(folderWithoutTrailingSeparators(absolute), pattern, collected,
                              reporter);
            walked = true;
        } else {
            collected.appendRow(absolute);
        }
    }
    if (collected.rows.isEmpty()) {
        // Folders that could not be read are named already; their files may well match.
        if (reporter.reports() > 0) {
            complain(tr("nothing to convert."));
            return ExitStatus::SomeFailed;
        }
        complain(walked ? tr("nothing to convert: no file matches %1 in the folders "
                             "given.")
                              .arg(pattern)
                        : tr("nothing to convert."));
        return ExitStatus::UsageError;
    }

    request.sources = &collected;
    ConsoleDisplay display(columns,
                           destinationLine(destination, !options.toFolder && !options.beside));
    // The terminal names no handler in its error lines.
    display.setMakesKits(request.size.kitParts() != 0);
    ConversionBatch batch(display, reporter, QString());
    running = &batch;
    batch.run(request);
    running = nullptr;
    if (!display.summary())
        return ExitStatus::UsageError; // the batch refused to start and said why
    const bool allConverted =
        display.summary()->failed().isEmpty() && missing == 0 && reporter.reports() == 0;
    return allConverted ? ExitStatus::Converted : ExitStatus::SomeFailed;
}
} // namespace

int runTerminal(const CliOptions &options, SettingsStore &store)
{
    switch (options.action) {
    case CliOptions::Action::Help:
        Console::write(Console::Stream::Out, helpText());
        return ExitStatus::Converted;
    case CliOptions::Action::Version:
        Console::write(Console::Stream::Out, versionText());
        return ExitStatus::Converted;
    case CliOptions::Action::UsageError:
        complain(options.error + tr("\nTry 'quorbel --help' for more information."));
        return ExitStatus::UsageError;
    case CliOptions::Action::Convert:
        return convert(options, store);
    case CliOptions::Action::Window:
    case CliOptions::Action::Preview:
        break;
    }
    return ExitStatus::UsageError;
}

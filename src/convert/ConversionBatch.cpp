#include "ConversionBatch.h"

#include "ConverterTool.h"
#include "core/PathHelpers.h"
#include "platform/FileSystem.h"

#include <QTemporaryFile>

namespace {
const QString Location = QStringLiteral("in Tessiva2021/08/31.Form1.PushButton2_Click ");

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}
} // namespace

ConversionBatch::ConversionBatch(BatchWindow &window, ErrorReporter &reporter)
    : m_window(window), m_reporter(reporter)
{
}

QString ConversionBatch::OutputPathFor(const QString &source, bool toFolder, bool besideSource,
                                       const QString &folder, const QString &previous)
{
    const QString sep = FileSystem::nativeSeparator();
    const QString iconName = StripExtension(FileNameOf(source)) + QStringLiteral(".ico");
    if (toFolder)
        return CollapseBackslashes(folder + sep + iconName);
    if (besideSource)
        return CollapseBackslashes(FolderOf(source) + sep + iconName);
    return previous;
}

QString ConversionBatch::CommandLineFor(const QString &quotedTool, const QString &source,
                                        const QString &sizeArgument, const QString &output)
{
    return quotedTool + QLatin1Char(' ') + quoted(source) + sizeArgument + QLatin1Char(' ') +
           quoted(output);
}

QString ConversionBatch::SummaryText(const QStringList &failed, int total)
{
    QString text = QStringLiteral("Done.");
    if (failed.isEmpty())
        return text;
    text += QStringLiteral("\r\n\r\n%1 of %2 files could not be converted:")
                .arg(failed.size())
                .arg(total);
    for (qsizetype i = 0; i < failed.size() && i < ListedFailures; ++i)
        text += QStringLiteral("\r\n") + failed.at(i);
    if (failed.size() > ListedFailures)
        text += QStringLiteral("\r\n... and %1 more.").arg(failed.size() - ListedFailures);
    return text;
}

ConversionBatch::SizeChoice ConversionBatch::readSizeChoice() const
{
    static const char *const sizes[] = {"16", "24", "32", "48", "64", "72"};
    for (int option = 1; option <= 6; ++option) {
        if (m_window.isOptionSelected(option))
            return {true, QLatin1String(sizes[option - 1])};
    }
    if (m_window.isOptionSelected(7))
        return {true, m_window.text2()};
    return {};
}

void ConversionBatch::PushButton2_Click()
{
    ErrorTrap trap(m_reporter, Location);
    if (m_isConverting) // 100
        return;
    m_isConverting = true; // 102

    auto finish = [&] { m_isConverting = false; }; // 188
    if (trap.test(104, [&] { return m_window.numberOfRows() == 0; })) {
        trap.run(186, [&] { m_window.showMessage(QStringLiteral("No files added.")); });
        finish();
        return;
    }
    if (trap.test(106,
                  [&] { return !(IsFolder(m_window.text1()) || m_window.isOptionSelected(9)); })) {
        trap.run(184, [&] {
            m_window.showMessage(
                QStringLiteral("Folder does not exist. Please select another folder."));
        });
        finish();
        return;
    }

    QByteArray image;
    QString toolPath;
    QString quotedTool;
    SizeChoice size;
    trap.run(108, [&] { m_window.setPointer(PointerCode::Busy); });
    trap.run(110, [&] { image = LoadConverterImage(); });
    trap.run(112, [&] {
        toolPath = ConverterToolPath();
        if (!PathExists(toolPath))
            WriteFileIfMissing(image, toolPath);
    });
    image.clear();
    trap.run(114, [&] { quotedTool = quoted(toolPath); });
    trap.run(116, [&] { size = readSizeChoice(); });

    int n = 0;
    trap.run(144, [&] { n = m_window.numberOfRows(); });
    QStringList failed;
    QString output;
    for (int i = 1; i <= n; ++i) {
        QString source;
        bool converted = false;
        trap.run(146, [&] { source = m_window.rowText(i); });
        if (source.isEmpty())
            continue; // the row is gone; the error was reported
        trap.run(148,
                 [&] { m_window.setProgressValue(double(i) / m_window.numberOfRows() * 100.0); });
        trap.run(150, [&] {
            m_window.setProgressText(QStringLiteral("Processing: ") + FileNameOf(source));
        });
        trap.run(152, [&] { m_window.letEventsRun(); });
        trap.run(154, [&] { m_window.setPointer(PointerCode::Busy); });
        trap.run(156, [&] {
            output = OutputPathFor(source, m_window.isOptionSelected(8),
                                   m_window.isOptionSelected(9), m_window.text1(), output);
        });
        ChildCommand command;
        trap.run(164, [&] {
            command.program = toolPath;
            command.arguments = ConverterArguments(source, size.chosen, size.text, output);
        });
        trap.run(166, [&] {
            command.commandLine = CommandLineFor(quotedTool, source, size.argument(), output);
        });
        trap.run(168,
                 [&] { converted = convertOne(command, source, output, m_window.numberOfRows()); });
        if (!converted)
            failed << source;
    }

    trap.run(174, [&] { DeleteFileSafe(toolPath); });
    trap.run(176, [&] { m_window.setPointer(PointerCode::Default); });
    trap.run(178, [&] { m_window.setProgressValue(0); });
    trap.run(180, [&] { m_window.setProgressText(QStringLiteral("Progress Bar")); });
    trap.run(182, [&] { m_window.showMessage(SummaryText(failed, n)); });
    finish();
}

bool ConversionBatch::convertOne(const ChildCommand &command, const QString &source,
                                 const QString &output, int rowCount)
{
    if (output.isEmpty() || source.isEmpty() || FileSystem::isSameFile(source, output))
        return false;

    // Through a link the converter writes the linked file: that is the one to keep.
    m_currentOutput = FileSystem::resolvedPath(output);
    m_currentBackup.clear();
    m_outputExisted = FileSystem::fileSize(m_currentOutput) >= 0;
    if (m_outputExisted && FileSystem::isExistingFile(m_currentOutput)) {
        // Keep the old icon's bytes aside: a failing converter leaves a broken file.
        QTemporaryFile backup(FileSystem::stagingFolder() +
                              QStringLiteral("/quorbel-backup-XXXXXX.ico"));
        backup.setAutoRemove(false);
        if (!backup.open())
            return false;
        m_currentBackup = backup.fileName();
        backup.close();
        if (!FileSystem::copyFileReplacing(m_currentOutput, m_currentBackup)) {
            FileSystem::deleteFile(m_currentBackup);
            m_currentBackup.clear();
            return false;
        }
    }

    RunOutcome outcome;
    RunAndWait(command, 0, &m_window, m_window.progressText(), m_window.progressValue(), rowCount,
               &outcome);
    const bool converted = outcome.end == ChildProcess::End::Exited && outcome.exitCode == 0 &&
                           FileSystem::fileSize(output) > 0;
    if (!converted)
        putBack();
    if (!m_currentBackup.isEmpty())
        FileSystem::deleteFile(m_currentBackup);
    m_currentOutput.clear();
    m_currentBackup.clear();
    return converted;
}

void ConversionBatch::putBack()
{
    if (m_currentOutput.isEmpty())
        return;
    if (!m_currentBackup.isEmpty())
        FileSystem::copyFileReplacing(m_currentBackup, m_currentOutput);
    else if (!m_outputExisted)
        FileSystem::deleteFile(m_currentOutput);
}

void ConversionBatch::abortForShutDown()
{
    if (!m_isConverting)
        return;
    AbortRunningChild();
    putBack();
    if (!m_currentBackup.isEmpty())
        FileSystem::deleteFile(m_currentBackup);
    try {
        FileSystem::deleteFile(ConverterToolPath());
    } catch (const AppError &) {
    }
}

#include "AddFolder.h"

#include "FolderPicker.h"
#include "core/ErrorTrap.h"
#include "core/PointerCode.h"
#include "core/RowSource.h"
#include "platform/AppError.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "platform/Settings.h"

#include "scan/FolderWalk.h"
#include <QCoreApplication>

namespace {
const QString Location = errorLocation("Form1.PushButton4_Click");
QString prompt()
{
    return QCoreApplication::translate("AddFolder", "Enter file extension to load:\r\r(* for all "
                                                    "files, txt for all txt files, doc for all doc "
                                                    "files, etc.)");
}
} // namespace

void addFolderTree(const QString &folder, const QString &pattern, RowList &rows,
                   ErrorReporter &reporter, const WalkSystem &system)
{
    const FileTreeSink sink{[&](const QStringList &paths) { rows.appendRows(paths); },
                            [&](const QString &, const AppError &error) {
                                reporter.showErrorReport(
                                    ErrorTrap::reportText(error.description(), Location, 118));
                            }};
    walkFolderTree(folder, pattern, sink, reporter, EventPump::quitRequested(), system);
}

void addAllFilesInFolder(const AddFolderServices &s)
{
    ErrorTrap trap(s.reporter, Location);
    QString extension;
    QString answer;
    QString folder;
    trap.run(100, [&] { extension = s.settings.extension(); });
    trap.run(102, [&] { answer = s.dialogs.inputBox(s.owner, prompt(), s.title, extension); });
    trap.run(104, [&] {
        if (!answer.isEmpty())
            s.settings.setExtension(answer);
    });
    if (trap.holdsOrErred(106, [&] { return answer.isEmpty(); }))
        return;
    trap.run(108, [&] { folder = s.settings.lastFolder(); });
    trap.run(110, [&] {
        folder = BrowseForFolder(s.dialogs, s.owner,
                                 QCoreApplication::translate("AddFolder", "Please select folder:"),
                                 folder);
    });
    if (trap.holdsOrErred(112, [&] { return folder.isEmpty(); }))
        return;
    trap.run(114, [&] { s.settings.setLastFolder(folder); });
    trap.run(116, [&] { s.setPointer(PointerCode::Busy); });
    trap.run(118, [&] {
        const int before = s.rows.numberOfRows();
        const QString pattern = QStringLiteral("*.") + answer;
        addFolderTree(folder, pattern, s.rows, s.reporter, s.system);
        // Otherwise nothing at all would show that the folder was looked through.
        if (s.hint && s.rows.numberOfRows() == before)
            s.hint(QCoreApplication::translate("AddFolder", "No files matching %1 in %2")
                       .arg(pattern, folder));
    });
    trap.run(120, [&] {
        // A batch shows the hourglass as well; ending it here would open the removal guard.
        if (!(s.isConverting && s.isConverting()))
            s.setPointer(PointerCode::Default);
    });
}

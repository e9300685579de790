#include "FolderFiles.h"

#include "core/ErrorTrap.h"
#include "core/RowSource.h"
#include "scan/FolderWalk.h"
#include <QCoreApplication>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("Terminal", text);
}
} // namespace

void appendFolderFiles(const QString &folder, const QString &pattern, RowList &rows,
                       ErrorReporter &reporter)
{
    const WalkGaps gaps = walkFolderTree(
        folder, pattern, {[&](const QStringList &paths) { rows.appendRows(paths); }, {}}, reporter);
    // What the window passes over in silence is named here: a script must learn
    // that files are missing, and a terminal has no line labels to show.
    for (const WalkGaps::Folder &unread : gaps.unreadable)
        reporter.showErrorReport(
            tr("cannot read the folder \"%1\": %2.").arg(unread.path, unread.reason));
    if (gaps.undecodable > 0)
        reporter.showErrorReport(
            tr("left out %1 below \"%2\" whose names are not valid UTF-8; rename "
               "them to convert them.")
                .arg(gaps.undecodable == 1 ? tr("1 file or folder")
                                           : tr("%1 files or folders").arg(gaps.undecodable),
                     folder));
}

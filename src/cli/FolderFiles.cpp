#include "FolderFiles.h"

#include "core/ErrorTrap.h"
#include "core/RowSource.h"
#include "platform/AppError.h"
#include "scan/FolderWalk.h"

void appendFolderFiles(const QString &folder, const QString &pattern, RowList &rows,
                       ErrorReporter &reporter)
{
    // A folder that cannot be read is named plainly: a terminal has no line labels to show.
    const FileTreeSink sink{[&](const QStringList &paths) { rows.appendRows(paths); },
                            [&](const QString &unlisted, const AppError &error) {
                                reporter.showErrorReport(
                                    QStringLiteral("cannot read the folder \"%1\": %2")
                                        .arg(unlisted, error.description()));
                            }};
    walkFolderTree(folder, pattern, sink, reporter);
}

#include "AddFilesByDialog.h"

#include "core/ErrorTrap.h"
#include "core/PathHelpers.h"
#include "core/RowSource.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"

const QString TooManyFilesMessage = QStringLiteral(
    "You've selected too many files to add.\r\rPlease try adding via the \"Add All\" button.");

namespace {
const QString Location = errorLocation("Form1.PushButton1_Click");
const QString Title = QStringLiteral("Add File(s) - Hold Ctrl to select multiple files");
const QString Filter =
    QStringLiteral("PNG Files (*.png)|*.png|SVG Files (*.svg *.svgz)|*.svg;*.svgz|");
} // namespace

void addFilesByDialog(Dialogs &dialogs, QWidget *owner, RowList &rows, ErrorReporter &reporter,
                      const QString &title)
{
    ErrorTrap trap(reporter, Location);
    QString fileName;
    try {
        fileName = dialogs.openFiles(owner, Title, Filter); // 104 to 112
    } catch (const AppError &error) {
        if (error.number() == ErrorNumber::SelectionTooLarge) {
            dialogs.message(owner, TooManyFilesMessage, title, Dialogs::Icon::None);
            return;
        }
        trap.run(112, [&] { throw; });
    }
    if (fileName.isEmpty()) // 114
        return;
    const QStringList parts = fileName.split(QChar(0)); // 116
    if (parts.size() == 1) {
        trap.run(122, [&] { rows.appendRow(parts.first()); });
        return;
    }
    for (qsizetype i = 1; i < parts.size(); ++i) {
        trap.run(140, [&] {
            rows.appendRow(
                CollapseBackslashes(parts.first() + FileSystem::nativeSeparator() + parts.at(i)));
        });
    }
}

#include "AddFilesByDialog.h"

#include "core/ErrorTrap.h"
#include "core/RowSource.h"
#include "platform/Dialogs.h"

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
    QStringList chosen;
    try {
        chosen = dialogs.openFiles(owner, Title, Filter); // 104 to 112
    } catch (const AppError &error) {
        if (error.number() == ErrorNumber::SelectionTooLarge) {
            dialogs.message(owner, TooManyFilesMessage, title, Dialogs::Icon::None);
            return;
        }
        trap.run(112, [&] { throw; });
    }
    if (chosen.isEmpty()) // 114
        return;
    for (const QString &path : std::as_const(chosen))
        trap.run(140, [&] { rows.appendRow(path); });
}

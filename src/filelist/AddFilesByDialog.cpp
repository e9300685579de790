#include "AddFilesByDialog.h"

#include "core/ErrorTrap.h"
#include "core/RowSource.h"
#include "platform/Dialogs.h"

#include <QCoreApplication>

QString TooManyFilesMessage()
{
    return QCoreApplication::translate(
        "AddFilesByDialog",
        "You've selected too many files to add.\r\rPlease try adding via the \"Add All\" button.");
}

namespace {
const QString Location = errorLocation("Form1.PushButton1_Click");
QString dialogTitle()
{
    return QCoreApplication::translate("AddFilesByDialog",
                                       "Add File(s) - Hold Ctrl to select multiple files");
}

// The descriptions are read by people; the patterns stay as they are.
QString filter()
{
    return QCoreApplication::translate("AddFilesByDialog", "PNG Files (*.png)") +
           QStringLiteral("|*.png|") +
           QCoreApplication::translate("AddFilesByDialog", "SVG Files (*.svg *.svgz)") +
           QStringLiteral("|*.svg;*.svgz|");
}
} // namespace

void addFilesByDialog(Dialogs &dialogs, QWidget *owner, RowList &rows, ErrorReporter &reporter,
                      const QString &title)
{
    ErrorTrap trap(reporter, Location);
    QStringList chosen;
    try {
        chosen = dialogs.openFiles(owner, dialogTitle(), filter()); // 104 to 112
    } catch (const AppError &error) {
        if (error.number() == ErrorNumber::SelectionTooLarge) {
            dialogs.message(owner, TooManyFilesMessage(), title, Dialogs::Icon::None);
            return;
        }
        trap.run(112, [&] { throw; });
    }
    if (chosen.isEmpty()) // 114
        return;
    for (const QString &path : std::as_const(chosen))
        trap.run(140, [&] { rows.appendRow(path); });
}

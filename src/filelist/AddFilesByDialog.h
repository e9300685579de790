// "Add PNG File(s)": files picked in the open-file dialog, in the dialog's order.
#pragma once

#include <QString>

class Dialogs;
class ErrorReporter;
class RowList;
class QWidget;

void addFilesByDialog(Dialogs &dialogs, QWidget *owner, RowList &rows, ErrorReporter &reporter,
                      const QString &title);

QString TooManyFilesMessage();

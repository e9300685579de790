// The one place where the user chooses a folder.
#pragma once

#include <QString>

class Dialogs;
class QWidget;

// The chosen folder ("/" for the root, otherwise without a trailing separator),
// or "" on cancel. The picker opens on the start folder when it still exists.
QString BrowseForFolder(Dialogs &dialogs, QWidget *owner, const QString &prompt,
                        const QString &startFolder);

#include "FolderPicker.h"

#include "platform/Dialogs.h"

QString BrowseForFolder(Dialogs &dialogs, QWidget *owner, const QString &prompt,
                        const QString &startFolder)
{
    return dialogs.browseForFolder(owner, prompt, startFolder);
}

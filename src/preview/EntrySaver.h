// "Save Entries as PNG…": each entry of an icon as "name-16.png", "name-32.png"… in a
// folder the person picks, nothing replaced without asking.
#pragma once

#include "PreviewModel.h"

#include <QString>
#include <QStringList>

class Dialogs;
class QWidget;

// The file names the entries of the icon `iconName` are saved under, in entry order:
// "logo-16.png", an oblong entry "logo-32x16.png", a second entry of a size "logo-32-2.png".
QStringList entryFileNames(const QString &iconName, const QList<PreviewEntry> &entries);

// Asks for the folder and, when files are there already, whether to replace them;
// answers the paths saved, none when the person cancelled.
QStringList saveEntriesAsPng(Dialogs &dialogs, QWidget *owner, const QString &iconPath,
                             const QList<PreviewEntry> &entries, const QString &title);

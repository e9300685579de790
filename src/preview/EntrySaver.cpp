#include "EntrySaver.h"

#include "PreviewTexts.h"
#include "core/PathHelpers.h"
#include "platform/Dialogs.h"

#include <QFileInfo>
#include <QSaveFile>

QStringList entryFileNames(const QString &iconName, const QList<PreviewEntry> &entries)
{
    const QString base = StripExtension(FileNameOf(iconName));
    QStringList names;
    for (const PreviewEntry &entry : entries) {
        const QString size = entry.width == entry.height
                                 ? QString::number(entry.width)
                                 : QStringLiteral("%1x%2").arg(entry.width).arg(entry.height);
        QString name = QStringLiteral("%1-%2.png").arg(base, size);
        for (int copy = 2; names.contains(name); ++copy)
            name = QStringLiteral("%1-%2-%3.png").arg(base, size).arg(copy);
        names << name;
    }
    return names;
}

QStringList saveEntriesAsPng(Dialogs &dialogs, QWidget *owner, const QString &iconPath,
                             const QList<PreviewEntry> &entries, const QString &title)
{
    const QString folder =
        dialogs.browseForFolder(owner, PreviewTexts::saveEntriesPrompt(), FolderOf(iconPath));
    if (folder.isEmpty())
        return {};
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    const QStringList names = entryFileNames(iconPath, entries);
    QStringList there;
    for (const QString &name : names) {
        if (QFileInfo::exists(prefix + name))
            there << name;
    }
    if (!there.isEmpty() && !dialogs.askYesNo(owner, PreviewTexts::overwrite(there), title))
        return {};
    QStringList saved;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        // Whole or not at all: a file that was there stays as it was when this fails.
        QSaveFile file(prefix + names[i]);
        if (entries[i].image.isNull() || !file.open(QIODevice::WriteOnly) ||
            !entries[i].image.save(&file, "PNG") || !file.commit()) {
            dialogs.message(owner, PreviewTexts::notSaved(names[i]), title, Dialogs::Icon::None);
            continue;
        }
        saved << prefix + names[i];
    }
    return saved;
}

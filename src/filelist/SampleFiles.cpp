#include "SampleFiles.h"

#include "core/PathHelpers.h"
#include "core/RowSource.h"
#include "platform/Dialogs.h"
#include "platform/KnownFolders.h"
#include "platform/Settings.h"
#include "scan/FolderWalk.h"

#include <QCoreApplication>

#include <algorithm>

QString SampleQuestion()
{
    return QCoreApplication::translate(
        "SampleFiles",
        "Would you like this software to open the folder where these sample files are stored (so "
        "that you can view them before working with them)?");
}

namespace {
QString samplesFolder(const QString &applicationFolder)
{
    return applicationFolder + FileSystem::nativeSeparator() + QStringLiteral("Samples");
}
} // namespace

void RecordSampleFiles(Settings &settings, const QString &applicationFolder)
{
    const QString folder = samplesFolder(applicationFolder);
    QStringList paths;
    for (const QString &name : ListFilesInFolder(folder, QStringLiteral("*.*")))
        paths << folder + FileSystem::nativeSeparator() + name;
    settings.setSnapshot(paths.join(QLatin1Char('|')));
}

void LoadSampleFiles(RowList &list, Settings &settings, Dialogs &dialogs, QWidget *owner,
                     const QString &title, const QString &applicationFolder)
{
    // A record made by the program somewhere else (the build tree before it was
    // installed, say) names files that are gone: the folder beside us counts now.
    const QString recorded = settings.snapshot();
    const QStringList recordedPaths = recorded.split(QLatin1Char('|'));
    if (!recorded.isEmpty() &&
        std::none_of(recordedPaths.cbegin(), recordedPaths.cend(), PathExists))
        RecordSampleFiles(settings, applicationFolder);
    const QString record = settings.snapshotForLoading();
    const QStringList parts = record.isEmpty() ? QStringList() : record.split(QLatin1Char('|'));
    for (const QString &path : parts) {
        if (PathExists(path) && !ListContains(list, path))
            list.appendRow(path);
    }
    if (dialogs.askYesNo(owner, SampleQuestion(), title))
        dialogs.openFolder(samplesFolder(applicationFolder) + FileSystem::nativeSeparator());
}

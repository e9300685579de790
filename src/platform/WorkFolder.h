// A batch's private folder beside the staged converter, and the clean-up of
// those left by batches that were killed.
#pragma once

#include "FileOutcome.h"
#include "Result.h"
#include "UniqueFd.h"

#include <QByteArray>
#include <QString>

namespace SafeFile {

// A batch's own folder inside the staging folder, created 0700 and locked for as
// long as this object lives; removed with everything in it at the end.
class WorkFolder
{
public:
    // Throws AppError when it cannot be made.
    explicit WorkFolder(const QString &stagingFolder);
    ~WorkFolder();
    WorkFolder(const WorkFolder &) = delete;
    WorkFolder &operator=(const WorkFolder &) = delete;

    QString path() const { return m_path; }
    // "NAME=value" for the environment of every child of the batch: after a kill,
    // the next start ends only the processes that carry it.
    QString childMarker() const { return m_childMarker; }
    // The open folder, for making and removing entries by plain name.
    int descriptor() const { return m_fd.get(); }
    // Makes a new file of ours in the folder holding `bytes`.
    Status writeFile(const QString &name, const QByteArray &bytes) const;
    // Removes one file or folder in the folder, by its plain name.
    void removeEntry(const QString &name) const;
    void remove();

private:
    QString m_path;
    QString m_childMarker;
    UniqueFd m_fd;
};

// Removes the work folders of batches whose program has gone (their lock is free),
// after ending whatever the gone program's converters left running in them, and
// converter copies that a killed program never finished staging. Answers how many
// work folders of live batches (or ones just being made) remain.
int removeStaleWorkFolders(const QString &stagingFolder);

} // namespace SafeFile

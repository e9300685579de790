// One place in a batch's work folder where converter children, one after another,
// read a source and write an icon through plain names. Where the system allows it
// the names are links to descriptors the child inherits ("/proc/self/fd/N"): the
// source opened and checked by us, the output a file in memory. A job then makes and
// deletes no file at all, and the converter reads exactly the file that was checked.
// Elsewhere each job gets a link to its source and a file for its output.
#pragma once

#include "SafeFile.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

namespace SafeFile {

class WorkSlot
{
public:
    WorkSlot(const WorkFolder &folder, int number);
    ~WorkSlot();
    WorkSlot(const WorkSlot &) = delete;
    WorkSlot &operator=(const WorkSlot &) = delete;

    int number() const { return m_number; }
    // "out-<n>.ico": where the child writes its icon.
    static QString outputName(int number);
    QString outputName() const { return outputName(m_number); }
    // Makes `source` readable as `inputName` in the folder and empties the output.
    // A source that is not a regular file after links is refused.
    Outcome attach(const QString &source, const QString &inputName);
    // What the child wrote; empty when nothing, or more than `limit` bytes.
    QByteArray output(qint64 limit) const;
    QString outputPath() const;
    // Descriptors the child must keep open across its start.
    QList<int> inherited() const;
    // Ends the job: per-job names go, the source is let go.
    void release();
    // Whether names are links to inherited descriptors (no files per job).
    bool usesDescriptors() const { return m_sourceFd >= 0; }

private:
    const WorkFolder &m_folder;
    int m_number = 0;
    int m_sourceFd = -1; // fixed number, re-pointed at each job's source
    QSet<QString> m_links;
    QString m_input; // this job's name, when made per job
};

} // namespace SafeFile

// One place in a batch's work folder where converter children, one after another,
// read a source and write an icon through plain names. Where the system allows it
// the input name is a link, made once, to a descriptor the child inherits
// ("/proc/self/fd/N") for the source we opened and checked: no link per job, and the
// converter reads exactly the file that was checked. Elsewhere each job gets a link
// to its source. The output is a plain file the child writes.
#pragma once

#include "Result.h"
#include "SafeFile.h"
#include "UniqueFd.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

namespace SafeFile {

class WorkSlot
{
public:
    WorkSlot(const WorkFolder &folder, int number);
    ~WorkSlot();
    WorkSlot(const WorkSlot &) = delete;
    WorkSlot &operator=(const WorkSlot &) = delete;

    // "out-<n>.ico": where the child writes its icon.
    static QString outputName(int number);
    // "tmp-<n>": the folder, made with the slot, that holds only the files the
    // converter makes for its own job.
    static QString jobFolderName(int number);
    QString outputName() const { return outputName(m_number); }
    // "out-<n>-%d.rgba": where a kit's child writes one picture a size, numbered from
    // 0, as bare 8-bit RGBA.
    static QString sequencePattern(int number);
    // The next job writes `count` pictures by that pattern; they go when it is released.
    void expectSequence(int count) { m_sequence = count; }
    // Picture `index` of that sequence; empty when missing or more than `limit` bytes.
    QByteArray sequenceOutput(int index, qint64 limit) const;
    // Makes `source` readable as `inputName` in the folder, for a slot released
    // since its last job. A source that is not a regular file after links is refused.
    Outcome attach(const QString &source, const QString &inputName);
    // Makes one more picture readable as `inputName`, for this job only (a designer's
    // own picture for one size of the icon), on the same terms as the source.
    Outcome attachExtra(const QString &source, const QString &inputName);
    // What the child wrote; empty when nothing, or more than `limit` bytes.
    QByteArray output(qint64 limit) const;
    // Writes `bytes` over what the child wrote, of the same length.
    Status rewriteOutput(const QByteArray &bytes) const;
    QString outputPath() const;
    // Descriptors the child must keep open across its start.
    QList<int> inherited() const;
    // Ends the job: per-job names go, the source is let go.
    void release();

private:
    // Whether the input name leads to an inherited descriptor (no link per job).
    bool usesDescriptors() const { return m_sourceFd.isOpen(); }

    const WorkFolder &m_folder;
    int m_number = 0;
    UniqueFd m_sourceFd; // fixed number, re-pointed at each job's source
    QSet<QString> m_links;
    QString m_input; // this job's name, when made per job
    std::vector<UniqueFd> m_extraFds;
    QStringList m_extraNames;
    int m_sequence = 0;
};

} // namespace SafeFile

// Where each run stages, noted in the program's own private folder, so that the
// next start finds a killed run's leftovers even after TEMP has changed.
#pragma once

#include "UniqueFd.h"

#include <QByteArray>
#include <QString>

namespace SafeFile {

// A live batch's note of its staging folder, locked for as long as this object
// lives and removed with it. Best effort: without a place for notes, no note.
class RunRecord
{
public:
    explicit RunRecord(const QString &stagingFolder);
    ~RunRecord();
    RunRecord(const RunRecord &) = delete;
    RunRecord &operator=(const RunRecord &) = delete;

private:
    UniqueFd m_fd;
    QByteArray m_path;
};

// For every note whose run has gone (its lock is free): that run's work folders go
// as removeStaleWorkFolders() removes them, and the staged converter `toolName`
// too when no live run works there; then the note. Creates nothing.
void removeLeftoversOfGoneRuns(const QString &toolName);

// `$XDG_STATE_HOME/Vandrell/Quorbel/runs` (or under ~/.local/state).
QString runRecordFolder();

} // namespace SafeFile

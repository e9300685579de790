// The walk level by level behind the folder walk: each level of a tree listed
// once, its folders held open by descriptor for the level below.
#pragma once

#include "FolderWalk.h"
#include "platform/AppError.h"
#include "platform/FolderListing.h"

#include <QSet>
#include <optional>
#include <vector>

namespace LevelWalk {

// One folder the walk found: where it is, what its listing gave.
struct Found
{
    QString path; // with its trailing separator
    QString name;
    qsizetype parent = -1; // in the level above; -1 for a starting folder
    qsizetype pathBytes = 0;
    int value = -1;
    FileSystem::FolderId id;
    FileSystem::OpenFolder opened;
    bool dropped = false;
    // Its matching files, listed from the same descriptor as its subfolders.
    bool filesListed = false;
    QStringList files;
    QStringList undecodableFiles;
    std::optional<AppError> filesError;
};
using Level = std::vector<Found>;

struct Walk
{
    ErrorReporter &reporter;
    const WalkSystem &system;
    const std::atomic_bool &stop;
    // Folders listed so far: one reached again (a bind mount, or a chosen link that
    // leads into its own tree) must not start the same descent again, and its
    // files must not come twice.
    QSet<FileSystem::FolderId> walked;
    WalkGaps *gaps;
    const QString *pattern = nullptr; // list each folder's files too
    int keptOpen = 0;
};

bool isHiddenName(const QString &name);

// The walk level by level, each level listed once: a tree's cost grows with its
// folders and names, not with its depth. Starting folders that cannot be listed
// leave `folders`; the levels below follow in `levels`. False when stopped.
bool walkLevels(QStringList &folders, bool recurse, Walk &walk, std::vector<Level> &levels);

// Final pass: what passes the attribute rule, level after level.
QList<const Found *> foldersOutput(const std::vector<Level> &levels, Walk &walk);

} // namespace LevelWalk

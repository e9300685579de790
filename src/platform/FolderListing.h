// Listing a folder's subfolders and its files, straight from the directory stream,
// and the descriptor a walk holds a folder by.
#pragma once

#include "AppError.h"
#include "Result.h"
#include "UniqueFd.h"

#include <QHashFunctions>
#include <QString>
#include <QStringList>

namespace FileSystem {

// Which folder a listing read, whatever path led there.
struct FolderId
{
    quint64 device = 0;
    quint64 inode = 0;
    bool known = false;
    friend bool operator==(const FolderId &, const FolderId &) = default;
};
inline size_t qHash(const FolderId &id, size_t seed = 0)
{
    return qHashMulti(seed, id.device, id.inode);
}

struct SubfolderListing
{
    QStringList names;
    // Beside each name, its attribute value and identity as the listing found it.
    QList<int> values;
    QList<FolderId> ids;
    int error = 0;  // 0, or PermissionDenied, PathNotFound, PathFileAccess
    QString reason; // the system's words for the error
    FolderId id;
    // Subfolders left out because their names do not decode exactly, as near as
    // they decode: no text could name them.
    QStringList undecodable;
};

// A folder held by its descriptor, so that what is listed below it is what was
// found there, whatever its path leads to meanwhile.
class OpenFolder
{
public:
    OpenFolder() = default;
    explicit OpenFolder(UniqueFd descriptor) : m_fd(std::move(descriptor)) {}

    bool isOpen() const { return m_fd.isOpen(); }
    int descriptor() const { return m_fd.get(); }
    void close() { m_fd.reset(); }

private:
    UniqueFd m_fd;
};

// Where a walk reaches a folder: one it starts from by its path (which may be a
// link), every folder below by its name in its parent, never through a link.
struct FolderPlace
{
    QString path;                       // with its trailing separator
    qsizetype pathBytes = 0;            // the path's length as the system takes it
    const OpenFolder *parent = nullptr; // none for a starting folder
    QString name;
    FolderId id; // as its parent's listing found it
};

// The real subfolders, in listing order: a link to a folder is none, so a walk
// never leaves the tree through one. A folder that can be read but not searched
// fails with PermissionDenied: nothing in it could be opened.
SubfolderListing listSubfolders(const QString &folder);
// The same, reached as `place` says; the folder stays open in `opened`. A
// parent's descriptor that was let go is stood in for by the path, and then
// the folder must be the one its parent's listing found.
SubfolderListing listSubfolders(const FolderPlace &place, OpenFolder *opened);

// Regular files (after links) whose names match a wildcard pattern, hidden ones
// included, in listing order; names that do not decode exactly are left out (and
// added to `undecodable` when given). A missing folder lists nothing; one that
// cannot be read fails with the run-time error a handler reports.
Result<QStringList, AppError> readFileNames(const QString &folder, const QString &pattern,
                                            QStringList *undecodable = nullptr);
// The same for a handler's trap: throws what readFileNames() fails with.
QStringList listFiles(const QString &folder, const QString &pattern,
                      QStringList *undecodable = nullptr);
QStringList listFiles(const OpenFolder &folder, const QString &pattern,
                      QStringList *undecodable = nullptr);

} // namespace FileSystem

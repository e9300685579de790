// The program's window onto the file system: attributes, listings, existence
// and the folders it works in.
#pragma once

#include <QByteArray>
#include <QHashFunctions>
#include <QString>
#include <QStringList>

namespace FileSystem {

// Windows-style attribute bits, derived from lstat/stat and the mount table.
namespace Attr {
inline constexpr int ReadOnly = 1;
inline constexpr int Hidden = 2;
inline constexpr int System = 4;
inline constexpr int Directory = 16;
inline constexpr int Archive = 32;
inline constexpr int ReparsePoint = 1024;
} // namespace Attr

// The attribute value of a path, or -1 when it cannot be read.
int attributes(const QString &path);
bool isVolumeRoot(const QString &path);
// The hidden bit of a file's attribute value, without reading more than its name.
bool isHiddenFile(const QString &path);

// True when a path or name is shorter than the system's limit (PATH_MAX bytes
// as the file system stores it).
bool fitsPathLimit(const QString &path);
bool fitsPathLimit(qsizetype encodedBytes);
// A name's or path's length as the file system stores it.
qsizetype encodedSize(const QString &path);

// True when the path's modification time can be read.
bool pathExists(const QString &path);

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
    explicit OpenFolder(int descriptor) : m_fd(descriptor) {}
    ~OpenFolder() { close(); }
    OpenFolder(OpenFolder &&other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    OpenFolder &operator=(OpenFolder &&other) noexcept
    {
        if (this != &other) {
            close();
            m_fd = other.m_fd;
            other.m_fd = -1;
        }
        return *this;
    }
    OpenFolder(const OpenFolder &) = delete;
    OpenFolder &operator=(const OpenFolder &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int descriptor() const { return m_fd; }
    void close();

private:
    int m_fd = -1;
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
// added to `undecodable` when given). Throws AppError when the folder cannot be read.
QStringList listFiles(const QString &folder, const QString &pattern,
                      QStringList *undecodable = nullptr);
QStringList listFiles(const OpenFolder &folder, const QString &pattern,
                      QStringList *undecodable = nullptr);
bool wildcardMatch(const QString &pattern, const QString &name);

// The order a file manager shows: case-blind, runs of digits compared as
// numbers (p1, p3, p10), the same whatever the locale. Listings come in it.
bool comesBefore(QStringView a, QStringView b);

// `TEMP` when set, else `XDG_RUNTIME_DIR`, else a folder private to this user
// (created 0700) in `TMPDIR` or /tmp; always an absolute path. A folder that is
// missing, not a folder or not writable is passed over (said once on standard
// error), and so is one whose path ImageMagick would read otherwise than it
// stands, or where no program may run. A private folder's name taken by anything
// else is left alone for a fresh private folder beside it. Throws AppError when
// even /tmp holds none. FindOnly makes and says nothing: the folder a run would
// use when it exists already, else empty.
enum class StagingLookup
{
    Make,
    FindOnly
};
QString stagingFolder(StagingLookup lookup = StagingLookup::Make);
// With HOME unset or empty: HOME becomes the user's home from the password
// database, else the current folder, never the root folder (said once).
void settleHomeFolder();
// The home that rule picks; empty when neither will do.
QString homeFolderFor(const QString &passwordHome, const QString &current);
// False where the file system runs no program (mounted noexec).
bool mayRunProgramsIn(const QString &folder);

QString applicationFolder();
// The desktop folder followed by a separator, or the home folder where there is
// no desktop folder; throws AppError when neither is known.
QString desktopFolderPath();
QChar nativeSeparator();

} // namespace FileSystem

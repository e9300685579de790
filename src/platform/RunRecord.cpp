#include "RunRecord.h"

#include "PosixIo.h"
#include "StagedFile.h"
#include "WorkFolder.h"

#include <QDir>

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeFile {
using namespace PosixIo;

namespace {
constexpr char NotePrefix[] = "run-";
constexpr char NewNotePrefix[] = "new-";
constexpr qint64 LongestNote = 8192;

// Each missing folder of the path made private to this user.
bool makePrivateFolders(const QString &path)
{
    QString made;
    for (const QString &part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        made += QLatin1Char('/') + part;
        const QByteArray name = encoded(made);
        if (mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st;
    return lstat(encoded(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == geteuid();
}
} // namespace

QString runRecordFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!state.startsWith(QLatin1Char('/')))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/Vandrell/Quorbel/runs");
}

RunRecord::RunRecord(const QString &stagingFolder)
{
    const QString folder = runRecordFolder();
    if (!makePrivateFolders(folder))
        return;
    // Written and locked under a name no clean-up reads, then put in place whole.
    QByteArray made = encoded(folder) + '/' + NewNotePrefix + "XXXXXX";
    UniqueFd fd(mkostemp(made.data(), O_CLOEXEC));
    if (!fd)
        return;
    const QByteArray note = encoded(stagingFolder);
    m_path = encoded(folder) + '/' + NotePrefix + made.mid(made.size() - 6);
    if (flock(fd.get(), LOCK_EX | LOCK_NB) != 0 || !writeAll(fd.get(), note, 0) ||
        rename(made.constData(), m_path.constData()) != 0) {
        // A note never put in place is read by nobody; at worst it stays behind.
        static_cast<void>(unlink(made.constData()));
        m_path.clear();
        return;
    }
    m_fd = std::move(fd);
}

RunRecord::~RunRecord()
{
    if (m_fd)
        // Before the lock goes with the descriptor; a note left behind is unlocked
        // and removed at the next start.
        static_cast<void>(unlink(m_path.constData()));
}

void removeLeftoversOfGoneRuns(const QString &toolName)
{
    const QByteArray folder = encoded(runRecordFolder());
    const DirStream dir = readFolder(
        UniqueFd(open(folder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)));
    if (!dir)
        return;
    const int folderFd = dirfd(dir.get());
    while (const dirent *entry = readdir(dir.get())) {
        if (std::strncmp(entry->d_name, NotePrefix, sizeof NotePrefix - 1) != 0)
            continue;
        const UniqueFd fd(openat(folderFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (!fd)
            continue;
        struct stat st;
        // A live run holds its note's lock; a killed one's lock went with it.
        if (fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() &&
            st.st_size <= LongestNote && flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
            QByteArray staging(st.st_size, '\0');
            if (pread(fd.get(), staging.data(), staging.size(), 0) == st.st_size &&
                staging.startsWith('/')) {
                const QString place = QString::fromUtf8(staging);
                // A converter that is gone already, or was never staged, leaves
                // nothing to do.
                if (removeStaleWorkFolders(place) == 0)
                    static_cast<void>(deleteOwnFile(place + QLatin1Char('/') + toolName));
            }
            // Left, it is read again at the next start, to the same effect.
            static_cast<void>(unlinkat(folderFd, entry->d_name, 0));
        }
    }
}

} // namespace SafeFile

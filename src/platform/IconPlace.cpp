#include "IconPlace.h"

#include "PosixIo.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace SafeFile {
using namespace PosixIo;

namespace {

constexpr int MostLinks = 40; // as the kernel allows

QByteArray joined(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

// The kernel's rule: in a folder that is sticky and writable by others, anyone may
// plant a link, so only one of ours or of the folder's owner is followed.
bool mayFollow(int folder, const struct stat &link)
{
    struct stat st;
    if (fstat(folder, &st) != 0)
        return false;
    const bool shared = (st.st_mode & S_ISVTX) && (st.st_mode & S_IWOTH);
    return !shared || link.st_uid == geteuid() || link.st_uid == st.st_uid;
}

} // namespace

// Every name is opened without following it and looked at through what was opened,
// so nothing swapped in between the look and the step is ever taken.
IconPlace::IconPlace(const QByteArray &path) : m_path(path)
{
    QByteArray where = folderOf(path);
    m_folder.reset(open(where.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!m_folder) {
        m_outcome = outcomeFor(errno);
        return;
    }
    QByteArrayList rest{path.mid(path.lastIndexOf('/') + 1)}; // the next name last
    int links = 0;
    while (!rest.isEmpty()) {
        const QByteArray part = rest.takeLast();
        if (part.isEmpty() || part == ".")
            continue;
        UniqueFd fd(openat(m_folder.get(), part.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat st;
        if (!fd || fstat(fd.get(), &st) != 0) {
            const int err = errno;
            if (err == ENOENT && rest.isEmpty())
                m_name = part; // a new icon, or a dangling link's end
            else
                m_outcome = outcomeFor(err);
            break;
        }
        if (S_ISLNK(st.st_mode)) {
            const Outcome followed =
                ++links > MostLinks ? Outcome::Failed : follow(fd.get(), st, &rest, &where);
            if (followed != Outcome::Done) {
                m_outcome = followed;
                break;
            }
        } else if (rest.isEmpty()) {
            m_name = part;
            m_exists = true;
            m_file = st;
            m_outcome = !S_ISREG(st.st_mode)          ? Outcome::NotRegular
                        : (st.st_mode & S_IWUSR) == 0 ? Outcome::ReadOnly
                                                      : Outcome::Done;
        } else if (!S_ISDIR(st.st_mode)) {
            m_outcome = Outcome::Missing;
            break;
        } else {
            m_folder = std::move(fd);
            where = joined(where, part);
        }
    }
    if (m_outcome == Outcome::Done && m_name.isEmpty())
        m_outcome = Outcome::NotRegular; // the path ends at a folder
    if (links > 0)
        m_path = joined(where, m_name);
}

IconPlace::~IconPlace() = default;

Outcome IconPlace::follow(int link, const struct stat &st, QByteArrayList *rest, QByteArray *where)
{
    if (!mayFollow(m_folder.get(), st))
        return Outcome::LinkNotFollowed;
    char text[PATH_MAX];
    const ssize_t n = readlinkat(link, "", text, sizeof text);
    if (n <= 0 || n >= ssize_t(sizeof text))
        return Outcome::Failed;
    const QByteArray target(text, n);
    const QByteArrayList parts = target.split('/');
    for (auto part = parts.crbegin(); part != parts.crend(); ++part)
        rest->append(*part);
    if (target.startsWith('/')) {
        UniqueFd root(open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!root)
            return outcomeFor(errno);
        m_folder = std::move(root);
        *where = "/";
    }
    return Outcome::Done;
}

} // namespace SafeFile

// Where a write to an icon's name lands: the end of its chain of links, walked one
// name at a time under the kernel's protected_symlinks rule whatever the machine's
// setting, so that another user's link in a shared folder never chooses the file.
#pragma once

#include "FileOutcome.h"
#include "UniqueFd.h"

#include <QByteArray>
#include <QByteArrayList>
#include <sys/stat.h>

namespace SafeFile {

class IconPlace
{
public:
    explicit IconPlace(const QByteArray &path);
    ~IconPlace();
    IconPlace(const IconPlace &) = delete;
    IconPlace &operator=(const IconPlace &) = delete;

    // Done, or why nothing may be written there: LinkNotFollowed, ReadOnly,
    // NotRegular or the error met on the way.
    Outcome outcome() const { return m_outcome; }
    // The folder the icon lands in, held open so that every later step acts on that
    // very folder whatever is renamed meanwhile; only meaningful when Done.
    int folder() const { return m_folder.get(); }
    const QByteArray &name() const { return m_name; }
    // The place as one path, the given one when no link was followed.
    const QByteArray &path() const { return m_path; }
    bool exists() const { return m_exists; }
    // What stands there, when something does.
    const struct stat &file() const { return m_file; }

private:
    Outcome follow(int link, const struct stat &st, QByteArrayList *rest, QByteArray *where);

    Outcome m_outcome = Outcome::Done;
    UniqueFd m_folder;
    QByteArray m_name;
    QByteArray m_path;
    bool m_exists = false;
    struct stat m_file = {};
};

} // namespace SafeFile

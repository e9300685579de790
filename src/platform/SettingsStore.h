// The per-user store of texts under "Vandrell" / "Quorbel": the INI file QSettings
// would keep. Reads go to the file every time; writes reach it at once. Each value
// is the text after "=" on its line, exactly; storing one key rewrites only that
// key's line.
#pragma once

#include "Result.h"

#include <QString>
#include <sys/types.h>

// Hears that the settings file cannot be kept, so that the user learns that the
// choices made now will not come back; the window and the terminal say it their way.
class SettingsTrouble
{
public:
    virtual ~SettingsTrouble() = default;
    virtual void cannotSave(const QString &fileName, const QString &reason) = 0;
};

// The system calls that put a new settings file in place, each checked; a test
// swaps one for a failing one, as a full or failing disk would answer.
struct SettingsFileCalls
{
    int (*open)(const char *path, int flags, mode_t mode);
    ssize_t (*write)(int fd, const void *data, size_t size);
    int (*fsync)(int fd);
    int (*close)(int fd);
    int (*rename)(const char *from, const char *to);

    static SettingsFileCalls system();
};

class SettingsStore
{
public:
    // The stored text, or `defaultText` when the key is absent.
    QString read(const QString &key, const QString &defaultText) const;
    // Never throws: a store that cannot be written must not end the program. A
    // file that cannot be read is left as it is. Either is told to the trouble
    // listener, once per run.
    void write(const QString &key, const QString &value);

    QString fileName() const;
    void tellTroubleTo(SettingsTrouble *listener) { m_trouble = listener; }
    void useFileCalls(const SettingsFileCalls &calls) { m_calls = calls; }

private:
    void cannotSave(const QString &reason);
    // The new file written beside `file` and renamed over it; the system's reason
    // when a step fails, and then `file` is as it was.
    Result<void, QString> replaceFile(const QString &file, const QByteArray &bytes) const;

    SettingsFileCalls m_calls = SettingsFileCalls::system();

    SettingsTrouble *m_trouble = nullptr;
    bool m_troubleTold = false;
};

// The per-user store of texts under "Vandrell" / "Quorbel": the INI file QSettings
// would keep. Reads go to the file every time; writes reach it at once. Each value
// is the text after "=" on its line, exactly; storing one key rewrites only that
// key's line.
#pragma once

#include <QString>

// Hears that the settings file cannot be kept, so that the user learns that the
// choices made now will not come back; the window and the terminal say it their way.
class SettingsTrouble
{
public:
    virtual ~SettingsTrouble() = default;
    virtual void cannotSave(const QString &fileName, const QString &reason) = 0;
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

private:
    void cannotSave(const QString &reason);

    SettingsTrouble *m_trouble = nullptr;
    bool m_troubleTold = false;
};

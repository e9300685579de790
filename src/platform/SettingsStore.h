// The per-user store of texts under "Vandrell" / "Quorbel": the INI file QSettings
// would keep. Reads go to the file every time; writes reach it at once. Each value
// is the text after "=" on its line, exactly; storing one key rewrites only that
// key's line.
#pragma once

#include <QString>

class SettingsStore
{
public:
    // The stored text, or `defaultText` when the key is absent.
    QString read(const QString &key, const QString &defaultText) const;
    // Never throws: a store that cannot be written must not end the program.
    void write(const QString &key, const QString &value);

    QString fileName() const;
};

#include "SettingsStore.h"

#include <QSettings>
#include <memory>

namespace {
std::unique_ptr<QSettings> open(const QString &iniFile)
{
    if (iniFile.isEmpty())
        return std::make_unique<QSettings>(QStringLiteral("Vandrell"), QStringLiteral("Quorbel"));
    return std::make_unique<QSettings>(iniFile, QSettings::IniFormat);
}
} // namespace

SettingsStore::SettingsStore() = default;

SettingsStore::SettingsStore(const QString &iniFile) : m_iniFile(iniFile) {}

bool SettingsStore::contains(const QString &key) const
{
    auto settings = open(m_iniFile);
    settings->sync(); // picks up a value edited by hand since the last read
    return settings->contains(key);
}

QString SettingsStore::read(const QString &key, const QString &defaultText) const
{
    auto settings = open(m_iniFile);
    settings->sync();
    const QVariant value = settings->value(key);
    if (!value.isValid())
        return defaultText;
    // A hand-edited "a, b" comes back as a list; keep the text as written.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

void SettingsStore::write(const QString &key, const QString &value)
{
    auto settings = open(m_iniFile);
    settings->setValue(key, value);
    settings->sync();
}

QString SettingsStore::fileName() const
{
    return open(m_iniFile)->fileName();
}

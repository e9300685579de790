#include "SettingsStore.h"

#include <QFile>
#include <QSettings>
#include <memory>
#include <optional>

namespace {
std::unique_ptr<QSettings> open(const QString &iniFile)
{
    if (iniFile.isEmpty())
        return std::make_unique<QSettings>(QStringLiteral("Vandrell"), QStringLiteral("Quorbel"));
    return std::make_unique<QSettings>(iniFile, QSettings::IniFormat);
}

// The text after "=" on the line of a top-level key, as the INI file holds it.
std::optional<QString> lineValue(const QString &fileName, const QString &key)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::optional<QString> found;
    bool topLevel = true;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray &untrimmed : lines) {
        const QByteArray line = untrimmed.trimmed();
        if (line.startsWith('[')) {
            topLevel = line.compare("[General]", Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!topLevel || equals < 0)
            continue;
        const QByteArray name = QByteArray::fromPercentEncoding(line.left(equals).trimmed());
        if (QString::fromUtf8(name) == key)
            found = QString::fromUtf8(line.mid(equals + 1).trimmed());
    }
    return found;
}

// How QSettings writes what needs escaping: the program's own texts come back
// through QSettings; every other text is the user's, to be read as typed.
bool isEscapedForm(const QString &text)
{
    return text.startsWith(QLatin1Char('"')) || text.startsWith(QLatin1Char('@')) ||
           text.contains(QLatin1Char('\\'));
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
    // QSettings reads a hand-typed "a,b" as a list and cuts "a;b" at the ";".
    const std::optional<QString> typed = lineValue(settings->fileName(), key);
    if (typed && !isEscapedForm(*typed))
        return *typed;
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void SettingsStore::write(const QString &key, const QString &value)
{
    auto settings = open(m_iniFile);
    settings->setValue(key, value);
    settings->sync();
}

#include "Settings.h"

#include "AppError.h"

#include <QCoreApplication>

#include <cmath>

namespace {
const QString IconSize = QStringLiteral("Icon Size");
const QString Option8 = QStringLiteral("Option8");
const QString Option9 = QStringLiteral("Option9");
const QString Text1 = QStringLiteral("Text1");
const QString Text2 = QStringLiteral("Text2");
const QString Compact = QStringLiteral("Compact");
const QString KitBackground = QStringLiteral("KitBackground");
const QString LastFolderDot = QStringLiteral("LastFolderDot");
const QString LastFolder = QStringLiteral("LastFolder");
const QString Extension = QStringLiteral("Extension");
const QString Snapshot = QStringLiteral("Snapshot");

AppError typeMismatch()
{
    return AppError(ErrorNumber::TypeMismatch,
                    QCoreApplication::translate("Settings", "Type mismatch"));
}

// A decimal number as the classic runtime reads one: blanks around it allowed.
bool parseNumber(const QString &text, double *value)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    for (const QChar c : trimmed) {
        if (!(c.isDigit() || c == QLatin1Char('.') || c == QLatin1Char('-') ||
              c == QLatin1Char('+') || c == QLatin1Char('e') || c == QLatin1Char('E')))
            return false;
    }
    bool ok = false;
    *value = trimmed.toDouble(&ok);
    return ok && std::isfinite(*value);
}
} // namespace

int Settings::toInt16(const QString &text)
{
    double value = 0;
    if (!parseNumber(text, &value))
        throw typeMismatch();
    const double rounded = std::nearbyint(value); // a half goes to the even neighbour
    if (rounded < -32768 || rounded > 32767)
        throw AppError(ErrorNumber::Overflow, QCoreApplication::translate("Settings", "Overflow"));
    return static_cast<int>(rounded);
}

bool Settings::toTruth(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    double value = 0;
    if (!parseNumber(text, &value))
        throw typeMismatch();
    return value != 0;
}

QString Settings::truthText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

int Settings::iconSize() const
{
    return toInt16(m_store.read(IconSize, QStringLiteral("2")));
}
void Settings::setIconSize(int option)
{
    m_store.write(IconSize, QString::number(option));
}
bool Settings::option8() const
{
    return toTruth(m_store.read(Option8, truthText(true)));
}
bool Settings::option9() const
{
    return toTruth(m_store.read(Option9, truthText(false)));
}

void Settings::setDestination(bool option8, bool option9)
{
    m_store.write(Option8, truthText(option8));
    m_store.write(Option9, truthText(option9));
}

QString Settings::text1(const QString &defaultFolder) const
{
    return m_store.read(Text1, defaultFolder);
}
void Settings::setText1(const QString &text)
{
    m_store.write(Text1, text);
}
QString Settings::text2() const
{
    return m_store.read(Text2, QStringLiteral("32"));
}
void Settings::setText2(const QString &text)
{
    m_store.write(Text2, text);
}
bool Settings::compact() const
{
    return toTruth(m_store.read(Compact, truthText(false)));
}
void Settings::setCompact(bool compact)
{
    m_store.write(Compact, truthText(compact));
}
QColor Settings::kitBackground() const
{
    const QColor colour =
        QColor::fromString(m_store.read(KitBackground, QStringLiteral("#ffffff")));
    return colour.isValid() ? colour : QColor(Qt::white);
}
void Settings::setKitBackground(const QColor &colour)
{
    m_store.write(KitBackground, colour.name(QColor::HexRgb));
}
QString Settings::lastFolderDot() const
{
    return m_store.read(LastFolderDot, QString());
}
void Settings::setLastFolderDot(const QString &folder)
{
    m_store.write(LastFolderDot, folder);
}
QString Settings::lastFolder() const
{
    return m_store.read(LastFolder, QString());
}
void Settings::setLastFolder(const QString &folder)
{
    m_store.write(LastFolder, folder);
}
QString Settings::extension() const
{
    return m_store.read(Extension, QStringLiteral("png"));
}
void Settings::setExtension(const QString &extension)
{
    m_store.write(Extension, extension);
}
QString Settings::snapshot() const
{
    return m_store.read(Snapshot, QString());
}
QString Settings::snapshotForLoading() const
{
    return m_store.read(Snapshot, truthText(false));
}
void Settings::setSnapshot(const QString &record)
{
    m_store.write(Snapshot, record);
}

#include "SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>

// The file is read and written line by line rather than through QSettings, which
// reads a hand-typed "a,b" as a list, cuts "a;b" at the ";" and rewrites every
// line of the file from that reading when it stores one value.
namespace {
struct Line
{
    QByteArray text; // without its line end
    bool topLevel = false;
    bool section = false;
};

QList<Line> linesOf(const QByteArray &bytes)
{
    QList<Line> lines;
    bool topLevel = true;
    for (QByteArray text : bytes.split('\n')) {
        if (text.endsWith('\r'))
            text.chop(1);
        const QByteArray trimmed = text.trimmed();
        const bool section = trimmed.startsWith('[');
        if (section)
            topLevel = trimmed.compare("[General]", Qt::CaseInsensitive) == 0;
        lines.append({text, topLevel && !section, section});
    }
    return lines;
}

// The index of the line that holds a top-level key (the last one, as QSettings reads).
qsizetype lineOfKey(const QList<Line> &lines, const QString &key)
{
    qsizetype found = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Line &line = lines.at(i);
        const qsizetype equals = line.text.indexOf('=');
        if (!line.topLevel || equals < 0 || line.text.trimmed().startsWith(';') ||
            line.text.trimmed().startsWith('#'))
            continue;
        const QByteArray name = QByteArray::fromPercentEncoding(line.text.left(equals).trimmed());
        if (QString::fromUtf8(name) == key)
            found = i;
    }
    return found;
}

QByteArray valueOf(const Line &line)
{
    return line.text.mid(line.text.indexOf('=') + 1);
}

QByteArray readAll(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// How earlier versions (through QSettings) wrote a text that needed escaping.
bool isEscapedForm(const QByteArray &text)
{
    return text.startsWith('"') || text.startsWith('@') || text.contains('\\');
}

// A text that plain would read as an escaped one, or that holds a line break,
// is stored as earlier versions stored it; QSettings makes and reads that form.
QByteArray storedForm(const QString &value)
{
    QByteArray plain = value.toUtf8();
    const bool control =
        std::any_of(plain.cbegin(), plain.cend(), [](char c) { return uchar(c) < 32; });
    if (!isEscapedForm(plain) && !control)
        return plain;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("v.conf"));
    {
        QSettings settings(file, QSettings::IniFormat);
        settings.setValue(QStringLiteral("v"), value);
    }
    const QList<Line> lines = linesOf(readAll(file));
    const qsizetype at = lineOfKey(lines, QStringLiteral("v"));
    return at < 0 ? plain : valueOf(lines.at(at));
}

// Where a new top-level key goes: after the last line of [General], else before
// the first section; a file without lines gets the heading QSettings writes.
qsizetype insertionPoint(QList<Line> &lines)
{
    qsizetype general = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).section &&
            lines.at(i).text.trimmed().compare("[General]", Qt::CaseInsensitive) == 0)
            general = i;
    }
    qsizetype end = lines.size();
    for (qsizetype i = general + 1; i < lines.size(); ++i) {
        if (lines.at(i).section) {
            end = i;
            break;
        }
    }
    // Blank lines before the next section (or the file's end) stay after the new line.
    qsizetype at = end;
    while (at > general + 1 && lines.at(at - 1).text.trimmed().isEmpty())
        --at;
    if (general < 0 && at == 0 && end == lines.size()) {
        lines.insert(0, {"[General]", false, true});
        return 1;
    }
    return at;
}
} // namespace

QString SettingsStore::fileName() const
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Vandrell/Quorbel.conf");
}

QString SettingsStore::read(const QString &key, const QString &defaultText) const
{
    const QString file = fileName();
    const QList<Line> lines = linesOf(readAll(file));
    const qsizetype at = lineOfKey(lines, key);
    if (at < 0)
        return defaultText;
    const QByteArray typed = valueOf(lines.at(at));
    if (!isEscapedForm(typed))
        return QString::fromUtf8(typed);
    // Written by an earlier version: read as it read it.
    const QVariant value = QSettings(file, QSettings::IniFormat).value(key);
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void SettingsStore::write(const QString &key, const QString &value)
{
    const QString file = fileName();
    QDir().mkpath(QFileInfo(file).absolutePath());
    // The lock QSettings takes: other instances, old or new, wait for this one.
    QLockFile lock(file + QStringLiteral(".lock"));
    lock.tryLock(5000);
    const QByteArray bytes = readAll(file);
    QList<Line> lines = linesOf(bytes);
    const bool endsWithNewline = bytes.isEmpty() || bytes.endsWith('\n');
    if (endsWithNewline)
        lines.removeLast(); // the empty text after the last line end
    const bool crlf = bytes.contains("\r\n");
    const qsizetype at = lineOfKey(lines, key);
    if (at >= 0) {
        Line &line = lines[at];
        line.text = line.text.left(line.text.indexOf('=') + 1) + storedForm(value);
    } else {
        const QByteArray name = key.toUtf8().toPercentEncoding("-_.");
        lines.insert(insertionPoint(lines), {name + '=' + storedForm(value), true, false});
    }
    QByteArray out;
    const QByteArray end = crlf ? "\r\n" : "\n";
    for (qsizetype i = 0; i < lines.size(); ++i) {
        out += lines.at(i).text;
        if (i + 1 < lines.size() || endsWithNewline)
            out += end;
    }
    QSaveFile save(file);
    if (save.open(QIODevice::WriteOnly) && save.write(out) == out.size())
        save.commit();
}

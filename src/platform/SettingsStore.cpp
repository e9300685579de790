#include "SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringEncoder>

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

// The file's bytes, or the system's words when it exists but cannot be read. A
// missing file reads as an empty one.
Result<QByteArray, QString> readWhole(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!file.exists())
            return QByteArray();
        return Failed{file.errorString()};
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Failed{file.errorString()};
    return bytes;
}

// How earlier versions (through QSettings) wrote a text that needed escaping.
bool isEscapedForm(const QByteArray &text)
{
    return text.startsWith('"') || text.startsWith('@') || text.contains('\\');
}

bool isHexDigit(char16_t c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The form QSettings gives a text in an INI file, made here because QSettings
// makes it only by writing a file, and a missing or full temporary folder must
// not turn an escape into a line break. Our texts never start with a type name
// of QSettings' own, so every character beyond ASCII goes out as UTF-8.
QByteArray iniEscaped(const QString &value)
{
    QString text = value;
    if (text.contains(QChar::Null))
        text = QStringLiteral("@String(") + text + QLatin1Char(')');
    else if (text.startsWith(QLatin1Char('@')))
        text.prepend(QLatin1Char('@'));
    QStringEncoder toUtf8(QStringEncoder::Utf8);
    QByteArray out;
    bool needsQuotes = false;
    bool escapeNextIfHexDigit = false; // "\x1" then "a" would read as "\x1a"
    for (const QChar qc : std::as_const(text)) {
        const char16_t c = qc.unicode();
        if (c == ';' || c == ',' || c == '=')
            needsQuotes = true;
        if (escapeNextIfHexDigit && isHexDigit(c)) {
            out += "\\x" + QByteArray::number(c, 16);
            continue;
        }
        escapeNextIfHexDigit = false;
        switch (c) {
        case 0:
            out += "\\0";
            escapeNextIfHexDigit = true;
            break;
        case '\a':
            out += "\\a";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\v':
            out += "\\v";
            break;
        case '"':
        case '\\':
            out += '\\';
            out += char(c);
            break;
        default:
            if (c <= 0x1F) {
                out += "\\x" + QByteArray::number(c, 16);
                escapeNextIfHexDigit = true;
            } else {
                out += QByteArray(toUtf8(QStringView(&qc, 1)));
            }
        }
    }
    if (needsQuotes || out.startsWith(' ') || out.endsWith(' '))
        out = '"' + out + '"';
    return out;
}

// A text that plain would read as an escaped one, or that holds a line break,
// is stored as earlier versions stored it.
QByteArray storedForm(const QString &value)
{
    QByteArray plain = value.toUtf8();
    const bool control =
        std::any_of(plain.cbegin(), plain.cend(), [](char c) { return uchar(c) < 32; });
    if (!isEscapedForm(plain) && !control)
        return plain;
    return iniEscaped(value);
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
    // Unreadable, it holds no choice: every key reads as its default.
    const QList<Line> lines = linesOf(readWhole(file).valueOr({}));
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
    // Nowhere to keep it (no home at all): never in the root folder's /.config.
    if (file.startsWith(QLatin1String("/.config/")) &&
        qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME")) {
        cannotSave(QStringLiteral("there is no home folder to keep it in"));
        return;
    }
    if (!QDir().mkpath(QFileInfo(file).absolutePath())) {
        cannotSave(QStringLiteral("its folder cannot be made"));
        return;
    }
    // The lock QSettings takes: other instances, old or new, wait for this one.
    QLockFile lock(file + QStringLiteral(".lock"));
    // Not had within 5 s, the choice is still written: the holder is hung (a stale
    // lock is taken over by itself), or the folder refuses the lock file and then
    // refuses the write too, which is said below. The file is replaced whole either
    // way, so a race costs at most the other instance's latest key, never a torn file.
    static_cast<void>(lock.tryLock(5000));
    const Result<QByteArray, QString> read = readWhole(file);
    // What cannot be read cannot be kept: writing it anew would lose every other key.
    if (!read) {
        cannotSave(QStringLiteral("the file cannot be read (%1)").arg(read.error()));
        return;
    }
    const QByteArray &bytes = *read;
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
    if (const Result<void, QString> replaced = replaceFile(file, out); !replaced)
        cannotSave(replaced.error());
}

void SettingsStore::cannotSave(const QString &reason)
{
    if (m_troubleTold || !m_trouble)
        return;
    m_troubleTold = true;
    m_trouble->cannotSave(fileName(), reason);
}

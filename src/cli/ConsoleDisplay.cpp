#include "ConsoleDisplay.h"

#include "Texts.h"
#include "core/PathHelpers.h"
#include "platform/Console.h"
#include "platform/EventPump.h"
#include "platform/LineBreaks.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("Terminal", text);
}
} // namespace

namespace {
constexpr int BarWidth = 20;
constexpr int RedrawMs = 100;

// The progress line for `started` of `total` files; fits in `columns`.
QString progressLine(int started, int total, int percent, QString name, int columns)
{
    const int filled = BarWidth * std::clamp(percent, 0, 100) / 100;
    const int digits = int(QString::number(total).size());
    QString line =
        QStringLiteral("[%1%2] %3/%4 %5% ")
            .arg(QString(filled, QLatin1Char('#')), QString(BarWidth - filled, QLatin1Char('.')))
            .arg(started, digits)
            .arg(total)
            .arg(percent, 3);
    // One character short of the width: a full line would wrap on some terminals.
    const qsizetype room = columns - 1 - line.size();
    if (room <= 0)
        return line.left(std::max(columns - 1, 0));
    if (name.size() > room)
        name = QStringLiteral("...") + name.right(std::max<qsizetype>(room - 3, 0));
    return line + name.left(room);
}
} // namespace

QString printable(QString text)
{
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char('?');
    }
    return text;
}

void complain(const QString &text)
{
    Console::write(Console::Stream::Err,
                   QStringLiteral("quorbel: ") + withLineFeeds(text) + QLatin1Char('\n'));
}

ConsoleDisplay::ConsoleDisplay(int progressColumns, const QString &destination)
    : m_columns(progressColumns), m_destination(destination)
{
}

void ConsoleDisplay::batchRefused(Refusal why)
{
    clearLine();
    complain(TerminalTexts::refusal(why));
}

void ConsoleDisplay::batchStarting()
{
    Console::write(Console::Stream::Out, printable(m_destination) + QLatin1Char('\n'));
}

void ConsoleDisplay::fileStarting(const FileStart &file)
{
    m_started = std::max(m_started, file.row);
    m_total = file.rowCount;
    m_percent = std::clamp(int(std::nearbyint(double(file.row) / file.rowCount * 100.0)), 0, 100);
    m_name = printable(FileNameOf(file.source));
    m_waiting.clear();
    draw(true);
}

void ConsoleDisplay::stillConverting(const StillConverting &longest)
{
    m_waiting = tr(", Please wait.. %1").arg(longest.polls - PollsBeforeWaitingText);
    draw(false);
}

void ConsoleDisplay::fileEnded(const FileResult &result, bool ran)
{
    if (!ran && result.outcome == FileResult::Outcome::Converted)
        m_partsOfIcons.insert(result.row);
}

void ConsoleDisplay::batchEnded(const BatchSummary &summary)
{
    clearLine();
    m_summary = summary;
    // The summary names the first few; a script or a log gets every one.
    for (const FileResult &failed : summary.failed())
        complain(TerminalTexts::failedFile(failed));
    Console::write(Console::Stream::Out, TerminalTexts::summary(summary) + QLatin1Char('\n'));
    // A script's reader learns what changed on disk, an icon replaced above all.
    int written = 0;
    int replaced = 0;
    QStringList kits;
    for (const FileResult &result : summary.results) {
        if (result.outcome == FileResult::Outcome::Converted &&
            !m_partsOfIcons.contains(result.row)) {
            ++written;
            replaced += result.replaced ? 1 : 0;
            if (result.kit)
                kits << result.icon;
        }
    }
    Console::write(Console::Stream::Out, m_kits ? TerminalTexts::kitsWritten(kits, replaced)
                                                : TerminalTexts::written(written, replaced));
}

void ConsoleDisplay::letEventsRun()
{
    EventPump::letEventsRun();
}

void ConsoleDisplay::draw(bool now)
{
    if (m_columns <= 0 || m_summary)
        return;
    if (!now && m_sinceDrawn.isValid() && m_sinceDrawn.elapsed() < RedrawMs)
        return;
    const QString line = progressLine(m_started, m_total, m_percent, m_name + m_waiting, m_columns);
    if (m_lineShown && line == m_shownLine)
        return;
    m_sinceDrawn.start();
    m_shownLine = line;
    Console::write(Console::Stream::Err, QStringLiteral("\r\x1b[K") + line);
    m_lineShown = true;
}

void ConsoleDisplay::clearLine()
{
    if (!m_lineShown)
        return;
    Console::write(Console::Stream::Err, QStringLiteral("\r\x1b[K"));
    m_lineShown = false;
}

void ConsoleReporter::showErrorReport(const QString &text)
{
    ++m_reports;
    complain(text);
}

void ConsoleReporter::reportError(const QString &description, const QString &, int)
{
    QString line = description.simplified();
    // As a sentence after "quorbel: ", the way the terminal's other messages read.
    if (line.size() > 1 && line.at(0).isUpper() && line.at(1).isLower())
        line[0] = line.at(0).toLower();
    while (line.endsWith(QLatin1Char('.')))
        line.chop(1);
    showErrorReport(line);
}

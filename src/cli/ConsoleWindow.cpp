#include "ConsoleWindow.h"

#include "platform/Console.h"
#include "platform/EventPump.h"

#include <algorithm>
#include <cmath>

namespace {
const QString Processing = QStringLiteral("Processing: ");
const QString IdleText = QStringLiteral("Progress Bar");
constexpr int BarWidth = 20;
constexpr int RedrawMs = 100;

// The progress line for `started` of `total` files; fits in `columns`.
QString progressLine(int started, int total, int percent, const QString &text, int columns)
{
    const int filled = BarWidth * std::clamp(percent, 0, 100) / 100;
    const int digits = int(QString::number(total).size());
    QString line =
        QStringLiteral("[%1%2] %3/%4 %5% ")
            .arg(QString(filled, QLatin1Char('#')), QString(BarWidth - filled, QLatin1Char('.')))
            .arg(started, digits)
            .arg(total)
            .arg(percent, 3);
    QString name = text.startsWith(Processing) ? text.mid(Processing.size()) : text;
    // A name may hold control characters; on a terminal they would act, not show.
    for (QChar &c : name) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char('?');
    }
    // One character short of the width: a full line would wrap on some terminals.
    const qsizetype room = columns - 1 - line.size();
    if (room <= 0)
        return line.left(std::max(columns - 1, 0));
    if (name.size() > room)
        name = QStringLiteral("...") + name.right(std::max<qsizetype>(room - 3, 0));
    return line + name.left(room);
}
} // namespace

QString terminalText(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

void complain(const QString &text)
{
    Console::write(Console::Stream::Err,
                   QStringLiteral("quorbel: ") + terminalText(text) + QLatin1Char('\n'));
}

ConsoleWindow::ConsoleWindow(QStringList rows, ConsoleChoices choices, int progressColumns)
    : m_rows(std::move(rows)), m_choices(std::move(choices)), m_columns(progressColumns)
{
}

QString ConsoleWindow::rowText(int row) const
{
    if (row < 1 || row > m_rows.size())
        return {};
    // The batch reads a row as it starts converting it; the display repeats its texts.
    m_started = std::max(m_started, row);
    return m_rows.at(row - 1);
}

bool ConsoleWindow::isOptionSelected(int number) const
{
    return number == m_choices.sizeOption || number == m_choices.destinationOption;
}

void ConsoleWindow::showMessage(const QString &text)
{
    clearLine();
    if (text.startsWith(QLatin1String("Done."))) {
        m_summary = text;
        Console::write(Console::Stream::Out, terminalText(text) + QLatin1Char('\n'));
        return;
    }
    complain(text);
}

void ConsoleWindow::letEventsRun()
{
    EventPump::letEventsRun();
}

void ConsoleWindow::setProgressText(const QString &text)
{
    m_progressText = text;
    if (text == IdleText) {
        clearLine();
        return;
    }
    draw(text.startsWith(Processing));
}

void ConsoleWindow::setProgressValue(double value)
{
    // Shown with the next text: the batch sets the value first, then the text.
    m_progressValue = std::clamp(int(std::nearbyint(value)), 0, 100);
}

void ConsoleWindow::draw(bool now)
{
    if (m_columns <= 0 || m_summary)
        return;
    if (!now && m_sinceDrawn.isValid() && m_sinceDrawn.elapsed() < RedrawMs)
        return;
    const QString line =
        progressLine(m_started, numberOfRows(), m_progressValue, m_progressText, m_columns);
    if (m_lineShown && line == m_shownLine)
        return;
    m_sinceDrawn.start();
    m_shownLine = line;
    Console::write(Console::Stream::Err, QStringLiteral("\r\x1b[K") + line);
    m_lineShown = true;
}

void ConsoleWindow::clearLine()
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

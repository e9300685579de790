#include "BatchDisplay.h"

#include "Texts.h"
#include "WaitingDisplay.h"
#include "core/PathHelpers.h"
#include "core/PointerCode.h"
#include <QCoreApplication>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("Form1", text);
}
} // namespace

namespace {
const QString IdleText = tr("Progress Bar");
} // namespace

void BatchDisplay::batchRefused(Refusal why)
{
    m_view.showMessage(WindowTexts::refusal(why));
}

void BatchDisplay::batchStarting()
{
    m_caption.clear();
    m_running.clear();
    m_view.setPointer(PointerCode::Busy);
}

void BatchDisplay::fileStarting(const FileStart &file)
{
    m_view.setProgressValue(double(file.row) / file.rowCount * 100.0);
    m_caption = tr("Processing: ") + FileNameOf(file.source);
    m_view.setProgressText(m_caption);
    m_view.setPointer(PointerCode::Busy);
    // Escape stops a batch, but nothing else on the window says so.
    m_view.setBatchStatus(tr("%1 of %2 · Esc stops").arg(file.row).arg(file.rowCount));
}

void BatchDisplay::conversionRunning(int row, int rowCount)
{
    m_running.insert(row, {m_view.progressText(), m_view.progressValue(), rowCount});
}

void BatchDisplay::stillConverting(const StillConverting &longest)
{
    const Shown shown = m_running.value(longest.row);
    m_view.setProgressText(waitingText(shown.caption, longest.polls));
    const auto value = creepValue(longest.polls, shown.rowCount, shown.value);
    // Later files have moved the bar on already; it never creeps back.
    if (value && (longest.oneAtATime || *value > m_view.progressValue()))
        m_view.setProgressValue(*value);
}

void BatchDisplay::fileEnded(const FileResult &result, bool ran)
{
    m_running.remove(result.row);
    if (ran)
        m_view.setProgressText(m_caption.isEmpty() ? IdleText : m_caption);
}

void BatchDisplay::batchEnded(const BatchSummary &summary)
{
    m_running.clear();
    m_view.setPointer(PointerCode::Default);
    m_view.setProgressValue(0);
    m_view.setProgressText(IdleText);
    m_view.setBatchStatus({});
    m_view.showMessage(WindowTexts::summary(summary), WindowTexts::failureDetails(summary),
                       WindowTexts::written(summary));
}

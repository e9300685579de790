#include "Form1BatchWindow.h"
#include "convert/IconKitFiles.h"

#include "ProgressBar.h"
#include "WindowPointer.h"
#include "core/OptionNumber.h"
#include "filelist/FileListModel.h"
#include "platform/AppError.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <cmath>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("Form1", text);
}
} // namespace

int Form1BatchWindow::numberOfRows() const
{
    return m_model.numberOfRows();
}

QString Form1BatchWindow::rowText(int row) const
{
    // Rows can go while a batch runs (a folder added meanwhile resets the pointer).
    if (row < 1 || row > m_model.numberOfRows())
        throw AppError(9, QStringLiteral("Subscript out of range"));
    return m_model.rowText(row);
}

BatchRequest Form1BatchWindow::request() const
{
    const auto &option = m_controls.Option;
    BatchRequest request;
    request.sources = this;
    int chosen = 0;
    for (int button = OptionNumber::Size16; button <= OptionNumber::UserDefinedSize; ++button) {
        if (option[size_t(button)]->isChecked()) {
            chosen = button;
            break;
        }
    }
    request.size = IconSize::forOption(chosen, m_controls.Text2->text());
    request.packing =
        m_controls.Check1->isChecked() ? IcoFile::Packing::Compact : IcoFile::Packing::Standard;
    // Empty is the default; any other text that is no colour refuses a kit's batch.
    const QString colour = m_controls.Text3->text();
    request.background = colour.trimmed().isEmpty() ? QColor(Qt::white) : kitColour(colour);
    request.destination = [this] {
        const auto &option = m_controls.Option;
        Destination destination;
        destination.folder = m_controls.Text1->text();
        if (option[OptionNumber::SaveToFolder]->isChecked())
            destination.rule = Destination::Rule::Folder;
        else if (option[OptionNumber::SaveBesideSource]->isChecked())
            destination.rule = Destination::Rule::BesideSource;
        return destination;
    };
    return request;
}

void Form1BatchWindow::setPointer(int code)
{
    m_pointer.set(code);
}

void Form1BatchWindow::showMessage(const QString &text, const QString &details,
                                   const FolderOffer &offer)
{
    m_dialogs.message(&m_owner, text, m_messageTitle, Dialogs::Icon::None, details, offer);
}

void Form1BatchWindow::letEventsRun()
{
    EventPump::letEventsRun();
}

QString Form1BatchWindow::progressText() const
{
    return m_controls.ProgressBar1->text();
}

void Form1BatchWindow::setProgressText(const QString &text)
{
    m_controls.ProgressBar1->setText(text);
}

int Form1BatchWindow::progressValue() const
{
    return m_controls.ProgressBar1->value();
}

void Form1BatchWindow::setProgressValue(double value)
{
    // The bar's range ends at 100; a larger value shows a full bar.
    m_controls.ProgressBar1->setValueLater(std::clamp(int(std::nearbyint(value)), 0, 100));
}

void Form1BatchWindow::setBatchStatus(const QString &status)
{
    if (m_title.isNull())
        m_title = m_owner.windowTitle();
    m_owner.setWindowTitle(status.isEmpty() ? m_title : tr("%1 — %2").arg(m_title, status));
    if (status.isEmpty())
        m_title = QString();
}

void DialogErrorReporter::showErrorReport(const QString &text)
{
    m_dialogs.message(&m_owner, text, tr("Application Error"), Dialogs::Icon::Exclamation);
}

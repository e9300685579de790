// What a conversion batch asks of the main window: the request its controls make,
// and the controls that show the batch's reports.
#pragma once

#include "BatchDisplay.h"
#include "Form1Layout.h"
#include "RowMarks.h"
#include "convert/BatchRequest.h"
#include "core/ErrorTrap.h"
#include "core/RowSource.h"

class Dialogs;
class FileListModel;
class WindowPointer;

class Form1BatchWindow final : public BatchView, public RowSource
{
    Q_DISABLE_COPY_MOVE(Form1BatchWindow)

public:
    Form1BatchWindow(QWidget &owner, const Form1Controls &controls, FileListModel &model,
                     WindowPointer &pointer, Dialogs &dialogs, const QString &messageTitle)
        : m_owner(owner), m_controls(controls), m_model(model), m_pointer(pointer),
          m_dialogs(dialogs), m_messageTitle(messageTitle)
    {
    }

    // The list's rows, the size chosen now, and the destination as the options say
    // when each file comes up.
    BatchRequest request() const;
    BatchDisplay &display() { return m_display; }
    // What the batch reports to: the display, and the list's rows.
    BatchObserver &reports() { return m_rowMarks; }

    int numberOfRows() const override;
    QString rowText(int row) const override;

    void setPointer(int code) override;
    void showMessage(const QString &text, const QString &details = {},
                     const FolderOffer &offer = {}) override;
    void letEventsRun() override;
    QString progressText() const override;
    void setProgressText(const QString &text) override;
    int progressValue() const override;
    void setProgressValue(double value) override;
    void setBatchStatus(const QString &status) override;

private:
    QWidget &m_owner;
    const Form1Controls &m_controls;
    FileListModel &m_model;
    WindowPointer &m_pointer;
    Dialogs &m_dialogs;
    const QString &m_messageTitle;
    QString m_title; // the window's own, while a batch's status stands in the title
    BatchDisplay m_display{*this};
    RowMarks m_rowMarks{m_display, m_model};
};

// Error reports of trapped handlers, as a box over the window.
class DialogErrorReporter final : public ErrorReporter
{
public:
    DialogErrorReporter(Dialogs &dialogs, QWidget &owner) : m_dialogs(dialogs), m_owner(owner) {}
    void showErrorReport(const QString &text) override;

private:
    Dialogs &m_dialogs;
    QWidget &m_owner;
};

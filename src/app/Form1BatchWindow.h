// What the conversion batch sees of the main window: its rows, options, pointer,
// messages and progress bar.
#pragma once

#include "Form1Layout.h"
#include "convert/ConversionBatch.h"

class Dialogs;
class FileListModel;
class WindowPointer;

class Form1BatchWindow final : public BatchWindow
{
    Q_DISABLE_COPY_MOVE(Form1BatchWindow)

public:
    Form1BatchWindow(QWidget &owner, const Form1Controls &controls, FileListModel &model,
                     WindowPointer &pointer, Dialogs &dialogs, const QString &messageTitle)
        : m_owner(owner), m_controls(controls), m_model(model), m_pointer(pointer),
          m_dialogs(dialogs), m_messageTitle(messageTitle)
    {
    }

    int numberOfRows() const override;
    QString rowText(int row) const override;
    bool isOptionSelected(int number) const override;
    QString text1() const override;
    QString text2() const override;
    void setPointer(int code) override;
    void showMessage(const QString &text) override;
    void letEventsRun() override;
    QString progressText() const override;
    void setProgressText(const QString &text) override;
    int progressValue() const override;
    void setProgressValue(double value) override;

private:
    QWidget &m_owner;
    const Form1Controls &m_controls;
    FileListModel &m_model;
    WindowPointer &m_pointer;
    Dialogs &m_dialogs;
    const QString &m_messageTitle;
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

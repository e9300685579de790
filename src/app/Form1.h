// The main window: the file list and its buttons, the output options, "Start
// Converting" with its progress bar. Owns every piece of state that outlives an event.
#pragma once

#include "convert/ConversionBatch.h"
#include "filelist/FileListHandlers.h"
#include "platform/Settings.h"

#include <QCursor>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class Dialogs;
class FileListModel;
class FileListView;
class QGroupBox;
class QLineEdit;
class ProgressBar;
class QPushButton;
class QRadioButton;

class Form1 final : public QWidget, public BatchWindow, public ErrorReporter
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form1)

public:
    Form1(Dialogs &dialogs, SettingsStore &store, QString applicationFolder,
          QWidget *parent = nullptr);
    ~Form1() override;

    // Start-up: skin, pointer image, samples, captions, list column, options.
    void Form_Load();
    void centreOnScreen();

    void PushButton1_Click();
    void PushButton2_Click() { m_batch.PushButton2_Click(); }
    void PushButton4_Click();
    void PushButton6_Click();
    void PushButton7_Click();
    void PushButton9_Click();

    int pointerCode() const { return m_pointerCode; }
    bool isConverting() const { return m_batch.isConverting(); }
    QString applicationTitle() const { return m_applicationTitle; }
    FileListModel &fileList() const { return *m_model; }
    FileListView &listView() const { return *m_listView; }
    FileListHandlers &listHandlers() { return *m_listHandlers; }
    // Replaces what closing mid-batch does once the batch is stopped (tests).
    void setEndProgram(std::function<void()> endProgram) { m_endProgram = std::move(endProgram); }

    // BatchWindow
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

    // ErrorReporter
    void showErrorReport(const QString &text) override;

    static QString ApplicationTitleFor(const QString &displayName);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void connectHandlers();
    void ApplySkin();
    void SetApplicationTitle();
    void restoreOutputOptions(ErrorTrap &trap);
    void OptionSize_Click(int option);
    void OptionDestination_Click();
    void resetPointer();
    void setOptionState(QRadioButton *option, bool selected);

    Dialogs &m_dialogs;
    Settings m_settings;
    QString m_applicationFolder;
    QString m_applicationTitle = QStringLiteral("Quorbel");
    QString m_lastFolderDot;

    FileListModel *m_model = nullptr;
    FileListView *m_listView = nullptr;
    ProgressBar *m_progress = nullptr;
    QPushButton *m_pushButton1 = nullptr;
    QPushButton *m_pushButton2 = nullptr;
    QPushButton *m_pushButton4 = nullptr;
    QPushButton *m_pushButton6 = nullptr;
    QPushButton *m_pushButton7 = nullptr;
    QPushButton *m_pushButton9 = nullptr;
    QGroupBox *m_frame1 = nullptr;
    QGroupBox *m_frame2 = nullptr;
    QGroupBox *m_frame4 = nullptr;
    QLineEdit *m_text1 = nullptr;
    QLineEdit *m_text2 = nullptr;
    std::array<QRadioButton *, 10> m_options{}; // 1..9

    int m_pointerCode = PointerCode::Default;
    QCursor m_customPointer;
    bool m_hasCustomPointer = false;

    ConversionBatch m_batch;
    std::unique_ptr<FileListHandlers> m_listHandlers;
    std::function<void()> m_endProgram;
};

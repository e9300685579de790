// The main window: the file list and its buttons, the output options, "Start
// Converting" with its progress bar. Owns every piece of state that outlives an event.
#pragma once

#include "Form1BatchWindow.h"
#include "Form1Layout.h"
#include "SettingsTroubleBox.h"
#include "WindowPointer.h"
#include "convert/ConversionBatch.h"
#include "filelist/FileListHandlers.h"
#include "platform/Settings.h"
#include "preview/PreviewWindow.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class Dialogs;
class FileListModel;

// The controls a user sees, by the name their handlers carry.
struct ControlCaption
{
    const char *name;
    const char *caption;
};
inline constexpr ControlCaption Form1Captions[] = {
    {"PushButton1", "Add PNG File(s)"},
    {"PushButton4", "Add All PNG File(s) In Folder"},
    {"PushButton6", "Clear List"},
    {"PushButton7", "Load Sample/Example Files"},
    {"PushButton2", "Start Converting"},
    {"Frame1", "Maximum Pixel Size (For Icon Output File)"},
    {"Option1", "16"},
    {"Option2", "24"},
    {"Option3", "32"},
    {"Option4", "48"},
    {"Option5", "64"},
    {"Option6", "72"},
    {"Option7", "User-Defined:"}, // Text2 beside it holds the size
    {"Frame2", "Save Option"},
    {"Option8", "Save results to this folder:"}, // Text1 in Frame4 holds the folder
    {"PushButton9", "..."},                      // picks Text1's folder
    {"Option9", "Save results in folder of original file"},
    {"Check1", "Compact files (PNG from 48 px)"},
};

class Form1 final : public QWidget
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
    void PushButton2_Click();
    void PushButton4_Click();
    void PushButton6_Click();
    void PushButton7_Click();
    void PushButton9_Click();

    int pointerCode() const { return m_pointer.code(); }
    void setPointer(int code) { m_pointer.set(code); }
    bool isConverting() const { return m_batch.isConverting(); }
    FileListModel &fileList() const { return *m_model; }
    FileListView &listView() const { return *m_controls.ListView1; }
    FileListHandlers &listHandlers() { return *m_listHandlers; }
    BatchView &batchWindow() { return m_batchWindow; }
    ErrorReporter &errorReporter() { return m_reporter; }
    // Replaces what closing mid-batch does once the batch is stopped (tests).
    void setEndProgram(std::function<void()> endProgram) { m_endProgram = std::move(endProgram); }
    // How many conversions a batch runs at once; one per core unless set.
    void setConverterJobs(int jobs) { m_converterJobs = jobs; }
    // Space or "Preview Icon" on the list: the preview of the selected row.
    void ListView1_Preview();
    PreviewWindow *previewWindow() const { return m_preview; }

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void connectHandlers();
    void SetApplicationTitle();
    void restoreOutputOptions(ErrorTrap &trap);
    void OptionSize_Click(int option);
    void OptionDestination_Click();
    void setOptionState(QRadioButton *option, bool selected);
    void connectPreview();
    // The open preview follows the selected row and the size choice.
    void updatePreview();
    // `again`: also when the preview shows that row with that size choice already.
    void previewSelectedRow(bool again);

    Dialogs &m_dialogs;
    SettingsStore &m_store;
    Settings m_settings;
    QString m_applicationFolder;
    QString m_applicationTitle = QStringLiteral("Quorbel");
    QString m_lastFolderDot;

    FileListModel *m_model = nullptr;
    WindowPointer m_pointer{*this};
    Form1Controls m_controls;
    DialogErrorReporter m_reporter{m_dialogs, *this};
    SettingsTroubleBox m_settingsTrouble{m_dialogs, *this, m_applicationTitle};
    Form1BatchWindow m_batchWindow;
    ConversionBatch m_batch;
    std::unique_ptr<FileListHandlers> m_listHandlers;
    std::function<void()> m_endProgram;
    int m_converterJobs = oneJobPerCore();
    QPointer<PreviewWindow> m_preview;
};

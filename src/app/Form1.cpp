#include "Form1.h"

#include "ProgressBar.h"
#include "Skin.h"
#include "convert/IconKitFiles.h"
#include "core/OptionNumber.h"
#include "core/PathHelpers.h"
#include "filelist/AddFilesByDialog.h"
#include "filelist/AddFolder.h"
#include "filelist/FileDrops.h"
#include "filelist/FileListModel.h"
#include "filelist/FileListView.h"
#include "filelist/FolderPicker.h"
#include "filelist/SampleFiles.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "platform/KnownFolders.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("Form1", text);
}
} // namespace

// Resources of a static library are only linked when something names them.
static void initialiseResources()
{
    Q_INIT_RESOURCE(app);
}

namespace {
const QString DisplayName = QStringLiteral("Quorbel");
const QString SelectFolderPrompt = tr("Please select folder:");
} // namespace

Form1::Form1(Dialogs &dialogs, SettingsStore &store, QString applicationFolder, QWidget *parent)
    : QWidget(parent), m_dialogs(dialogs), m_store(store), m_settings(store),
      m_applicationFolder(std::move(applicationFolder)), m_model(new FileListModel(this)),
      m_controls(buildForm1Controls(*this, *m_model, m_pointer)),
      m_batchWindow(*this, m_controls, *m_model, m_pointer, m_dialogs, m_applicationTitle),
      // The batch's errors are this window's handler's own.
      m_batch(m_batchWindow.reports(), m_reporter, errorLocation("Form1.PushButton2_Click"))
{
    initialiseResources();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    m_listHandlers = std::make_unique<FileListHandlers>(
        *m_model, *m_controls.ListView1, [this] { return m_pointer.code() == PointerCode::Busy; },
        [this] { m_pointer.reset(); }, m_applicationFolder);
    m_controls.ListView1->setHandlers(m_listHandlers.get());
    connectHandlers();
    m_endProgram = [] { EventPump::endProgramNow(); };
    m_store.tellTroubleTo(&m_settingsTrouble);
}

Form1::~Form1()
{
    m_store.tellTroubleTo(nullptr);
}

void Form1::connectHandlers()
{
    const Form1Controls &c = m_controls;
    connect(c.PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(c.PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(c.PushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(c.PushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(c.PushButton7, &QPushButton::clicked, this, &Form1::PushButton7_Click);
    connect(c.PushButton9, &QPushButton::clicked, this, &Form1::PushButton9_Click);
    for (int n = OptionNumber::Size16; n <= OptionNumber::UserDefinedSize; ++n) {
        connect(c.Option[size_t(n)], &QRadioButton::toggled, this, [this, n](bool on) {
            keepTabOnSelectedOption(m_controls.sizeOptions());
            if (on)
                OptionSize_Click(n);
        });
    }
    for (int n : {OptionNumber::SaveToFolder, OptionNumber::SaveBesideSource}) {
        connect(c.Option[size_t(n)], &QRadioButton::toggled, this, [this](bool on) {
            keepTabOnSelectedOption(m_controls.destinationOptions());
            if (on)
                OptionDestination_Click();
        });
    }
    connect(c.Text1, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_settings.setText1(text); });
    connect(c.Text2, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_settings.setText2(text); });
    connect(c.Check1, &QCheckBox::toggled, this, [this](bool on) { m_settings.setCompact(on); });
    connect(c.Text3, &QLineEdit::textChanged, this, [this](const QString &text) {
        // Only a colour is kept; while the text is none, the last one stands.
        const QColor colour = kitColour(text);
        if (colour.isValid())
            m_settings.setKitBackground(colour);
    });
    c.ListView1->setDropHandler(
        [this](const QStringList &paths) { ListView1_OLEDragDrop(paths, *m_model, m_reporter); });
    connectPreview();
}

void Form1::SetApplicationTitle()
{
    // The title is the display name less its last word; a one-word name is its own.
    const qsizetype space = DisplayName.lastIndexOf(QLatin1Char(' '));
    m_applicationTitle = space < 0 ? DisplayName : DisplayName.left(space);
}

void Form1::Form_Load()
{
    ErrorTrap trap(m_reporter, errorLocation("Form1.Form_Load"));
    trap.run(100, [&] { ApplySkin(*this, m_applicationFolder); });
    const QString pointerFile = m_applicationFolder + QStringLiteral("/HAND-M.CUR");
    if (trap.holdsOrErred(102, [&] { return PathExists(pointerFile); }))
        trap.run(104, [&] { m_pointer.loadHandImage(pointerFile); });
    trap.run(108, [&] {
        if (m_settings.snapshot().isEmpty())
            RecordSampleFiles(m_settings, m_applicationFolder);
    });
    // Asked again: a record that failed above gets a second chance, and says so.
    trap.run(128, [&] {
        if (m_settings.snapshot().isEmpty())
            RecordSampleFiles(m_settings, m_applicationFolder);
    });
    trap.run(130, [&] {
        setWindowTitle(DisplayName);
        setWindowIcon(QIcon(QStringLiteral(":/quorbel.png")));
        SetApplicationTitle();
    });
    trap.run(132, [&] { m_model->setHeaderText(tr("PNG File(s)")); });
    trap.run(134, [&] { m_controls.ListView1->header()->resizeSection(0, twipsToPixels(7000)); });
    restoreOutputOptions(trap);
}

void Form1::restoreOutputOptions(ErrorTrap &trap)
{
    const Form1Controls &c = m_controls;
    trap.run(136, [&] {
        const QString desktop = FileSystem::desktopFolderPath();
        c.Text1->setText(m_settings.text1(desktop));
    });
    trap.run(138, [&] { c.Text2->setText(m_settings.text2()); });
    // Each test reads the setting again; a failing read goes into its branch.
    for (int option = OptionNumber::Size16; option <= OptionNumber::UserDefinedSize; ++option) {
        if (trap.holdsOrErred(140 + 6 * (option - 1),
                              [&] { return m_settings.iconSize() == option; })) {
            const int label = 142 + 6 * (option - 1);
            trap.run(label, [&] { setOptionState(c.Option[size_t(option)], true); });
            trap.run(label + 2,
                     [&] { c.Text2->setEnabled(option == OptionNumber::UserDefinedSize); });
            break;
        }
    }
    trap.run(182,
             [&] { setOptionState(c.Option[OptionNumber::SaveToFolder], m_settings.option8()); });
    trap.run(184, [&] {
        setOptionState(c.Option[OptionNumber::SaveBesideSource], m_settings.option9());
    });
    if (trap.holdsOrErred(186, [&] { return c.Option[OptionNumber::SaveToFolder]->isChecked(); }))
        trap.run(188, [&] { c.Frame4->setEnabled(true); });
    else
        trap.run(190, [&] { c.Frame4->setEnabled(false); });
    trap.run(192, [&] { c.Check1->setChecked(m_settings.compact()); });
    trap.run(192, [&] { c.Text3->setText(m_settings.kitBackground().name(QColor::HexRgb)); });
}

void Form1::setOptionState(QRadioButton *option, bool selected)
{
    if (selected) {
        option->setChecked(true);
        return;
    }
    // An exclusive button cannot be cleared directly; clearing runs no handler.
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(true);
}

void Form1::OptionSize_Click(int option)
{
    m_settings.setIconSize(option);
    m_controls.Text2->setEnabled(option == OptionNumber::UserDefinedSize);
}

void Form1::OptionDestination_Click()
{
    const bool toFolder = m_controls.Option[OptionNumber::SaveToFolder]->isChecked();
    m_settings.setDestination(toFolder,
                              m_controls.Option[OptionNumber::SaveBesideSource]->isChecked());
    m_controls.Frame4->setEnabled(toFolder);
}

void Form1::PushButton1_Click()
{
    addFilesByDialog(m_dialogs, this, *m_model, m_reporter, m_applicationTitle);
}

void Form1::PushButton4_Click()
{
    addAllFilesInFolder({m_dialogs, m_settings, *m_model, m_reporter, this, m_applicationTitle,
                         [this](int code) { m_pointer.set(code); },
                         [this] { return isConverting(); },
                         [this](const QString &text) { m_controls.ListView1->showHint(text); }});
}

void Form1::PushButton2_Click()
{
    BatchRequest request = m_batchWindow.request();
    request.jobs = m_converterJobs;
    m_batch.run(request);
}

void Form1::PushButton6_Click()
{
    ErrorTrap trap(m_reporter, errorLocation("Form1.PushButton6_Click"));
    trap.run(100, [&] { m_listHandlers->clearUnlessBusy(); });
}

void Form1::PushButton7_Click()
{
    ErrorTrap trap(m_reporter, errorLocation("Form1.PushButton7_Click"));
    trap.run(100, [&] {
        LoadSampleFiles(*m_model, m_settings, m_dialogs, this, m_applicationTitle,
                        m_applicationFolder);
    });
}

void Form1::PushButton9_Click()
{
    ErrorTrap trap(m_reporter, errorLocation("Form1.PushButton9_Click"));
    QString chosen;
    trap.run(100, [&] {
        m_lastFolderDot = m_settings.lastFolderDot();
        chosen = BrowseForFolder(m_dialogs, this, SelectFolderPrompt, m_lastFolderDot);
    });
    if (trap.holdsOrErred(102, [&] { return chosen.isEmpty(); }))
        return;
    bool endsWithSeparator = false;
    trap.run(104, [&] {
        m_lastFolderDot = chosen;
        m_settings.setLastFolderDot(chosen);
        endsWithSeparator = chosen.endsWith(FileSystem::nativeSeparator());
    });
    if (!endsWithSeparator)
        trap.run(106, [&] { m_controls.Text1->setText(chosen + FileSystem::nativeSeparator()); });
    else
        trap.run(108, [&] { m_controls.Text1->setText(chosen); });
}

void Form1::centreOnScreen()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void Form1::mouseMoveEvent(QMouseEvent *event)
{
    // Moves that a child ignored arrive here as well; only the background resets.
    if (!childAt(event->position().toPoint()))
        m_pointer.reset();
    QWidget::mouseMoveEvent(event);
}

void Form1::keyPressEvent(QKeyEvent *event)
{
    // Escape reaches the window when the control with focus has no use for it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        m_batch.isConverting()) {
        m_batch.stop();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Its conversion, when one runs, ends with it.
    delete m_preview.data();
    if (m_batch.isConverting()) {
        // Mid-batch: stop the child, put back the icon it was writing, end at once.
        m_batch.abortForShutDown();
        event->accept();
        m_endProgram();
        return;
    }
    event->accept();
    // A folder being added lets events run too: closing then also ends at once.
    if (m_pointer.code() == PointerCode::Busy)
        m_endProgram();
}

#include "Form1.h"

#include "ProgressBar.h"
#include "core/PathHelpers.h"
#include "filelist/AddFilesByDialog.h"
#include "filelist/FileDrops.h"
#include "filelist/FileListModel.h"
#include "filelist/FileListView.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "platform/FileSystem.h"
#include "scan/AddFolder.h"
#include "scan/FolderPicker.h"
#include "scan/SampleFiles.h"

#include <QCloseEvent>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStringDecoder>
#include <cmath>

namespace {
const QString LoadLocation = QStringLiteral("in Tessiva2021/08/31.Form1.Form_Load ");
const QString DisplayName = QStringLiteral("Quorbel");
const QString SelectFolderPrompt = QStringLiteral("Please select folder:");

// Layout is given in twips; 15 twips are one pixel.
int px(int twips)
{
    return int(std::lround(twips / 15.0));
}
QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

QFont arial(double points, bool bold = true)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}
} // namespace

Form1::Form1(Dialogs &dialogs, SettingsStore &store, QString applicationFolder, QWidget *parent)
    : QWidget(parent), m_dialogs(dialogs), m_settings(store),
      m_applicationFolder(std::move(applicationFolder)), m_batch(*this, *this)
{
    buildControls();
    m_listHandlers = std::make_unique<FileListHandlers>(
        *m_model, *m_listView, [this] { return m_pointerCode == PointerCode::Busy; },
        [this] { resetPointer(); }, m_applicationFolder);
    m_listView->setHandlers(m_listHandlers.get());
    connectHandlers();
    m_endProgram = [] { EventPump::EndProgramNow(); };
}

Form1::~Form1() = default;

void Form1::buildControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    setFixedSize(px(8040), px(7605));
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    setFont(arial(9));
    setMouseTracking(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    auto button = [this](const char *name, const QString &caption, QWidget *parent, QRect rect) {
        auto *b = new QPushButton(caption, parent);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(rect);
        b->setFont(arial(11.25));
        b->setMouseTracking(true);
        b->installEventFilter(this);
        return b;
    };
    auto frame = [this](const char *name, const QString &caption, QWidget *parent, QRect rect) {
        auto *f = new QGroupBox(caption, parent);
        f->setObjectName(QLatin1String(name));
        f->setGeometry(rect);
        f->setMouseTracking(true);
        f->installEventFilter(this);
        return f;
    };
    auto option = [this](int number, const QString &caption, QWidget *parent, QRect rect) {
        auto *o = new QRadioButton(caption, parent);
        o->setObjectName(QStringLiteral("Option%1").arg(number));
        o->setGeometry(rect);
        m_options[size_t(number)] = o;
        return o;
    };
    auto textBox = [this](const char *name, QWidget *parent, QRect rect) {
        auto *t = new QLineEdit(parent);
        t->setObjectName(QLatin1String(name));
        t->setGeometry(rect);
        t->setMouseTracking(true);
        t->installEventFilter(this);
        return t;
    };

    m_model = new FileListModel(this);
    m_listView = new FileListView(this);
    m_listView->setObjectName(QStringLiteral("ListView1"));
    m_listView->setModel(m_model);
    m_listView->setGeometry(twipsRect(120, 120, 7800, 2535));
    m_listView->setFont(arial(9));
    m_listView->setToolTip(QStringLiteral(
        "Drag and drop files here. Double-click item to remove it. Move | line to right and "
        "out of window to reveal full names."));

    m_progress = new ProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setGeometry(twipsRect(120, 7060, 7800, 405));
    m_progress->setValue(0);
    m_progress->setAutoFillBackground(true); // opaque: repaints stay inside the bar
    m_progress->setText(QStringLiteral("Progress Bar"));

    m_pushButton1 = button("PushButton1", QStringLiteral("Add PNG File(s)"), this,
                           twipsRect(120, 2740, 3840, 405));
    m_pushButton4 = button("PushButton4", QStringLiteral("Add All PNG File(s) In Folder"), this,
                           twipsRect(4080, 2740, 3840, 405));
    m_pushButton2 = button("PushButton2", QStringLiteral("Start Converting"), this,
                           twipsRect(120, 6540, 7800, 405));
    m_pushButton6 =
        button("PushButton6", QStringLiteral("Clear List"), this, twipsRect(120, 3250, 3840, 405));
    m_pushButton7 = button("PushButton7", QStringLiteral("Load Sample/Example Files"), this,
                           twipsRect(4080, 3250, 3840, 405));

    m_frame1 = frame("Frame1", QStringLiteral("Maximum Pixel Size (For Icon Output File)"), this,
                     twipsRect(120, 3750, 7800, 765));
    m_text2 = textBox("Text2", m_frame1, twipsRect(5520, 250, 2055, 345));
    option(1, QStringLiteral("16"), m_frame1, twipsRect(240, 300, 600, 255));
    option(2, QStringLiteral("24"), m_frame1, twipsRect(840, 300, 600, 255));
    option(3, QStringLiteral("32"), m_frame1, twipsRect(1440, 300, 600, 255));
    option(4, QStringLiteral("48"), m_frame1, twipsRect(2040, 300, 600, 255));
    option(7, QStringLiteral("User-Defined:"), m_frame1, twipsRect(3960, 300, 1455, 255));
    option(5, QStringLiteral("64"), m_frame1, twipsRect(2640, 300, 600, 255));
    option(6, QStringLiteral("72"), m_frame1, twipsRect(3240, 300, 600, 255));

    m_frame2 =
        frame("Frame2", QStringLiteral("Save Option"), this, twipsRect(120, 4600, 7800, 1815));
    option(9, QStringLiteral("Save results in folder of original file"), m_frame2,
           twipsRect(240, 1410, 3615, 255));
    option(8, QStringLiteral("Save results to this folder:"), m_frame2,
           twipsRect(240, 300, 3615, 255));
    m_frame4 = frame("Frame4", QString(), m_frame2, twipsRect(480, 510, 6840, 810));
    m_text1 = textBox("Text1", m_frame4, twipsRect(240, 300, 5670, 345));
    m_pushButton9 =
        button("PushButton9", QStringLiteral("..."), m_frame4, twipsRect(6000, 300, 600, 345));
    m_pushButton9->setFont(font());

    // Design-time state.
    m_options[2]->setChecked(true);
    m_options[8]->setChecked(true);
    m_text2->setEnabled(false);

    const QList<QWidget *> tabOrder = {
        m_listView,    m_progress,   m_pushButton1, m_pushButton4, m_pushButton2, m_pushButton6,
        m_pushButton7, m_frame1,     m_text2,       m_options[1],  m_options[2],  m_options[3],
        m_options[4],  m_options[7], m_options[5],  m_options[6],  m_frame2,      m_options[9],
        m_options[8],  m_frame4,     m_text1,       m_pushButton9};
    for (qsizetype i = 0; i + 1 < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i], tabOrder[i + 1]);
    m_progress->setFocusPolicy(Qt::NoFocus);
}

void Form1::connectHandlers()
{
    connect(m_pushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(m_pushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(m_pushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(m_pushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(m_pushButton7, &QPushButton::clicked, this, &Form1::PushButton7_Click);
    connect(m_pushButton9, &QPushButton::clicked, this, &Form1::PushButton9_Click);
    for (int n = 1; n <= 7; ++n) {
        connect(m_options[size_t(n)], &QRadioButton::toggled, this, [this, n](bool on) {
            if (on)
                OptionSize_Click(n);
        });
    }
    for (int n : {8, 9}) {
        connect(m_options[size_t(n)], &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                OptionDestination_Click();
        });
    }
    connect(m_text1, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_settings.setText1(text); });
    connect(m_text2, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_settings.setText2(text); });
    m_listView->setDropHandler(
        [this](const QStringList &paths) { ListView1_OLEDragDrop(paths, *m_model, *this); });
}

QString Form1::ApplicationTitleFor(const QString &displayName)
{
    QString title = displayName;
    if (!title.contains(QLatin1Char(' ')))
        return title; // nothing to cut at: the name is the title
    do {
        const qsizetype space = title.lastIndexOf(QLatin1Char(' '));
        if (space < 0)
            break;
        title = title.left(space);
    } while (title.size() > 40);
    return title;
}

void Form1::SetApplicationTitle()
{
    m_applicationTitle = ApplicationTitleFor(DisplayName);
}

void Form1::ApplySkin()
{
    const QString skin = m_applicationFolder + QStringLiteral("/x/o.cjs");
    const int attributes = FileSystem::attributes(skin);
    using namespace FileSystem::Attr;
    if (attributes < 0 || (attributes & (Hidden | System | Directory)) || !(attributes & Archive))
        return;
    const QColor face = palette().color(QPalette::Button);
    QPalette faced = palette();
    faced.setColor(QPalette::Window, face);
    setPalette(faced);
    for (QWidget *w : findChildren<QWidget *>()) {
        if (qobject_cast<QRadioButton *>(w) || qobject_cast<QGroupBox *>(w)) {
            QPalette p = w->palette();
            p.setColor(QPalette::Window, face);
            w->setPalette(p);
        }
    }
    QFile file(skin);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(ErrorNumber::PermissionDenied, QStringLiteral("Cannot read skin file"));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString sheet = utf8.decode(file.readAll());
    if (utf8.hasError())
        throw AppError(ErrorNumber::TypeMismatch, QStringLiteral("Skin file is not valid UTF-8"));
    setStyleSheet(sheet);
}

void Form1::Form_Load()
{
    ErrorTrap trap(*this, LoadLocation);
    trap.run(100, [&] { ApplySkin(); });
    const QString pointerFile = m_applicationFolder + QStringLiteral("/HAND-M.CUR");
    if (trap.test(102, [&] { return PathExists(pointerFile); })) {
        trap.run(104, [&] {
            const QPixmap image(pointerFile);
            if (image.isNull())
                throw AppError(ErrorNumber::InvalidPicture, QStringLiteral("Invalid picture"));
            // The tip of the hand's finger.
            m_customPointer = QCursor(image, image.width() * 3 / 8, image.height() / 16);
            m_hasCustomPointer = true;
        });
    }
    trap.run(108, [&] {
        if (m_settings.snapshot().isEmpty())
            RecordSampleFiles(m_settings, m_applicationFolder);
    });
    trap.run(128, [&] {
        if (m_settings.snapshot().isEmpty())
            RecordSampleFiles(m_settings, m_applicationFolder);
    });
    trap.run(130, [&] {
        setWindowTitle(DisplayName);
        setWindowIcon(QIcon(QStringLiteral(":/quorbel.png")));
        SetApplicationTitle();
    });
    trap.run(132, [&] { m_model->setHeaderText(QStringLiteral("PNG File(s)")); });
    trap.run(134, [&] { m_listView->header()->resizeSection(0, px(7000)); });
    restoreOutputOptions(trap);
}

void Form1::restoreOutputOptions(ErrorTrap &trap)
{
    trap.run(136, [&] {
        const QString desktop = FileSystem::desktopFolderPath();
        m_text1->setText(m_settings.text1(desktop));
    });
    trap.run(138, [&] { m_text2->setText(m_settings.text2()); });
    // Each test reads the setting again; a failing read goes into its branch.
    for (int option = 1; option <= 7; ++option) {
        if (trap.test(140 + 6 * (option - 1), [&] { return m_settings.iconSize() == option; })) {
            const int label = 142 + 6 * (option - 1);
            trap.run(label, [&] { setOptionState(m_options[size_t(option)], true); });
            trap.run(label + 2, [&] { m_text2->setEnabled(option == 7); });
            break;
        }
    }
    trap.run(182, [&] { setOptionState(m_options[8], m_settings.option8()); });
    trap.run(184, [&] { setOptionState(m_options[9], m_settings.option9()); });
    if (trap.test(186, [&] { return m_options[8]->isChecked(); }))
        trap.run(188, [&] { m_frame4->setEnabled(true); });
    else
        trap.run(190, [&] { m_frame4->setEnabled(false); });
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
    m_text2->setEnabled(option == 7);
}

void Form1::OptionDestination_Click()
{
    m_settings.setDestination(m_options[8]->isChecked(), m_options[9]->isChecked());
    m_frame4->setEnabled(m_options[8]->isChecked());
}

void Form1::PushButton1_Click()
{
    AddFilesByDialog(m_dialogs, this, *m_model, *this, m_applicationTitle);
}

void Form1::PushButton4_Click()
{
    AddAllFilesInFolder({m_dialogs, m_settings, *m_model, *this, this, m_applicationTitle,
                         [this](int code) { setPointer(code); },
                         [this] { return isConverting(); }});
}

void Form1::PushButton6_Click()
{
    ErrorTrap trap(*this, QStringLiteral("in Tessiva2021/08/31.Form1.PushButton6_Click "));
    trap.run(100, [&] { m_listHandlers->clearUnlessBusy(); });
}

void Form1::PushButton7_Click()
{
    ErrorTrap trap(*this, QStringLiteral("in Tessiva2021/08/31.Form1.PushButton7_Click "));
    trap.run(100, [&] {
        LoadSampleFiles(*m_model, m_settings, m_dialogs, this, m_applicationTitle,
                        m_applicationFolder);
    });
}

void Form1::PushButton9_Click()
{
    ErrorTrap trap(*this, QStringLiteral("in Tessiva2021/08/31.Form1.PushButton9_Click "));
    QString chosen;
    trap.run(100, [&] {
        m_lastFolderDot = m_settings.lastFolderDot();
        chosen = BrowseForFolder(m_dialogs, this, SelectFolderPrompt, m_lastFolderDot);
    });
    if (trap.test(102, [&] { return chosen.isEmpty(); }))
        return;
    bool endsWithSeparator = false;
    trap.run(104, [&] {
        m_lastFolderDot = chosen;
        m_settings.setLastFolderDot(chosen);
        endsWithSeparator = chosen.endsWith(FileSystem::nativeSeparator());
    });
    if (!endsWithSeparator)
        trap.run(106, [&] { m_text1->setText(chosen + FileSystem::nativeSeparator()); });
    else
        trap.run(108, [&] { m_text1->setText(chosen); });
}

void Form1::centreOnScreen()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

int Form1::numberOfRows() const
{
    return m_model->numberOfRows();
}
QString Form1::rowText(int row) const
{
    // Rows can go while a batch runs (a folder added meanwhile resets the pointer).
    if (row < 1 || row > m_model->numberOfRows())
        throw AppError(9, QStringLiteral("Subscript out of range"));
    return m_model->rowText(row);
}

bool Form1::isOptionSelected(int number) const
{
    return number >= 1 && number <= 9 && m_options[size_t(number)]->isChecked();
}

QString Form1::text1() const
{
    return m_text1->text();
}
QString Form1::text2() const
{
    return m_text2->text();
}

void Form1::setPointer(int code)
{
    // The batch asks for the hourglass at every file; telling every child again is waste.
    if (code == m_pointerCode && code == PointerCode::Busy)
        return;
    m_pointerCode = code;
    if (code == PointerCode::Busy)
        setCursor(Qt::WaitCursor);
    else if (code == PointerCode::Custom)
        setCursor(m_hasCustomPointer ? m_customPointer : QCursor(Qt::PointingHandCursor));
    else
        unsetCursor();
}

void Form1::resetPointer()
{
    if (m_pointerCode != PointerCode::Busy && m_pointerCode != PointerCode::Default)
        setPointer(PointerCode::Default);
}

void Form1::showMessage(const QString &text)
{
    m_dialogs.message(this, text, m_applicationTitle, Dialogs::Icon::None);
}

void Form1::showErrorReport(const QString &text)
{
    m_dialogs.message(this, text, QStringLiteral("Application Error"), Dialogs::Icon::Exclamation);
}

void Form1::letEventsRun()
{
    EventPump::LetEventsRun();
}
QString Form1::progressText() const
{
    return m_progress->text();
}
void Form1::setProgressText(const QString &text)
{
    m_progress->setText(text);
}
int Form1::progressValue() const
{
    return m_progress->value();
}

void Form1::setProgressValue(double value)
{
    // The bar's range ends at 100; a larger value shows a full bar.
    m_progress->setValueLater(std::clamp(int(std::nearbyint(value)), 0, 100));
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        const bool overButton = watched == m_pushButton1 || watched == m_pushButton2 ||
                                watched == m_pushButton4 || watched == m_pushButton6 ||
                                watched == m_pushButton7 || watched == m_pushButton9;
        if (overButton) {
            if (m_pointerCode != PointerCode::Busy && m_pointerCode != PointerCode::Custom)
                setPointer(PointerCode::Custom);
        } else if (watched == m_text1) {
            resetPointer();
        } else if (watched == m_frame1 || watched == m_frame2 || watched == m_frame4) {
            // Moves over an option button reach the frame too; only its own background counts.
            const auto *frame = static_cast<QWidget *>(watched);
            const auto *move = static_cast<QMouseEvent *>(event);
            if (!frame->childAt(move->position().toPoint()))
                resetPointer();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::mouseMoveEvent(QMouseEvent *event)
{
    // Moves that a child ignored arrive here as well; only the background resets.
    if (!childAt(event->position().toPoint()))
        resetPointer();
    QWidget::mouseMoveEvent(event);
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (m_batch.isConverting()) {
        // Mid-batch: stop the child, put back the icon it was writing, end at once.
        m_batch.abortForShutDown();
        event->accept();
        m_endProgram();
        return;
    }
    event->accept();
    // A folder being added lets events run too: closing then also ends at once.
    if (m_pointerCode == PointerCode::Busy)
        m_endProgram();
}

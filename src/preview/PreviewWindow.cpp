#include "PreviewWindow.h"

#include "EntrySaver.h"
#include "EntryTile.h"
#include "PreviewTexts.h"
#include "core/PathHelpers.h"
#include "platform/Dialogs.h"
#include "platform/Settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
constexpr int Magnifications[] = {4, 8};
} // namespace

PreviewWindow::PreviewWindow(Dialogs &dialogs, std::function<bool()> batchRunning, QWidget *parent)
    : QWidget(parent, Qt::Window), m_dialogs(dialogs),
      m_maker(new PreviewMaker(std::move(batchRunning)))
{
    setObjectName(QStringLiteral("PreviewWindow"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    connect(m_maker, &PreviewMaker::ready, this, &PreviewWindow::display);
    connect(m_maker, &PreviewMaker::started, this,
            [this] { setStatus(PreviewTexts::converting()); });
    connect(m_maker, &PreviewMaker::waiting, this,
            [this] { setStatus(PreviewTexts::waitingForBatch()); });

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("PreviewStatus"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // The controls answer to their keys (+, -, Alt+G) and the mouse; Tab is the entries'.
    auto *magnifyLabel = new QLabel(PreviewTexts::magnification(), this);
    m_magnify = new QComboBox(this);
    m_magnify->setObjectName(QStringLiteral("PreviewMagnify"));
    for (const int factor : Magnifications)
        m_magnify->addItem(QStringLiteral("%1×").arg(factor), factor);
    m_magnify->setFocusPolicy(Qt::ClickFocus);
    magnifyLabel->setBuddy(m_magnify);
    connect(m_magnify, &QComboBox::activated, this,
            [this](int index) { setMagnification(m_magnify->itemData(index).toInt()); });
    m_grid = new QCheckBox(PreviewTexts::grid(), this);
    m_grid->setObjectName(QStringLiteral("PreviewGrid"));
    m_grid->setChecked(true);
    m_grid->setFocusPolicy(Qt::ClickFocus);
    connect(m_grid, &QCheckBox::toggled, this, [this](bool on) {
        for (EntryTile *tile : std::as_const(m_tiles))
            tile->setGrid(on);
    });
    m_save = new QPushButton(PreviewTexts::saveEntries(), this);
    m_save->setObjectName(QStringLiteral("PreviewSave"));
    m_save->setFocusPolicy(Qt::ClickFocus);
    m_save->setShortcut(QKeySequence::Save);
    m_save->hide();
    connect(m_save, &QPushButton::clicked, this, &PreviewWindow::saveEntries);
    auto *bar = new QHBoxLayout;
    bar->addWidget(magnifyLabel);
    bar->addWidget(m_magnify);
    bar->addWidget(m_grid);
    bar->addStretch(1);
    bar->addWidget(m_save);

    m_entries = new QWidget;
    m_entryLayout = new QVBoxLayout(m_entries);
    m_entryLayout->addStretch(1);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("PreviewEntries"));
    m_scroll->setWidgetResizable(true);
    m_scroll->setWidget(m_entries);
    m_scroll->setFocusPolicy(Qt::NoFocus);

    m_notes = new QLabel(this);
    m_notes->setObjectName(QStringLiteral("PreviewNotes"));
    m_notes->setWordWrap(true);
    m_notes->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addLayout(bar);
    layout->addWidget(m_scroll, 1);
    layout->addWidget(m_notes);
    // As large as its entries want, within the screen at any scaling.
    const QSize wanted(720, 600);
    resize(screen() ? wanted.boundedTo(screen()->availableGeometry().size() * 9 / 10) : wanted);
}

PreviewWindow::~PreviewWindow()
{
    // A conversion under way ends; the maker goes once its batch has returned.
    m_maker->disconnect(this);
    m_maker->dispose();
}

void PreviewWindow::showPreview(const PreviewRequest &request)
{
    m_request = request;
    setWindowTitle(PreviewTexts::windowTitle(FileNameOf(request.path)));
    m_save->setVisible(request.asStored);
    m_maker->make(request);
}

void PreviewWindow::display(const PreviewModel &model)
{
    m_model = model;
    for (EntryTile *tile : std::as_const(m_tiles)) {
        tile->hide();
        tile->deleteLater(); // its focus event may be on the way
    }
    m_tiles.clear();
    setStatus(model.failed() ? PreviewTexts::problem(model) : QString());
    for (const PreviewEntry &entry : model.entries()) {
        auto *tile = new EntryTile(entry, m_entries);
        tile->setMagnification(m_magnification);
        tile->setGrid(m_grid->isChecked());
        connect(tile, &EntryTile::focused, this,
                [this](EntryTile *focused) { m_scroll->ensureWidgetVisible(focused); });
        m_entryLayout->insertWidget(m_entryLayout->count() - 1, tile);
        tile->show(); // now, so it can take the focus below

        m_tiles << tile;
    }
    QStringList notes;
    for (const PreviewNote &note : model.notes())
        notes << QStringLiteral("<li>%1</li>").arg(PreviewTexts::note(note).toHtmlEscaped());
    m_notes->setText(notes.isEmpty()
                         ? QString()
                         : QStringLiteral("<b>%1</b><ul style=\"margin-left:0\">%2</ul>")
                               .arg(PreviewTexts::notes().toHtmlEscaped(), notes.join(QString())));
    m_notes->setVisible(!notes.isEmpty());
    m_save->setEnabled(m_request.asStored && !model.entries().isEmpty());
    // Tab walks the entries from the first; a preview following the list's
    // selection from behind takes no focus.
    if (isActiveWindow() && !m_tiles.isEmpty())
        m_tiles.first()->setFocus();
    emit shown();
}

void PreviewWindow::setStatus(const QString &text)
{
    m_status->setText(text);
    m_status->setVisible(!text.isEmpty());
}

void PreviewWindow::setMagnification(int factor)
{
    m_magnification = factor;
    m_magnify->setCurrentIndex(m_magnify->findData(factor));
    for (EntryTile *tile : std::as_const(m_tiles))
        tile->setMagnification(factor);
}

void PreviewWindow::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        setMagnification(Magnifications[std::size(Magnifications) - 1]);
        return;
    case Qt::Key_Minus:
        setMagnification(Magnifications[0]);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void PreviewWindow::saveEntries()
{
    const QStringList saved =
        saveEntriesAsPng(m_dialogs, this, m_request.path, m_model.entries(), windowTitle());
    if (!saved.isEmpty())
        setStatus(PreviewTexts::saved(int(saved.size()), FolderOf(saved.first())));
}

PreviewRequest previewRequestFor(const QString &path, const Settings &settings)
{
    PreviewRequest request;
    request.path = path;
    request.asStored = isIconFile(path);
    request.size = IconSize::forOption(settings.iconSize(), settings.text2());
    request.packing = settings.compact() ? IcoFile::Packing::Compact : IcoFile::Packing::Standard;
    return request;
}

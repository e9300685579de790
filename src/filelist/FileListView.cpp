#include "FileListView.h"

#include "ThumbnailDelegate.h"

#include <QCursor>
#include <QDir>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QUrl>

FileListView::FileListView(QWidget *parent) : QTreeView(parent)
{
    setRootIsDecorated(false);
    setUniformRowHeights(true); // keeps 100,000 rows cheap to lay out
    setItemsExpandable(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragDropMode(QAbstractItemView::DropOnly);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setMouseTracking(true);
    setTextElideMode(Qt::ElideMiddle);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    setItemDelegate(new ThumbnailDelegate(this));
    m_hintTimer.setSingleShot(true);
    m_hintTimer.setInterval(4000);
    connect(&m_hintTimer, &QTimer::timeout, this, [this] {
        m_hint.clear();
        viewport()->update();
    });
}

void FileListView::setModel(QAbstractItemModel *model)
{
    if (QAbstractItemModel *old = this->model())
        disconnect(old, nullptr, this, nullptr);
    QTreeView::setModel(model);
    if (!model)
        return;
    // New rows below what is in sight come into view, first row first; a list whose
    // end is out of sight (the user has scrolled up) stays where it is.
    connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex &, int first) {
                const int rows = this->model()->rowCount();
                m_showAdded =
                    first == rows &&
                    (rows == 0 ||
                     visualRect(this->model()->index(rows - 1, 0)).intersects(viewport()->rect()));
            });
    connect(model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &, int first) {
        if (m_showAdded &&
            !visualRect(this->model()->index(first, 0)).intersects(viewport()->rect()))
            scrollTo(this->model()->index(first, 0), QAbstractItemView::PositionAtTop);
        m_showAdded = false;
    });
    connect(model, &QAbstractItemModel::modelReset, viewport(), qOverload<>(&QWidget::update));
}

void FileListView::showHint(const QString &text)
{
    m_hint = text;
    m_hintTimer.start();
    viewport()->update();
}

QString FileListView::emptyText()
{
    return tr("Drop PNG or SVG files here");
}

void FileListView::paintEvent(QPaintEvent *event)
{
    QTreeView::paintEvent(event);
    const bool empty = !model() || model()->rowCount() == 0;
    if (!empty && m_hint.isEmpty())
        return;
    QPainter painter(viewport());
    const QRect area = viewport()->rect().adjusted(8, 8, -8, -8);
    if (empty) {
        // Quiet, in the middle: drawn, never a row. The text's own colour, faded, reads
        // on light and dark lists alike (a theme's placeholder colour may not).
        QColor quiet = palette().color(QPalette::Text);
        quiet.setAlphaF(0.55);
        painter.setPen(quiet);
        painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, emptyText());
    }
    if (!m_hint.isEmpty()) {
        const QFontMetrics metrics(font());
        QRect box = metrics.boundingRect(area, Qt::AlignHCenter | Qt::TextWordWrap, m_hint);
        box = box.adjusted(-8, -4, 8, 4);
        box.moveBottom(area.bottom());
        box.moveLeft(area.left() + (area.width() - box.width()) / 2);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette().color(QPalette::ToolTipBase));
        painter.drawRoundedRect(box, 4, 4);
        painter.setPen(palette().color(QPalette::ToolTipText));
        painter.drawText(box, Qt::AlignCenter | Qt::TextWordWrap, m_hint);
    }
}

QModelIndex FileListView::selectedIndex() const
{
    const QModelIndexList rows =
        selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? QModelIndex() : rows.first();
}

void FileListView::selectIndex(const QModelIndex &index)
{
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
}

void FileListView::ensureRowVisible(int row)
{
    scrollTo(model()->index(row - 1, 0), QAbstractItemView::EnsureVisible);
}

int FileListView::cursorScreenY() const
{
    return QCursor::pos().y();
}

void FileListView::setListPointer(int code, const QString &imageFile)
{
    if (code == ListPointer::Custom) {
        const QPixmap image(imageFile); // read afresh at every click
        viewport()->setCursor(image.isNull() ? QCursor(Qt::DragMoveCursor) : QCursor(image));
    } else {
        viewport()->setCursor(Qt::ArrowCursor);
    }
}

QString FileListView::previewText()
{
    return tr("Preview Icon");
}

void FileListView::contextMenuEvent(QContextMenuEvent *event)
{
    const QModelIndex row = indexAt(viewport()->mapFromGlobal(event->globalPos()));
    if (!row.isValid())
        return;
    selectIndex(row);
    QMenu menu(this);
    connect(menu.addAction(previewText()), &QAction::triggered, this,
            &FileListView::previewRequested);
    menu.exec(event->globalPos());
}

void FileListView::keyPressEvent(QKeyEvent *event)
{
    // As a file manager's quick look; the list's own handlers have no use for Space.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier &&
        selectedIndex().isValid()) {
        emit previewRequested();
        return;
    }
    if (m_handlers)
        m_handlers->ListView1_KeyDown(event->key(), event->modifiers());
    QTreeView::keyPressEvent(event);
}

void FileListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTreeView::mouseDoubleClickEvent(event);
    if (m_handlers)
        m_handlers->ListView1_DblClick();
}

void FileListView::mousePressEvent(QMouseEvent *event)
{
    QTreeView::mousePressEvent(event);
    if (!m_handlers)
        return;
    if (indexAt(event->position().toPoint()).isValid())
        m_handlers->ListView1_ItemClick();
    m_handlers->ListView1_MouseDown();
}

void FileListView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (m_handlers)
        m_handlers->ListView1_MouseMove(pos.x(), pos.y());
    // While a row is carried along the handlers own the selection.
    if (!(m_handlers && m_handlers->IsDraggingItem))
        QTreeView::mouseMoveEvent(event);
}

void FileListView::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeView::mouseReleaseEvent(event);
    if (m_handlers)
        m_handlers->ListView1_MouseUp();
}

QStringList FileListView::droppedPaths(const QMimeData *data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            paths << QDir::toNativeSeparators(url.toLocalFile());
    }
    return paths;
}

void FileListView::dragEnterEvent(QDragEnterEvent *event)
{
    if (droppedPaths(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void FileListView::dragMoveEvent(QDragMoveEvent *event)
{
    if (droppedPaths(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void FileListView::dropEvent(QDropEvent *event)
{
    const QStringList paths = droppedPaths(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    if (m_dropHandler)
        m_dropHandler(paths);
}

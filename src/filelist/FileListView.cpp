#include "FileListView.h"

#include "ThumbnailDelegate.h"

#include <QCursor>
#include <QDir>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QMimeData>
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

void FileListView::keyPressEvent(QKeyEvent *event)
{
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

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
    setTextElideMode(Qt::ElideRight);
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
    return m_cursorPosition ? m_cursorPosition().y() : QCursor::pos().y();
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

int FileListView::keyCodeFor(int key, Qt::KeyboardModifiers modifiers)
{
    // Windows' virtual key codes, which the handlers' numbers are (Delete is 46).
    // Qt's codes are mostly Unicode, in which "." is 46 as well.
    struct Pair
    {
        int qt;
        int code;
    };
    static constexpr Pair keypad[] = {{Qt::Key_Asterisk, 106}, {Qt::Key_Plus, 107},
                                      {Qt::Key_Minus, 109},    {Qt::Key_Period, 110},
                                      {Qt::Key_Comma, 110},    {Qt::Key_Slash, 111}};
    // Shifted signs are the keys they are typed with on a US layout.
    static constexpr Pair keys[] = {{Qt::Key_Backspace, 8},    {Qt::Key_Tab, 9},
                                    {Qt::Key_Backtab, 9},      {Qt::Key_Return, 13},
                                    {Qt::Key_Enter, 13},       {Qt::Key_Shift, 16},
                                    {Qt::Key_Control, 17},     {Qt::Key_Alt, 18},
                                    {Qt::Key_Pause, 19},       {Qt::Key_CapsLock, 20},
                                    {Qt::Key_Escape, 27},      {Qt::Key_Space, 32},
                                    {Qt::Key_PageUp, 33},      {Qt::Key_PageDown, 34},
                                    {Qt::Key_End, 35},         {Qt::Key_Home, 36},
                                    {Qt::Key_Left, 37},        {Qt::Key_Up, 38},
                                    {Qt::Key_Right, 39},       {Qt::Key_Down, 40},
                                    {Qt::Key_Print, 44},       {Qt::Key_Insert, 45},
                                    {Qt::Key_Delete, 46},      {Qt::Key_ParenRight, 48},
                                    {Qt::Key_Exclam, 49},      {Qt::Key_At, 50},
                                    {Qt::Key_NumberSign, 51},  {Qt::Key_Dollar, 52},
                                    {Qt::Key_Percent, 53},     {Qt::Key_AsciiCircum, 54},
                                    {Qt::Key_Ampersand, 55},   {Qt::Key_Asterisk, 56},
                                    {Qt::Key_ParenLeft, 57},   {Qt::Key_Meta, 91},
                                    {Qt::Key_Menu, 93},        {Qt::Key_NumLock, 144},
                                    {Qt::Key_ScrollLock, 145}, {Qt::Key_Semicolon, 186},
                                    {Qt::Key_Colon, 186},      {Qt::Key_Equal, 187},
                                    {Qt::Key_Plus, 187},       {Qt::Key_Comma, 188},
                                    {Qt::Key_Less, 188},       {Qt::Key_Minus, 189},
                                    {Qt::Key_Underscore, 189}, {Qt::Key_Period, 190},
                                    {Qt::Key_Greater, 190},    {Qt::Key_Slash, 191},
                                    {Qt::Key_Question, 191},   {Qt::Key_QuoteLeft, 192},
                                    {Qt::Key_AsciiTilde, 192}, {Qt::Key_BracketLeft, 219},
                                    {Qt::Key_BraceLeft, 219},  {Qt::Key_Backslash, 220},
                                    {Qt::Key_Bar, 220},        {Qt::Key_BracketRight, 221},
                                    {Qt::Key_BraceRight, 221}, {Qt::Key_Apostrophe, 222},
                                    {Qt::Key_QuoteDbl, 222}};
    if (modifiers & Qt::KeypadModifier) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9)
            return 96 + (key - Qt::Key_0);
        for (const Pair &p : keypad) {
            if (p.qt == key)
                return p.code;
        }
    }
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z))
        return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 112 + (key - Qt::Key_F1);
    for (const Pair &p : keys) {
        if (p.qt == key)
            return p.code;
    }
    return 0; // no key the handlers know
}

void FileListView::keyPressEvent(QKeyEvent *event)
{
    if (m_handlers)
        m_handlers->ListView1_KeyDown(keyCodeFor(event->key(), event->modifiers()),
                                      int(event->modifiers()));
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

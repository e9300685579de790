#include "FileListHandlers.h"

#include "FileListModel.h"
#include "platform/KnownFolders.h"

FileListHandlers::FileListHandlers(FileListModel &model, ListSurface &surface,
                                   std::function<bool()> isBusy,
                                   std::function<void()> resetWindowPointer,
                                   QString applicationFolder)
    : m_model(model), m_surface(surface), m_isBusy(std::move(isBusy)),
      m_resetWindowPointer(std::move(resetWindowPointer)),
      m_applicationFolder(std::move(applicationFolder))
{
}

void FileListHandlers::ListView1_KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    Q_UNUSED(modifiers) // Shift+Delete and Ctrl+Delete remove as well
    if (key != Qt::Key_Delete)
        return;
    removeSelected();
}

void FileListHandlers::ListView1_DblClick()
{
    removeSelected();
}

void FileListHandlers::removeSelected()
{
    if (m_isBusy() || m_model.numberOfRows() == 0)
        return;
    const QModelIndex selected = m_surface.selectedIndex();
    if (selected.isValid())
        m_model.removeRowAt(selected.row() + 1);
}

void FileListHandlers::clearUnlessBusy()
{
    if (!m_isBusy())
        m_model.clear();
}

void FileListHandlers::ListView1_ItemClick()
{
    m_surface.setListPointer(ListPointer::Custom, m_applicationFolder +
                                                      FileSystem::nativeSeparator() +
                                                      QStringLiteral("drag.ico"));
    DraggedItem = m_surface.selectedIndex();
}

void FileListHandlers::ListView1_MouseDown()
{
    IsDraggingItem = true;
}

void FileListHandlers::ListView1_MouseMove(int x, int y)
{
    m_resetWindowPointer();
    if (!IsDraggingItem)
        return;
    HoverItem = m_surface.indexAt(QPoint(x, y));
    // A dragged row that has been removed since is gone: its index is invalid.
    if (HoverItem.isValid() && DraggedItem.isValid()) {
        const int dragged = DraggedItem.row() + 1;
        const int hover = HoverItem.row() + 1;
        const QString draggedText = m_model.rowText(dragged);
        const QString hoverText = m_model.rowText(hover);
        if (draggedText != hoverText) {
            m_model.exchangeRows(dragged, hover);
            m_surface.selectIndex(HoverItem);
            DraggedItem = HoverItem;
            const int screenY = m_surface.cursorScreenY();
            if (screenY < ScrollUpBelowY) {
                if (hover >= 2)
                    m_surface.ensureRowVisible(hover - 1);
            } else if (screenY > ScrollDownAboveY) {
                if (m_model.numberOfRows() >= hover + 1)
                    m_surface.ensureRowVisible(hover + 1);
            }
        }
    }
    HoverItem = QPersistentModelIndex();
}

void FileListHandlers::ListView1_MouseUp()
{
    IsDraggingItem = false;
    m_surface.setListPointer(ListPointer::Arrow, QString());
}

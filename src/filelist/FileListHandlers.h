// Removing rows and moving them by dragging: the list's event handlers, acting on
// the model and on the little they need of the view.
#pragma once

#include <QModelIndex>
#include <QPersistentModelIndex>
#include <QPoint>
#include <QString>
#include <Qt>
#include <functional>

class FileListModel;

// What the handlers need of the list's view.
class ListSurface
{
public:
    virtual ~ListSurface() = default;
    virtual QModelIndex indexAt(const QPoint &point) const = 0;
    virtual QModelIndex selectedIndex() const = 0;
    virtual void selectIndex(const QModelIndex &index) = 0;
    virtual void ensureRowVisible(int row) = 0; // from 1
    virtual int cursorScreenY() const = 0;
    // 99: the image file (or a drag-move pointer when it cannot be read); 1: arrow.
    virtual void setListPointer(int code, const QString &imageFile) = 0;
};

namespace ListPointer {
inline constexpr int Arrow = 1;
inline constexpr int Custom = 99;
} // namespace ListPointer

class FileListHandlers
{
public:
    // Screen rows above and below which a move scrolls the list.
    static constexpr int ScrollUpBelowY = 305;
    static constexpr int ScrollDownAboveY = 364;

    FileListHandlers(FileListModel &model, ListSurface &surface, std::function<bool()> isBusy,
                     std::function<void()> resetWindowPointer, QString applicationFolder);

    void ListView1_KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void ListView1_DblClick();
    // "Clear List" without its error trap; does nothing while busy.
    void clearUnlessBusy();
    void ListView1_ItemClick();
    void ListView1_MouseDown();
    void ListView1_MouseMove(int x, int y);
    void ListView1_MouseUp();

    bool IsDraggingItem = false;
    QPersistentModelIndex DraggedItem;
    QPersistentModelIndex HoverItem;

private:
    void removeSelected();

    FileListModel &m_model;
    ListSurface &m_surface;
    std::function<bool()> m_isBusy;
    std::function<void()> m_resetWindowPointer;
    QString m_applicationFolder;
};

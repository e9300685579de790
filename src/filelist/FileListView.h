// ListView1: one column of paths, the list's own pointer, and a drop target for
// files from the file manager. It turns Qt's events into the list's handlers.
#pragma once

#include "FileListHandlers.h"

#include <QStringList>
#include <QTimer>
#include <QTreeView>
#include <functional>

class FileListModel;
class QMimeData;

class FileListView final : public QTreeView, public ListSurface
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileListView)

public:
    explicit FileListView(QWidget *parent = nullptr);

    void setHandlers(FileListHandlers *handlers) { m_handlers = handlers; }
    void setDropHandler(std::function<void(const QStringList &)> handler)
    {
        m_dropHandler = std::move(handler);
    }

    QModelIndex indexAt(const QPoint &point) const override { return QTreeView::indexAt(point); }
    QModelIndex selectedIndex() const override;
    void selectIndex(const QModelIndex &index) override;
    void ensureRowVisible(int row) override;
    int cursorScreenY() const override;
    void setListPointer(int code, const QString &imageFile) override;

    // Local files and folders the data offers, in order; empty when it offers none.
    static QStringList droppedPaths(const QMimeData *data);

    void setModel(QAbstractItemModel *model) override;
    // A short note over the list for a few seconds, with no box to dismiss.
    void showHint(const QString &text);
    QString hint() const { return m_hint; }
    // What an empty list says in its middle.
    static QString emptyText();
    static QString previewText();

signals:
    // Space, or "Preview Icon" from the context menu, on a selected row.
    void previewRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    FileListHandlers *m_handlers = nullptr;
    std::function<void(const QStringList &)> m_dropHandler;
    QString m_hint;
    QTimer m_hintTimer;
    bool m_showAdded = false; // the rows being added are to come into view
};

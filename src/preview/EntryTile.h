// One entry of the preview: at its true pixel size on a light and on a dark
// taskbar-like background, magnified with nearest neighbour and an optional pixel
// grid, and its size, storage, bytes and origin under it. Takes focus, so Tab walks
// the entries, and names itself to screen readers.
#pragma once

#include "PreviewModel.h"

#include <QFrame>

class QLabel;

class EntryPicture final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EntryPicture)

public:
    explicit EntryPicture(const PreviewEntry &entry, QWidget *parent = nullptr);
    void setMagnification(int factor);
    void setGrid(bool on);
    QSize sizeHint() const override;

    // Windows 11's taskbar colours, light and dark.
    static QColor lightTaskbar();
    static QColor darkTaskbar();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QSizeF trueBox() const;
    int magnifiedSide() const;

    QImage m_image;
    QSize m_pixels;
    int m_factor = 4;
    bool m_grid = true;
};

class EntryTile final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EntryTile)

public:
    explicit EntryTile(const PreviewEntry &entry, QWidget *parent = nullptr);
    void setMagnification(int factor) { m_picture->setMagnification(factor); }
    void setGrid(bool on) { m_picture->setGrid(on); }

signals:
    void focused(EntryTile *tile);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    EntryPicture *m_picture = nullptr;
};

// The main window's pointer code and the hover rules that change it: the hand over
// a push button, the arrow again over the window, a frame or the folder box.
#pragma once

#include "core/PointerCode.h"

#include <QByteArray>
#include <QCursor>
#include <QObject>
#include <QPoint>
#include <optional>

class QWidget;

class WindowPointer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WindowPointer)

public:
    explicit WindowPointer(QWidget &window) : QObject(nullptr), m_window(window) {}

    int code() const { return m_code; }
    void set(int code);
    // Back to the arrow, unless the window is busy.
    void reset();

    // Reads the hand pointer image; throws AppError when it is not a picture.
    void loadHandImage(const QString &path);

    // Hovering a push button shows the hand; hovering the others resets.
    void watchButton(QWidget *button);
    void watchResetter(QWidget *control);
    // Frames reset only over their own background, not over a child.
    void watchFrame(QWidget *frame);

    // The hot spot that a cursor file names for its first image, if it is one.
    static std::optional<QPoint> cursorHotSpot(const QByteArray &file);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &m_window;
    int m_code = PointerCode::Default;
    QCursor m_hand;
    bool m_hasHand = false;
};

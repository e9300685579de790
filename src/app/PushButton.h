// A push button that Return and Enter press too, as Space does: people expect it of
// a focused button, and a window (unlike a dialog) has no default button to take it.
#pragma once

#include <QKeyEvent>
#include <QPushButton>

class PushButton final : public QPushButton
{
    Q_OBJECT

public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && event->modifiers() == Qt::NoModifier) {
            if (!event->isAutoRepeat())
                animateClick();
            event->accept();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

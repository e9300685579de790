// ProgressBar1: a bar from 0 to 100 showing whatever text the program sets,
// taken literally (a "%" in a file name is not a placeholder).
#pragma once

#include <QProgressBar>

class ProgressBar final : public QProgressBar
{
    Q_OBJECT

public:
    explicit ProgressBar(QWidget *parent = nullptr) : QProgressBar(parent)
    {
        setRange(0, 100);
        setTextVisible(true);
        setAlignment(Qt::AlignCenter);
    }

    QString text() const override { return m_text; }
    // QProgressBar repaints at once on every new value; one paint when events run is enough.
    void setValueLater(int value)
    {
        setUpdatesEnabled(false);
        setValue(value);
        setUpdatesEnabled(true);
    }
    void setText(const QString &text)
    {
        if (text == m_text)
            return;
        m_text = text;
        update();
    }

private:
    QString m_text;
};

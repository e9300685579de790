// ProgressBar1: a bar from 0 to 100 showing whatever text the program sets,
// taken literally (a "%" in a file name is not a placeholder).
#pragma once

#include <QAccessible>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QTimer>

class ProgressBar final : public QProgressBar
{
    Q_OBJECT

public:
    // A batch starts files faster than a screen shows them: while the bar changes
    // that fast it is painted at most once in this many milliseconds, with its
    // latest value and text.
    static constexpr int PaintIntervalMs = 25;

    explicit ProgressBar(QWidget *parent = nullptr) : QProgressBar(parent)
    {
        setRange(0, 100);
        setTextVisible(true);
        setAlignment(Qt::AlignCenter);
        m_resume.setSingleShot(true);
        connect(&m_resume, &QTimer::timeout, this, [this] { setUpdatesEnabled(true); });
        // A screen reader follows the batch by the bar's value.
        connect(this, &QProgressBar::valueChanged, this, [this](int value) {
            QAccessibleValueChangeEvent event(this, value);
            QAccessible::updateAccessibility(&event);
        });
    }

    QString text() const override { return m_text; }
    // QProgressBar repaints at once on every new value; one paint when events run is enough.
    void setValueLater(int value)
    {
        const bool held = !updatesEnabled();
        setUpdatesEnabled(false);
        setValue(value);
        if (!held)
            resumePaints();
    }
    void setText(const QString &text)
    {
        if (text == m_text)
            return;
        m_text = text;
        // And by its text ("Processing: logo.png"), as its description.
        setAccessibleDescription(text);
        if (updatesEnabled()) {
            setUpdatesEnabled(false);
            resumePaints();
        }
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        m_lastPaint.start();
        QProgressBar::paintEvent(event);
    }

private:
    // With updates held: lets them go now, or once the interval since the last paint is over.
    void resumePaints()
    {
        const qint64 since = m_lastPaint.isValid() ? m_lastPaint.elapsed() : PaintIntervalMs;
        if (since >= PaintIntervalMs)
            setUpdatesEnabled(true);
        else
            m_resume.start(int(PaintIntervalMs - since));
    }

    QString m_text;
    QElapsedTimer m_lastPaint;
    QTimer m_resume;
};

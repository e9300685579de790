#include "EntryTile.h"

#include "PreviewTexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {
constexpr int Margin = 6;             // around each true-size entry, logical pixels
constexpr int SmallestBox = 24;       // a true-size box is never smaller than this
constexpr int LargestMagnified = 192; // a larger magnified entry shows its middle

// A logical position on the screen's own pixel grid, so one entry pixel is one
// screen pixel at any scaling.
qreal onDevicePixel(qreal logical, qreal ratio)
{
    return std::round(logical * ratio) / ratio;
}
} // namespace

QColor EntryPicture::lightTaskbar()
{
    return {0xf3, 0xf3, 0xf3};
}

QColor EntryPicture::darkTaskbar()
{
    return {0x20, 0x20, 0x20};
}

EntryPicture::EntryPicture(const PreviewEntry &entry, QWidget *parent)
    : QWidget(parent), m_image(entry.image.convertToFormat(QImage::Format_ARGB32_Premultiplied)),
      m_pixels(entry.width, entry.height)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void EntryPicture::setMagnification(int factor)
{
    m_factor = factor;
    updateGeometry();
    update();
}

void EntryPicture::setGrid(bool on)
{
    m_grid = on;
    update();
}

QSizeF EntryPicture::trueBox() const
{
    const qreal ratio = devicePixelRatioF();
    const qreal side =
        std::max<qreal>(SmallestBox, std::max(m_pixels.width(), m_pixels.height()) / ratio);
    return {side + 2 * Margin, side + 2 * Margin};
}

int EntryPicture::magnifiedSide() const
{
    return std::min(LargestMagnified, std::max(m_pixels.width(), m_pixels.height()) * m_factor);
}

QSize EntryPicture::sizeHint() const
{
    const QSizeF box = trueBox();
    const int width = int(std::ceil(box.width())) + Margin + magnifiedSide();
    const int height = std::max(int(std::ceil(2 * box.height())), magnifiedSide());
    return {width, height};
}

void EntryPicture::paintEvent(QPaintEvent * /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const qreal ratio = devicePixelRatioF();
    const QSizeF box = trueBox();
    QImage atRatio = m_image;
    atRatio.setDevicePixelRatio(ratio);
    const QSizeF shown = atRatio.deviceIndependentSize();
    const QColor backgrounds[] = {lightTaskbar(), darkTaskbar()};
    for (int i = 0; i < 2; ++i) {
        const QRectF area(0, i * box.height(), box.width(), box.height());
        painter.fillRect(area, backgrounds[i]);
        const QPointF at(onDevicePixel(area.center().x() - shown.width() / 2, ratio),
                         onDevicePixel(area.center().y() - shown.height() / 2, ratio));
        painter.drawImage(at, atRatio);
    }

    // Magnified: the whole entry, or its middle when that would be too large.
    const int side = magnifiedSide();
    const QRect view(int(std::ceil(box.width())) + Margin, 0, side, side);
    const int tile = 8;
    for (int y = 0; y < side; y += tile) {
        for (int x = 0; x < side; x += tile) {
            const bool dark = ((x + y) / tile) % 2 != 0;
            painter.fillRect(QRect(view.x() + x, y, tile, tile),
                             dark ? QColor(0xcc, 0xcc, 0xcc) : QColor(0xff, 0xff, 0xff));
        }
    }
    const int shownPixels = side / m_factor;
    const QRect source((m_pixels.width() - shownPixels) / 2, (m_pixels.height() - shownPixels) / 2,
                       shownPixels, shownPixels);
    const QImage part =
        m_image.copy(source).scaled(side, side, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    painter.drawImage(view.topLeft(), part);
    if (m_grid && m_factor >= 4) {
        QColor line = palette().color(QPalette::WindowText);
        line.setAlphaF(0.18);
        painter.setPen(QPen(line, 0));
        for (int p = 0; p <= side; p += m_factor) {
            painter.drawLine(view.x() + p, 0, view.x() + p, side);
            painter.drawLine(view.x(), p, view.x() + side, p);
        }
    }
}

EntryTile::EntryTile(const PreviewEntry &entry, QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("PreviewEntry%1").arg(entry.width));
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::StyledPanel);
    setAccessibleName(PreviewTexts::accessibleName(entry));
    m_picture = new EntryPicture(entry, this);
    auto *text = new QLabel(this);
    text->setText(QStringLiteral("<b>%1</b><br>%2<br>%3<br>%4")
                      .arg(PreviewTexts::entrySize(entry).toHtmlEscaped(),
                           PreviewTexts::storage(entry.storage).toHtmlEscaped(),
                           PreviewTexts::bytes(entry.bytes).toHtmlEscaped(),
                           PreviewTexts::origin(entry).toHtmlEscaped()));
    text->setTextFormat(Qt::RichText);
    text->setWordWrap(true);
    text->setMinimumWidth(160);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_picture, 0, Qt::AlignTop);
    layout->addWidget(text, 1, Qt::AlignTop);
}

void EntryTile::focusInEvent(QFocusEvent *event)
{
    QFrame::focusInEvent(event);
    // The frame takes the selection colour, which every theme makes visible.
    setForegroundRole(QPalette::Highlight);
    setFrameShape(QFrame::Box);
    setLineWidth(2);
    emit focused(this);
}

void EntryTile::focusOutEvent(QFocusEvent *event)
{
    QFrame::focusOutEvent(event);
    setForegroundRole(QPalette::WindowText);
    setFrameShape(QFrame::StyledPanel);
    setLineWidth(1);
}

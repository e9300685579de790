#include "WindowPointer.h"

#include "platform/AppError.h"

#include <QFile>
#include <QMouseEvent>
#include <QPixmap>
#include <QWidget>

namespace {
const char *const Role = "quorbelHoverRole";
enum HoverRole
{
    Button = 1,
    Resetter,
    Frame
};

quint16 le16(const QByteArray &bytes, int at)
{
    return quint16(quint8(bytes[at]) | quint8(bytes[at + 1]) << 8);
}
} // namespace

void WindowPointer::set(int code)
{
    // The batch asks for the hourglass at every file; telling every child again is waste.
    if (code == m_code && code == PointerCode::Busy)
        return;
    m_code = code;
    if (code == PointerCode::Busy)
        m_window.setCursor(Qt::WaitCursor);
    else if (code == PointerCode::Custom)
        m_window.setCursor(m_hasHand ? m_hand : QCursor(Qt::PointingHandCursor));
    else
        m_window.unsetCursor();
}

void WindowPointer::reset()
{
    if (m_code != PointerCode::Busy && m_code != PointerCode::Default)
        set(PointerCode::Default);
}

std::optional<QPoint> WindowPointer::cursorHotSpot(const QByteArray &file)
{
    // A cursor file is an icon directory of type 2 whose entries keep the hot spot
    // where an icon keeps its planes and bit count.
    if (file.size() < 22 || le16(file, 0) != 0 || le16(file, 2) != 2 || le16(file, 4) < 1)
        return std::nullopt;
    return QPoint(le16(file, 10), le16(file, 12));
}

void WindowPointer::loadHandImage(const QString &path)
{
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    QPixmap image;
    if (bytes.isEmpty() || !image.loadFromData(bytes))
        throw AppError(ErrorNumber::InvalidPicture, QStringLiteral("Invalid picture"));
    // Without a hot spot of its own, the tip of the hand's finger.
    QPoint hotSpot(image.width() * 3 / 8, image.height() / 16);
    if (const auto own = cursorHotSpot(bytes);
        own && own->x() < image.width() && own->y() < image.height())
        hotSpot = *own;
    m_hand = QCursor(image, hotSpot.x(), hotSpot.y());
    m_hasHand = true;
}

void WindowPointer::watchButton(QWidget *button)
{
    button->setProperty(Role, Button);
    button->setMouseTracking(true);
    button->installEventFilter(this);
}

void WindowPointer::watchResetter(QWidget *control)
{
    control->setProperty(Role, Resetter);
    control->setMouseTracking(true);
    control->installEventFilter(this);
}

void WindowPointer::watchFrame(QWidget *frame)
{
    frame->setProperty(Role, Frame);
    frame->setMouseTracking(true);
    frame->installEventFilter(this);
}

bool WindowPointer::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::MouseMove)
        return false;
    switch (watched->property(Role).toInt()) {
    case Button:
        if (m_code != PointerCode::Busy && m_code != PointerCode::Custom)
            set(PointerCode::Custom);
        break;
    case Resetter:
        reset();
        break;
    case Frame: {
        // Moves over an option button reach the frame too; only its own background counts.
        const auto *frame = static_cast<QWidget *>(watched);
        const auto *move = static_cast<QMouseEvent *>(event);
        if (!frame->childAt(move->position().toPoint()))
            reset();
        break;
    }
    default:
        break;
    }
    return false;
}

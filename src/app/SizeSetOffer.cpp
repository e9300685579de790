#include "SizeSetOffer.h"

#include "convert/SizeList.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QStandardItemModel>
#include <QStyle>
#include <QStyleOption>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("Form1", text);
}

// What a chosen set puts in the box: its name alone.
constexpr int NameRole = Qt::UserRole;

// The arrow of the style's drop-down lists, in the box's text colours.
QIcon arrowIcon(const QLineEdit &box)
{
    QIcon icon;
    for (const auto mode : {QIcon::Normal, QIcon::Disabled}) {
        const qreal scale = box.devicePixelRatioF();
        QPixmap pixmap(QSize(16, 16) * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        QStyleOption option;
        option.initFrom(&box);
        option.rect = QRect(3, 4, 10, 8);
        if (mode == QIcon::Disabled)
            option.state &= ~QStyle::State_Enabled;
        else
            option.state |= QStyle::State_Enabled;
        box.style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &option, &painter, &box);
        painter.end();
        icon.addPixmap(pixmap, mode);
    }
    return icon;
}

// Opens the list on the Down key, and keeps it under the box's right end: the box
// stands at the window's right, and the list is wider than the box.
class SizeSetKeeper final : public QObject
{
public:
    SizeSetKeeper(QLineEdit &box, QWidget &list) : QObject(&box), m_box(box), m_list(&list) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (watched == m_list &&
            (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize)) {
            const QPoint place =
                m_box.mapToGlobal(QPoint(m_box.width() - m_list->width(), m_box.height()));
            if (m_list->pos() != place)
                m_list->move(place);
        }
        if (watched == &m_box && type == QEvent::KeyPress && m_list && !m_list->isVisible()) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Down && key->modifiers() == Qt::NoModifier) {
                showSizeSets(m_box);
                return true;
            }
        }
        return false;
    }

private:
    QLineEdit &m_box;
    QPointer<QWidget> m_list;
};
} // namespace

void offerSizeSets(QLineEdit &box)
{
    auto *sets = new QStandardItemModel(&box);
    for (const SizeSet &set : namedSizeSets()) {
        auto *item =
            new QStandardItem(tr("%1: %2").arg(QLatin1String(set.name), sizesText(set.sizes)));
        item->setData(QLatin1String(set.name), NameRole);
        sets->appendRow(item);
    }
    auto *completer = new QCompleter(sets, &box);
    completer->setCompletionRole(NameRole);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    box.setCompleter(completer);

    // The list is as wide as its longest line, not the box, so no sizes are cut off.
    QAbstractItemView *list = completer->popup();
    int widest = 0;
    for (int row = 0; row < sets->rowCount(); ++row)
        widest = qMax(widest, list->fontMetrics().horizontalAdvance(sets->item(row)->text()));
    list->setMinimumWidth(widest + 4 * list->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) +
                          list->style()->pixelMetric(QStyle::PM_ScrollBarExtent));

    QAction *arrow = box.addAction(arrowIcon(box), QLineEdit::TrailingPosition);
    arrow->setObjectName(QStringLiteral("SizeSets"));
    arrow->setToolTip(tr("Windows' size sets"));
    QObject::connect(arrow, &QAction::triggered, &box, [&box] {
        box.setFocus(Qt::OtherFocusReason);
        showSizeSets(box);
    });
    auto *keeper = new SizeSetKeeper(box, *list);
    box.installEventFilter(keeper);
    list->installEventFilter(keeper);
}

void showSizeSets(QLineEdit &box)
{
    QCompleter *completer = box.completer();
    if (!completer || !box.isEnabled())
        return;
    completer->setCompletionPrefix(QString());
    completer->complete();
}

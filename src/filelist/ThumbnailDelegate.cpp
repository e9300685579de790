#include "ThumbnailDelegate.h"

#include "FileListModel.h"
#include "ThumbnailLoader.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

namespace {
constexpr int MarkGap = 2;

QStyle *styleOf(const QStyleOptionViewItem &option)
{
    return option.widget ? option.widget->style() : QApplication::style();
}

void paintMark(QPainter &painter, const QRectF &box, FileListModel::Outcome outcome,
               const QPalette &palette)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (outcome == FileListModel::Outcome::Failed) {
        // A white cross on red reads on light and dark rows and on the selection.
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xc6, 0x28, 0x28));
        painter.drawEllipse(box);
        const QRectF cross = box.adjusted(3, 3, -3, -3);
        painter.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(cross.topLeft(), cross.bottomRight());
        painter.drawLine(cross.topRight(), cross.bottomLeft());
    } else if (outcome == FileListModel::Outcome::NotReached) {
        // A ring with a bar in the row's text colour, faded: not done, not wrong.
        QColor muted = palette.color(QPalette::Text);
        muted.setAlphaF(0.6);
        painter.setPen(QPen(muted, 1.4));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(box.adjusted(0.7, 0.7, -0.7, -0.7));
        const QRectF bar = box.adjusted(3.5, 0, -3.5, 0);
        painter.setPen(QPen(muted, 1.6, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(bar.left(), box.center().y()),
                         QPointF(bar.right(), box.center().y()));
    } else {
        // A quiet tick, green enough to tell from the text on either kind of row.
        const bool darkRow = palette.color(QPalette::Base).lightnessF() < 0.5;
        painter.setPen(QPen(darkRow ? QColor(0x81, 0xc7, 0x84) : QColor(0x2e, 0x7d, 0x32), 1.6,
                            Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath tick;
        tick.moveTo(box.left() + 1, box.center().y());
        tick.lineTo(box.left() + box.width() * 0.4, box.bottom() - 1.5);
        tick.lineTo(box.right() - 0.5, box.top() + 1.5);
        painter.drawPath(tick);
    }
    painter.restore();
}

// A whole path that wraps after any separator (a path has no spaces to wrap at), so
// the tooltip stays on the screen, with the file name on a line of its own.
QString wrappedPathHtml(const QString &path)
{
    const qsizetype cut = path.lastIndexOf(QDir::separator()) + 1;
    QString folder = path.left(cut).toHtmlEscaped();
    folder.replace(QDir::separator(), QString(QDir::separator()) + QChar(0x200b));
    return (folder.isEmpty() ? QString() : folder + QStringLiteral("<br>")) +
           path.mid(cut).toHtmlEscaped();
}

// Rich text, so that a file name holding markup is shown as it is; lines already HTML.
QString tooltipHtml(const QStringList &lines)
{
    return QStringLiteral("<p>") + lines.join(QStringLiteral("<br>")) + QStringLiteral("</p>");
}
} // namespace

QString ThumbnailDelegate::shortenedPath(const QString &path, const QFontMetrics &metrics,
                                         int width)
{
    if (metrics.horizontalAdvance(path) <= width)
        return path;
    const QChar separator = QDir::separator();
    const QStringList parts = path.split(separator);
    const auto joined = [&](qsizetype head, qsizetype tail) {
        return QStringList(parts.mid(0, head)).join(separator) + separator + QChar(0x2026) +
               separator + QStringList(parts.mid(parts.size() - tail)).join(separator);
    };
    const auto fits = [&](qsizetype head, qsizetype tail) {
        return head + tail < parts.size() && metrics.horizontalAdvance(joined(head, tail)) <= width;
    };
    qsizetype head = 1;
    qsizetype tail = 1;
    if (!fits(head, tail))
        return metrics.elidedText(path, Qt::ElideMiddle, width);
    // A folder from each end in turn, so that both where the file lies and what
    // holds it stay in sight.
    for (bool grew = true; grew;) {
        grew = false;
        if (fits(head + 1, tail)) {
            ++head;
            grew = true;
        }
        if (fits(head, tail + 1)) {
            ++tail;
            grew = true;
        }
    }
    return joined(head, tail);
}

void ThumbnailDelegate::initStyleOption(QStyleOptionViewItem *option,
                                        const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->features |= QStyleOptionViewItem::HasDecoration;
    // The mark's place comes first, so that thumbnails and paths line up too.
    option->decorationSize =
        QSize(MarkEdge + MarkGap + ThumbnailLoader::Edge, ThumbnailLoader::Edge);
    option->decorationAlignment = Qt::AlignRight | Qt::AlignVCenter;
}

QString ThumbnailDelegate::shownText(const QStyleOptionViewItem &option)
{
    const QStyle *style = styleOf(option);
    const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &option, option.widget);
    // The style keeps this margin on both sides of the text.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option.widget) + 1;
    return shortenedPath(option.text, option.fontMetrics, text.width() - 2 * margin);
}

void ThumbnailDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    QStyleOptionViewItem row = option;
    initStyleOption(&row, index);
    row.text = shownText(row);
    QStyle *style = styleOf(row);
    style->drawControl(QStyle::CE_ItemViewItem, &row, painter, row.widget);

    const auto outcome = FileListModel::Outcome(index.data(FileListModel::OutcomeRole).toInt());
    if (outcome == FileListModel::Outcome::None)
        return;
    const QRect decoration =
        style->subElementRect(QStyle::SE_ItemViewItemDecoration, &row, row.widget);
    const QRectF box(decoration.left() + 0.5, decoration.center().y() - MarkEdge / 2.0 + 1,
                     MarkEdge - 1, MarkEdge - 1);
    paintMark(*painter, box, outcome, row.palette);
}

bool ThumbnailDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view,
                                  const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    QStyleOptionViewItem row = option;
    initStyleOption(&row, index);
    QStringList tip;
    if (shownText(row) != row.text)
        tip << wrappedPathHtml(row.text);
    const QString own = index.data(Qt::ToolTipRole).toString();
    if (!own.isEmpty())
        tip << own.toHtmlEscaped();
    // A row without a tooltip of its own leaves the list's hint to show.
    if (tip.isEmpty())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    QToolTip::showText(event->globalPos(), tooltipHtml(tip), view->viewport(), option.rect);
    return true;
}

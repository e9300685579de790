// Paints a row with its thumbnail's place always kept, so that the paths line up
// whether a row's picture is read, still coming, or not a picture at all. Beside
// the thumbnail a mark tells how the last batch left the file; a path too long
// for the column is cut in the middle, and its tooltip shows it whole.
#pragma once

#include <QStyledItemDelegate>

class ThumbnailDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ThumbnailDelegate)

public:
    static constexpr int MarkEdge = 10;

    using QStyledItemDelegate::QStyledItemDelegate;

    // `path` cut to `width`: whole folders go from the middle, keeping the file's
    // name and as much of both ends as fits; a name too long alone loses its middle.
    static QString shortenedPath(const QString &path, const QFontMetrics &metrics, int width);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    // The text as the row shows it in `option`'s rectangle.
    static QString shownText(const QStyleOptionViewItem &option);
};

// Paints a row with its thumbnail's place always kept, so that the paths line up
// whether a row's picture is read, still coming, or not a picture at all.
#pragma once

#include <QStyledItemDelegate>

class ThumbnailDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ThumbnailDelegate)

public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

#include "ThumbnailDelegate.h"

#include "ThumbnailLoader.h"

void ThumbnailDelegate::initStyleOption(QStyleOptionViewItem *option,
                                        const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->features |= QStyleOptionViewItem::HasDecoration;
    option->decorationSize = QSize(ThumbnailLoader::Edge, ThumbnailLoader::Edge);
}

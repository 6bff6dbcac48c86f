#include "views/fQuorvaneListView.h"

#include <QHeaderView>

TQuorvaneListView::TQuorvaneListView(QWidget* parent) : TTypeAheadView<QTreeView>(parent)
{
    // The arrows are pictures in the columns' captions, not the style's own indicator.
    header()->setSortIndicatorShown(false);
}

void TQuorvaneListView::SortIndicator(int tag, bool ascending)
{
    QAbstractItemModel* list = model();
    if (!list)
        return;
    const int index = ascending ? ImageIndexAscending : ImageIndexDescending;
    const QIcon arrow = index >= 0 && SmallImages ? SmallImages(index) : QIcon();
    for (int column = 0; column < list->columnCount(); ++column) {
        const QVariant columnTag = list->headerData(column, Qt::Horizontal, Qt::UserRole);
        const bool marked = columnTag.isValid() && columnTag.toInt() == tag && !arrow.isNull();
        list->setHeaderData(column, Qt::Horizontal, marked ? QVariant(arrow) : QVariant(),
                            Qt::DecorationRole);
    }
}

#include "views/cItemListModel.h"

#include "app/cGatherixPrefs.h"

#include <algorithm>
#include <utility>

TItemListModel::TItemListModel(TDataRefList& list, QObject* parent)
    : QAbstractTableModel(parent), FList(list), FSelection(this)
{}

void TItemListModel::BeginFill()
{
    FReady = false;
    FFilling = true;
    beginResetModel();
    FRows = 0;
}

void TItemListModel::EndFill()
{
    FRows = FList.Count();
    FFilling = false;
    endResetModel();
    FReady = true;
    // Views size the columns once they have them.
    if (std::exchange(FColumnsPending, false))
        emit ColumnsChanged();
}

void TItemListModel::SetIconStyle(bool icons)
{
    // The rows show other texts and pictures; the selection stays.
    emit layoutAboutToBeChanged();
    FIconStyle = icons;
    emit layoutChanged();
}

void TItemListModel::SetColumns(const QList<TColumn>& columns)
{
    // Inside a refill the reset already covers the columns.
    if (!FFilling)
        beginResetModel();
    FColumns = columns;
    FHeaderImages = QList<QVariant>(FColumns.size());
    FViewOrder.clear();
    for (int i = 0; i < FColumns.size(); ++i)
        FViewOrder << i;
    if (FFilling)
        FColumnsPending = true;
    else {
        endResetModel();
        emit ColumnsChanged();
    }
}

QList<TItemListModel::TColumn> TItemListModel::ColumnsInViewOrder() const
{
    QList<TColumn> ordered;
    for (int column : FViewOrder)
        ordered << FColumns.at(column);
    return ordered;
}

void TItemListModel::SetColumnWidth(int column, int width)
{
    if (column >= 0 && column < FColumns.size())
        FColumns[column].Width = width;
}

void TItemListModel::SetViewOrder(const QList<int>& logicalColumns)
{
    QList<int> sorted = logicalColumns;
    std::sort(sorted.begin(), sorted.end());
    QList<int> expected;
    for (int i = 0; i < FColumns.size(); ++i)
        expected << i;
    if (sorted == expected)
        FViewOrder = logicalColumns;
}

TDataItem* TItemListModel::RowObject(int row) const
{
    return FReady && row >= 0 && row < FRows && row < FList.Count() ? FList.Items(row) : nullptr;
}

QList<int> TItemListModel::SelectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : FSelection.selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

int TItemListModel::FirstSelectedRow() const
{
    const QList<int> rows = SelectedRows();
    return rows.isEmpty() ? -1 : rows.first();
}

void TItemListModel::SelectRow(int row)
{
    FSelection.clearSelection();
    if (row < 0 || row >= FRows) {
        FSelection.setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    FSelection.setCurrentIndex(index(row, 0),
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    emit ScrollRequested(row);
}

int TItemListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : FRows; }

int TItemListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max<int>(1, int(FColumns.size()));
}

QString TItemListModel::RowText(TDataItem* object, int column) const
{
    if (ListKind == 1) {
        auto* entry = static_cast<TLookupItem*>(object);
        return Prefs().ShowLookupSortNames ? entry->GetSortText() : entry->GetDisplayText();
    }
    if (!FIconStyle && column < FColumns.size() && FColumns[column].Field)
        return object->GetValueAsString(FColumns[column].Field);
    return column == 0 ? object->GetDisplayText() : QString();
}

QVariant TItemListModel::data(const QModelIndex& index, int role) const
{
    TDataItem* object = ListKind != 0 ? RowObject(index.row()) : nullptr;
    if (!object)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return RowText(object, index.column());
    case Qt::DecorationRole:
        return index.column() == 0 && FImages ? FImages(object, FIconStyle) : QVariant();
    default:
        return {};
    }
}

QVariant TItemListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= FColumns.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return FColumns[section].Caption;
    case Qt::UserRole:
        return FColumns[section].Tag;
    case Qt::DecorationRole:
        return FHeaderImages.value(section);
    default:
        return {};
    }
}

bool TItemListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    if (orientation != Qt::Horizontal || role != Qt::DecorationRole || section < 0
        || section >= FColumns.size())
        return false;
    FHeaderImages[section] = value;
    emit headerDataChanged(orientation, section, section);
    return true;
}

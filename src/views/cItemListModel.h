#pragma once
// The item list as a virtual table over the main window's current list: rows are the list's objects in
// order, and a row's texts and picture are made only when a view asks for them. Columns come from a
// column-field list (or one column for a list of folders); widths and order follow the view so that
// they can be stored. Owns the list's selection.

#include "model/cData.h"

#include <QAbstractTableModel>
#include <QItemSelectionModel>
#include <functional>

class TItemListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    struct TColumn {
        QString Caption;
        int Tag = 0;  // the field's identity; 0 for the folder column
        int Width = 100;
        TDataField* Field = nullptr;
    };

    explicit TItemListModel(TDataRefList& list, QObject* parent = nullptr);

    // 0 nothing, 1 folders, 2 main items, 3 child items.
    int ListKind = 2;
    // Large icons (thumbnails) instead of the report.
    bool IconStyle() const { return FIconStyle; }
    void SetIconStyle(bool icons);

    bool ListReady() const { return FReady; }
    // The rows go while the current list is refilled; EndFill shows the new rows.
    void BeginFill();
    void EndFill();

    void SetColumns(const QList<TColumn>& columns);
    const QList<TColumn>& Columns() const { return FColumns; }
    // The columns in the order the view shows them.
    QList<TColumn> ColumnsInViewOrder() const;
    void SetColumnWidth(int column, int width);
    void SetViewOrder(const QList<int>& logicalColumns);

    // The picture of an object in a row: small image, or large image in icon style.
    using TImageProvider = std::function<QVariant(TDataObject* object, bool large)>;
    void SetImageProvider(TImageProvider provider) { FImages = std::move(provider); }

    TDataItem* RowObject(int row) const;
    QItemSelectionModel& Selection() { return FSelection; }
    QList<int> SelectedRows() const;
    int FirstSelectedRow() const;
    void SelectRow(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // A column's tag under Qt::UserRole; a column's picture (the sort arrow) can be set under
    // Qt::DecorationRole and lasts until the columns change.
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role) override;

signals:
    // The view should bring `row` to the top of its visible area.
    void ScrollToTopRequested(int row);
    void ScrollRequested(int row);
    // The columns were replaced (after the refill when they changed during one).
    void ColumnsChanged();

private:
    QString RowText(TDataItem* object, int column) const;

    TDataRefList& FList;
    QItemSelectionModel FSelection;
    QList<TColumn> FColumns;
    QList<int> FViewOrder;
    QList<QVariant> FHeaderImages;
    TImageProvider FImages;
    int FRows = 0;
    bool FReady = false;
    bool FFilling = false;
    bool FColumnsPending = false;  // the columns changed during a refill
    bool FIconStyle = false;
};

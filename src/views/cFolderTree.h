#pragma once
// Grouping a collection into folders and listing what lies under a folder: the group lists and their
// presets, the lazily built folder tree with its "[None]" folder and path filters, the current list that
// the item list shows, header-click sorting, type-ahead, the status texts, and the snapshot that lets a
// rebuild restore expansion, selection and list position. The main window drives it; it needs no widget.

#include "model/cData_FieldRefs.h"
#include "views/cFolderTreeModel.h"
#include "views/cItemListModel.h"

#include <QObject>

// What the list shows for a node.
enum TListKind { lkNothing = 0, lkFolders = 1, lkMainItems = 2, lkChildItems = 3 };
// View modes: the list shows main items, or the child items of all main items.
enum TViewMode { vmMain = 2, vmChild = 3 };

// One node of the recorded tree state; children only for nodes that were open or led to the selection.
struct TStateNode {
    int Index = -1;
    qint32 ID = -1;
    QString Caption;
    bool HasSelection = false;
    bool Selected = false;
    bool Expanded = false;
    std::vector<std::unique_ptr<TStateNode>> Children;
};

// The tree state recorded before a rebuild.
struct TState {
    int ListIndex = -1;
    qint32 ListID = -1;
    int TopIndex = -1;
    TStateNode Root;
};

class TFolderTree : public QObject {
    Q_OBJECT

public:
    explicit TFolderTree(TRootItem& root);
    ~TFolderTree() override;

    TRootItem& Root;
    TDataRefList CurrentList;
    TFolderTreeModel Tree;
    TItemListModel List;
    TLookupItemNone NoneItem;
    TTreeNode* RootNode = nullptr;
    TState State;
    int ViewMode = vmMain;
    int GroupSortOrder = 1;
    int CurrentPreset = -1;
    bool ShowEmptyFolders = false;
    // Set while the owner changes the tree or list selection itself; selection reactions then wait.
    bool Updating = false;
    // The list view's width, for the single column of a folder list.
    int ListViewWidth = 400;

    // Field lists of the main items (item kind 2).
    TColumnFieldRefList ItemColumnFields;
    TSortFieldRefList ItemSortFields;
    TSortFieldRefList ItemIndexSortFields;
    TFilterFieldRefList ItemFilterFields;
    TGroupFieldRefList ItemGroupFields;
    TGroupFieldRefList CustomGroupFields;

    virtual TColumnFieldRefList* ColumnFieldsFor(int kind);
    virtual TSortFieldRefList* SortFieldsFor(int kind);
    virtual TFilterFieldRefList& FilterFieldsFor(int mode);
    virtual TGroupFieldRefList& GroupFieldsFor(int mode);
    virtual TGroupFieldRefList& CustomGroupFieldsFor(int mode);
    TGroupFieldRefList& GroupFields() { return GroupFieldsFor(ViewMode); }
    int ListKind() const { return List.ListKind; }

    // Presets: -1 no folders, -2 the custom group list, 0.. the view mode's presets.
    QList<QList<int>> Presets() const;
    QString PresetCaption(int preset) const;
    void ApplyPreset(int preset);
    // The names of the current grouping fields joined by " / ", or "No Folders".
    QString FolderLabel();

    virtual int ListKindOfNode(const TTreeNode* node);
    virtual bool CanHaveChildren(const TTreeNode* node);
    bool FillChildren(TTreeNode* node, TDataRefList& list);
    void AddTreeChildren(TTreeNode* node, const TDataRefList& objects);
    virtual void CollectItems(TDataRefList& list, const TFilterFieldRefList* pathFilter,
                              const TFilterFieldRefList& userFilter);
    void CollectFolders(TDataRefList& list, const TFilterFieldRefList* pathFilter, int level,
                        const TFilterFieldRefList& userFilter);
    // The filter a folder applies: its value and the values of the folders above it.
    std::unique_ptr<TFilterFieldRefList> PathFilter(const TTreeNode* node);

    void ResetTree();
    void RebuildTree();
    // Opens a node, computing its children first; false when it has none.
    bool ExpandNode(TTreeNode* node);
    // Forgets the tree and the list before the collection is emptied.
    void ReleaseCollection();

    void ClearState();
    // `topRow` is the first visible row of the list view.
    void SnapshotState(int topRow);
    void RestoreState(TDataItem* object, bool select);
    // Snapshot, rebuild and restore with nothing to select.
    void RefreshView(int topRow);
    // Forget the state, rebuild, and select the collection node and the first row.
    void ResetView();

    TTreeNode* SelectedNode() const { return Tree.SelectedNode(); }
    void SelectNode(TTreeNode* node);
    void GoUp();
    void OpenFocusedInTree();

    void FillList(TTreeNode* node);
    void SortList();
    void ShowList(TDataItem* object, int topRow, bool keepSelection);
    void SelectListEntry(int index, int topRow);
    void SetListKind(int kind);
    void BuildColumns();
    void SaveColumns();
    // The column that carries the sort indicator and its direction; -1 none.
    int SortIndicatorColumn(bool* ascending) const;
    void HeaderClicked(int column);
    // The first row whose key text begins with `typed` (case-insensitive); -1 none.
    int FindRow(const QString& typed) const;
    void SelectedItems(TDataRefList& list) const;
    // The item a command acts on: the first selected row's, else the selected node's; never a folder.
    virtual TDataItem* CurrentItem() const;
    // CurrentItem when the selection lies under the collection node.
    TDataItem* CurrentMainItem() const;
    bool SelectionUnderRoot() const;

    QString CountText() const;
    QString SelectionText() const;
    QString FilterText();
    // The preset of a first start.
    virtual int DefaultPreset() const { return 0; }

    // Dragging items onto folders. Whether an object may be dragged at all, and dropped on a node.
    virtual bool CanDrag(const TDataObject* object) const;
    virtual bool CanDrop(const TDataObject* object, const TTreeNode* target) const;
    // Whether a node stands for a folder value: a pick-list entry or "[None]".
    bool IsFolderNode(const TTreeNode* node) const;
    // What a drag carries: the selected node's object (from the tree) or the first selected row's.
    TDataObject* DraggedObject(bool fromTree) const;
    // What a drop brings: the selected node's object (from the tree) or every selected row's.
    void DroppedItems(TDataRefList& items, bool fromTree) const;
    // Drops items taken from under the selected node on `target`: on a folder they take the values of
    // its path where these differ from the selected node's path (DropOnFolders), on anything else
    // DropOnItem runs. Whether any item changed; the caller saves and rebuilds.
    bool DropOnNode(const TDataRefList& items, const TTreeNode* target);
    // The folder values of a node and the folders above it, deepest first, down to `maxLevel`.
    QList<TLookupItem*> FolderChain(const TTreeNode* node, int maxLevel) const;
    // Position i of a chain of n folders stands for grouping level n - i; "[None]" means no value, on
    // the source side as on the target side. Items already holding the target value are left alone.
    virtual bool DropOnFolders(const TDataRefList& items, const QList<TLookupItem*>& source,
                               const QList<TLookupItem*>& target);
    // A drop on anything but a folder changes nothing.
    virtual bool DropOnItem(const TDataRefList& items, const TTreeNode* target);

signals:
    // A node was selected and the list filled for it.
    void NodeChanged();
    // The list was refilled or its selection set.
    void ListShown();

protected:
    // Counts the use of the field's values over the items that pass `filter`; the number without one.
    virtual int CountUsage(const TDataField* field, const TRootItem::TItemFilter& filter);
    // The children an item itself holds (a book's sections).
    virtual void AddItemChildren(TDataObject* object, TDataRefList& list);
    virtual QString KindCountText(int kind, int count) const;
    // The item whose own value of `field` is changed for `item` when it is dropped on a folder.
    virtual TDataItem* ValueHolder(TDataItem* item, const TDataField*) const { return item; }
    bool IsMainItem(const TDataObject* object) const;
    int GroupLevelOf(const TTreeNode* node) const;

private:
    void SnapshotNode(const TTreeNode* node, TStateNode& record, const TTreeNode* selected);
    void RestoreNode(const TStateNode& record, TTreeNode* node, bool select, TTreeNode*& toSelect);
    TTreeNode* WalkToObject(TDataItem* object);
    void OnCurrentNodeChanged();
    static qint32 IdentityOf(TDataObject* object);
    static TTreeNode* FindChild(const TTreeNode* node, qint32 id);
    const TDataField* SortNameField() const;
};

// The book program's grouping: a book view and a contents view over the books' sections, each with its
// own field lists and remembered preset.
class TBookFolderTree : public TFolderTree {
    Q_OBJECT

public:
    explicit TBookFolderTree(TRootItem& root);

    TColumnFieldRefList SectionColumnFields;
    TSortFieldRefList SectionSortFields;
    TFilterFieldRefList SectionFilterFields;
    TGroupFieldRefList SectionGroupFields;
    TGroupFieldRefList SectionCustomGroupFields;
    int BookPreset = -1;
    int SectionPreset = 0;

    // Switches the view mode and takes that mode's preset.
    void SetViewMode(int mode);
    // CurrentPreset becomes the remembered preset of the current view mode.
    void RememberPreset();

    TColumnFieldRefList* ColumnFieldsFor(int kind) override;
    TSortFieldRefList* SortFieldsFor(int kind) override;
    TFilterFieldRefList& FilterFieldsFor(int mode) override;
    TGroupFieldRefList& GroupFieldsFor(int mode) override;
    TGroupFieldRefList& CustomGroupFieldsFor(int mode) override;
    int ListKindOfNode(const TTreeNode* node) override;
    bool CanHaveChildren(const TTreeNode* node) override;
    void CollectItems(TDataRefList& list, const TFilterFieldRefList* pathFilter,
                      const TFilterFieldRefList& userFilter) override;
    TDataItem* CurrentItem() const override;
    int DefaultPreset() const override { return -1; }
    // Books are dragged onto folders, and in the contents view also sections.
    bool CanDrag(const TDataObject* object) const override;
    bool CanDrop(const TDataObject* object, const TTreeNode* target) const override;

protected:
    int CountUsage(const TDataField* field, const TRootItem::TItemFilter& filter) override;
    void AddItemChildren(TDataObject* object, TDataRefList& list) override;
    QString KindCountText(int kind, int count) const override;
    // A section keeps its own values of section fields; the values of book fields are its book's.
    TDataItem* ValueHolder(TDataItem* item, const TDataField* field) const override;
};

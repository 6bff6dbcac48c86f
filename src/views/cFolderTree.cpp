#include "views/cFolderTree.h"

#include "app/cGlobal.h"
#include "book/cBookDataBase.h"
#include "platform/Messenger.h"

#include <QScopedValueRollback>

namespace {

const QString NoFolders = QStringLiteral("No Folders");

bool Passes(const TFilterFieldRefList* filter, TDataItem* item) { return !filter || filter->Matches(item); }

}  // namespace

TFolderTree::TFolderTree(TRootItem& root)
    : Root(root), List(CurrentList), ItemColumnFields(&root, ikMain), ItemSortFields(&root, ikMain),
      ItemIndexSortFields(&root, ikMain), ItemFilterFields(&root, ikMain), ItemGroupFields(&root, ikMain),
      CustomGroupFields(&root, ikMain)
{
    NoneItem.DisplayName = QStringLiteral("[None]");
    NoneItem.ID = -2;
    Tree.SetExpander([this](TTreeNode* node) { ExpandNode(node); });
    connect(&Tree.Selection(), &QItemSelectionModel::currentChanged, this,
            &TFolderTree::OnCurrentNodeChanged);
    ClearState();
}

TFolderTree::~TFolderTree() = default;

// ---------------------------------------------------------------------------------------------------
// Field lists and presets

TColumnFieldRefList* TFolderTree::ColumnFieldsFor(int kind)
{
    return kind == lkMainItems ? &ItemColumnFields : nullptr;
}

TSortFieldRefList* TFolderTree::SortFieldsFor(int kind)
{
    return kind == lkMainItems ? &ItemSortFields : nullptr;
}

TFilterFieldRefList& TFolderTree::FilterFieldsFor(int) { return ItemFilterFields; }

TGroupFieldRefList& TFolderTree::GroupFieldsFor(int) { return ItemGroupFields; }

TGroupFieldRefList& TFolderTree::CustomGroupFieldsFor(int) { return CustomGroupFields; }

QList<QList<int>> TFolderTree::Presets() const { return Root.MetaInfo->FolderPresets.value(ViewMode); }

QString TFolderTree::PresetCaption(int preset) const
{
    QStringList names;
    for (int id : Presets().value(preset))
        if (const TDataField* field = Root.FieldByID(id))
            names << field->GetDisplayNamePlain();
    return names.join(QStringLiteral(" / "));
}

void TFolderTree::ApplyPreset(int preset)
{
    TGroupFieldRefList& groups = GroupFields();
    groups.FreeAll();
    if (preset == -2) {
        groups.CopyFrom(CustomGroupFieldsFor(ViewMode));
        return;
    }
    // A stored index beyond the presets of the view gives no folders.
    for (int id : Presets().value(preset))
        if (TDataField* field = Root.FieldByID(id))
            groups.AddField(field);
}

QString TFolderTree::FolderLabel()
{
    TGroupFieldRefList& groups = GroupFields();
    QStringList names;
    for (int i = 0; i < groups.Count(); ++i)
        names << groups.Ref(i)->Field->GetDisplayNamePlain();
    return names.isEmpty() ? NoFolders : names.join(QStringLiteral(" / "));
}

// ---------------------------------------------------------------------------------------------------
// Kinds of nodes and their children

bool TFolderTree::IsMainItem(const TDataObject* object) const
{
    return object && object->Parent == Root.Items.get();
}

int TFolderTree::GroupLevelOf(const TTreeNode* node) const { return node ? node->Level() : 0; }

int TFolderTree::ListKindOfNode(const TTreeNode* node)
{
    if (!node)
        return lkNothing;
    if (IsMainItem(node->Data))
        return lkChildItems;
    const int groups = GroupFields().Count();
    if (node == RootNode)
        return groups > 0 ? lkFolders : lkMainItems;
    if (dynamic_cast<TLookupItem*>(node->Data))
        return node->Level() == groups ? lkMainItems : lkFolders;
    return lkNothing;
}

bool TFolderTree::CanHaveChildren(const TTreeNode* node) { return node && !IsMainItem(node->Data); }

int TFolderTree::CountUsage(const TDataField* field, const TRootItem::TItemFilter& filter)
{
    int noneCount = 0;
    Root.CountUsage(field, filter, noneCount);
    return noneCount;
}

void TFolderTree::AddItemChildren(TDataObject* object, TDataRefList& list) { object->AddItemsTo(list); }

bool TFolderTree::FillChildren(TTreeNode* node, TDataRefList& list)
{
    const int before = list.Count();
    if (!node->Children.empty()) {
        for (const auto& child : node->Children)
            if (auto* item = dynamic_cast<TDataItem*>(child->Data))
                list.Add(item);
        return list.Count() > before;
    }
    TBusyCursor busy;
    const TFilterFieldRefList& userFilter = FilterFieldsFor(ViewMode);
    const int groups = GroupFields().Count();
    if (node == RootNode) {
        if (groups > 0)
            CollectFolders(list, nullptr, 0, userFilter);
        else
            CollectItems(list, nullptr, userFilter);
    } else if (dynamic_cast<TLookupItem*>(node->Data)) {
        const auto pathFilter = PathFilter(node);
        if (node->Level() >= groups)
            CollectItems(list, pathFilter.get(), userFilter);
        else
            CollectFolders(list, pathFilter.get(), node->Level(), userFilter);
    } else if (node->Data) {
        AddItemChildren(node->Data, list);
    }
    return list.Count() > before;
}

void TFolderTree::AddTreeChildren(TTreeNode* node, const TDataRefList& objects)
{
    Tree.BeginAdd(node);
    for (TDataItem* object : objects)
        if (TTreeNode* child = object->AddToTree(Tree, node);
            child && child->HasChildren && !CanHaveChildren(child))
            child->HasChildren = false;
    Tree.EndAdd();
    Tree.SetHasChildren(node, !objects.IsEmpty());
}

std::unique_ptr<TFilterFieldRefList> TFolderTree::PathFilter(const TTreeNode* node)
{
    auto filter = std::make_unique<TFilterFieldRefList>(&Root, ViewMode);
    TGroupFieldRefList& groups = GroupFields();
    for (; node; node = node->Parent) {
        auto* value = dynamic_cast<TLookupItem*>(node->Data);
        const int level = node->Level();
        if (!value || level < 1 || level > groups.Count())
            continue;
        auto* condition = new TLookupFilterField(&Root, groups.Ref(level - 1)->Field);
        condition->SetEntry(value == &NoneItem ? nullptr : value);
        filter->Add(condition);
    }
    filter->Combination = 0;
    filter->Enabled = true;
    return filter;
}

const TDataField* TFolderTree::SortNameField() const { return Root.FieldByID(fiSortName); }

void TFolderTree::CollectFolders(TDataRefList& list, const TFilterFieldRefList* pathFilter, int level,
                                 const TFilterFieldRefList& userFilter)
{
    TGroupFieldRefList& groups = GroupFields();
    if (level < 0 || level >= groups.Count())
        return;
    const TDataField* field = groups.Ref(level)->Field;
    const int noneCount = CountUsage(
        field, [&](TDataItem* item) { return Passes(pathFilter, item) && Passes(&userFilter, item); });
    TLookupList* values = Root.LookupListForField(field);
    if (!values)
        return;
    // Sort a copy: the pick list keeps its own order.
    TDataRefList sorted;
    sorted.AddAll(*values);
    if (const TDataField* sortName = SortNameField())
        sorted.SortByField(sortName, GroupSortOrder);
    if (ShowEmptyFolders || noneCount > 0)
        list.Add(&NoneItem);
    for (TDataItem* value : sorted)
        if (ShowEmptyFolders || static_cast<TLookupItem*>(value)->UsageCount > 0)
            list.Add(value);
}

void TFolderTree::CollectItems(TDataRefList& list, const TFilterFieldRefList* pathFilter,
                               const TFilterFieldRefList& userFilter)
{
    TDataRefList found;
    for (TDataItem* item : *Root.Items)
        if (Passes(pathFilter, item) && Passes(&userFilter, item))
            found.Add(item);
    if (const TSortFieldRefList* sort = SortFieldsFor(lkMainItems))
        found.SortByFields(sort->Keys());
    list.AddAll(found);
}

// ---------------------------------------------------------------------------------------------------
// Building the tree

void TFolderTree::ResetTree()
{
    const QScopedValueRollback<bool> updating(Updating, true);
    TBusyCursor busy;
    RootNode = Tree.Reset(QStringLiteral("Collection - %1").arg(Root.GetDisplayText()), &Root, 4);
}

void TFolderTree::RebuildTree()
{
    if (!RootNode)
        ResetTree();
    Tree.SetText(RootNode, QStringLiteral("Collection - %1").arg(Root.GetDisplayText()));
    {
        const QScopedValueRollback<bool> updating(Updating, true);
        Tree.DeleteChildren(RootNode);
    }
    if (!CanHaveChildren(RootNode))
        return;
    TDataRefList children;
    FillChildren(RootNode, children);
    AddTreeChildren(RootNode, children);
}

bool TFolderTree::ExpandNode(TTreeNode* node)
{
    if (!CanHaveChildren(node)) {
        node->HasChildren = false;
        return false;
    }
    if (node->Children.empty()) {
        TDataRefList children;
        if (!FillChildren(node, children)) {
            node->HasChildren = false;
            return false;
        }
        AddTreeChildren(node, children);
    }
    Tree.Expand(node);
    return true;
}

void TFolderTree::ReleaseCollection()
{
    List.BeginFill();
    CurrentList.Clear();
    List.EndFill();
    if (RootNode) {
        const QScopedValueRollback<bool> updating(Updating, true);
        Tree.Select(RootNode);
        Tree.DeleteChildren(RootNode);
    }
}

// ---------------------------------------------------------------------------------------------------
// Snapshot and restore

qint32 TFolderTree::IdentityOf(TDataObject* object)
{
    auto* item = dynamic_cast<TDataItem*>(object);
    return item ? item->GetID() : -1;
}

TTreeNode* TFolderTree::FindChild(const TTreeNode* node, qint32 id)
{
    for (const auto& child : node->Children)
        if (IdentityOf(child->Data) == id)
            return child.get();
    return nullptr;
}

void TFolderTree::ClearState()
{
    State.ListIndex = State.ListID = State.TopIndex = -1;
    State.Root = TStateNode();
    State.Root.Selected = State.Root.Expanded = true;
}

void TFolderTree::SnapshotState(int topRow)
{
    TBusyCursor busy;
    ClearState();
    const int row = List.FirstSelectedRow();
    if (List.rowCount() > 0 && row >= 0) {
        State.ListIndex = row;
        State.TopIndex = topRow;
        if (row < CurrentList.Count())
            State.ListID = IdentityOf(CurrentList.Items(row));
    }
    if (RootNode)
        SnapshotNode(RootNode, State.Root, SelectedNode());
}

void TFolderTree::SnapshotNode(const TTreeNode* node, TStateNode& record, const TTreeNode* selected)
{
    record.Index = node->Row;
    record.ID = node == RootNode ? -1 : IdentityOf(node->Data);
    record.Caption = node->Text;
    record.Expanded = node->Expanded;
    record.Selected = node == selected;
    record.HasSelection = node->Contains(selected);
    for (const auto& child : node->Children) {
        // A collapsed node may still hold the selection; keep the way to it.
        if (!child->Expanded && child.get() != selected && !child->Contains(selected))
            continue;
        record.Children.push_back(std::make_unique<TStateNode>());
        SnapshotNode(child.get(), *record.Children.back(), selected);
    }
}

void TFolderTree::RestoreNode(const TStateNode& record, TTreeNode* node, bool select, TTreeNode*& toSelect)
{
    if (select && (record.Selected || record.HasSelection))
        toSelect = node;
    if (record.Expanded || node == RootNode)
        ExpandNode(node);
    for (const auto& childRecord : record.Children) {
        if (TTreeNode* child = FindChild(node, childRecord->ID)) {
            RestoreNode(*childRecord, child, select, toSelect);
        } else if (select && childRecord->Selected && node->ChildCount() > 0) {
            // The value went away: its sibling at the same place, or the last one, takes the selection.
            toSelect = node->Child(std::min(childRecord->Index, node->ChildCount() - 1));
        }
    }
}

TTreeNode* TFolderTree::WalkToObject(TDataItem* object)
{
    TGroupFieldRefList& groups = GroupFields();
    TTreeNode* node = RootNode;
    for (int i = 0; i < groups.Count() && node; ++i) {
        TLookupItem* value = object->GetValueAsLookupItem(groups.Ref(i)->Field, true);
        node = FindChild(node, IdentityOf(value ? value : &NoneItem));
        if (node)
            ExpandNode(node);
    }
    return node;
}

void TFolderTree::RestoreState(TDataItem* object, bool select)
{
    TBusyCursor busy;
    const QScopedValueRollback<bool> updating(Updating, true);
    if (!RootNode)
        ResetTree();
    TTreeNode* toSelect = nullptr;
    RestoreNode(State.Root, RootNode, select, toSelect);
    if (object && ViewMode == vmMain)
        if (TTreeNode* node = WalkToObject(object); node && select)
            toSelect = node;
    if (!select)
        return;
    if (toSelect) {
        Tree.Select(toSelect);
        FillList(toSelect);
    }
    int topRow = State.TopIndex;
    // A given object is the row to select, even when the list no longer shows it.
    if (object) {
        ShowList(object, topRow, false);
        return;
    }
    TDataItem* row = nullptr;
    if (State.ListID != -1) {
        for (TDataItem* item : CurrentList)
            if (IdentityOf(item) == State.ListID) {
                row = item;
                topRow = -1;
                break;
            }
    }
    if (!row && State.ListIndex >= 0 && !CurrentList.IsEmpty())
        row = CurrentList.Items(std::min(State.ListIndex, CurrentList.Count() - 1));
    ShowList(row, topRow, false);
}

void TFolderTree::RefreshView(int topRow)
{
    SnapshotState(topRow);
    RebuildTree();
    RestoreState(nullptr, true);
}

void TFolderTree::ResetView()
{
    ClearState();
    RebuildTree();
    RestoreState(nullptr, true);
}

// ---------------------------------------------------------------------------------------------------
// Navigation

void TFolderTree::SelectNode(TTreeNode* node) { Tree.Select(node); }

void TFolderTree::OnCurrentNodeChanged()
{
    TTreeNode* node = SelectedNode();
    if (Updating || !node)
        return;
    FillList(node);
    {
        const QScopedValueRollback<bool> updating(Updating, true);
        ShowList(nullptr, -1, false);
    }
    emit NodeChanged();
}

void TFolderTree::GoUp()
{
    TTreeNode* node = SelectedNode();
    if (node && node->Parent)
        SelectNode(node->Parent);
}

void TFolderTree::OpenFocusedInTree()
{
    const int row = List.FirstSelectedRow();
    TTreeNode* node = SelectedNode();
    if (row < 0 || row >= CurrentList.Count() || !node)
        return;
    TDataItem* object = CurrentList.Items(row);
    ExpandNode(node);
    for (const auto& child : node->Children)
        if (child->Data == object) {
            SelectNode(child.get());
            return;
        }
}

// ---------------------------------------------------------------------------------------------------
// The list

void TFolderTree::FillList(TTreeNode* node)
{
    List.BeginFill();
    CurrentList.Clear();
    if (node) {
        TBusyCursor busy;
        const int kind = ListKindOfNode(node);
        SetListKind(kind);
        if (kind != lkNothing) {
            FillChildren(node, CurrentList);
            SortList();
        }
    }
    List.EndFill();
}

void TFolderTree::SortList()
{
    const int kind = ListKind();
    if (kind == lkFolders) {
        if (const TDataField* sortName = SortNameField())
            CurrentList.SortByField(sortName, GroupSortOrder);
    } else if (const TSortFieldRefList* sort = SortFieldsFor(kind)) {
        CurrentList.SortByFields(sort->Keys());
    }
}

void TFolderTree::ShowList(TDataItem* object, int topRow, bool keepSelection)
{
    if (!keepSelection)
        SelectListEntry(object ? CurrentList.IndexOf(object) : -1, topRow);
    emit ListShown();
}

void TFolderTree::SelectListEntry(int index, int topRow)
{
    const int rows = List.rowCount();
    const bool topInside = topRow > 0 && topRow < rows;
    if (topInside)
        emit List.ScrollToTopRequested(topRow);
    int row = -1;
    if (index >= 0 && index < rows)
        row = index;
    else if (topInside)
        row = topRow;
    else if (rows > 0)
        row = 0;
    List.SelectRow(row);
}

void TFolderTree::SetListKind(int kind)
{
    if (kind != ListKind()) {
        SaveColumns();
        List.ListKind = kind;
        BuildColumns();
    } else if (kind == lkFolders) {
        BuildColumns();
    }
}

void TFolderTree::BuildColumns()
{
    QList<TItemListModel::TColumn> columns;
    const int kind = ListKind();
    if (kind == lkFolders) {
        // The folders shown are the values of the level below the selected node.
        TGroupFieldRefList& groups = GroupFields();
        const int level = GroupLevelOf(SelectedNode());
        const TDataField* field = level < groups.Count() ? groups.Ref(level)->Field : nullptr;
        const int width = ListViewWidth - 30;
        columns << TItemListModel::TColumn{field ? field->GetDisplayNamePlain() : QString(), 0,
                                           width < 0 ? 100 : width, nullptr};
    } else if (TColumnFieldRefList* fields = ColumnFieldsFor(kind)) {
        for (int i = 0; i < fields->Count(); ++i) {
            TColumnField* column = fields->Column(i);
            columns << TItemListModel::TColumn{column->Field->GetDisplayNamePlain(), column->Field->ID,
                                               column->Width < 0 ? 100 : column->Width, column->Field};
        }
    }
    List.SetColumns(columns);
}

void TFolderTree::SaveColumns()
{
    TColumnFieldRefList* fields = ColumnFieldsFor(ListKind());
    if (!fields)
        return;
    fields->FreeAll();
    for (const TItemListModel::TColumn& column : List.ColumnsInViewOrder())
        if (column.Field)
            fields->AddField(column.Field, column.Width);
}

int TFolderTree::SortIndicatorColumn(bool* ascending) const
{
    const int kind = ListKind();
    int tag = -1;
    *ascending = true;
    if (kind == lkFolders) {
        tag = 0;
        *ascending = GroupSortOrder == 1;
    } else if (TSortFieldRefList* sort = const_cast<TFolderTree*>(this)->SortFieldsFor(kind);
               sort && sort->Count()) {
        tag = sort->Sort(0)->Field->ID;
        *ascending = sort->Sort(0)->Order == 1;
    }
    const QList<TItemListModel::TColumn>& columns = List.Columns();
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].Tag == tag)
            return i;
    return -1;
}

void TFolderTree::HeaderClicked(int column)
{
    const int kind = ListKind();
    if (kind == lkFolders) {
        GroupSortOrder = -GroupSortOrder;
    } else if (TSortFieldRefList* sort = SortFieldsFor(kind)) {
        const QList<TItemListModel::TColumn>& columns = List.Columns();
        if (column < 0 || column >= columns.size() || !columns[column].Field)
            return;
        TDataField* field = columns[column].Field;
        if (sort->Count() == 1 && sort->Sort(0)->Field == field) {
            sort->Sort(0)->Order = -sort->Sort(0)->Order;
        } else {
            sort->FreeAll();
            sort->AddField(field, 1);
        }
    } else {
        return;
    }
    List.BeginFill();
    SortList();
    List.EndFill();
    ShowList(nullptr, -1, false);
}

int TFolderTree::FindRow(const QString& typed) const
{
    if (!List.ListReady() || typed.isEmpty())
        return -1;
    const int kind = ListKind();
    const TDataField* key = nullptr;
    if (kind == lkFolders) {
        key = SortNameField();
    } else if (TSortFieldRefList* sort = const_cast<TFolderTree*>(this)->SortFieldsFor(kind);
               sort && sort->Count()) {
        key = sort->Sort(0)->Field;
    }
    if (!key)
        return -1;
    const QString wanted = typed.toLower();
    for (int row = 0; row < CurrentList.Count(); ++row)
        if (CurrentList.Items(row)->GetValueAsString(key).toLower().startsWith(wanted))
            return row;
    return -1;
}

void TFolderTree::SelectedItems(TDataRefList& list) const
{
    for (int row : List.SelectedRows())
        if (TDataItem* item = List.RowObject(row))
            list.Add(item);
}

TDataItem* TFolderTree::CurrentItem() const
{
    TTreeNode* node = SelectedNode();
    if (!node || !node->Data)
        return nullptr;
    const int kind = ListKind();
    if (kind == lkMainItems || kind == lkChildItems)
        if (TDataItem* item = List.RowObject(List.FirstSelectedRow()))
            return item;
    auto* item = dynamic_cast<TDataItem*>(node->Data);
    return item && !dynamic_cast<TLookupItem*>(item) ? item : nullptr;
}

bool TFolderTree::SelectionUnderRoot() const { return RootNode && RootNode->Contains(SelectedNode()); }

TDataItem* TFolderTree::CurrentMainItem() const { return SelectionUnderRoot() ? CurrentItem() : nullptr; }

// ---------------------------------------------------------------------------------------------------
// Dragging items onto folders

bool TFolderTree::CanDrag(const TDataObject*) const { return false; }

bool TFolderTree::CanDrop(const TDataObject*, const TTreeNode*) const { return false; }

bool TFolderTree::IsFolderNode(const TTreeNode* node) const
{
    return node && node != RootNode && dynamic_cast<TLookupItem*>(node->Data);
}

TDataObject* TFolderTree::DraggedObject(bool fromTree) const
{
    if (fromTree) {
        const TTreeNode* node = SelectedNode();
        return node ? node->Data : nullptr;
    }
    return List.RowObject(List.FirstSelectedRow());
}

void TFolderTree::DroppedItems(TDataRefList& items, bool fromTree) const
{
    if (!fromTree) {
        SelectedItems(items);
        return;
    }
    if (const TTreeNode* node = SelectedNode())
        if (auto* item = dynamic_cast<TDataItem*>(node->Data))
            items.Add(item);
}

QList<TLookupItem*> TFolderTree::FolderChain(const TTreeNode* node, int maxLevel) const
{
    QList<TLookupItem*> chain;
    for (; node; node = node->Parent)
        if (node->Level() <= maxLevel && IsFolderNode(node))
            chain << static_cast<TLookupItem*>(node->Data);
    return chain;
}

bool TFolderTree::DropOnNode(const TDataRefList& items, const TTreeNode* target)
{
    if (!IsFolderNode(target))
        return DropOnItem(items, target);
    // Only the levels down to the target's take part: deeper folders of the source keep their values.
    const int level = target->Level();
    return DropOnFolders(items, FolderChain(SelectedNode(), level), FolderChain(target, level));
}

bool TFolderTree::DropOnFolders(const TDataRefList& items, const QList<TLookupItem*>& source,
                                const QList<TLookupItem*>& target)
{
    if (items.IsEmpty())
        return false;
    TGroupFieldRefList& groups = GroupFields();
    auto valueOf = [this](TLookupItem* folder) { return folder == &NoneItem ? nullptr : folder; };
    bool changed = false;
    for (qsizetype i = 0; i < source.size(); ++i) {
        // Both chains end at level 1; the folders of one level are compared with each other.
        const qsizetype level = source.size() - i;
        const qsizetype t = target.size() - level;
        if (t < 0 || level > groups.Count())
            continue;
        TLookupItem* from = valueOf(source[i]);
        TLookupItem* to = valueOf(target[t]);
        if (from == to)
            continue;
        const TDataField* field = groups.Ref(int(level) - 1)->Field;
        for (TDataItem* item : items) {
            if (item->HasLookupItem(field, to, true, false))
                continue;
            // Dropping on "[None]" clears the field: an item is in "[None]" only without any value.
            ValueHolder(item, field)->setValueAsLookupItem(field, to, to ? smReplace : smClear, from);
            changed = true;
        }
    }
    return changed;
}

bool TFolderTree::DropOnItem(const TDataRefList&, const TTreeNode*) { return false; }

// ---------------------------------------------------------------------------------------------------
// Status texts

QString TFolderTree::KindCountText(int kind, int count) const
{
    if (kind == lkFolders) {
        auto& groups = const_cast<TFolderTree*>(this)->GroupFields();
        const int level = GroupLevelOf(SelectedNode());
        const QString name = level < groups.Count() ? groups.Ref(level)->Field->GetDisplayName() : QString();
        return QStringLiteral("%1 %2 items").arg(count).arg(name);
    }
    if (kind == lkNothing)
        return QStringLiteral("%1 Object items").arg(count);
    return CountOf(count, QStringLiteral("Item"));
}

QString TFolderTree::CountText() const { return KindCountText(ListKind(), List.rowCount()); }

QString TFolderTree::SelectionText() const
{
    return QStringLiteral("Selected: ") + KindCountText(ListKind(), int(List.SelectedRows().size()));
}

QString TFolderTree::FilterText()
{
    const TFilterFieldRefList& filter = FilterFieldsFor(ViewMode);
    return QStringLiteral("Filter: ")
           + (filter.IsActive() ? filter.GetDescription() : QStringLiteral("[None]"));
}

// ---------------------------------------------------------------------------------------------------
// TBookFolderTree

TBookFolderTree::TBookFolderTree(TRootItem& root)
    : TFolderTree(root), SectionColumnFields(&root, ikChild), SectionSortFields(&root, ikChild),
      SectionFilterFields(&root, ikChild), SectionGroupFields(&root, ikChild),
      SectionCustomGroupFields(&root, ikChild)
{
    CurrentPreset = BookPreset;
}

void TBookFolderTree::SetViewMode(int mode)
{
    ViewMode = mode;
    CurrentPreset = mode == vmChild ? SectionPreset : BookPreset;
    ApplyPreset(CurrentPreset);
}

void TBookFolderTree::RememberPreset() { (ViewMode == vmChild ? SectionPreset : BookPreset) = CurrentPreset; }

TColumnFieldRefList* TBookFolderTree::ColumnFieldsFor(int kind)
{
    return kind == lkChildItems ? &SectionColumnFields : TFolderTree::ColumnFieldsFor(kind);
}

TSortFieldRefList* TBookFolderTree::SortFieldsFor(int kind)
{
    return kind == lkChildItems ? &SectionSortFields : TFolderTree::SortFieldsFor(kind);
}

TFilterFieldRefList& TBookFolderTree::FilterFieldsFor(int mode)
{
    return mode == vmChild ? SectionFilterFields : TFolderTree::FilterFieldsFor(mode);
}

TGroupFieldRefList& TBookFolderTree::GroupFieldsFor(int mode)
{
    return mode == vmChild ? SectionGroupFields : TFolderTree::GroupFieldsFor(mode);
}

TGroupFieldRefList& TBookFolderTree::CustomGroupFieldsFor(int mode)
{
    return mode == vmChild ? SectionCustomGroupFields : TFolderTree::CustomGroupFieldsFor(mode);
}

int TBookFolderTree::ListKindOfNode(const TTreeNode* node)
{
    if (node && ViewMode == vmChild && !IsMainItem(node->Data)) {
        const int groups = GroupFields().Count();
        const bool lastFolder = dynamic_cast<TLookupItem*>(node->Data) && node->Level() == groups;
        if (lastFolder || (node == RootNode && groups == 0))
            return lkChildItems;
    }
    return TFolderTree::ListKindOfNode(node);
}

bool TBookFolderTree::CanHaveChildren(const TTreeNode* node)
{
    // Sections never appear in the tree of the contents view.
    if (ViewMode == vmChild)
        return node && node->Level() < GroupFields().Count();
    return TFolderTree::CanHaveChildren(node);
}

void TBookFolderTree::CollectItems(TDataRefList& list, const TFilterFieldRefList* pathFilter,
                                   const TFilterFieldRefList& userFilter)
{
    if (ViewMode != vmChild) {
        TFolderTree::CollectItems(list, pathFilter, userFilter);
        return;
    }
    // Unsorted: filling the list sorts the sections.
    for (TDataItem* item : *Root.Items)
        for (TDataItem* section : static_cast<TBookItem*>(item)->SectionsOrMain())
            if (Passes(pathFilter, section) && Passes(&userFilter, section))
                list.Add(section);
}

TDataItem* TBookFolderTree::CurrentItem() const
{
    TDataItem* item = TFolderTree::CurrentItem();
    if (auto* section = dynamic_cast<TSection*>(item))
        return section->Item();
    return item;
}

bool TBookFolderTree::CanDrag(const TDataObject* object) const
{
    return dynamic_cast<const TBookItem*>(object)
           || (ViewMode == vmChild && dynamic_cast<const TSection*>(object));
}

bool TBookFolderTree::CanDrop(const TDataObject* object, const TTreeNode* target) const
{
    return CanDrag(object) && IsFolderNode(target);
}

TDataItem* TBookFolderTree::ValueHolder(TDataItem* item, const TDataField* field) const
{
    if (auto* section = dynamic_cast<TSection*>(item); section && !field->ItemKinds.test(ikChild))
        if (TBookItem* book = section->Item())
            return book;
    return item;
}

int TBookFolderTree::CountUsage(const TDataField* field, const TRootItem::TItemFilter& filter)
{
    if (ViewMode == vmChild)
        return static_cast<TBookItemRoot&>(Root).CountSectionUsage(field, filter);
    return TFolderTree::CountUsage(field, filter);
}

void TBookFolderTree::AddItemChildren(TDataObject* object, TDataRefList& list)
{
    if (auto* book = dynamic_cast<TBookItem*>(object))
        book->AddChildrenTo(list);
}

QString TBookFolderTree::KindCountText(int kind, int count) const
{
    if (kind == lkMainItems)
        return CountOf(count, QStringLiteral("Book"));
    if (kind == lkChildItems)
        return QStringLiteral("%1 Stories/Articles").arg(count);
    return TFolderTree::KindCountText(kind, count);
}

#include "views/cFolderTreeModel.h"

bool TTreeNode::Contains(const TTreeNode* node) const
{
    for (; node; node = node->Parent)
        if (node == this)
            return true;
    return false;
}

TFolderTreeModel::TFolderTreeModel(QObject* parent) : QAbstractItemModel(parent), FSelection(this) {}

TFolderTreeModel::~TFolderTreeModel() = default;

TTreeNode* TFolderTreeModel::Reset(const QString& text, TDataObject* data, int imageIndex)
{
    beginResetModel();
    FTop = std::make_unique<TTreeNode>();
    FTop->Text = text;
    FTop->Data = data;
    FTop->ImageIndex = FTop->SelectedIndex = imageIndex;
    endResetModel();
    return FTop.get();
}

void TFolderTreeModel::DeleteChildren(TTreeNode* node)
{
    if (node->Children.empty())
        return;
    beginRemoveRows(IndexOf(node), 0, node->ChildCount() - 1);
    node->Children.clear();
    endRemoveRows();
}

void TFolderTreeModel::SetText(TTreeNode* node, const QString& text)
{
    node->Text = text;
    const QModelIndex index = IndexOf(node);
    emit dataChanged(index, index, {Qt::DisplayRole});
}

void TFolderTreeModel::BeginAdd(TTreeNode* parent)
{
    FAddParent = parent;
    FPending.clear();
}

void TFolderTreeModel::EndAdd()
{
    TTreeNode* parent = FAddParent;
    FAddParent = nullptr;
    if (FPending.empty())
        return;
    const int first = parent->ChildCount();
    beginInsertRows(IndexOf(parent), first, first + int(FPending.size()) - 1);
    parent->Children.reserve(parent->Children.size() + FPending.size());
    for (auto& node : FPending)
        parent->Children.push_back(std::move(node));
    FPending.clear();
    endInsertRows();
}

void TFolderTreeModel::Expand(TTreeNode* node)
{
    node->Expanded = true;
    emit ExpandRequested(IndexOf(node));
}

void TFolderTreeModel::Select(TTreeNode* node)
{
    const QModelIndex index = IndexOf(node);
    FSelection.setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    if (index.isValid())
        emit ScrollRequested(index);
}

QModelIndex TFolderTreeModel::IndexOf(const TTreeNode* node) const
{
    return node ? createIndex(node->Row, 0, const_cast<TTreeNode*>(node)) : QModelIndex();
}

TTreeNode* TFolderTreeModel::NodeOf(const QModelIndex& index)
{
    return index.isValid() ? static_cast<TTreeNode*>(index.internalPointer()) : nullptr;
}

TTreeNode* TFolderTreeModel::AddNode(TTreeNode* parent, const QString& text, TDataObject* data,
                                     int imageIndex, int selectedIndex)
{
    auto node = std::make_unique<TTreeNode>();
    node->Parent = parent;
    node->Text = text;
    node->Data = data;
    node->ImageIndex = imageIndex;
    node->SelectedIndex = selectedIndex;
    TTreeNode* made = node.get();
    if (parent && parent == FAddParent) {
        made->Row = parent->ChildCount() + int(FPending.size());
        FPending.push_back(std::move(node));
        return made;
    }
    // A single node outside a batch.
    BeginAdd(parent);
    made->Row = parent->ChildCount();
    FPending.push_back(std::move(node));
    EndAdd();
    return made;
}

void TFolderTreeModel::SetHasChildren(TTreeNode* node, bool hasChildren) { node->HasChildren = hasChildren; }

void TFolderTreeModel::SetStateIndex(TTreeNode* node, int stateIndex) { node->StateIndex = stateIndex; }

QModelIndex TFolderTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row == 0 && FTop ? createIndex(0, 0, FTop.get()) : QModelIndex();
    const TTreeNode* node = NodeOf(parent);
    return row < node->ChildCount() ? createIndex(row, 0, node->Child(row)) : QModelIndex();
}

QModelIndex TFolderTreeModel::parent(const QModelIndex& child) const
{
    const TTreeNode* node = NodeOf(child);
    return node ? IndexOf(node->Parent) : QModelIndex();
}

int TFolderTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return FTop ? 1 : 0;
    return parent.column() == 0 ? NodeOf(parent)->ChildCount() : 0;
}

int TFolderTreeModel::columnCount(const QModelIndex&) const { return 1; }

QVariant TFolderTreeModel::data(const QModelIndex& index, int role) const
{
    const TTreeNode* node = NodeOf(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return node->Text;
    case Qt::DecorationRole:
        return FIcons ? QVariant(FIcons(node->ImageIndex, node->SelectedIndex, node->StateIndex))
                      : QVariant();
    default:
        return {};
    }
}

Qt::ItemFlags TFolderTreeModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

bool TFolderTreeModel::hasChildren(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return bool(FTop);
    const TTreeNode* node = NodeOf(parent);
    return node->HasChildren || !node->Children.empty();
}

bool TFolderTreeModel::canFetchMore(const QModelIndex& parent) const
{
    const TTreeNode* node = NodeOf(parent);
    return node && node->HasChildren && node->Children.empty() && FExpander;
}

void TFolderTreeModel::fetchMore(const QModelIndex& parent)
{
    if (canFetchMore(parent))
        FExpander(NodeOf(parent));
}

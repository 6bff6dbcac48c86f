#pragma once
// The folder tree as data: nodes that carry data objects, built lazily, with their expansion and the
// selection kept here so that the grouping logic can snapshot and restore them without a widget. A tree
// view shows it through the QAbstractItemModel interface and shares its selection model.

#include "model/cData.h"

#include <QAbstractItemModel>
#include <QIcon>
#include <QItemSelectionModel>
#include <functional>
#include <memory>
#include <vector>

struct TTreeNode {
    TTreeNode* Parent = nullptr;
    TDataObject* Data = nullptr;
    QString Text;
    int ImageIndex = -1;
    int SelectedIndex = -1;
    int StateIndex = 0;
    bool HasChildren = false;  // the expand mark; the children may not be computed yet
    bool Expanded = false;
    int Row = 0;  // index among the siblings
    std::vector<std::unique_ptr<TTreeNode>> Children;

    int Level() const { return Parent ? Parent->Level() + 1 : 0; }
    TTreeNode* Child(int i) const { return Children[size_t(i)].get(); }
    int ChildCount() const { return int(Children.size()); }
    bool Contains(const TTreeNode* node) const;
};

class TFolderTreeModel : public QAbstractItemModel, public TTreeNodes {
    Q_OBJECT

public:
    explicit TFolderTreeModel(QObject* parent = nullptr);
    ~TFolderTreeModel() override;

    // The picture of a node: its image, the image when selected and its state mark.
    using TIconProvider = std::function<QIcon(int image, int selectedImage, int state)>;
    void SetIconProvider(TIconProvider provider) { FIcons = std::move(provider); }
    // Computes a node's children when a view opens a node whose children are not known yet.
    using TExpander = std::function<void(TTreeNode*)>;
    void SetExpander(TExpander expander) { FExpander = std::move(expander); }

    // Empties the tree and makes the one top node.
    TTreeNode* Reset(const QString& text, TDataObject* data, int imageIndex);
    TTreeNode* Top() const { return FTop.get(); }
    void DeleteChildren(TTreeNode* node);
    void SetText(TTreeNode* node, const QString& text);
    // Nodes added between BeginAdd and EndAdd under `parent` reach the views in one insertion.
    void BeginAdd(TTreeNode* parent);
    void EndAdd();
    // Marks the node open and asks the views to show it so.
    void Expand(TTreeNode* node);

    TTreeNode* SelectedNode() const { return NodeOf(FSelection.currentIndex()); }
    void Select(TTreeNode* node);
    QItemSelectionModel& Selection() { return FSelection; }

    QModelIndex IndexOf(const TTreeNode* node) const;
    static TTreeNode* NodeOf(const QModelIndex& index);

    // TTreeNodes
    TTreeNode* AddNode(TTreeNode* parent, const QString& text, TDataObject* data, int imageIndex,
                       int selectedIndex) override;
    void SetHasChildren(TTreeNode* node, bool hasChildren) override;
    void SetStateIndex(TTreeNode* node, int stateIndex) override;

    // QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    void ExpandRequested(const QModelIndex& index);
    void ScrollRequested(const QModelIndex& index);

private:
    std::unique_ptr<TTreeNode> FTop;
    QItemSelectionModel FSelection;
    TTreeNode* FAddParent = nullptr;
    std::vector<std::unique_ptr<TTreeNode>> FPending;
    TIconProvider FIcons;
    TExpander FExpander;
};

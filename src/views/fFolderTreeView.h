#pragma once
// Dragging items onto the folders of the tree: the tree view that takes the drops, and the mouse
// handling that starts a drag from a tree node or a list row. Only drags that began in one of the
// window's own views are taken; anything dragged in from outside is refused.

#include <QTreeView>
#include <functional>

class TFolderTree;
struct TTreeNode;

// The format of the mime data of a drag inside the window; the data say nothing, the source view
// (the tree or a list) and the selection there tell what is dragged.
inline const QString ItemDragMimeType = QStringLiteral("application/x-tomekeep-items");

class TFolderTreeView : public QTreeView {
public:
    explicit TFolderTreeView(QWidget* parent = nullptr);

    // The views whose drags are taken.
    QList<const QObject*> DragSources;
    // Whether what is dragged from the tree (or else from the list) may be dropped on a node.
    std::function<bool(const TTreeNode* node, bool fromTree)> CanDropOn;
    std::function<void(TTreeNode* node, bool fromTree)> DropOn;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool IsOwnDrag(const QDropEvent* event) const;
    // The node under the event where the drag may be dropped, or nullptr.
    TTreeNode* TargetOf(const QDropEvent* event) const;
};

// Lets a view start a drag: a left-button press on a row whose object `canDrag` accepts starts one
// once the mouse has moved 5 pixels with the button held. No picture goes with the drag.
void InstallItemDrag(QAbstractItemView* view, std::function<bool(const QModelIndex& index)> canDrag);

// Drags from the tree and the list views onto the folders of the tree, as `folders` allows them;
// `drop` carries out a drop on a node.
void InstallFolderDragDrop(TFolderTree& folders, TFolderTreeView* tree,
                           const QList<QAbstractItemView*>& lists,
                           std::function<void(TTreeNode* target, bool fromTree)> drop);

#include "views/fFolderTreeView.h"

#include "views/cFolderTree.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>

namespace {

// How far the mouse moves with the button held before a press becomes a drag.
constexpr int DragDistance = 5;

// Watches a view's viewport for the press and the moves that make a drag.
class TItemDragStarter : public QObject {
public:
    TItemDragStarter(QAbstractItemView* view, std::function<bool(const QModelIndex&)> canDrag)
        : QObject(view), FView(view), FCanDrag(std::move(canDrag))
    {
        view->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const QModelIndex index = FView->indexAt(mouse->position().toPoint());
            FArmed = mouse->button() == Qt::LeftButton && index.isValid() && FCanDrag(index);
            FPressedAt = mouse->position().toPoint();
            break;
        }
        case QEvent::MouseMove: {
            if (!FArmed)
                break;
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (!(mouse->buttons() & Qt::LeftButton)) {
                FArmed = false;
                break;
            }
            if ((mouse->position().toPoint() - FPressedAt).manhattanLength() >= DragDistance) {
                FArmed = false;
                StartDrag();
            }
            // The view would otherwise turn the move into a new selection, losing the rows to drag.
            return true;
        }
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            FArmed = false;
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void StartDrag()
    {
        auto* data = new QMimeData;
        data->setData(ItemDragMimeType, QByteArrayLiteral("items"));
        auto* drag = new QDrag(FView);
        drag->setMimeData(data);
        QPixmap nothing(1, 1);
        nothing.fill(Qt::transparent);
        drag->setPixmap(nothing);
        drag->exec(Qt::MoveAction);
    }

    QAbstractItemView* FView;
    std::function<bool(const QModelIndex&)> FCanDrag;
    QPoint FPressedAt;
    bool FArmed = false;
};

}  // namespace

// ---------------------------------------------------------------------------------------------------
// TFolderTreeView

TFolderTreeView::TFolderTreeView(QWidget* parent) : QTreeView(parent)
{
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
}

bool TFolderTreeView::IsOwnDrag(const QDropEvent* event) const
{
    // A drag from another program has no source object.
    const QObject* source = event->source();
    return source && DragSources.contains(source) && event->mimeData()->hasFormat(ItemDragMimeType);
}

TTreeNode* TFolderTreeView::TargetOf(const QDropEvent* event) const
{
    if (!IsOwnDrag(event))
        return nullptr;
    TTreeNode* node = TFolderTreeModel::NodeOf(indexAt(event->position().toPoint()));
    return node && CanDropOn && CanDropOn(node, event->source() == this) ? node : nullptr;
}

void TFolderTreeView::dragEnterEvent(QDragEnterEvent* event)
{
    // Taken on entering, so that the moves decide node by node.
    if (IsOwnDrag(event))
        event->accept();
    else
        event->ignore();
}

void TFolderTreeView::dragMoveEvent(QDragMoveEvent* event)
{
    if (TargetOf(event)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TFolderTreeView::dropEvent(QDropEvent* event)
{
    TTreeNode* target = TargetOf(event);
    if (!target || !DropOn) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    DropOn(target, event->source() == this);
}

// ---------------------------------------------------------------------------------------------------
// Wiring

void InstallItemDrag(QAbstractItemView* view, std::function<bool(const QModelIndex& index)> canDrag)
{
    new TItemDragStarter(view, std::move(canDrag));
}

void InstallFolderDragDrop(TFolderTree& folders, TFolderTreeView* tree,
                           const QList<QAbstractItemView*>& lists,
                           std::function<void(TTreeNode* target, bool fromTree)> drop)
{
    InstallItemDrag(tree, [&folders](const QModelIndex& index) {
        const TTreeNode* node = TFolderTreeModel::NodeOf(index);
        return node && folders.CanDrag(node->Data);
    });
    tree->DragSources = {tree};
    for (QAbstractItemView* list : lists) {
        InstallItemDrag(list, [&folders](const QModelIndex& index) {
            return folders.CanDrag(folders.List.RowObject(index.row()));
        });
        tree->DragSources << list;
    }
    tree->CanDropOn = [&folders](const TTreeNode* node, bool fromTree) {
        return folders.CanDrop(folders.DraggedObject(fromTree), node);
    };
    tree->DropOn = std::move(drop);
}

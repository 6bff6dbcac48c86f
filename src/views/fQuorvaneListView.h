#pragma once
// The item list's views: the report (a table of columns) and the large-icon view share one model and
// one selection. Both hand the type-ahead search to their owner instead of searching the model. The
// report marks the sorted columns with arrow pictures taken from an image list.

#include <QIcon>
#include <QListView>
#include <QTreeView>
#include <functional>

template <class TView>
class TTypeAheadView : public TView {
public:
    using TView::TView;
    std::function<void(const QString&)> OnKeyboardSearch;
    void keyboardSearch(const QString& search) override
    {
        if (OnKeyboardSearch)
            OnKeyboardSearch(search);
    }
};

class TQuorvaneListView : public TTypeAheadView<QTreeView> {
public:
    explicit TQuorvaneListView(QWidget* parent = nullptr);

    // Indexes of the arrow pictures in SmallImages; -1 draws none.
    int ImageIndexAscending = -1;
    int ImageIndexDescending = -1;
    // The image list the arrows come from.
    std::function<QIcon(int index)> SmallImages;

    // Every column whose tag (the model's header data under Qt::UserRole) equals `tag` gets the
    // ascending or descending arrow; every other column none.
    void SortIndicator(int tag, bool ascending);
};

using TQuorvaneIconView = TTypeAheadView<QListView>;

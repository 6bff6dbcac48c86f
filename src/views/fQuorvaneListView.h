#pragma once
// The item list's views: the report (a table of columns) and the large-icon view share one model and
// one selection. Both hand the type-ahead search to their owner instead of searching the model.

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

using TQuorvaneListView = TTypeAheadView<QTreeView>;
using TQuorvaneIconView = TTypeAheadView<QListView>;

#pragma once
// The book program's main window: it owns the collection of books.

#include "views/fMainBaseBook.h"

class TBookRoot;

class TfmMain : public TfmMainBaseBook {
    Q_OBJECT

public:
    // Opens `startFile`, or the collection used last when it is empty.
    explicit TfmMain(const QString& startFile = QString(), QWidget* parent = nullptr);
    // Works on a collection made elsewhere; nothing is loaded.
    explicit TfmMain(std::unique_ptr<TBookRoot> root, QWidget* parent = nullptr);

protected:
    std::unique_ptr<TRootItem> CreateRoot() override;
    int EnterAction() const override;
};

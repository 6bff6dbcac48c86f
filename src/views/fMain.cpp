#include "views/fMain.h"

#include "app/cBookPrefs.h"
#include "book/cBookData.h"

TfmMain::TfmMain(const QString& startFile, QWidget* parent) : TfmMainBaseBook(parent)
{
    FormCreate(nullptr, startFile);
}

TfmMain::TfmMain(std::unique_ptr<TBookRoot> root, QWidget* parent) : TfmMainBaseBook(parent)
{
    FormCreate(std::move(root), QString());
}

std::unique_ptr<TRootItem> TfmMain::CreateRoot() { return TRootItem::New<TBookRoot>(); }

int TfmMain::EnterAction() const
{
    const auto* prefs = dynamic_cast<const TBookPrefs*>(&Prefs());
    return prefs ? prefs->DoubleClickAction : 0;
}

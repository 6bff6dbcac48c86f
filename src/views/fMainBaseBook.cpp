#include "views/fMainBaseBook.h"

#include "app/cGatherixPrefs.h"
#include "platform/SettingsStore.h"
#include "views/cFolderTree.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QToolBar>

namespace {

const QString Section = QStringLiteral("fmMain");

}  // namespace

TfmMainBaseBook::TfmMainBaseBook(QWidget* parent) : TfmMainBase(parent)
{
    acItemView = NewAction("acItemView", "&Book View", "Book View", "x-office-address-book");
    acSectionView = NewAction("acSectionView", "&Contents View", "Contents View", "text-x-generic");
    auto* views = new QActionGroup(this);
    for (QAction* action : {acItemView, acSectionView}) {
        action->setCheckable(true);
        views->addAction(action);
    }
    acItemView->setChecked(true);
    connect(acItemView, &QAction::triggered, this, [this] { SetViewMode(vmMain); });
    connect(acSectionView, &QAction::triggered, this, [this] { SetViewMode(vmChild); });

    QAction* first = miView->actions().value(0);
    miView->insertActions(first, {acItemView, acSectionView});
    miView->insertSeparator(first);
    QAction* up = acUp;
    tbView->insertActions(up, {acItemView, acSectionView});
    tbView->insertSeparator(up);
}

TBookFolderTree& TfmMainBaseBook::BookFolders() const { return static_cast<TBookFolderTree&>(Folders()); }

std::unique_ptr<TFolderTree> TfmMainBaseBook::CreateFolderTree(TRootItem& root)
{
    return std::make_unique<TBookFolderTree>(root);
}

void TfmMainBaseBook::SetViewMode(int mode)
{
    TBookFolderTree& folders = BookFolders();
    if (folders.ViewMode == mode)
        return;
    folders.SetViewMode(mode);
    acItemView->setChecked(mode == vmMain);
    acSectionView->setChecked(mode == vmChild);
    UpdateActions();
    BuildFolderMenus();
    ResetView();
}

void TfmMainBaseBook::PresetChanged() { BookFolders().RememberPreset(); }

QList<TfmMainBase::TStoredList> TfmMainBaseBook::StoredFieldLists()
{
    TBookFolderTree& folders = BookFolders();
    return TfmMainBase::StoredFieldLists()
           + QList<TStoredList>{
               {&folders.SectionColumnFields, QStringLiteral("SectionColumnFields")},
               {&folders.SectionSortFields, QStringLiteral("SectionSortFields")},
               {&folders.SectionFilterFields, QStringLiteral("SectionFilterFields")},
               {&folders.SectionGroupFields, QStringLiteral("SectionGroupFields")},
               {&folders.SectionCustomGroupFields, QStringLiteral("SectionCustomGroupFields")}};
}

void TfmMainBaseBook::LoadSettings()
{
    TfmMainBase::LoadSettings();
    TBookFolderTree& folders = BookFolders();
    const TSettingsStore& settings = Prefs().Settings();
    folders.BookPreset =
        settings.ReadInteger(Section, QStringLiteral("BookGroupFieldPreset"), folders.DefaultPreset());
    folders.SectionPreset = settings.ReadInteger(Section, QStringLiteral("SectionGroupFieldPreset"), 0);
    // Every start begins in the book view.
    folders.ViewMode = vmMain;
    folders.CurrentPreset = folders.BookPreset;
}

void TfmMainBaseBook::SaveSettings()
{
    TfmMainBase::SaveSettings();
    TBookFolderTree& folders = BookFolders();
    folders.RememberPreset();
    TSettingsStore& settings = Prefs().Settings();
    settings.WriteInteger(Section, QStringLiteral("BookGroupFieldPreset"), folders.BookPreset);
    settings.WriteInteger(Section, QStringLiteral("SectionGroupFieldPreset"), folders.SectionPreset);
}

#include "views/fMainBase.h"

#include "app/cGatherixPrefs.h"
#include "app/cGlobal.h"
#include "app/cInternetConnection.h"
#include "app/dGlobal.h"
#include "app/fAbout.h"
#include "app/fFormPlacement.h"
#include "app/fSplash.h"
#include "app/fVersionCheck.h"
#include "model/cData_FieldRefs.h"
#include "platform/FileAssociation.h"
#include "platform/Messenger.h"
#include "platform/SettingsStore.h"
#include "views/cFilterBaseNew.h"
#include "views/cFolderTree.h"
#include "views/fDetails.h"
#include "views/fFilterBaseNew.h"
#include "views/fFolderTreeView.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScopedValueRollback>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <limits>

namespace {

const QString Section = QStringLiteral("fmMain");
const QString NotSavedQuestion =
    QStringLiteral("This collection has not been saved yet. Do you want to save it now?");
const QString SaveFailedQuestion =
    QStringLiteral("The collection could not be saved. Do you want to save it under another name?");

QString PanelSection(const QString& name) { return Section + QLatin1Char('\\') + name; }

}  // namespace

TfmMainBase::TfmMainBase(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("fmMain"));
    resize(1100, 720);
    CreateActions();
    CreateViews();
    CreateMenus();
    CreateToolbars();
}

TfmMainBase::~TfmMainBase()
{
    // Double-clicking a collection file in the desktop's file manager opens it with this program.
    if (FRoot)
        RegisterFileType(QCoreApplication::applicationFilePath(), FRoot->FileExtension(),
                         FRoot->TypeDisplayName());
    // The views go with the window; the models they show go first.
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(tvMain), static_cast<QAbstractItemView*>(lvMain),
          static_cast<QAbstractItemView*>(lvMainIcons)})
        view->setModel(nullptr);
    if (FRoot)
        FRoot->Defaults->WriteToSettings(Prefs().Settings());
    FFolders.reset();
    FRoot.reset();
}

// ---------------------------------------------------------------------------------------------------
// Creation

QAction* TfmMainBase::NewAction(const QString& name, const QString& caption, const QString& hint,
                                const QString& icon)
{
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    if (!hint.isEmpty()) {
        action->setToolTip(hint);
        action->setStatusTip(hint);
    }
    if (!icon.isEmpty())
        action->setIcon(TdmGlobal::ActionIcon(icon));
    return action;
}

void TfmMainBase::CreateActions()
{
    acNew = NewAction("acNew", "&New...", "New Collection", "document-new");
    acNew->setText(QStringLiteral("&New"));  // what the File menu shows; the caption is for buttons
    acNew->setIconText(QStringLiteral("&New..."));
    acOpen = NewAction("acOpen", "&Open...", "Open Collection", "document-open");
    acSave = NewAction("acSave", "&Save", "Save Collection", "document-save");
    acSaveAs = NewAction("acSaveAs", "Save &As...", "Save Collection As...", "document-save-as");
    acExit = NewAction("acExit", "E&xit", QString(), "application-exit");
    acSelectAll = NewAction("acSelectAll", "Select All", QString(), "edit-select-all");
    acSelectAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    acShowEmptyFolders = NewAction("acShowEmptyFolders", "Show &Empty Folders", QString(), QString());
    acShowEmptyFolders->setCheckable(true);
    acNoFolders = NewAction("acNoFolders", "No Folders", "No Folders", "view-list");
    acListView = NewAction("acListView", "&Details", "Details", "view-list");
    acIconView = NewAction("acIconView", "&Icons/Thumbnails", "Icons/Thumbnails", "view-grid");
    auto* styles = new QActionGroup(this);
    for (QAction* action : {acListView, acIconView}) {
        action->setCheckable(true);
        styles->addAction(action);
    }
    acRefresh = NewAction("acRefresh", "&Refresh", "Refresh", "view-refresh");
    acRefresh->setShortcut(QKeySequence(Qt::Key_F5));
    acUp = NewAction("acUp", "Up", "Up", "go-up");
    acEditFilter = NewAction("acEditFilter", "Set &Filter...", "Set Filter", "edit-find");
    acEnableFilter = NewAction("acEnableFilter", "Filter &On/Off", "Filter On/Off", "view-filter");
    acEnableFilter->setCheckable(true);
    acResetToolbar = NewAction("acResetToolbar", "&Reset Toolbar", "Reset Default Toolbar", QString());
    acManual = NewAction("acManual", "&Manual", "Open the manual in your browser", "help-contents");
    acManual->setShortcut(QKeySequence(Qt::Key_F1));
    acSupport = NewAction("acSupport", "&Support", QString(), "help-faq");
    acAbout = NewAction("acAbout", "&About...", "About Quorvane", QString());
    acAbout->setIcon(QIcon(TfmSplash::Logo(32)));
    addActions({acSelectAll, acRefresh, acManual});

    connect(acNew, &QAction::triggered, this, &TfmMainBase::acNewExecute);
    connect(acOpen, &QAction::triggered, this, &TfmMainBase::acOpenExecute);
    connect(acSave, &QAction::triggered, this, &TfmMainBase::acSaveExecute);
    connect(acSaveAs, &QAction::triggered, this, &TfmMainBase::acSaveAsExecute);
    connect(acExit, &QAction::triggered, this, &QWidget::close);
    connect(acSelectAll, &QAction::triggered, this, [this] {
        {
            const QScopedValueRollback<bool> updating(Folders().Updating, true);
            CurrentListView()->selectAll();
        }
        UpdateActions();
    });
    connect(acShowEmptyFolders, &QAction::triggered, this, [this](bool checked) {
        Folders().ShowEmptyFolders = checked;
        ResetView();
    });
    connect(acNoFolders, &QAction::triggered, this, [this] { acNoFoldersExecute(); });
    connect(acListView, &QAction::triggered, this, [this] { acListViewExecute(); });
    connect(acIconView, &QAction::triggered, this, [this] { acIconViewExecute(); });
    connect(acRefresh, &QAction::triggered, this, &TfmMainBase::RefreshView);
    connect(acUp, &QAction::triggered, this, [this] { Folders().GoUp(); });
    connect(acEditFilter, &QAction::triggered, this, &TfmMainBase::acEditFilterExecute);
    connect(acEnableFilter, &QAction::triggered, this, &TfmMainBase::acEnableFilterExecute);
    connect(acResetToolbar, &QAction::triggered, this, [this] { acResetToolbarExecute(); });
    auto openDocument = [](const QString& name) {
        QDesktopServices::openUrl(
            QUrl::fromLocalFile(TPrefs::ProgramFolder() + QStringLiteral("Docs/") + name));
    };
    connect(acManual, &QAction::triggered, this,
            [openDocument] { openDocument(QStringLiteral("manual.html")); });
    connect(acSupport, &QAction::triggered, this,
            [openDocument] { openDocument(QStringLiteral("support.html")); });
    connect(acAbout, &QAction::triggered, this, [this] { TfmAbout::Execute(this); });
}

void TfmMainBase::FillInternetMenu()
{
    const QString type = Root().TypeName().toLower();
    const struct {
        const char* Name;
        const char* Caption;
        const char* Page;
    } pages[] = {
        {"acWebAppHome", "Home Page", "fs%1_overview.php?from=%1menu"},
        {"acWebAppFAQ", "Frequently Asked Questions", "fs%1_faq.php?from=%1menu"},
        {"acWebAppForum", "Discussion Forum", "fs%1_forum.php?from=%1menu"},
        {"acWebAppTellaFriend", "Tell a Friend about this program", "fs%1_tellafriend.php?from=%1menu"},
        {"acWebQuorvaneHome", "More Quorvane Products", "index.php?from=%1menu"},
    };
    for (const auto& page : pages) {
        QAction* action =
            NewAction(QLatin1String(page.Name), QLatin1String(page.Caption), QString(), QString());
        const QString address = MakerWebPage(QLatin1String(page.Page).arg(type));
        connect(action, &QAction::triggered, this, [address] { QDesktopServices::openUrl(QUrl(address)); });
        miInternet->addAction(action);
        if (qstrcmp(page.Name, "acWebAppTellaFriend") == 0)
            miInternet->addSeparator();
    }
    // The affiliate entry and its separator exist only when the preferences name a web address.
    const QUrl affiliate = VersionInfoLink(Prefs().AffiliateUrl, TVersionInfoLink::Web);
    QAction* affiliateSeparator = miInternet->addSeparator();
    acWebAffiliate = NewAction("acWebAffiliate", Prefs().AffiliateName, QString(), QString());
    connect(acWebAffiliate, &QAction::triggered, this, [affiliate] { QDesktopServices::openUrl(affiliate); });
    miInternet->addAction(acWebAffiliate);
    affiliateSeparator->setVisible(!affiliate.isEmpty());
    acWebAffiliate->setVisible(!affiliate.isEmpty());
    miInternet->addSeparator();
    acVersionCheck = NewAction("acVersionCheck", "Check for &Update...", QString(), QString());
    connect(acVersionCheck, &QAction::triggered, this, [this] { ShowVersionCheck(this, nullptr, 0); });
    miInternet->addAction(acVersionCheck);
}

void TfmMainBase::CheckForUpdateOnStart() { ::CheckForUpdateOnStart(this); }

void TfmMainBase::CreateViews()
{
    tvMain = new TFolderTreeView;
    tvMain->setObjectName(QStringLiteral("tvMain"));
    tvMain->setHeaderHidden(true);
    tvMain->setUniformRowHeights(true);
    tvMain->setContextMenuPolicy(Qt::CustomContextMenu);
    tvMain->installEventFilter(this);

    laTreeFolders = new QToolButton;
    laTreeFolders->setObjectName(QStringLiteral("laTreeFolders"));
    laTreeFolders->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    laTreeFolders->setPopupMode(QToolButton::InstantPopup);
    laTreeFolders->setAutoRaise(true);
    laTreeFolders->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    laTreeFolders->setIcon(TdmGlobal::ActionIcon(QStringLiteral("folder")));

    pnTree = new QWidget;
    pnTree->setObjectName(QStringLiteral("pnTree"));
    auto* treeLayout = new QVBoxLayout(pnTree);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    treeLayout->setSpacing(2);
    treeLayout->addWidget(laTreeFolders);
    treeLayout->addWidget(tvMain);

    lvMain = new TQuorvaneListView;
    lvMain->setObjectName(QStringLiteral("lvMain"));
    lvMain->setRootIsDecorated(false);
    lvMain->setItemsExpandable(false);
    lvMain->setUniformRowHeights(true);
    lvMain->setAlternatingRowColors(true);
    lvMain->setAllColumnsShowFocus(true);
    lvMainIcons = new TQuorvaneIconView;
    lvMainIcons->setObjectName(QStringLiteral("lvMainIcons"));
    lvMainIcons->setViewMode(QListView::IconMode);
    lvMainIcons->setResizeMode(QListView::Adjust);
    lvMainIcons->setMovement(QListView::Static);
    lvMainIcons->setUniformItemSizes(true);
    lvMainIcons->setWordWrap(true);
    lvMainIcons->setGridSize(QSize(96, 72));
    lvMainIcons->setIconSize(QSize(32, 32));
    lvMainIcons->hide();
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(lvMain), static_cast<QAbstractItemView*>(lvMainIcons)}) {
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        view->installEventFilter(this);
        connect(view, &QAbstractItemView::doubleClicked, this, &TfmMainBase::ListEnter);
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& position) {
            pmList->popup(view->viewport()->mapToGlobal(position));
        });
    }
    lvMain->OnKeyboardSearch =
        lvMainIcons->OnKeyboardSearch = [this](const QString& text) { ListTypeAhead(text); };
    QHeaderView* header = lvMain->header();
    header->setSectionsClickable(true);
    header->setSectionsMovable(true);
    lvMain->ImageIndexAscending = 0;
    lvMain->ImageIndexDescending = 1;
    lvMain->SmallImages = [this](int index) { return FGlobal->SmallIcon(index); };
    header->setStretchLastSection(false);

    auto* listArea = new QWidget;
    listArea->setObjectName(QStringLiteral("pnList"));
    auto* listLayout = new QVBoxLayout(listArea);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addWidget(lvMain);
    listLayout->addWidget(lvMainIcons);

    pnDetails = new TfmDetails(Prefs().DetailsTemplate);
    connect(pnDetails, &TfmDetails::CoverDropped, this,
            [this](TDataItem*, bool changed) { DetailsCoverDropped(changed); });

    pnRight = new QSplitter(Qt::Vertical);
    pnRight->setObjectName(QStringLiteral("pnRight"));
    pnRight->addWidget(listArea);
    pnRight->addWidget(pnDetails);
    pnRight->setStretchFactor(0, 1);
    connect(pnRight, &QSplitter::splitterMoved, this, &TfmMainBase::DetailsPanelMoved);
    connect(pnRight, &QSplitter::splitterMoved, this, [this] { NotePanelSizes(); });
    connect(pnExplorer, &QSplitter::splitterMoved, this, [this] { NotePanelSizes(); });
    pnExplorer = new QSplitter(Qt::Horizontal);
    pnExplorer->setObjectName(QStringLiteral("pnExplorer"));
    pnExplorer->addWidget(pnTree);
    pnExplorer->addWidget(pnRight);
    pnExplorer->setStretchFactor(1, 1);
    setCentralWidget(pnExplorer);

    auto pane = [this](const char* name, int stretch) {
        auto* label = new QLabel;
        label->setObjectName(QLatin1String(name));
        label->setMinimumWidth(60);
        statusBar()->addWidget(label, stretch);
        return label;
    };
    pnCount = pane("pnCount", 0);
    pnSelection = pane("pnSelection", 0);
    pnSearch = pane("pnSearch", 0);
    pnFilter = pane("pnFilter", 1);
    pnCount->setMinimumWidth(120);
    pnSelection->setMinimumWidth(150);
    pnSearch->setMinimumWidth(100);
}

void TfmMainBase::CreateMenus()
{
    miFile = menuBar()->addMenu(QStringLiteral("&File"));
    miFile->setObjectName(QStringLiteral("miFile"));
    miFile->addActions({acNew, acOpen, acSave, acSaveAs});
    miFile->addSeparator();
    miFile->addAction(acExit);

    miEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    miEdit->setObjectName(QStringLiteral("miEdit"));
    miEdit->addAction(acSelectAll);

    miView = menuBar()->addMenu(QStringLiteral("&View"));
    miView->setObjectName(QStringLiteral("miView"));
    miView->addAction(acShowEmptyFolders);
    miFolders = miView->addMenu(QStringLiteral("&Folders"));
    miFolders->setObjectName(QStringLiteral("miFolders"));
    miView->addSeparator();
    miView->addActions({acListView, acIconView});
    miView->addSeparator();

    pmToolbar = new QMenu(this);
    pmToolbar->setObjectName(QStringLiteral("pmToolbar"));
    QMenu* toolbarMenu = miView->addMenu(QStringLiteral("T&oolbar"));
    toolbarMenu->setObjectName(QStringLiteral("miToolbar"));
    miView->addSeparator();
    miView->addAction(acRefresh);

    miSearch = menuBar()->addMenu(QStringLiteral("&Search"));
    miSearch->setObjectName(QStringLiteral("miSearch"));
    miSearch->addActions({acEditFilter, acEnableFilter});

    miSettings = menuBar()->addMenu(QStringLiteral("&Settings"));
    miSettings->setObjectName(QStringLiteral("miSettings"));
    miSettings->addAction(pnDetails->SelectTemplateAction());

    miInternet = menuBar()->addMenu(QStringLiteral("&Internet"));
    miInternet->setObjectName(QStringLiteral("miInternet"));

    miHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    miHelp->setObjectName(QStringLiteral("miHelp"));
    miHelp->addActions({acManual, acSupport, acAbout});

    pmFolders = new QMenu(this);
    pmFolders->setObjectName(QStringLiteral("pmFolders"));
    pmTree = new QMenu(this);
    pmTree->setObjectName(QStringLiteral("pmTree"));
    pmTreeFolders = pmTree->addMenu(QStringLiteral("&Folders"));
    pmTreeFolders->setObjectName(QStringLiteral("pmTreeFolders"));
    pmList = new QMenu(this);
    pmList->setObjectName(QStringLiteral("pmList"));
    pmList->addAction(acSelectAll);
    laTreeFolders->setMenu(pmFolders);
    connect(tvMain, &QWidget::customContextMenuRequested, this, &TfmMainBase::TreeContextMenu);
}

void TfmMainBase::CreateToolbars()
{
    setContextMenuPolicy(Qt::NoContextMenu);
    auto toolbar = [this](const char* name, const QString& title, const QString& caption) {
        auto* bar = addToolBar(title);
        bar->setObjectName(QLatin1String(name));
        bar->setIconSize(QSize(22, 22));
        bar->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(bar, &QWidget::customContextMenuRequested, this,
                [this, bar](const QPoint& position) { pmToolbar->popup(bar->mapToGlobal(position)); });
        QAction* show = bar->toggleViewAction();
        show->setText(caption);
        show->setObjectName(QStringLiteral("acShow") + QLatin1String(name).mid(2) + QStringLiteral("Bar"));
        FShowBarActions << show;
        return bar;
    };
    tbFile = toolbar("tbFile", QStringLiteral("File"), QStringLiteral("&File"));
    tbFile->addActions({acNew, acOpen, acSave});
    tbEdit = toolbar("tbEdit", QStringLiteral("Edit"), QStringLiteral("&Edit"));
    tbView = toolbar("tbView", QStringLiteral("View"), QStringLiteral("&View"));
    tbView->addAction(acNoFolders);
    btFolders = new QToolButton;
    btFolders->setObjectName(QStringLiteral("btFolders"));
    btFolders->setIcon(TdmGlobal::ActionIcon(QStringLiteral("folder")));
    btFolders->setToolTip(QStringLiteral("Folder Fields"));
    btFolders->setMenu(pmFolders);
    btFolders->setPopupMode(QToolButton::InstantPopup);
    tbView->addWidget(btFolders);
    tbView->addSeparator();
    tbView->addActions({acUp, acRefresh});
    tbView->addSeparator();
    tbView->addActions({acListView, acIconView});
    tbSearch = toolbar("tbSearch", QStringLiteral("Search"), QStringLiteral("&Search"));
    tbSearch->addActions({acEditFilter, acEnableFilter});
    tbLoans = toolbar("tbLoans", QStringLiteral("Loans"), QStringLiteral("&Loans"));
    tbLogo = toolbar("tbLogo", QStringLiteral("Logo"), QStringLiteral("&Logo"));
    auto* spacer = new QWidget;
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    tbLogo->addWidget(spacer);
    tbLogo->addAction(acAbout);
    FShowBarActions.last()->setObjectName(QStringLiteral("acShowLogo"));
    pmToolbar->addActions(FShowBarActions);
    pmToolbar->addSeparator();
    pmToolbar->addAction(acResetToolbar);
    if (QMenu* toolbarMenu = miView->findChild<QMenu*>(QStringLiteral("miToolbar")))
        toolbarMenu->addActions(pmToolbar->actions());
}

std::unique_ptr<TFolderTree> TfmMainBase::CreateFolderTree(TRootItem& root)
{
    return std::make_unique<TFolderTree>(root);
}

void TfmMainBase::FormCreate(std::unique_ptr<TRootItem> preparedRoot, const QString& startFile)
{
    TdmGlobal::InstallStandardImages();
    const bool prepared = bool(preparedRoot);
    FRoot = prepared ? std::move(preparedRoot) : CreateRoot();
    FRoot->Defaults->ReadFromSettings(Prefs().Settings());
    SetApplicationTitle(ProductTitle() + QLatin1Char(' ') + VersionText());
    FGlobal = std::make_unique<TdmGlobal>();
    FFolders = CreateFolderTree(*FRoot);
    pnDetails->SetRoot(FRoot.get());
    ConnectModels();
    if (!prepared)
        LoadStartFile(startFile);
    FillInternetMenu();
}

void TfmMainBase::LoadStartFile(const QString& startFile)
{
    const QString file = startFile.isEmpty() ? Prefs().CurrentDatabase : startFile;
    if (file.isEmpty())
        return;
    if (Root().LoadFromFile(file)) {
        Prefs().CurrentDatabase = file;
        Prefs().DataFolder = QFileInfo(file).absolutePath() + QLatin1Char('/');
    } else {
        Prefs().CurrentDatabase.clear();
    }
}

void TfmMainBase::ConnectModels()
{
    TFolderTree& folders = Folders();
    TdmGlobal* global = FGlobal.get();
    folders.Tree.SetIconProvider(
        [global](int image, int selected, int state) { return global->TreeIcon(image, selected, state); });
    TRootItem* root = FRoot.get();
    folders.List.SetImageProvider([global, root](TDataObject* object, bool large) -> QVariant {
        if (!large)
            return global->SmallIcon(object->GetImageIndex());
        const int index = object->GetListImageIndex();
        return index >= 0 && index < root->LargeImages.Count()
                   ? QVariant(QPixmap::fromImage(root->LargeImages.Image(index)))
                   : QVariant();
    });

    tvMain->setModel(&folders.Tree);
    tvMain->setSelectionModel(&folders.Tree.Selection());
    lvMain->setModel(&folders.List);
    lvMain->setSelectionModel(&folders.List.Selection());
    lvMainIcons->setModel(&folders.List);
    lvMainIcons->setSelectionModel(&folders.List.Selection());

    connect(&folders.Tree, &TFolderTreeModel::ExpandRequested, tvMain, &QTreeView::expand);
    connect(&folders.Tree, &TFolderTreeModel::ScrollRequested, tvMain,
            [this](const QModelIndex& index) { tvMain->scrollTo(index); });
    connect(tvMain, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        if (TTreeNode* node = TFolderTreeModel::NodeOf(index); node && !Folders().ExpandNode(node))
            tvMain->collapse(index);
    });
    connect(tvMain, &QTreeView::collapsed, this, [](const QModelIndex& index) {
        if (TTreeNode* node = TFolderTreeModel::NodeOf(index))
            node->Expanded = false;
    });
    InstallFolderDragDrop(folders, static_cast<TFolderTreeView*>(tvMain), {lvMain, lvMainIcons},
                          [this](TTreeNode* target, bool fromTree) { DropOnFolder(target, fromTree); });
    connect(&folders, &TFolderTree::NodeChanged, this, &TfmMainBase::UpdateActions);
    connect(&folders, &TFolderTree::ListShown, this, &TfmMainBase::RefreshStatus);
    connect(&folders.List, &TItemListModel::ScrollToTopRequested, this, [this](int row) {
        CurrentListView()->scrollTo(Folders().List.index(row, 0), QAbstractItemView::PositionAtTop);
    });
    connect(&folders.List, &TItemListModel::ScrollRequested, this,
            [this](int row) { CurrentListView()->scrollTo(Folders().List.index(row, 0)); });
    connect(&folders.List, &TItemListModel::ColumnsChanged, this, &TfmMainBase::ApplyColumnWidths);
    connect(&folders.List.Selection(), &QItemSelectionModel::selectionChanged, this,
            &TfmMainBase::ListSelectionChanged);

    QHeaderView* header = lvMain->header();
    connect(header, &QHeaderView::sectionClicked, this, [this](int column) {
        Folders().HeaderClicked(column);
        ShowSortIndicator();
        UpdateActions();
    });
    connect(header, &QHeaderView::sectionResized, this,
            [this](int column, int, int width) { Folders().List.SetColumnWidth(column, width); });
    connect(header, &QHeaderView::sectionMoved, this, [this, header] {
        QList<int> order;
        for (int visual = 0; visual < header->count(); ++visual)
            order << header->logicalIndex(visual);
        Folders().List.SetViewOrder(order);
    });
}

// ---------------------------------------------------------------------------------------------------
// Showing and closing

void TfmMainBase::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!FShown) {
        FShown = true;
        FormShow();
    }
}

void TfmMainBase::FormShow()
{
    LoadSettings();
    if (!HasDetailsView())
        pnDetails->hide();
    TFolderTree& folders = Folders();
    folders.ApplyPreset(folders.CurrentPreset);
    folders.ListViewWidth = lvMain->width();
    folders.BuildColumns();
    BuildFolderMenus();
    UpdateCaption();
    folders.ResetTree();
    ResetView();
    UpdateActions();
    QTimer::singleShot(0, this, [this] { CheckForUpdateOnStart(); });
}

void TfmMainBase::closeEvent(QCloseEvent* event)
{
    // A download still running (the update check at start) is not waited for.
    HttpClient().Abort();
    if (!FClosed && !SaveBeforeLeaving(true)) {
        event->ignore();
        return;
    }
    if (!FClosed)
        FormClose();
    FClosed = true;
    event->accept();
}

void TfmMainBase::FormClose()
{
    TFolderTree& folders = Folders();
    folders.SaveColumns();
    // The views let go of the collection; nothing is selected and no selection change is acted on.
    ReleaseCollection();
    folders.Updating = true;
    folders.Tree.Selection().clearCurrentIndex();
    if (FShown)
        SaveSettings();
    SavePlacement(this);
}

bool TfmMainBase::IsDemoCollection() const
{
    // Only the demo opened by its name beside the program ("Data/demo.tmk") is left as it is; opened by
    // any other path it is a collection like the others.
    return QDir::fromNativeSeparators(Root().FileName)
           == QStringLiteral("Data/demo.") + Root().FileExtension();
}

bool TfmMainBase::SaveBeforeLeaving(bool evenEmpty)
{
    auto answer = [this](const QString& question) {
        switch (Messenger().AskYesNoCancel(question)) {
        case TMessageAnswer::Yes:
            return SaveAsDialog();
        case TMessageAnswer::No:
            return true;
        default:
            return false;
        }
    };
    if (Root().FileName.isEmpty())
        return !evenEmpty && Root().Items->IsEmpty() ? true : answer(NotSavedQuestion);
    // The demo collection opened from the program's folder is never written behind the user's back.
    if (IsDemoCollection() || acSaveExecute())
        return true;
    return answer(SaveFailedQuestion);
}

// ---------------------------------------------------------------------------------------------------
// Collection commands

QString TfmMainBase::FileFilter() const { return Root().FileFilterCaption(); }

void TfmMainBase::acNewExecute()
{
    if (!SaveBeforeLeaving(false))
        return;
    ReleaseCollection();
    Root().Clear();
    Root().MetaInfo->LoadFieldNames(Prefs().Settings());
    ResetView();
    UpdateCaption();
    UpdateActions();
}

void TfmMainBase::acOpenExecute()
{
    const QString file =
        FileDialogs().OpenFile(QStringLiteral("Open Collection"), Prefs().DataFolder, FileFilter());
    if (file.isEmpty() || !SaveBeforeLeaving(false))
        return;
    TFolderTree& folders = Folders();
    ReleaseCollection();
    if (Root().LoadFromFile(file)) {
        Prefs().CurrentDatabase = file;
        Prefs().DataFolder = QFileInfo(file).absolutePath() + QLatin1Char('/');
        folders.BuildColumns();
        BuildFolderMenus();
    } else if (!Prefs().CurrentDatabase.isEmpty()) {
        // The failed file is forgotten; the collection that was open comes back.
        Root().LoadFromFile(Prefs().CurrentDatabase);
    }
    UpdateCaption();
    ResetView();
    UpdateActions();
}

void TfmMainBase::ReleaseCollection()
{
    Folders().ReleaseCollection();
    pnDetails->SetRoot(&Root());
}

bool TfmMainBase::acSaveExecute()
{
    if (Root().FileName.isEmpty())
        return SaveAsDialog();
    return Root().SaveToFile(Root().FileName);
}

bool TfmMainBase::SaveAsDialog()
{
    const QString file = FileDialogs().SaveFile(QStringLiteral("Save Collection"), Prefs().DataFolder,
                                                FileFilter(), Root().FileExtension());
    const bool saved = !file.isEmpty() && Root().SaveToFile(file);
    if (saved) {
        Prefs().CurrentDatabase = file;
        Prefs().DataFolder = QFileInfo(file).absolutePath() + QLatin1Char('/');
        if (TTreeNode* node = Folders().RootNode)
            Folders().Tree.SetText(node, Root().GetDisplayText());
    }
    UpdateCaption();
    return saved;
}

// ---------------------------------------------------------------------------------------------------
// Views and refresh

int TfmMainBase::TopRow() const { return CurrentListView()->indexAt(QPoint(2, 2)).row(); }

QAbstractItemView* TfmMainBase::CurrentListView() const
{
    return Folders().List.IconStyle() ? static_cast<QAbstractItemView*>(lvMainIcons) : lvMain;
}

void TfmMainBase::RefreshView()
{
    Folders().RefreshView(TopRow());
    UpdateActions();
}

void TfmMainBase::ResetView()
{
    Folders().ResetView();
    UpdateActions();
}

void TfmMainBase::UpdateCaption()
{
    setWindowTitle(QStringLiteral("%1 - %2").arg(ApplicationTitle(), Root().GetDisplayText()));
}

void TfmMainBase::UpdateActions()
{
    TFolderTree& folders = Folders();
    pnTree->setVisible(!ShowFolderPane() || folders.CanHaveChildren(folders.RootNode));
    acShowEmptyFolders->setEnabled(folders.GroupFields().Count() > 0);
    acShowEmptyFolders->setChecked(folders.ShowEmptyFolders);
    const TTreeNode* node = folders.SelectedNode();
    acUp->setEnabled(node && node->Level() > 0);
    const TFilterFieldRefList& filter = CurrentFilter();
    acEditFilter->setEnabled(folders.SelectionUnderRoot());
    acEnableFilter->setEnabled(folders.SelectionUnderRoot() && !filter.IsEmpty());
    acEnableFilter->setChecked(filter.IsActive());
    RefreshStatus();
    ShowDetails();
}

void TfmMainBase::ShowDetails() { pnDetails->SetItem(Folders().CurrentItem()); }

void TfmMainBase::DetailsPanelMoved() { pnDetails->SetCollapsed(pnRight->sizes().value(1) == 0); }

void TfmMainBase::DetailsCoverDropped(bool changed)
{
    if (changed)
        acSaveExecute();
    RefreshView();
}

void TfmMainBase::DropOnFolder(TTreeNode* target, bool fromTree)
{
    TFolderTree& folders = Folders();
    TDataRefList items;
    folders.DroppedItems(items, fromTree);
    if (items.IsEmpty())
        return;
    folders.SnapshotState(TopRow());
    if (!folders.DropOnNode(items, target))
        return;
    acSaveExecute();
    folders.RebuildTree();
    folders.RestoreState(nullptr, true);
    UpdateActions();
}

void TfmMainBase::RefreshStatus()
{
    pnCount->setText(Folders().CountText());
    pnFilter->setText(FilterPaneText(CurrentFilter()));
    RefreshSelectionPane();
    ShowSortIndicator();
}

void TfmMainBase::RefreshSelectionPane() { pnSelection->setText(Folders().SelectionText()); }

void TfmMainBase::ListSelectionChanged()
{
    if (Folders().Updating)
        return;
    UpdateActions();
}

void TfmMainBase::ShowSortIndicator()
{
    if (Folders().ListKind() == lkNothing)
        return;
    bool ascending = true;
    const int column = Folders().SortIndicatorColumn(&ascending);
    const QList<TItemListModel::TColumn>& columns = Folders().List.Columns();
    lvMain->SortIndicator(column >= 0 ? columns[column].Tag : std::numeric_limits<int>::min(), ascending);
}

void TfmMainBase::ApplyColumnWidths()
{
    const QList<TItemListModel::TColumn>& columns = Folders().List.Columns();
    QHeaderView* header = lvMain->header();
    const QSignalBlocker blocker(header);
    for (int i = 0; i < columns.size() && i < header->count(); ++i)
        header->resizeSection(i, columns[i].Width);
}

void TfmMainBase::SetListStyle(bool icons)
{
    Folders().List.SetIconStyle(icons);
    lvMain->setVisible(!icons);
    lvMainIcons->setVisible(icons);
    acIconView->setChecked(icons);
    acListView->setChecked(!icons);
}

void TfmMainBase::acIconViewExecute()
{
    SetListStyle(true);
    UpdateActions();
}

void TfmMainBase::acListViewExecute()
{
    SetListStyle(false);
    UpdateActions();
}

void TfmMainBase::acResetToolbarExecute()
{
    restoreState(FDefaultToolbarState);
    for (QAction* show : FShowBarActions)
        if (!show->isChecked())
            show->trigger();
    HideEmptyToolbars();
}

// ---------------------------------------------------------------------------------------------------
// Filter

TFilterFieldRefList& TfmMainBase::CurrentFilter() const
{
    return Folders().FilterFieldsFor(Folders().ViewMode);
}

void TfmMainBase::acEditFilterExecute()
{
    TFilterFieldRefList& filter = CurrentFilter();
    if (TfmFilterBaseNew::Execute(this, Root(), filter) != TfmFilterBaseNew::mrOK)
        return;
    ApplyEditedFilter(filter);
    ResetView();
}

void TfmMainBase::acEnableFilterExecute(bool enabled)
{
    CurrentFilter().Enabled = enabled;
    ResetView();
}

// ---------------------------------------------------------------------------------------------------
// Folder menus

void TfmMainBase::BuildFolderMenus()
{
    for (QMenu* menu : {pmFolders, pmTreeFolders, miFolders})
        FillFolderMenu(menu);
    laTreeFolders->setText(Folders().FolderLabel());
}

void TfmMainBase::FillFolderMenu(QMenu* menu)
{
    // The entry being triggered may be the one rebuilding the menu: old entries go later.
    for (QObject* old : menu->children())
        if (qobject_cast<QAction*>(old) || qobject_cast<QActionGroup*>(old)) {
            if (auto* action = qobject_cast<QAction*>(old))
                menu->removeAction(action);
            old->deleteLater();
        }
    menu->clear();
    auto* group = new QActionGroup(menu);
    TFolderTree& folders = Folders();
    auto entry = [&](const QString& caption, int tag, int image) {
        QAction* action = menu->addAction(FGlobal->SmallIcon(image), caption);
        action->setCheckable(true);
        action->setChecked(tag == folders.CurrentPreset);
        action->setData(tag);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, tag] {
            if (tag == -1)
                acNoFoldersExecute();
            else
                miFolderPresetClick(tag);
        });
    };
    entry(QStringLiteral("No Folders"), -1, 9);
    menu->addSeparator();
    for (int preset = 0; preset < folders.Presets().size(); ++preset)
        entry(folders.PresetCaption(preset), preset, 8);
}

void TfmMainBase::miFolderPresetClick(int preset)
{
    TFolderTree& folders = Folders();
    folders.ApplyPreset(preset);
    folders.CurrentPreset = preset;
    BuildFolderMenus();
    folders.ClearState();
    folders.RebuildTree();
    folders.RestoreState(nullptr, true);
    PresetChanged();
    UpdateActions();
}

// ---------------------------------------------------------------------------------------------------
// Keyboard, mouse and type-ahead

bool TfmMainBase::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && watched == lvMain)
        Folders().ListViewWidth = lvMain->width();
    if (event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Backspace) {
        Folders().GoUp();
        return true;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && watched != tvMain) {
        ListEnter();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfmMainBase::ListEnter()
{
    TFolderTree& folders = Folders();
    if (folders.List.FirstSelectedRow() < 0)
        return;
    // Editing comes with the edit dialogs; opening in the tree is always there.
    if (folders.ListKind() == lkFolders || EnterAction() == 1)
        folders.OpenFocusedInTree();
}

void TfmMainBase::ListTypeAhead(const QString& text)
{
    if (!FSearchTime.isValid() || FSearchTime.elapsed() > QApplication::keyboardInputInterval())
        FSearchText.clear();
    FSearchTime.start();
    FSearchText += text;
    pnSearch->setText(FSearchText);
    const int row = Folders().FindRow(FSearchText);
    if (row >= 0)
        Folders().List.SelectRow(row);
}

void TfmMainBase::TreeContextMenu(const QPoint& position)
{
    const QModelIndex index = tvMain->indexAt(position);
    if (index.isValid())
        Folders().SelectNode(TFolderTreeModel::NodeOf(index));
    pmTree->popup(tvMain->viewport()->mapToGlobal(position));
}

void TfmMainBase::BringToFront()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

// ---------------------------------------------------------------------------------------------------
// Settings

QList<TfmMainBase::TStoredList> TfmMainBase::StoredFieldLists()
{
    TFolderTree& folders = Folders();
    return {{&folders.ItemColumnFields, QStringLiteral("ItemColumnFields")},
            {&folders.ItemSortFields, QStringLiteral("ItemSortFields")},
            {&folders.ItemIndexSortFields, QStringLiteral("ItemIndexSortFields")},
            {&folders.ItemFilterFields, QStringLiteral("ItemFilterFields")},
            {&folders.CustomGroupFields, QStringLiteral("CustomGroupFields")}};
}

void TfmMainBase::LoadSettings()
{
    TSettingsStore& settings = Prefs().Settings();
    TFolderTree& folders = Folders();
    SetListStyle(settings.ReadInteger(Section, QStringLiteral("ListViewStyle"), 3) == 0);
    folders.GroupSortOrder = settings.ReadInteger(Section, QStringLiteral("GroupSortOrder"), 1) < 0 ? -1 : 1;
    if (!PresetSettingName().isEmpty())
        folders.CurrentPreset = settings.ReadInteger(Section, PresetSettingName(), folders.DefaultPreset());
    folders.ShowEmptyFolders = settings.ReadBool(Section, QStringLiteral("Show Empty Folders"), false);
    XmlExportFile = settings.ReadString(Section, QStringLiteral("XML Export File"), QString());
    for (auto [list, key] : StoredFieldLists()) {
        list->FreeAll();
        list->ReadFromSettings(settings, key);
    }
    FDefaultToolbarState = saveState();
    RestorePlacement(this);
    LoadPanels(settings);
    LoadToolbars(settings);
}

void TfmMainBase::SaveSettings()
{
    TSettingsStore& settings = Prefs().Settings();
    TFolderTree& folders = Folders();
    settings.WriteInteger(Section, QStringLiteral("ListViewStyle"), folders.List.IconStyle() ? 0 : 3);
    settings.WriteInteger(Section, QStringLiteral("GroupSortOrder"), folders.GroupSortOrder);
    if (!PresetSettingName().isEmpty())
        settings.WriteInteger(Section, PresetSettingName(), folders.CurrentPreset);
    settings.WriteBool(Section, QStringLiteral("Show Empty Folders"), folders.ShowEmptyFolders);
    settings.WriteString(Section, QStringLiteral("XML Export File"), XmlExportFile);
    for (auto [list, key] : StoredFieldLists()) {
        settings.EraseSection(key);
        list->WriteToSettings(settings, key);
    }
    SavePanels(settings);
    SaveToolbars(settings);
}

void TfmMainBase::LoadPanels(TSettingsStore& settings)
{
    FTreeWidth = std::max(1, settings.ReadInteger(PanelSection("pnTree"), QStringLiteral("Width"), 190));
    const bool treeClosed = settings.ReadBool(PanelSection("pnTree"), QStringLiteral("Closed"), false);
    pnExplorer->setSizes({treeClosed ? 0 : FTreeWidth, std::max(100, this->width() - FTreeWidth)});
    FInfoHeight = std::max(1, settings.ReadInteger(PanelSection("pnInfo"), QStringLiteral("Height"), 200));
    const bool infoClosed = settings.ReadBool(PanelSection("pnInfo"), QStringLiteral("Closed"), false);
    pnRight->setSizes({std::max(100, this->height() - FInfoHeight), infoClosed ? 0 : FInfoHeight});
    DetailsPanelMoved();
}

void TfmMainBase::NotePanelSizes()
{
    // A hidden folder pane (contents view without folders) reports no size; it is not collapsed.
    if (const int width = pnExplorer->sizes().value(0); width > 0 && !pnTree->isHidden())
        FTreeWidth = width;
    if (const int height = pnRight->sizes().value(1); height > 0)
        FInfoHeight = height;
}

void TfmMainBase::SavePanels(TSettingsStore& settings)
{
    NotePanelSizes();
    // The list fills the rest of the window and keeps no size of its own.
    if (!pnTree->isHidden()) {
        settings.WriteBool(PanelSection("pnTree"), QStringLiteral("Closed"),
                           pnExplorer->sizes().value(0) == 0);
        settings.WriteInteger(PanelSection("pnTree"), QStringLiteral("Width"), FTreeWidth);
    }
    settings.WriteBool(PanelSection("pnInfo"), QStringLiteral("Closed"), pnRight->sizes().value(1) == 0);
    settings.WriteInteger(PanelSection("pnInfo"), QStringLiteral("Height"), FInfoHeight);
}

void TfmMainBase::LoadToolbars(TSettingsStore& settings)
{
    const QByteArray state = settings.ReadBinary(Section, QStringLiteral("Toolbars"));
    if (!state.isEmpty())
        restoreState(state);
    for (QToolBar* bar : {tbFile, tbEdit, tbView, tbSearch, tbLoans, tbLogo})
        bar->setVisible(settings.ReadBool(PanelSection(bar->objectName()), QStringLiteral("Visible"), true));
    HideEmptyToolbars();
}

void TfmMainBase::HideEmptyToolbars()
{
    // A toolbar whose commands are not there yet shows nothing but its handle.
    for (QToolBar* bar : {tbEdit, tbSearch, tbLoans})
        if (bar->actions().isEmpty()) {
            bar->hide();
            bar->toggleViewAction()->setEnabled(false);
        }
}

void TfmMainBase::SaveToolbars(TSettingsStore& settings)
{
    settings.WriteBinary(Section, QStringLiteral("Toolbars"), saveState());
    for (QToolBar* bar : {tbFile, tbEdit, tbView, tbSearch, tbLoans, tbLogo}) {
        const QString section = PanelSection(bar->objectName());
        const QRect bounds = bar->geometry();
        settings.WriteInteger(section, QStringLiteral("Top"), bounds.top());
        settings.WriteInteger(section, QStringLiteral("Left"), bounds.left());
        settings.WriteInteger(section, QStringLiteral("Right"), bounds.right() + 1);
        settings.WriteInteger(section, QStringLiteral("Bottom"), bounds.bottom() + 1);
        // A bar hidden because none of its commands exist yet keeps the user's choice.
        if (bar->toggleViewAction()->isEnabled())
            settings.WriteBool(section, QStringLiteral("Visible"), !bar->isHidden());
    }
}

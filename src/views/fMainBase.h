#pragma once
// The generic main window of a collection program: folder tree, item list, details panel, status bar,
// toolbars and menus, the collection commands New, Open, Save, Save As and Exit, the close question,
// the window's settings and the refresh sequences. The grouping and listing logic lives in TFolderTree.

#include "views/fQuorvaneListView.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <memory>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;
class QToolButton;
class TFilterFieldRefList;
class TRootItem;
class TFolderTree;
class TfmDetails;
struct TTreeNode;
class TdmGlobal;
class TSettingsStore;

class TfmMainBase : public QMainWindow {
    Q_OBJECT

public:
    ~TfmMainBase() override;

    TRootItem& Root() const { return *FRoot; }
    TFolderTree& Folders() const { return *FFolders; }

    // The collection commands; Save is also the automatic save after every change.
    void acNewExecute();
    void acOpenExecute();
    bool acSaveExecute();
    void acSaveAsExecute() { SaveAsDialog(); }
    // Asks for a file name and saves there; whether it was saved.
    bool SaveAsDialog();

    void RefreshView();
    void ResetView();
    void UpdateActions();
    // Renders the current item in the details panel.
    void ShowDetails();
    void UpdateCaption();
    void BuildFolderMenus();

    // Raises the window, restored when it was minimised (a second start asks for this).
    void BringToFront();

protected:
    explicit TfmMainBase(QWidget* parent = nullptr);
    // Window creation, called by the most derived constructor: the root (made here unless one is
    // given), the data module, the field lists and, without a given root, the start collection.
    void FormCreate(std::unique_ptr<TRootItem> preparedRoot, const QString& startFile);

    virtual std::unique_ptr<TRootItem> CreateRoot() = 0;
    virtual std::unique_ptr<TFolderTree> CreateFolderTree(TRootItem& root);
    // The field lists kept in the settings, with the names they are kept under.
    using TStoredList = std::pair<class TDataFieldRefList*, QString>;
    virtual QList<TStoredList> StoredFieldLists();
    virtual void LoadSettings();
    virtual void SaveSettings();
    virtual bool ShowFolderPane() const { return true; }
    // Windows of this family without a details page hide the panel.
    virtual bool HasDetailsView() const { return true; }
    // What Enter or a double click on an item row does: 0 edit, 1 open it in the tree.
    virtual int EnterAction() const { return 1; }
    // The setting that keeps the preset; empty when a layer keeps presets its own way.
    virtual QString PresetSettingName() const { return QStringLiteral("GroupFieldPreset"); }
    // After the grouping changed through a folder menu.
    virtual void PresetChanged() {}
    // Items dragged from the tree or the list were dropped on a node: on a folder they take its
    // values; when that changed anything the collection is saved and the tree rebuilt.
    void DropOnFolder(TTreeNode* target, bool fromTree);

    // At the first idle moment after the window is shown: looks for a newer version when one is due.
    virtual void CheckForUpdateOnStart();

    virtual void acIconViewExecute();
    virtual void acListViewExecute();
    virtual void acResetToolbarExecute();
    virtual void miFolderPresetClick(int preset);
    virtual void acNoFoldersExecute() { miFolderPresetClick(-1); }
    void acEditFilterExecute();
    void acEnableFilterExecute(bool enabled);

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    QAction* NewAction(const QString& name, const QString& caption, const QString& hint, const QString& icon);
    void SetListStyle(bool icons);

    // Components, named as the program names them.
    QWidget* pnTree = nullptr;
    QToolButton* laTreeFolders = nullptr;
    QTreeView* tvMain = nullptr;
    TQuorvaneListView* lvMain = nullptr;
    TQuorvaneIconView* lvMainIcons = nullptr;
    TfmDetails* pnDetails = nullptr;
    QSplitter* pnExplorer = nullptr;
    QSplitter* pnRight = nullptr;
    QLabel* pnCount = nullptr;
    QLabel* pnSelection = nullptr;
    QLabel* pnSearch = nullptr;
    QLabel* pnFilter = nullptr;
    QToolBar* tbFile = nullptr;
    QToolBar* tbEdit = nullptr;
    QToolBar* tbView = nullptr;
    QToolBar* tbSearch = nullptr;
    QToolBar* tbLoans = nullptr;
    QToolBar* tbLogo = nullptr;
    QToolButton* btFolders = nullptr;
    QMenu* miFile = nullptr;
    QMenu* miEdit = nullptr;
    QMenu* miView = nullptr;
    QMenu* miSearch = nullptr;
    QMenu* miSettings = nullptr;
    QMenu* miInternet = nullptr;
    QMenu* miHelp = nullptr;
    QMenu* miFolders = nullptr;
    QMenu* pmFolders = nullptr;
    QMenu* pmTreeFolders = nullptr;
    QMenu* pmTree = nullptr;
    QMenu* pmList = nullptr;
    QMenu* pmToolbar = nullptr;
    QAction *acNew, *acOpen, *acSave, *acSaveAs, *acExit;
    QAction *acSelectAll, *acShowEmptyFolders, *acNoFolders, *acListView, *acIconView, *acRefresh, *acUp;
    QAction *acEditFilter, *acEnableFilter;
    QAction *acResetToolbar, *acManual, *acSupport, *acAbout;
    QAction *acVersionCheck, *acWebAffiliate;
    QList<QAction*> FShowBarActions;
    QElapsedTimer FSearchTime;
    QString FSearchText;
    QString XmlExportFile;
    std::unique_ptr<TdmGlobal> FGlobal;

private:
    void CreateActions();
    void CreateMenus();
    // The maker's web pages, the affiliate entry when the preferences name one, the update check.
    void FillInternetMenu();
    void CreateToolbars();
    void CreateViews();
    void ConnectModels();
    void FormShow();
    void FormClose();
    void LoadStartFile(const QString& startFile);
    void LoadPanels(TSettingsStore& settings);
    void SavePanels(TSettingsStore& settings);
    void NotePanelSizes();
    void LoadToolbars(TSettingsStore& settings);
    void SaveToolbars(TSettingsStore& settings);
    void HideEmptyToolbars();
    void FillFolderMenu(QMenu* menu);
    void RefreshStatus();
    void RefreshSelectionPane();
    void ShowSortIndicator();
    void ApplyColumnWidths();
    void ListEnter();
    void ListTypeAhead(const QString& text);
    void TreeContextMenu(const QPoint& position);
    void ListSelectionChanged();
    void DetailsPanelMoved();
    void DetailsCoverDropped(bool changed);
    // The filter of the current view mode.
    TFilterFieldRefList& CurrentFilter() const;
    // Forgets the tree, the list and the details page before the collection is emptied or replaced.
    void ReleaseCollection();
    // Does with the collection in hand what closing does: saves it, or asks about one never saved
    // (`evenEmpty`: also when it holds nothing). False: keep it, the user cancelled or saving failed.
    bool SaveBeforeLeaving(bool evenEmpty);
    bool IsDemoCollection() const;
    QString FileFilter() const;
    int TopRow() const;
    QAbstractItemView* CurrentListView() const;

    std::unique_ptr<TRootItem> FRoot;
    std::unique_ptr<TFolderTree> FFolders;
    QByteArray FDefaultToolbarState;
    bool FShown = false;
    bool FClosed = false;
    // The panels' last sizes while open; a collapsed panel keeps them for the next start.
    int FTreeWidth = 190;
    int FInfoHeight = 200;
};

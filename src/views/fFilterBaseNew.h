#pragma once
// The filter dialog: edits the conditions of a view's filter in a grid, one row per condition, with
// AND/OR and case sensitivity. It works on copies and writes them back only when it ends with OK.

#include <QDialog>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QCheckBox;
class QMenu;
class QRadioButton;
class QStatusBar;
class QTableWidget;
class TDataField;
class TFilterField;
class TFilterFieldRefList;
class TFilterCellDelegate;
class TRootItem;

class TfmFilterBaseNew : public QDialog {
    Q_OBJECT

public:
    enum TModalResult { mrOK = 1, mrCancel = 2 };

    TfmFilterBaseNew(QWidget* owner, TRootItem& root, TFilterFieldRefList& filter);
    ~TfmFilterBaseNew() override;

    // Runs the dialog modally for `filter` (its item kind decides the fields offered) and returns mrOK or
    // mrCancel; only OK changes the filter.
    static int Execute(QWidget* owner, TRootItem& root, TFilterFieldRefList& filter);

    // Called with the running dialog once its event loop has started; whatever it leaves open is
    // cancelled afterwards. Tests drive the modal dialog through it.
    using TTestHook = std::function<void(TfmFilterBaseNew&)>;
    static void SetTestHook(TTestHook hook);

    // The commands, public so that the toolbar, the keys and tests reach the same code.
    void AddCondition(TDataField* field);
    void acEditFilterExecute();
    void acRemoveFilterExecute();
    void btClearFilterClick();
    void btOKClick();
    // Commits the value of an open cell editor into its condition.
    void EndEdit();

    // The condition of a grid row, or none for an empty row.
    TFilterField* RowCondition(int row) const;
    QString FilterText() const;

    // Used by the cell editors.
    QWidget* CreateEditor(QWidget* parent, int row, int column) const;
    void LoadEditor(QWidget* editor, int row, int column) const;
    void StoreEditor(QWidget* editor, int row, int column);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildFieldMenu();
    void LoadFilter();
    int AppendRow();
    void ShowCondition(int row, bool withValues);
    void RefreshCell(int row, int column);
    void RemoveRow(int row);
    void UpdateStatus();
    void UpdateActions();
    QWidget* OpenEditor() const;
    bool GridKeyPress(int key);

    TRootItem& FRoot;
    TFilterFieldRefList& FFilter;
    // Dates read year, month, day everywhere while the dialog exists.
    QString FSavedDateFormat;
    std::vector<std::unique_ptr<TFilterField>> FConditions;  // one per grid row

    QTableWidget* sgFilter;
    TFilterCellDelegate* FDelegate;
    QMenu* pmFields;
    QAction* acEditFilter;
    QAction* acRemoveFilter;
    QRadioButton* rbAnd;
    QRadioButton* rbOr;
    QCheckBox* cbCaseSensitive;
    QStatusBar* sbFilter;
};

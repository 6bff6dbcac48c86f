#include "views/fFilterBaseNew.h"

#include "app/fFormPlacement.h"
#include "model/cDataText.h"
#include "model/cData_FieldRefs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

// Opens the cell editors of the value columns through the dialog, which knows the conditions.
class TFilterCellDelegate : public QStyledItemDelegate {
public:
    explicit TFilterCellDelegate(TfmFilterBaseNew* form) : QStyledItemDelegate(form), FForm(form) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override
    {
        return FForm->CreateEditor(parent, index.row(), index.column());
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        FForm->LoadEditor(editor, index.row(), index.column());
    }
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        FForm->StoreEditor(editor, index.row(), index.column());
    }
    // Ends an edit as leaving the cell would: the value is kept.
    void Finish(QWidget* editor)
    {
        emit commitData(editor);
        emit closeEditor(editor);
    }

private:
    TfmFilterBaseNew* FForm;
};

namespace {

enum class TValueKind { None, Boolean, Integer, Date, Float, Lookup, Text };

TValueKind KindOf(const TFilterField* condition)
{
    if (!condition)
        return TValueKind::None;
    if (dynamic_cast<const TBoolFilterField*>(condition))
        return TValueKind::Boolean;
    if (dynamic_cast<const TIntegerFilterField*>(condition))
        return TValueKind::Integer;
    if (dynamic_cast<const TDateFilterField*>(condition))
        return TValueKind::Date;
    if (dynamic_cast<const TFloatFilterField*>(condition))
        return TValueKind::Float;
    if (dynamic_cast<const TLookupStringFilterField*>(condition)
        || dynamic_cast<const TCreditFilterField*>(condition))
        return TValueKind::Lookup;
    if (dynamic_cast<const TStringFilterField*>(condition))
        return TValueKind::Text;
    return TValueKind::None;
}

bool IsRange(const TFilterField* condition) { return dynamic_cast<const TRangedFilterField*>(condition); }

std::unique_ptr<TFilterField> Copy(TFilterField& condition)
{
    return std::unique_ptr<TFilterField>(
        static_cast<TFilterField*>(condition.Clone(condition.Parent, condition.Container, true).release()));
}

// A spin edit that may be left blank; blank stands for -1, no bound (the minimum, which is how the
// spin box reads an empty text).
template <class TBase>
class TBlankSpin : public TBase {
public:
    using TValue = decltype(std::declval<TBase>().value());
    explicit TBlankSpin(QWidget* parent) : TBase(parent) { this->setMinimum(-1); }

protected:
    QString textFromValue(TValue value) const override
    {
        return value == -1 ? QString() : TBase::textFromValue(value);
    }
    QValidator::State validate(QString& text, int& pos) const override
    {
        return text.trimmed().isEmpty() ? QValidator::Acceptable : TBase::validate(text, pos);
    }
};
using TIntegerEdit = TBlankSpin<QSpinBox>;
using TFloatEdit = TBlankSpin<QDoubleSpinBox>;

// The separator of the system's short date format, for dates that read year, month, day.
QString DateSeparator()
{
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    const auto it = std::find_if(format.begin(), format.end(), [](QChar c) { return !c.isLetter(); });
    return it == format.end() ? QStringLiteral("/") : QString(*it);
}

// A date picker with a check box; unchecked means no date (-1).
class TDateBoundEdit : public QWidget {
public:
    explicit TDateBoundEdit(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("pnDate"));
        setAutoFillBackground(true);
        FCheck->setObjectName(QStringLiteral("cbDate"));
        FDate->setObjectName(QStringLiteral("dtDate"));
        const QString separator = DateSeparator();
        FDate->setDisplayFormat(QStringLiteral("yyyy") + separator + QStringLiteral("MM") + separator
                                + QStringLiteral("dd"));
        FDate->setCalendarPopup(true);
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(FCheck);
        layout->addWidget(FDate, 1);
        setFocusProxy(FDate);
        connect(FCheck, &QCheckBox::toggled, FDate, &QWidget::setEnabled);
    }

    void SetDayNumber(double day)
    {
        FCheck->setChecked(day != -1);
        FDate->setEnabled(day != -1);
        FDate->setDate(day == -1 ? QDate::currentDate() : DayNumberToDate(day));
    }
    double DayNumber() const { return FCheck->isChecked() ? DateToDayNumber(FDate->date()) : -1; }

private:
    QCheckBox* FCheck = new QCheckBox(this);
    QDateEdit* FDate = new QDateEdit(this);
};

QStringList PickListNames(TRootItem& root, const TDataField* field)
{
    QStringList names;
    if (TLookupList* list = root.LookupListForField(field))
        for (const TLookupList::TLine& line : list->FillStrings(true))
            names << line.Text;
    return names;
}

TfmFilterBaseNew::TTestHook& TestHook()
{
    static TfmFilterBaseNew::TTestHook hook;
    return hook;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Building the dialog

TfmFilterBaseNew::TfmFilterBaseNew(QWidget* owner, TRootItem& root, TFilterFieldRefList& filter)
    : QDialog(owner), FRoot(root), FFilter(filter), FSavedDateFormat(ShortDateFormatOverride())
{
    const QString separator = DateSeparator();
    SetShortDateFormatOverride(QStringLiteral("yyyy") + separator + QStringLiteral("MM") + separator
                               + QStringLiteral("dd"));
    setObjectName(QStringLiteral("fmFilterBaseNew"));
    setWindowTitle(QStringLiteral("Filter"));

    pmFields = new QMenu(this);
    pmFields->setObjectName(QStringLiteral("pmFields"));
    auto* tbFilter = new QToolBar;
    tbFilter->setObjectName(QStringLiteral("tbFilter"));
    auto* btAddFilter = new QToolButton;
    btAddFilter->setObjectName(QStringLiteral("btAddFilter"));
    btAddFilter->setText(QStringLiteral("Add"));
    btAddFilter->setToolTip(QStringLiteral("Add Filter Field (Ins)"));
    btAddFilter->setMenu(pmFields);
    btAddFilter->setPopupMode(QToolButton::InstantPopup);
    tbFilter->addWidget(btAddFilter);
    acEditFilter = tbFilter->addAction(QStringLiteral("Edit"), this, &TfmFilterBaseNew::acEditFilterExecute);
    acEditFilter->setObjectName(QStringLiteral("acEditFilter"));
    acEditFilter->setToolTip(QStringLiteral("Edit Filter Field (F2)"));
    acEditFilter->setShortcut(Qt::Key_F2);
    acRemoveFilter =
        tbFilter->addAction(QStringLiteral("Remove"), this, &TfmFilterBaseNew::acRemoveFilterExecute);
    acRemoveFilter->setObjectName(QStringLiteral("acRemoveFilter"));
    acRemoveFilter->setToolTip(QStringLiteral("Remove Filter Field"));

    sgFilter = new QTableWidget(0, 3);
    sgFilter->setObjectName(QStringLiteral("sgFilter"));
    sgFilter->setHorizontalHeaderLabels({QStringLiteral("Field"), QStringLiteral("Value"), QString()});
    sgFilter->verticalHeader()->hide();
    sgFilter->setWordWrap(true);
    sgFilter->setShowGrid(true);
    sgFilter->setSelectionMode(QAbstractItemView::SingleSelection);
    sgFilter->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                              | QAbstractItemView::SelectedClicked);
    for (const auto& [column, width] : {std::pair{0, 113}, {1, 137}, {2, 139}})
        sgFilter->setColumnWidth(column, width);
    FDelegate = new TFilterCellDelegate(this);
    sgFilter->setItemDelegate(FDelegate);
    sgFilter->setContextMenuPolicy(Qt::CustomContextMenu);
    sgFilter->installEventFilter(this);
    connect(sgFilter, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pmFields->popup(sgFilter->viewport()->mapToGlobal(at)); });
    connect(sgFilter, &QTableWidget::currentCellChanged, this, &TfmFilterBaseNew::UpdateActions);

    auto* rgCombination = new QGroupBox(QStringLiteral("&Combination"));
    rgCombination->setObjectName(QStringLiteral("rgCombination"));
    rbAnd = new QRadioButton(QStringLiteral("AND"));
    rbAnd->setObjectName(QStringLiteral("rbAnd"));
    rbOr = new QRadioButton(QStringLiteral("OR"));
    rbOr->setObjectName(QStringLiteral("rbOr"));
    auto* combination = new QHBoxLayout(rgCombination);
    combination->addWidget(rbAnd);
    combination->addWidget(rbOr);
    connect(rbOr, &QRadioButton::toggled, this, &TfmFilterBaseNew::UpdateStatus);
    cbCaseSensitive = new QCheckBox(QStringLiteral("Case &Sensitive"));
    cbCaseSensitive->setObjectName(QStringLiteral("cbCaseSensitive"));

    auto* btClearFilter = new QPushButton(QStringLiteral("&Clear Filter"));
    btClearFilter->setObjectName(QStringLiteral("btClearFilter"));
    btClearFilter->setAutoDefault(false);
    auto* btOK = new QPushButton(QStringLiteral("OK"));
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    auto* btCancel = new QPushButton(QStringLiteral("Cancel"));
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btCancel->setAutoDefault(false);
    connect(btClearFilter, &QPushButton::clicked, this, &TfmFilterBaseNew::btClearFilterClick);
    connect(btOK, &QPushButton::clicked, this, &TfmFilterBaseNew::btOKClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

    sbFilter = new QStatusBar;
    sbFilter->setObjectName(QStringLiteral("sbFilter"));
    sbFilter->setSizeGripEnabled(false);

    auto* options = new QHBoxLayout;
    options->addWidget(rgCombination);
    options->addWidget(cbCaseSensitive);
    options->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btClearFilter);
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tbFilter);
    layout->addWidget(sgFilter, 1);
    layout->addLayout(options);
    layout->addLayout(buttons);
    layout->addWidget(sbFilter);
    resize(440, 300);

    BuildFieldMenu();
    LoadFilter();
}

TfmFilterBaseNew::~TfmFilterBaseNew() { SetShortDateFormatOverride(FSavedDateFormat); }

int TfmFilterBaseNew::Execute(QWidget* owner, TRootItem& root, TFilterFieldRefList& filter)
{
    TfmFilterBaseNew form(owner, root, filter);
    CenterOver(&form, owner);
    RestorePlacement(&form);
    if (TestHook())
        QTimer::singleShot(0, &form, [&form] {
            TestHook()(form);
            if (form.isVisible())
                form.reject();
        });
    const int result = form.exec() == QDialog::Accepted ? mrOK : mrCancel;
    SavePlacement(&form);
    return result;
}

void TfmFilterBaseNew::SetTestHook(TTestHook hook) { TestHook() = std::move(hook); }

// One submenu per field category with the fields that apply to the filter's item kind; in the view of
// sections, the parent's category also offers the fields of books only, which sections are tested on.
void TfmFilterBaseNew::BuildFieldMenu()
{
    const TMetaInfo& meta = *FRoot.MetaInfo;
    const int kind = FFilter.ItemKind;
    const bool sectionView = kind == FRoot.ChildItemKind();
    const TItemKinds parentOnly = Kinds({ikMain});
    for (int category = 0; category < meta.FieldGroups.size(); ++category) {
        const QString& caption = meta.FieldGroups.at(category);
        const bool withParentFields = sectionView && caption == FRoot.ParentFieldGroup();
        std::vector<TDataField*> fields;
        for (TDataItem* item : meta.Fields) {
            auto* field = static_cast<TDataField*>(item);
            if ((field->Category == category && field->ItemKinds.test(kind))
                || (withParentFields && field->ItemKinds == parentOnly))
                fields.push_back(field);
        }
        if (fields.empty())
            continue;
        std::sort(fields.begin(), fields.end(), [](const TDataField* a, const TDataField* b) {
            return a->GetDisplayName() < b->GetDisplayName();
        });
        QMenu* submenu = pmFields->addMenu(caption);
        for (TDataField* field : fields) {
            QAction* entry =
                submenu->addAction(field->GetDisplayName(), this, [this, field] { AddCondition(field); });
            entry->setData(field->ID);
        }
    }
}

void TfmFilterBaseNew::LoadFilter()
{
    (FFilter.Combination == 1 ? rbOr : rbAnd)->setChecked(true);
    cbCaseSensitive->setChecked(FFilter.CaseSensitive);
    for (int i = 0; i < FFilter.Count(); ++i) {
        const int row = AppendRow();
        FConditions[row] = Copy(*FFilter.Condition(i));
        ShowCondition(row, true);
    }
    if (sgFilter->rowCount() == 0)
        AppendRow();
    sgFilter->setCurrentCell(0, 1);
    UpdateStatus();
    UpdateActions();
}

// ---------------------------------------------------------------------------------------------------
// Rows

int TfmFilterBaseNew::AppendRow()
{
    const int row = sgFilter->rowCount();
    sgFilter->insertRow(row);
    auto* name = new QTableWidgetItem;
    name->setFlags(name->flags() & ~Qt::ItemIsEditable);
    sgFilter->setItem(row, 0, name);
    sgFilter->setItem(row, 1, new QTableWidgetItem);
    sgFilter->setItem(row, 2, new QTableWidgetItem);
    FConditions.emplace_back();
    return row;
}

void TfmFilterBaseNew::ShowCondition(int row, bool withValues)
{
    const TFilterField* condition = RowCondition(row);
    sgFilter->item(row, 0)->setText(condition->Field->GetDisplayNamePlain());
    // Rows that take a condition never carry a span yet.
    if (!IsRange(condition))
        sgFilter->setSpan(row, 1, 1, 2);
    for (int column : {1, 2})
        if (withValues)
            RefreshCell(row, column);
        else
            sgFilter->item(row, column)->setText(QString());
}

void TfmFilterBaseNew::RefreshCell(int row, int column)
{
    const TFilterField* condition = RowCondition(row);
    QString text;
    if (auto* range = dynamic_cast<const TRangedFilterField*>(condition))
        text = column == 1 ? range->GetLowerText() : range->GetUpperText();
    else if (column == 1)
        text = condition->GetValueText();
    sgFilter->item(row, column)->setText(text);
}

void TfmFilterBaseNew::RemoveRow(int row)
{
    FConditions.erase(FConditions.begin() + row);
    sgFilter->removeRow(row);
    if (sgFilter->rowCount() == 0)
        AppendRow();
}

TFilterField* TfmFilterBaseNew::RowCondition(int row) const
{
    return row >= 0 && row < int(FConditions.size()) ? FConditions[row].get() : nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Commands

void TfmFilterBaseNew::AddCondition(TDataField* field)
{
    std::unique_ptr<TFilterField> condition = field->CreateFilterField();
    EndEdit();
    int row = sgFilter->rowCount() - 1;
    if (RowCondition(row))
        row = AppendRow();
    FConditions[row] = std::move(condition);
    ShowCondition(row, false);
    sgFilter->setCurrentCell(row, 1);
    UpdateStatus();
    UpdateActions();
    acEditFilterExecute();
}

void TfmFilterBaseNew::acEditFilterExecute()
{
    sgFilter->setFocus();
    const int row = std::max(sgFilter->currentRow(), 0);
    const bool upper = sgFilter->currentColumn() == 2 && IsRange(RowCondition(row));
    sgFilter->setCurrentCell(row, upper ? 2 : 1);
    sgFilter->editItem(sgFilter->currentItem());
}

void TfmFilterBaseNew::acRemoveFilterExecute()
{
    EndEdit();
    const int row = sgFilter->currentRow();
    if (row < 0)
        return;
    RemoveRow(row);
    UpdateStatus();
    UpdateActions();
}

void TfmFilterBaseNew::btClearFilterClick()
{
    EndEdit();
    for (int row = sgFilter->rowCount() - 1; row >= 0; --row)
        RemoveRow(row);
    UpdateStatus();
    UpdateActions();
}

void TfmFilterBaseNew::btOKClick()
{
    EndEdit();
    FFilter.Combination = rbOr->isChecked() ? 1 : 0;
    FFilter.CaseSensitive = cbCaseSensitive->isChecked();
    FFilter.FreeAll();
    for (const std::unique_ptr<TFilterField>& condition : FConditions)
        if (condition)
            FFilter.Add(Copy(*condition).release());
    accept();
}

void TfmFilterBaseNew::EndEdit()
{
    if (QWidget* editor = OpenEditor())
        FDelegate->Finish(editor);
}

// Editors open only in the current cell, and the grid holds no other cell widgets.
QWidget* TfmFilterBaseNew::OpenEditor() const { return sgFilter->indexWidget(sgFilter->currentIndex()); }

QString TfmFilterBaseNew::FilterText() const
{
    QStringList parts;
    for (const std::unique_ptr<TFilterField>& condition : FConditions)
        if (condition)
            parts << condition->GetDescription();
    return parts.join(rbOr->isChecked() ? QStringLiteral(" OR ") : QStringLiteral(" AND "));
}

void TfmFilterBaseNew::UpdateStatus() { sbFilter->showMessage(FilterText()); }

void TfmFilterBaseNew::UpdateActions()
{
    const bool hasField = RowCondition(sgFilter->currentRow()) != nullptr;
    acEditFilter->setEnabled(hasField);
    acRemoveFilter->setEnabled(hasField);
}

// ---------------------------------------------------------------------------------------------------
// Cell editors

QWidget* TfmFilterBaseNew::CreateEditor(QWidget* parent, int row, int) const
{
    const TFilterField* condition = RowCondition(row);
    switch (KindOf(condition)) {
    case TValueKind::Boolean: {
        auto* editor = new QComboBox(parent);
        editor->setObjectName(QStringLiteral("cbBoolean"));
        editor->addItems({QStringLiteral("No"), QStringLiteral("Yes"), QStringLiteral("Yes or No")});
        return editor;
    }
    case TValueKind::Integer: {
        auto* editor = new TIntegerEdit(parent);
        editor->setObjectName(QStringLiteral("seInteger"));
        editor->setMaximum(std::numeric_limits<int>::max());
        return editor;
    }
    case TValueKind::Float: {
        auto* editor = new TFloatEdit(parent);
        editor->setObjectName(QStringLiteral("seFloat"));
        editor->setDecimals(2);
        editor->setMaximum(999999);
        return editor;
    }
    case TValueKind::Date:
        return new TDateBoundEdit(parent);
    case TValueKind::Lookup: {
        auto* editor = new QComboBox(parent);
        editor->setObjectName(QStringLiteral("cbLookup"));
        editor->setEditable(true);
        editor->setMaxVisibleItems(15);
        editor->addItems(PickListNames(FRoot, condition->Field));
        return editor;
    }
    case TValueKind::Text: {
        auto* editor = new QLineEdit(parent);
        editor->setObjectName(QStringLiteral("edString"));
        return editor;
    }
    case TValueKind::None:
        break;
    }
    return nullptr;
}

void TfmFilterBaseNew::LoadEditor(QWidget* editor, int row, int column) const
{
    TFilterField* condition = RowCondition(row);
    const bool lower = column == 1;
    switch (KindOf(condition)) {
    case TValueKind::Boolean:
        static_cast<QComboBox*>(editor)->setCurrentIndex(
            static_cast<TBoolFilterField*>(condition)->BoolValue);
        break;
    case TValueKind::Integer: {
        auto* range = static_cast<TIntegerFilterField*>(condition);
        static_cast<TIntegerEdit*>(editor)->setValue(lower ? range->IntValue1 : range->IntValue2);
        break;
    }
    case TValueKind::Float: {
        auto* range = static_cast<TFloatFilterField*>(condition);
        static_cast<TFloatEdit*>(editor)->setValue(lower ? range->FloatValue1 : range->FloatValue2);
        break;
    }
    case TValueKind::Date: {
        auto* range = static_cast<TDateFilterField*>(condition);
        static_cast<TDateBoundEdit*>(editor)->SetDayNumber(lower ? range->DateValue1 : range->DateValue2);
        break;
    }
    case TValueKind::Lookup:
        static_cast<QComboBox*>(editor)->setCurrentText(sgFilter->item(row, column)->text());
        break;
    case TValueKind::Text:
        static_cast<QLineEdit*>(editor)->setText(static_cast<TStringFilterField*>(condition)->StringValue);
        break;
    case TValueKind::None:
        break;
    }
}

void TfmFilterBaseNew::StoreEditor(QWidget* editor, int row, int column)
{
    TFilterField* condition = RowCondition(row);
    const bool lower = column == 1;
    switch (KindOf(condition)) {
    case TValueKind::Boolean:
        static_cast<TBoolFilterField*>(condition)->BoolValue =
            static_cast<QComboBox*>(editor)->currentIndex();
        break;
    case TValueKind::Integer: {
        auto* range = static_cast<TIntegerFilterField*>(condition);
        (lower ? range->IntValue1 : range->IntValue2) = static_cast<TIntegerEdit*>(editor)->value();
        break;
    }
    case TValueKind::Float: {
        auto* range = static_cast<TFloatFilterField*>(condition);
        (lower ? range->FloatValue1 : range->FloatValue2) = static_cast<TFloatEdit*>(editor)->value();
        break;
    }
    case TValueKind::Date: {
        auto* range = static_cast<TDateFilterField*>(condition);
        (lower ? range->DateValue1 : range->DateValue2) = static_cast<TDateBoundEdit*>(editor)->DayNumber();
        break;
    }
    case TValueKind::Lookup:
        static_cast<TStringFilterField*>(condition)->StringValue =
            static_cast<QComboBox*>(editor)->currentText();
        break;
    case TValueKind::Text:
        static_cast<TStringFilterField*>(condition)->StringValue = static_cast<QLineEdit*>(editor)->text();
        break;
    case TValueKind::None:
        return;
    }
    RefreshCell(row, column);
    UpdateStatus();
}

// ---------------------------------------------------------------------------------------------------
// Keys of the grid

bool TfmFilterBaseNew::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == sgFilter && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        return GridKeyPress(key->key());
    }
    return QDialog::eventFilter(watched, event);
}

// Insert offers the fields, Delete removes the condition, and Tab leaves the grid at its ends.
bool TfmFilterBaseNew::GridKeyPress(int key)
{
    const int row = sgFilter->currentRow();
    const int column = sgFilter->currentColumn();
    switch (key) {
    case Qt::Key_Insert: {
        const QRect cell = sgFilter->visualRect(sgFilter->currentIndex());
        pmFields->popup(sgFilter->viewport()->mapToGlobal(cell.bottomLeft()));
        return true;
    }
    case Qt::Key_Delete:
        if (OpenEditor())
            return false;
        acRemoveFilterExecute();
        return true;
    case Qt::Key_Tab: {
        const int lastColumn = sgFilter->columnSpan(row, 1) == 2 ? 1 : 2;
        return row == sgFilter->rowCount() - 1 && column >= lastColumn && focusNextChild();
    }
    case Qt::Key_Backtab:
        return row == 0 && column == 1 && focusPreviousChild();
    default:
        return false;
    }
}

// The filter dialog, driven through its execute routine: conditions added from the field menu and edited
// in their cells, AND/OR and case sensitivity, Cancel, and the main window's side of OK.

#include "DetailsFixture.h"
#include "book/cBookDataBase.h"
#include "model/cDataText.h"
#include "model/cData_FieldRefs.h"
#include "views/cFilterBaseNew.h"
#include "views/fFilterBaseNew.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>

#include <functional>

namespace {

class FilterDialogTest : public DetailsTest {
protected:
    TFilterFieldRefList Filter{Root.get(), ikMain};

    void TearDown() override
    {
        TfmFilterBaseNew::SetTestHook({});
        DetailsTest::TearDown();
    }

    int Run(TfmFilterBaseNew::TTestHook hook)
    {
        TfmFilterBaseNew::SetTestHook(std::move(hook));
        return TfmFilterBaseNew::Execute(nullptr, *Root, Filter);
    }

    TStringFilterField& AddTitleCondition(const QString& value)
    {
        auto condition = Root->FieldByID(bfTitle)->CreateFilterField();
        auto& title = static_cast<TStringFilterField&>(*condition);
        title.StringValue = value;
        Filter.Add(condition.release());
        return title;
    }
};

template <class T>
T* Find(QWidget& form, const char* name)
{
    T* widget = form.findChild<T*>(QLatin1String(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

QTableWidget& Grid(QWidget& form) { return *Find<QTableWidget>(form, "sgFilter"); }

// The submenu captions of the field menu that offer the field.
QStringList MenusOffering(QWidget& form, int fieldID)
{
    QStringList captions;
    for (QAction* category : Find<QMenu>(form, "pmFields")->actions())
        for (QAction* entry : category->menu()->actions())
            if (entry->data().toInt() == fieldID)
                captions << category->text();
    return captions;
}

void ChooseField(QWidget& form, int fieldID)
{
    for (QAction* category : Find<QMenu>(form, "pmFields")->actions())
        for (QAction* entry : category->menu()->actions())
            if (entry->data().toInt() == fieldID)
                return entry->trigger();
    ADD_FAILURE() << "no menu entry for field " << fieldID;
}

// The editor open in the grid's current cell.
QWidget* Editor(QWidget& form)
{
    QTableWidget& grid = Grid(form);
    return grid.indexWidget(grid.currentIndex());
}

void EditCell(TfmFilterBaseNew& form, int row, int column)
{
    Grid(form).setCurrentCell(row, column);
    form.acEditFilterExecute();
}

void Click(QWidget& form, const char* button) { Find<QPushButton>(form, button)->click(); }

}  // namespace

// Each condition class gets its own editor; the values written there are what OK hands back, in row order.
TEST_F(FilterDialogTest, EditorsWriteTheValuesOfEachConditionClass)
{
    const double day = DateToDayNumber(QDate(2021, 3, 4));
    struct Case {
        int field;
        std::function<void(TfmFilterBaseNew&, int row)> edit;
        std::function<void(TFilterField*)> check;
    };
    const std::vector<Case> cases{
        {bfTitle,
         [](TfmFilterBaseNew& form, int) { qobject_cast<QLineEdit*>(Editor(form))->setText("Bold"); },
         [](TFilterField* c) { EXPECT_EQ(dynamic_cast<TStringFilterField&>(*c).StringValue, "Bold"); }},
        {bfRare,
         [](TfmFilterBaseNew& form, int) { qobject_cast<QComboBox*>(Editor(form))->setCurrentIndex(1); },
         [](TFilterField* c) { EXPECT_EQ(dynamic_cast<TBoolFilterField&>(*c).BoolValue, 1); }},
        {bfGenre,
         [](TfmFilterBaseNew& form, int) {
             auto* combo = qobject_cast<QComboBox*>(Editor(form));
             EXPECT_NE(combo->findText("Fantasy"), -1);
             combo->setCurrentText("Fant");
         },
         [](TFilterField* c) { EXPECT_EQ(dynamic_cast<TLookupStringFilterField&>(*c).StringValue, "Fant"); }},
        {bfAuthor,
         [](TfmFilterBaseNew& form, int) {
             auto* combo = qobject_cast<QComboBox*>(Editor(form));
             ASSERT_NE(combo->findText("J.R.R. Tolkien"), -1);
             combo->setCurrentIndex(combo->findText("J.R.R. Tolkien"));
         },
         [](TFilterField* c) {
             EXPECT_EQ(dynamic_cast<TCreditFilterField&>(*c).StringValue, "J.R.R. Tolkien");
         }},
        // Only a lower bound: the upper stays open and its cell empty.
        {bfRating,
         [](TfmFilterBaseNew& form, int row) {
             qobject_cast<QSpinBox*>(Editor(form))->setValue(3);
             form.EndEdit();
             EXPECT_EQ(Grid(form).item(row, 1)->text(), "At least 3");
             EXPECT_EQ(Grid(form).item(row, 2)->text(), "");
         },
         [](TFilterField* c) {
             auto& range = dynamic_cast<TIntegerFilterField&>(*c);
             EXPECT_EQ(range.IntValue1, 3);
             EXPECT_EQ(range.IntValue2, -1);
         }},
        // A bound cleared again is open, not zero.
        {bfPages,
         [](TfmFilterBaseNew& form, int row) {
             qobject_cast<QSpinBox*>(Editor(form))->setValue(7);
             form.EndEdit();
             EditCell(form, row, 1);
             Editor(form)->findChild<QLineEdit*>()->setText("");
         },
         [](TFilterField* c) { EXPECT_EQ(dynamic_cast<TIntegerFilterField&>(*c).IntValue1, -1); }},
        // Only an upper bound, given in the third column.
        {bfPurchasePrice,
         [](TfmFilterBaseNew& form, int row) {
             form.EndEdit();
             EditCell(form, row, 2);
             qobject_cast<QDoubleSpinBox*>(Editor(form))->setValue(12.5);
         },
         [](TFilterField* c) {
             auto& range = dynamic_cast<TFloatFilterField&>(*c);
             EXPECT_EQ(range.FloatValue1, -1);
             EXPECT_DOUBLE_EQ(range.FloatValue2, 12.5);
         }},
        // A picked lower date; an upper picker left unchecked is no bound.
        {bfPurchaseDate,
         [](TfmFilterBaseNew& form, int row) {
             Editor(form)->findChild<QCheckBox*>("cbDate")->setChecked(true);
             Editor(form)->findChild<QDateEdit*>("dtDate")->setDate(QDate(2021, 3, 4));
             EditCell(form, row, 2);  // leaving the cell keeps the value
             EXPECT_FALSE(Editor(form)->findChild<QCheckBox*>("cbDate")->isChecked());
         },
         [day](TFilterField* c) {
             auto& range = dynamic_cast<TDateFilterField&>(*c);
             EXPECT_EQ(range.DateValue1, day);
             EXPECT_EQ(range.DateValue2, -1);
         }},
    };

    QString statusText;
    const int result = Run([&](TfmFilterBaseNew& form) {
        for (std::size_t row = 0; row < cases.size(); ++row) {
            ChooseField(form, cases[row].field);
            ASSERT_EQ(Grid(form).currentRow(), int(row));
            ASSERT_NE(Editor(form), nullptr) << "field " << cases[row].field;
            cases[row].edit(form, int(row));
        }
        statusText = Find<QStatusBar>(form, "sbFilter")->currentMessage();
        Click(form, "btOK");
    });

    EXPECT_EQ(result, TfmFilterBaseNew::mrOK);
    ASSERT_EQ(Filter.Count(), int(cases.size()));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].field);
        EXPECT_EQ(Filter.Condition(int(i))->Field->ID, cases[i].field);
        cases[i].check(Filter.Condition(int(i)));
    }
    // The dialog showed its dates year first.
    SetShortDateFormatOverride(QStringLiteral("yyyy/MM/dd"));
    const QString expected = Filter.GetDescription();
    SetShortDateFormatOverride(QString());
    EXPECT_EQ(statusText, expected);
}

TEST_F(FilterDialogTest, CombinationAndCaseSensitivityAreKept)
{
    const struct {
        bool orChosen;
        bool caseSensitive;
    } cases[] = {{false, false}, {true, false}, {false, true}, {true, true}};
    AddTitleCondition("Bold");
    AddTitleCondition("Co");
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.orChosen << c.caseSensitive);
        // Start from the opposite so that the dialog must write both.
        Filter.Combination = c.orChosen ? 0 : 1;
        Filter.CaseSensitive = !c.caseSensitive;
        QString statusText;
        Run([&](TfmFilterBaseNew& form) {
            EXPECT_EQ(Find<QRadioButton>(form, "rbOr")->isChecked(), !c.orChosen);
            Find<QRadioButton>(form, c.orChosen ? "rbOr" : "rbAnd")->setChecked(true);
            Find<QCheckBox>(form, "cbCaseSensitive")->setChecked(c.caseSensitive);
            statusText = Find<QStatusBar>(form, "sbFilter")->currentMessage();
            Click(form, "btOK");
        });
        EXPECT_EQ(Filter.Combination, c.orChosen ? 1 : 0);
        EXPECT_EQ(Filter.CaseSensitive, c.caseSensitive);
        EXPECT_EQ(statusText, Filter.GetDescription());
        EXPECT_EQ(Filter.Count(), 2);
    }
}

TEST_F(FilterDialogTest, CancelLeavesTheFilterAsItWas)
{
    TStringFilterField& title = AddTitleCondition("Bold");
    const QString before = Filter.GetDescription();
    const int result = Run([&](TfmFilterBaseNew& form) {
        EditCell(form, 0, 1);
        qobject_cast<QLineEdit*>(Editor(form))->setText("Changed");
        ChooseField(form, bfRating);
        qobject_cast<QSpinBox*>(Editor(form))->setValue(5);
        Find<QRadioButton>(form, "rbOr")->setChecked(true);
        Find<QCheckBox>(form, "cbCaseSensitive")->setChecked(true);
        form.EndEdit();
        EXPECT_EQ(form.RowCondition(1)->GetValueText(), "At least 5");
        Click(form, "btCancel");
    });
    EXPECT_EQ(result, TfmFilterBaseNew::mrCancel);
    ASSERT_EQ(Filter.Count(), 1);
    EXPECT_EQ(Filter.Condition(0), &title);
    EXPECT_EQ(Filter.GetDescription(), before);
    EXPECT_EQ(Filter.Combination, 0);
    EXPECT_FALSE(Filter.CaseSensitive);
}

TEST_F(FilterDialogTest, DatesReadYearFirstWhileTheDialogIsOpen)
{
    const double day = DateToDayNumber(QDate(2020, 1, 31));
    ASSERT_EQ(DayNumberText(day), "1/31/20");
    QString during;
    Run([&](TfmFilterBaseNew& form) {
        during = DayNumberText(day);
        Click(form, "btCancel");
    });
    EXPECT_EQ(during, "2020/01/31");
    EXPECT_EQ(DayNumberText(day), "1/31/20");
}

// Delete and Clear Filter free the conditions; the grid keeps one empty row and the commands follow.
TEST_F(FilterDialogTest, RemovingConditionsLeavesOneEmptyRow)
{
    AddTitleCondition("Bold");
    AddTitleCondition("Co");
    AddTitleCondition("Again");
    Run([&](TfmFilterBaseNew& form) {
        QTableWidget& grid = Grid(form);
        grid.setCurrentCell(1, 1);
        QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QApplication::sendEvent(&grid, &del);
        ASSERT_EQ(grid.rowCount(), 2);
        EXPECT_EQ(static_cast<TStringFilterField*>(form.RowCondition(1))->StringValue, "Again");
        form.btClearFilterClick();
        EXPECT_EQ(grid.rowCount(), 1);
        EXPECT_EQ(form.RowCondition(0), nullptr);
        EXPECT_FALSE(Find<QAction>(form, "acRemoveFilter")->isEnabled());
        EXPECT_FALSE(Find<QAction>(form, "acEditFilter")->isEnabled());
        // An empty row takes the next condition.
        ChooseField(form, bfTitle);
        EXPECT_EQ(grid.rowCount(), 1);
        EXPECT_TRUE(Find<QAction>(form, "acRemoveFilter")->isEnabled());
        Click(form, "btCancel");
    });
}

// A section filter may test the section's book: the parent's category offers the fields of books only.
TEST_F(FilterDialogTest, FieldMenuFollowsTheItemKind)
{
    const QString parent = Root->ParentFieldGroup();
    const struct {
        int kind;
        int field;
        QStringList menus;
    } cases[] = {
        {ikMain, bfTitle, {"Main"}},         {ikMain, bfPublisher, {"Main"}},
        {ikMain, bfBookTitle, {}},           {ikChild, bfTitle, {"Main"}},
        {ikChild, bfBookTitle, {parent}},    {ikChild, bfPublisher, {parent}},
        {ikChild, bfPurchaseDate, {parent}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " " << c.field);
        TFilterFieldRefList filter(Root.get(), c.kind);
        TfmFilterBaseNew form(nullptr, *Root, filter);
        EXPECT_EQ(MenusOffering(form, c.field), c.menus);
    }
}

// The main window switches the filter on exactly when OK leaves conditions in it.
TEST_F(FilterDialogTest, AfterOKAFilterIsInForceExactlyWhenItHasConditions)
{
    Filter.Enabled = false;
    ASSERT_EQ(Run([](TfmFilterBaseNew& form) {
                  ChooseField(form, bfTitle);
                  qobject_cast<QLineEdit*>(Editor(form))->setText("Bold");
                  Click(form, "btOK");
              }),
              TfmFilterBaseNew::mrOK);
    ApplyEditedFilter(Filter);
    EXPECT_TRUE(Filter.IsActive());
    EXPECT_TRUE(Filter.Matches(Book));
    EXPECT_EQ(FilterPaneText(Filter), "Filter: (\"Bold\" in Title)");

    ASSERT_EQ(Run([](TfmFilterBaseNew& form) {
                  form.btClearFilterClick();
                  Click(form, "btOK");
              }),
              TfmFilterBaseNew::mrOK);
    ApplyEditedFilter(Filter);
    EXPECT_TRUE(Filter.IsEmpty());
    EXPECT_FALSE(Filter.IsActive());
    EXPECT_EQ(FilterPaneText(Filter), "Filter: [None]");
}

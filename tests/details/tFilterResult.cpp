// The main window's side of the filter dialog's OK: in force exactly when there are conditions.

#include "DetailsFixture.h"
#include "model/cData_FieldRefs.h"
#include "views/cFilterBaseNew.h"

TEST_F(DetailsTest, AFilterWithConditionsIsInForceAndAnEmptyOneIsNot)
{
    TFilterFieldRefList filter(Root.get(), 2);
    filter.Enabled = false;
    auto condition = Root->FieldByID(bfTitle)->CreateFilterField();
    static_cast<TStringFilterField&>(*condition).StringValue = "Bold";
    filter.Add(condition.release());
    ApplyEditedFilter(filter);
    EXPECT_TRUE(filter.IsActive());
    EXPECT_EQ(FilterPaneText(filter), "Filter: " + filter.GetDescription());
    EXPECT_TRUE(filter.Matches(Book));

    filter.FreeAll();
    ApplyEditedFilter(filter);
    EXPECT_FALSE(filter.Enabled);
    EXPECT_EQ(FilterPaneText(filter), "Filter: [None]");
}

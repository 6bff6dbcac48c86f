// Sort, column, group and filter lists: their settings layout, matching and words.

#include "model/TestCollection.h"
#include "model/cData_FieldRefs.h"
#include "platform/SettingsStore.h"

#include <typeinfo>

namespace {

class FieldRefTest : public TMessagesFixture {
protected:
    std::unique_ptr<TTestRoot> Root = TRootItem::New<TTestRoot>();
    std::unique_ptr<TSettingsStore> Store = std::make_unique<TSettingsStore>(Path("settings.reg"));
    TDataField* Field(int id) const { return Root->Field(id); }

    // The same settings as another run of the program would read them.
    void Reopen()
    {
        ASSERT_TRUE(Store->Save());
        Store = std::make_unique<TSettingsStore>(Path("settings.reg"));
    }
};

TEST_F(FieldRefTest, ColumnListsFallBackToTheTypeDefaults)
{
    Root->MetaInfo->ViewColumnDefaults[ikMain] = {tfTitle, 9999, tfPublisher};
    Field(tfPublisher)->DefaultWidth = 140;
    auto load = [&] {
        TColumnFieldRefList columns(Root.get(), ikMain);
        columns.ReadFromSettings(*Store, "ItemColumnFields");
        QList<std::pair<int, int>> result;
        for (int i = 0; i < columns.Count(); ++i)
            result << std::pair{columns.Column(i)->Field->ID, columns.Column(i)->Width};
        return result;
    };
    const QList<std::pair<int, int>> defaults{{tfTitle, 200}, {tfPublisher, 140}};
    EXPECT_EQ(load(), defaults) << "never saved";
    TColumnFieldRefList empty(Root.get(), ikMain);
    empty.WriteToSettings(*Store, "ItemColumnFields");
    Reopen();
    EXPECT_EQ(load(), defaults) << "saved empty";

    TColumnFieldRefList chosen(Root.get(), ikMain);
    chosen.AddField(Field(tfSeries), 77);
    chosen.WriteToSettings(*Store, "ItemColumnFields");
    Store->DeleteValue("ItemColumnFields\\0", "Width");
    Reopen();
    EXPECT_EQ(load(), (QList<std::pair<int, int>>{{tfSeries, 100}})) << "a missing width is 100";
    TColumnFieldRefList other(Root.get(), ikChild);
    other.ReadFromSettings(*Store, "Nothing");
    EXPECT_TRUE(other.IsEmpty()) << "a kind without defaults";
}

TEST_F(FieldRefTest, SortListsReadOnlyCountEntriesAndDropUnknownFields)
{
    TSortFieldRefList three(Root.get(), ikMain);
    three.AddField(Field(tfTitle), -1);
    three.AddField(Field(tfSeries), 1);
    three.AddField(Field(tfPublisher), -1);
    three.WriteToSettings(*Store, "ItemSortFields");
    TSortFieldRefList one(Root.get(), ikMain);
    one.AddField(Field(tfAuthor), -1);
    one.WriteToSettings(*Store, "ItemSortFields");
    Reopen();
    TSortFieldRefList loaded(Root.get(), ikMain);
    loaded.ReadFromSettings(*Store, "ItemSortFields");
    ASSERT_EQ(loaded.Count(), 1);
    EXPECT_EQ(loaded.Sort(0)->Field, Field(tfAuthor));
    EXPECT_EQ(loaded.Sort(0)->Order, -1);

    Store->WriteInteger("ItemSortFields", "Count", 3);
    Store->WriteInteger("ItemSortFields\\1", "Field", 4242);
    Store->DeleteValue("ItemSortFields\\2", "Order");
    TSortFieldRefList damaged(Root.get(), ikMain);
    damaged.ReadFromSettings(*Store, "ItemSortFields");
    ASSERT_EQ(damaged.Count(), 2);
    EXPECT_EQ(damaged.Sort(1)->Field, Field(tfPublisher));
    EXPECT_EQ(damaged.Sort(1)->Order, 1) << "a missing order sorts ascending";

    for (int count : {-5, 2147483647}) {
        Store->WriteInteger("Huge", "Count", count);
        TGroupFieldRefList groups(Root.get(), ikMain);
        groups.ReadFromSettings(*Store, "Huge");
        EXPECT_LE(groups.Count(), 1000) << count;
    }
}

TEST_F(FieldRefTest, GroupListsCopyWithNewIdentities)
{
    TGroupFieldRefList groups(Root.get(), ikMain);
    groups.AddField(Field(tfAuthor))->GetID();
    groups.AddField(Field(tfGenre));
    TGroupFieldRefList copy(Root.get(), ikMain);
    copy.CopyFrom(groups);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Ref(1)->Field, Field(tfGenre));
    EXPECT_NE(copy.Ref(0)->GetID(), groups.Ref(0)->GetID());
    EXPECT_EQ(copy.IndexOfField(Field(tfGenre)), 1);
    EXPECT_EQ(copy.IndexOfField(nullptr), -1);
}

TEST_F(FieldRefTest, DescriptorsMakeTheirConditionsAndManagerColumns)
{
    struct Case {
        int field;
        const std::type_info& condition;
    };
    const Case cases[] = {
        {tfTitle, typeid(TStringFilterField)},           {tfGenre, typeid(TLookupStringFilterField)},
        {tfPublisher, typeid(TLookupStringFilterField)}, {tfAuthor, typeid(TCreditFilterField)},
        {fiIndex, typeid(TIntegerFilterField)},          {fiLoanDate, typeid(TDateFilterField)},
        {fiOverdue, typeid(TBoolFilterField)},           {fiLoanedTo, typeid(TLookupStringFilterField)}};
    for (const Case& c : cases) {
        std::unique_ptr<TFilterField> condition = Field(c.field)->CreateFilterField();
        EXPECT_EQ(condition->Field, Field(c.field));
        EXPECT_TRUE(typeid(*condition) == c.condition) << c.field << ": " << typeid(*condition).name();
    }
    auto columnIds = [&](int field) {
        QList<int> ids;
        TColumnFieldRefList& columns = static_cast<TLookupDataField*>(Field(field))->GetColumns();
        for (int i = 0; i < columns.Count(); ++i)
            ids << columns.Column(i)->Field->ID;
        return ids;
    };
    EXPECT_EQ(columnIds(tfGenre), (QList<int>{1005, 1001, 1000, 1}));
    EXPECT_EQ(columnIds(tfSeries), (QList<int>{1005, 1001, 1002, 1004, 1000, 1}));
    EXPECT_EQ(columnIds(tfPublisher), (QList<int>{1005, 1001, 1002, 1004, 1006, 1000, 1}));
    EXPECT_EQ(columnIds(tfAuthor), (QList<int>{1005, 1001, 1003, 1002, 1004, 1006, 1000, 1}));
}

TEST_F(FieldRefTest, UserFieldNamesLiveInTheFileAndTheSettings)
{
    TDataField* title = Field(tfTitle);
    title->SetUserName("Title");
    EXPECT_TRUE(title->UserName.isEmpty());
    title->SetUserName("Name & Co");
    EXPECT_EQ(title->GetDisplayNamePlain(), "Name  Co");
    Root->MetaInfo->SaveFieldNames(*Store);
    Reopen();
    EXPECT_EQ(Store->ReadString("FieldNames", "Title", ""), "Name & Co");
    title->SetUserName("");
    Root->MetaInfo->LoadFieldNames(*Store);
    EXPECT_EQ(title->UserName, "Name & Co");
    title->SetUserName("");
    Root->MetaInfo->SaveFieldNames(*Store);
    EXPECT_FALSE(Store->ValueExists("FieldNames", "Title"));
}

// ---------------------------------------------------------------------------------------------------
// Conditions

TEST_F(FieldRefTest, TextConditionsFoldOnlyWithoutCaseSensitivity)
{
    TTestItem* joanne = Root->AddItem("Joanne");
    TTestItem* anna = Root->AddItem("ANNA");
    TTestItem* none = Root->AddItem("Bob");
    TStringFilterField condition(Root.get(), Field(tfTitle));
    EXPECT_FALSE(condition.Matches(joanne, false)) << "an empty value matches nothing";
    condition.StringValue = "ann";
    EXPECT_TRUE(condition.Matches(joanne, false));
    EXPECT_TRUE(condition.Matches(anna, false));
    EXPECT_FALSE(condition.Matches(none, false));
    EXPECT_TRUE(condition.Matches(joanne, true));
    EXPECT_FALSE(condition.Matches(anna, true));
    EXPECT_EQ(condition.GetDescription(), "(\"ann\" in Title)");

    auto* hobbit = static_cast<TSortLookupItem*>(Root->Series.NewItem());
    hobbit->SetNames("Hobbit, The", "");
    joanne->Series = hobbit;
    joanne->Genres.Add(Root->Genres.FindOrAdd("Drama"));
    joanne->Credits.AddCredit(tfEditor, Root->Persons.FindOrAdd("Ann Lee"));
    TLookupStringFilterField series(Root.get(), Field(tfSeries));
    series.StringValue = "bbit, th";
    EXPECT_TRUE(series.Matches(joanne, false)) << "the sort text counts";
    EXPECT_FALSE(series.Matches(anna, false));
    TLookupStringFilterField genre(Root.get(), Field(tfGenre));
    genre.StringValue = "ram";
    EXPECT_TRUE(genre.Matches(joanne, false));
    TCreditFilterField author(Root.get(), Field(tfAuthor));
    author.StringValue = "ann";
    EXPECT_FALSE(author.Matches(joanne, false)) << "only credits in the field's own role";
    TCreditFilterField editor(Root.get(), Field(tfEditor));
    editor.StringValue = "ann";
    EXPECT_TRUE(editor.Matches(joanne, false));
}

TEST_F(FieldRefTest, APassOverManyItemsGivesTheSameAnswers)
{
    const char* names[] = {"Ann Lee", "Joanne Smith", "Bob Ray", "ANNA Karenina"};
    for (int i = 0; i < 8; ++i) {
        TTestItem* item = Root->AddItem(QString::number(i));
        item->Credits.AddCredit(tfAuthor, Root->Persons.FindOrAdd(names[i % 4]));
        if (i % 3 == 0)
            item->Genres.Add(Root->Genres.FindOrAdd(names[(i + 1) % 4]));
    }
    for (bool caseSensitive : {false, true})
        for (int field : {int(tfAuthor), int(tfGenre)}) {
            TFilterFieldRefList filter(Root.get(), ikMain);
            filter.CaseSensitive = caseSensitive;
            auto condition = Field(field)->CreateFilterField();
            static_cast<TStringFilterField&>(*condition).StringValue = "ann";
            filter.Add(condition.release());
            QList<bool> plain, inPass;
            for (TDataItem* item : *Root->Items)
                plain << filter.Matches(item);
            {
                const TFilterPass pass(filter);
                for (TDataItem* item : *Root->Items)
                    inPass << pass.Matches(item);
            }
            EXPECT_EQ(plain, inPass) << field << caseSensitive;
            EXPECT_TRUE(plain.contains(true) && plain.contains(false)) << field << caseSensitive;
        }
}

TEST_F(FieldRefTest, RangedConditionsWordsAndOpenBounds)
{
    struct IntCase {
        int low, high;
        const char* text;
        bool pass99, pass100, passNone;
    };
    const IntCase intCases[] = {
        {100, -1, "(Index At least 100)", false, true, false},
        {-1, 100, "(Index At most 100)", true, true, true},
        {50, 99, "(Index Between 50 and 99)", true, false, false},
        {-1, -1, "(Index N/A)", true, true, true},
    };
    TTestItem* item = Root->AddItem("x");
    for (const IntCase& c : intCases) {
        TIntegerFilterField condition(Root.get(), Field(fiIndex));
        condition.IntValue1 = c.low;
        condition.IntValue2 = c.high;
        EXPECT_EQ(condition.GetDescription(), c.text);
        for (auto [index, expected] : {std::pair{99, c.pass99}, {100, c.pass100}, {-1, c.passNone}}) {
            item->Index = index;
            EXPECT_EQ(condition.Matches(item, false), expected) << c.text << " index " << index;
        }
    }

    TDateDataField dateField(fiLoanDate, "Bought", Kinds({ikMain}), 1, 1, 100, false);
    TDateFilterField date(Root.get(), &dateField);
    EXPECT_EQ(date.GetValueText(), "N/A");
    date.DateValue2 = DateToDayNumber(QDate(2020, 1, 31));
    EXPECT_EQ(date.GetValueText(), "Before 1/31/20");
    EXPECT_TRUE(date.Matches(item, false)) << "no date lies below every upper bound";
    date.DateValue1 = DateToDayNumber(QDate(2020, 1, 1));
    EXPECT_EQ(date.GetValueText(), "Between 1/1/20 and 1/31/20");
    EXPECT_FALSE(date.Matches(item, false));
    date.DateValue2 = -1;
    EXPECT_EQ(date.GetLowerText(), "After 1/1/20");
    EXPECT_EQ(date.GetUpperText(), "");

    TFloatDataField priceField(50, "Price", Kinds({ikMain}), 1, 1, 100, false);
    TFloatFilterField price(Root.get(), &priceField);
    EXPECT_EQ(price.GetDescription(), "(Price N/A)");
    price.FloatValue2 = 12.5;
    EXPECT_EQ(price.GetValueText(), "At most 12.50");
    price.FloatValue1 = 2;
    EXPECT_EQ(price.GetValueText(), "Between 2.00 and 12.50");
}

TEST_F(FieldRefTest, FolderConditionsAndYesNo)
{
    TLookupItem* drama = Root->Genres.FindOrAdd("Drama");
    TTestItem* withGenre = Root->AddItem("a");
    withGenre->Genres.Add(drama);
    TTestItem* without = Root->AddItem("b");
    TLookupFilterField folder(Root.get(), Field(tfGenre));
    EXPECT_FALSE(folder.Matches(withGenre, false)) << "the [None] folder";
    EXPECT_TRUE(folder.Matches(without, false));
    EXPECT_EQ(folder.GetDescription(), "(Genre is [item not found])");
    folder.SetEntry(drama);
    EXPECT_TRUE(folder.Matches(withGenre, false));
    EXPECT_FALSE(folder.Matches(without, false));
    EXPECT_EQ(folder.GetDescription(), "(Genre is Drama)");
    auto copy = folder.Clone(Root.get(), Root.get(), false);
    EXPECT_EQ(static_cast<TLookupFilterField&>(*copy).Entry, drama);

    TBoolFilterField overdue(Root.get(), Field(fiOverdue));
    EXPECT_EQ(overdue.GetDescription(), "(Overdue is Yes or No)");
    EXPECT_TRUE(overdue.Matches(without, false)) << "an item that is not lent has no value";
    overdue.BoolValue = 0;
    EXPECT_FALSE(overdue.Matches(without, false));
}

class TCountingCondition : public TStringFilterField {
public:
    using TStringFilterField::TStringFilterField;
    bool Result = false;
    int Calls = 0;
    bool Matches(TDataItem*, bool) override
    {
        ++Calls;
        return Result;
    }
};

TEST_F(FieldRefTest, FilterListsCombineAndShortCircuit)
{
    TTestItem* item = Root->AddItem("x");
    TFilterFieldRefList filter(Root.get(), ikMain);
    EXPECT_TRUE(filter.Matches(item));
    EXPECT_EQ(filter.GetDescription(), "[None]");
    auto* first = new TCountingCondition(Root.get(), Field(tfTitle));
    auto* second = new TCountingCondition(Root.get(), Field(tfTitle));
    filter.Add(first);
    filter.Add(second);
    first->StringValue = "a";
    second->StringValue = "b";
    filter.Combination = 1;
    first->Result = true;
    EXPECT_TRUE(filter.Matches(item));
    EXPECT_EQ(second->Calls, 0);
    EXPECT_EQ(filter.GetDescription(), "(\"a\" in Title) OR (\"b\" in Title)");
    filter.Combination = 0;
    first->Result = false;
    EXPECT_FALSE(filter.Matches(item));
    EXPECT_EQ(second->Calls, 0);
    filter.Enabled = false;
    EXPECT_TRUE(filter.Matches(item));
}

TEST_F(FieldRefTest, FiltersRoundTripThroughTheSettingsAndComeBackSwitchedOff)
{
    TFilterFieldRefList filter(Root.get(), ikMain);
    filter.Combination = 1;
    filter.CaseSensitive = true;
    auto* text = new TStringFilterField(Root.get(), Field(tfTitle));
    text->StringValue = "Quote \" and \\ back";
    auto* index = new TIntegerFilterField(Root.get(), Field(fiIndex));
    index->IntValue1 = 3;
    auto* date = new TDateFilterField(Root.get(), Field(fiLoanDate));
    date->DateValue2 = 45000.75;
    auto* yes = new TBoolFilterField(Root.get(), Field(fiOverdue));
    yes->BoolValue = 1;
    auto* folder = new TLookupFilterField(Root.get(), Field(tfGenre));
    folder->SetEntry(Root->Genres.FindOrAdd("Drama"));
    for (TFilterField* condition : std::initializer_list<TFilterField*>{text, index, date, yes, folder})
        filter.Add(condition);
    filter.WriteToSettings(*Store, "ItemFilter");
    Store->WriteInteger("ItemFilter\\1", "Field", 4242);  // a field that no longer exists
    Reopen();

    TFilterFieldRefList loaded(Root.get(), ikMain);
    loaded.ReadFromSettings(*Store, "ItemFilter");
    EXPECT_FALSE(loaded.Enabled);
    EXPECT_FALSE(loaded.IsActive());
    EXPECT_EQ(loaded.Combination, 1);
    EXPECT_TRUE(loaded.CaseSensitive);
    ASSERT_EQ(loaded.Count(), 4);
    EXPECT_EQ(static_cast<TStringFilterField*>(loaded.Condition(0))->StringValue, text->StringValue);
    EXPECT_EQ(static_cast<TDateFilterField*>(loaded.Condition(1))->DateValue2, 45000.75);
    EXPECT_EQ(static_cast<TDateFilterField*>(loaded.Condition(1))->DateValue1, -1);
    EXPECT_EQ(static_cast<TBoolFilterField*>(loaded.Condition(2))->BoolValue, 1);
    EXPECT_EQ(loaded.Condition(3)->Field, Field(tfGenre));
    EXPECT_EQ(Store->ValueType("ItemFilter", "CaseSensitive"), TSettingsStore::TValueType::String);
    EXPECT_EQ(Store->ValueType("ItemFilter\\2", "DateValue2"), TSettingsStore::TValueType::Binary);
}

}  // namespace

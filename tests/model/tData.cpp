// Items, lists, identities, sorting, inheritance and thumbnails.

#include "app/cGatherixPrefs.h"
#include "model/TestCollection.h"

#include <random>

namespace {

class DataTest : public TMessagesFixture {
protected:
    std::unique_ptr<TTestRoot> Root = TRootItem::New<TTestRoot>();
    TDataField* Field(int id) const { return Root->Field(id); }
};

TEST_F(DataTest, IdsAreHandedOutLazilyFromTheRootCounter)
{
    const int before = Root->NextID;
    TTestItem* a = Root->AddItem("A");
    TTestItem* b = Root->AddItem("B");
    EXPECT_EQ(a->ID, -1);
    EXPECT_EQ(b->GetID(), before);
    EXPECT_EQ(a->GetID(), before + 1);
    EXPECT_EQ(Root->NextID, before + 2);
    a->Clear();
    EXPECT_EQ(a->ID, -1);
    EXPECT_EQ(Root->NextID, before + 2) << "Clear never resets the counter";
}

TEST_F(DataTest, FindByIdHandsOutIdsToItemsItPassesAndSeesLaterChanges)
{
    TTestItem* a = Root->AddItem("A");
    TTestItem* b = Root->AddItem("B");
    TTestItem* c = Root->AddItem("C");
    c->ID = 500;
    EXPECT_EQ(Root->Items->FindByID(500), c);
    EXPECT_EQ(Root->Items->FindByID(-1), nullptr);
    EXPECT_EQ(Root->Items->FindByID(12345), nullptr);
    EXPECT_NE(a->ID, -1) << "a search that walks the list hands out identities";
    EXPECT_NE(b->ID, -1);
    b->ID = 77;  // changed behind the list's back
    EXPECT_EQ(Root->Items->FindByID(77), b);
}

TEST_F(DataTest, FixDuplicateIdsKeepsOneAndRenumbersTheOtherOnUse)
{
    TLookupList& list = Root->Genres;
    TLookupItem* first = list.AddNew("x");
    TLookupItem* second = list.AddNew("y");
    TLookupItem* third = list.AddNew("z");
    first->ID = 4;
    second->ID = 4;
    third->ID = 2;
    Root->NextID = 10;
    list.FixDuplicateIDs();
    EXPECT_EQ(list.Items(0), third);
    const int fours = (first->ID == 4) + (second->ID == 4);
    const int fresh = (first->ID == -1) + (second->ID == -1);
    EXPECT_EQ(fours, 1);
    EXPECT_EQ(fresh, 1);
    TLookupItem* renumbered = first->ID == -1 ? first : second;
    EXPECT_EQ(renumbered->GetID(), 10);
}

TEST_F(DataTest, SortByFieldBreaksTiesByIdInTheSortDirection)
{
    QList<TTestItem*> items;
    for (int id : {7, 3, 9, 5}) {
        items << Root->AddItem("same");
        items.last()->ID = id;
    }
    Root->Items->SortByField(Field(tfTitle), 1);
    QList<int> ids;
    for (TDataItem* item : *Root->Items)
        ids << item->ID;
    EXPECT_EQ(ids, (QList<int>{3, 5, 7, 9}));
    Root->Items->SortByField(Field(tfTitle), -1);
    ids.clear();
    for (TDataItem* item : *Root->Items)
        ids << item->ID;
    EXPECT_EQ(ids, (QList<int>{9, 7, 5, 3}));
}

TEST_F(DataTest, SortByFieldsTriesKeysInOrderThenIdAscending)
{
    struct Row {
        const char* title;
        const char* series;
        int id;
    };
    const Row rows[] = {{"b", "x", 1}, {"a", "y", 2}, {"b", "a", 3}, {"a", "y", 0}};
    for (const Row& row : rows) {
        TTestItem* item = Root->AddItem(row.title);
        item->Series = Root->Series.FindOrAdd(row.series);
        item->ID = row.id;
    }
    Root->Items->SortByFields({{Field(tfTitle), -1}, {Field(tfSeries), 1}});
    QList<int> ids;
    for (TDataItem* item : *Root->Items)
        ids << item->ID;
    EXPECT_EQ(ids, (QList<int>{3, 1, 0, 2}));
}

TEST_F(DataTest, SortedListsFollowTheFieldComparisons)
{
    const QStringList words{"apple", "Banana", "cherry", "banana", "Élan", "elan",
                            "Zebra", "",       "10",     "9",      "ärger"};
    std::mt19937 random(7);
    auto pick = [&] { return words[int(random() % words.size())]; };
    for (int i = 0; i < 200; ++i) {
        TTestItem* item = Root->AddItem(pick());
        item->Index = int(random() % 5) - 1;
        if (random() % 3)
            item->Publisher = Root->Publishers.FindOrAdd(pick());
        for (int k = int(random() % 3); k > 0; --k)
            item->Genres.Add(Root->Genres.FindOrAdd(pick()));
        for (int k = int(random() % 3); k > 0; --k)
            item->Credits.AddCredit(tfAuthor, Root->Persons.FindOrAdd(pick()));
    }
    for (int id : {int(tfTitle), int(tfPublisher), int(tfGenre), int(tfAuthor), int(fiIndex)})
        for (int direction : {1, -1}) {
            Root->Items->SortByField(Field(id), direction);
            for (int i = 1; i < Root->Items->Count(); ++i) {
                TDataItem* a = Root->Items->Items(i - 1);
                TDataItem* b = Root->Items->Items(i);
                const int order = Field(id)->Compare(a, b) * direction;
                ASSERT_LE(order, 0) << "field " << id << " at " << i;
                if (order == 0) {
                    ASSERT_LT((a->ID - b->ID) * direction, 0) << "field " << id << " at " << i;
                }
            }
        }
    Root->Items->SortByFields({{Field(tfPublisher), -1}, {Field(tfTitle), 1}});
    for (int i = 1; i < Root->Items->Count(); ++i) {
        TDataItem* a = Root->Items->Items(i - 1);
        TDataItem* b = Root->Items->Items(i);
        const int first = -Field(tfPublisher)->Compare(a, b);
        ASSERT_LE(first, 0);
        if (first == 0) {
            ASSERT_LE(Field(tfTitle)->Compare(a, b), 0);
        }
    }
}

TEST_F(DataTest, TextSortIsCaseInsensitiveAndDatesCompareByWholeDays)
{
    TTestItem* upper = Root->AddItem("Banana");
    TTestItem* lower = Root->AddItem("apple");
    EXPECT_GT(Field(tfTitle)->Compare(upper, lower), 0);
    EXPECT_EQ(Field(tfTitle)->Compare(upper, upper), 0);

    Root->LoanPersons->FindOrAdd("Ann");
    auto* loanA = static_cast<TLoanInfo*>(Root->Loans->NewItem());
    auto* loanB = static_cast<TLoanInfo*>(Root->Loans->NewItem());
    loanA->SetItem(upper);
    loanB->SetItem(lower);
    upper->CurrentLoan = loanA;
    lower->CurrentLoan = loanB;
    loanA->LoanDate = 45000.25;
    loanB->LoanDate = 45000.75;
    EXPECT_EQ(Field(fiLoanDate)->Compare(upper, lower), 0);
    loanB->LoanDate = 45001.1;
    EXPECT_LT(Field(fiLoanDate)->Compare(upper, lower), 0);
    lower->CurrentLoan = nullptr;  // no date sorts first
    EXPECT_GT(Field(fiLoanDate)->Compare(upper, lower), 0);
}

TEST_F(DataTest, ListEditing)
{
    TTestItem* a = Root->AddItem("A");
    TTestItem* b = Root->AddItem("B");
    TDataRefList refs;
    EXPECT_EQ(refs.Insert(a, b), -1);
    EXPECT_EQ(refs.Count(), 0);
    refs.Add(a);
    refs.Add(b);
    refs.Add(a);
    EXPECT_EQ(refs.Remove(a), 0);
    EXPECT_EQ(refs.IndexOf(a), 1);
    EXPECT_EQ(refs.Remove(a), 1);
    EXPECT_EQ(refs.Remove(a), -1);
    EXPECT_EQ(refs.Insert(a, b), 0);
    EXPECT_EQ(refs.FindSame(b), b);

    Prefs().AutoIncrementIndex = true;
    Root->NextIndex = 42;
    auto* inserted = new TTestItem(Root->Items.get(), Root->Items.get());
    EXPECT_EQ(Root->Items->Insert(inserted, b), 1);
    EXPECT_EQ(inserted->Index, 42);
    Root->Renumber();
    EXPECT_EQ(Root->Items->Items(2)->Index, 3);
    EXPECT_EQ(Root->NextIndex, 4);
}

TEST_F(DataTest, DisplayTextsAndImageIndexes)
{
    TDataObject plain;
    EXPECT_EQ(plain.GetListImageIndex(), 0);
    TLookupItemNone none;
    EXPECT_EQ(none.GetImageIndex(), 5);
    EXPECT_EQ(TDataObject::TreeText(QString(300, 'x')), QString(250, 'x') + "...");
    EXPECT_EQ(TDataObject::TreeText(QString(253, 'x')).size(), 253);
    TTestItem* item = Root->AddItem("A");
    EXPECT_EQ(item->GetDisplayText(), QString::number(item->GetID()));
}

TEST_F(DataTest, SettingAFieldTheItemDoesNotHoldRaises)
{
    TDataItem* plain = Root->Items->TMainDataList::NewItem();
    try {
        plain->setValueAsLookupItem(Field(tfTitle), nullptr, smAdd, nullptr);
        FAIL();
    } catch (const EData& error) {
        EXPECT_EQ(error.Message(), "Invalid field \"Title\" in setValueAsLookupItem");
    }
    EXPECT_NO_THROW(
        plain->setValueAsLookupItem(Field(fiLoanedTo), Root->LoanPersons->FindOrAdd("X"), smAdd, nullptr));
}

TEST_F(DataTest, ChildItemsInheritOnlyForInheritingFields)
{
    TTestItem* book = Root->AddItem("Book");
    book->Publisher = Root->Publishers.FindOrAdd("Pub");
    book->Series = Root->Series.FindOrAdd("Ser");
    book->Genres.Add(Root->Genres.FindOrAdd("Drama"));
    book->Credits.AddCredit(tfAuthor, Root->Persons.FindOrAdd("Ann Smith"));
    TTestItem* child = book->AddChild();
    EXPECT_EQ(child->GetValueAsString(Field(tfTitle)), "Book");
    EXPECT_EQ(child->GetValueAsString(Field(tfPublisher)), "Pub");
    EXPECT_EQ(child->GetValueAsString(Field(tfSeries)), "") << "Series does not inherit";
    EXPECT_EQ(child->GetValueAsString(Field(tfAuthor)), "Ann Smith");

    TLookupItem* drama = Root->Genres.FindByName("Drama");
    EXPECT_TRUE(child->HasLookupItem(Field(tfGenre), drama, true, false));
    EXPECT_FALSE(child->HasLookupItem(Field(tfGenre), nullptr, true, false));
    EXPECT_TRUE(child->HasLookupItem(Field(tfGenre), nullptr, false, false));
    EXPECT_FALSE(child->HasLookupItem(Field(tfGenre), drama, false, false));
    TLookupItem* ann = Root->Persons.FindByName("Ann Smith");
    EXPECT_TRUE(child->HasLookupItem(Field(tfAuthor), ann, true, false));
    child->Credits.AddCredit(tfAuthor, Root->Persons.FindOrAdd("Bob"));
    EXPECT_FALSE(child->HasLookupItem(Field(tfAuthor), ann, true, false)) << "own credits hide the parent's";
}

TEST_F(DataTest, CountAndReplaceLookupUse)
{
    TLookupItem* drama = Root->Genres.FindOrAdd("Drama");
    TLookupItem* crime = Root->Genres.FindOrAdd("Crime");
    TLookupItem* ann = Root->Persons.FindOrAdd("Ann");
    TTestItem* a = Root->AddItem("A");
    TTestItem* b = Root->AddItem("B");
    Root->AddItem("C");
    a->Genres.Add(drama);
    a->Genres.Add(crime);
    b->Genres.Add(drama);
    a->Credits.AddCredit(tfAuthor, ann);
    b->Credits.AddCredit(tfEditor, ann);

    int none = -5;
    Root->CountUsage(Field(tfGenre), {}, none);
    EXPECT_EQ(drama->UsageCount, 2);
    EXPECT_EQ(crime->UsageCount, 1);
    EXPECT_EQ(none, 1);
    Root->CountUsage(
        Field(tfGenre), [&](TDataItem* item) { return item == a; }, none);
    EXPECT_EQ(drama->UsageCount, 1);
    EXPECT_EQ(none, 0);
    Root->CountUsage(Field(tfAuthor), {}, none);
    EXPECT_EQ(ann->UsageCount, 1);
    EXPECT_EQ(none, 2);
    Root->CountUsageAll(*Root->MetaInfo->LookupLists.FindByFieldID(tfAuthor));
    EXPECT_EQ(ann->UsageCount, 2) << "both roles of the list count";

    a->ReplaceLookupItem(Field(tfGenre), drama, crime);
    EXPECT_EQ(a->Genres.Count(), 2);
    EXPECT_EQ(a->Genres.Entry(0), crime);
    TLookupItem* bob = Root->Persons.FindOrAdd("Bob");
    b->ReplaceLookupItem(Field(tfEditor), ann, bob);
    EXPECT_EQ(b->Credits.FirstPerson(tfEditor), bob);
    a->Publisher = Root->Publishers.FindOrAdd("P");
    a->ReplaceLookupItem(Field(tfPublisher), a->Publisher, nullptr);
    EXPECT_EQ(a->Publisher, nullptr);
}

TEST_F(DataTest, ThumbnailsLiveInTheRootImageList)
{
    TTestItem* a = Root->AddItem("A");
    TTestItem* b = Root->AddItem("B");
    const int standard = Root->LargeImages.Count();
    EXPECT_GT(standard, 0) << "position 0 is never a thumbnail";
    EXPECT_TRUE(a->SetThumbnail(TestPicture(qRgb(200, 0, 0))));
    EXPECT_EQ(a->ThumbnailIndex, standard);
    EXPECT_TRUE(a->SetThumbnail(TestPicture(qRgb(0, 200, 0))));
    EXPECT_EQ(a->ThumbnailIndex, standard) << "a second picture replaces the first in place";

    a->CopyThumbnailTo(b);
    EXPECT_NE(b->ThumbnailIndex, a->ThumbnailIndex);
    QImage copied;
    b->GetThumbnail(&copied);
    EXPECT_EQ(copied.pixel(0, 0), qRgb(0, 200, 0));

    EXPECT_FALSE(a->SetThumbnail(QImage(32, 33, QImage::Format_RGB32)));
    EXPECT_EQ(a->ThumbnailIndex, 0);
    EXPECT_FALSE(a->HasThumbnail());
    b->ThumbnailIndex = 9999;
    EXPECT_FALSE(b->HasThumbnail());
    EXPECT_FALSE(b->SetThumbnail(TestPicture(qRgb(1, 1, 1))));
}

TEST_F(DataTest, LoansAnswerTheLoanFieldsOfTheirItem)
{
    SetNowForTesting(QDateTime(QDate(2024, 3, 15), QTime(12, 0)));
    TTestItem* item = Root->AddItem("A");
    auto* loan = static_cast<TLoanInfo*>(Root->Loans->NewItem());
    loan->SetItem(item);
    item->CurrentLoan = loan;
    loan->LoanedTo = Root->LoanPersons->FindOrAdd("Ann");
    loan->LoanDate = DateToDayNumber(QDate(2024, 3, 1));
    loan->LoanPeriod = 14;
    EXPECT_EQ(DayNumberToDate(loan->GetDueDate()), QDate(2024, 3, 15));
    EXPECT_EQ(item->GetValueAsString(Field(fiOverdue)), "False");
    SetNowForTesting(QDateTime(QDate(2024, 3, 16), QTime(0, 1)));
    EXPECT_EQ(item->GetValueAsString(Field(fiOverdue)), "True");
    EXPECT_EQ(item->GetValueAsString(Field(fiLoanedTo)), "Ann");
    EXPECT_EQ(item->GetValueAsLookupItem(Field(fiLoanedTo), false), loan->LoanedTo);
    loan->SetReturnDate(DateToDayNumber(QDate(2024, 3, 20)));
    EXPECT_EQ(item->CurrentLoan, nullptr);
    EXPECT_FALSE(loan->IsOverdue());
    EXPECT_EQ(item->GetValueAsString(Field(fiLoanedTo)), "");
    loan->LoanPeriod = 0;
    EXPECT_EQ(loan->GetValueAsString(Field(fiDueDate)), "");
    SetNowForTesting({});
}

}  // namespace

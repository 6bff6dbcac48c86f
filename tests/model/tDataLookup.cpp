// Pick-list entries, their name rules, pick lists, credits, reference lists, merging and XML.

#include "app/cGatherixPrefs.h"
#include "model/TestCollection.h"
#include "model/cXmlUtil.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

namespace {

class LookupTest : public TMessagesFixture {
protected:
    std::unique_ptr<TTestRoot> Root = TRootItem::New<TTestRoot>();
    TDataField* Field(int id) const { return Root->Field(id); }
};

struct PersonCase {
    const char* display;
    const char* article;
    const char* first;
    const char* last;
    const char* sortText;
};

TEST_F(LookupTest, PersonNamesAreParsedIntoParts)
{
    const PersonCase cases[] = {
        {"John R. Smith", "", "John R.", "Smith", "Smith, John R."},
        {"Ludwig van Beethoven", "", "Ludwig", "van Beethoven", "van Beethoven, Ludwig"},
        {"The Beatles", "The", "", "Beatles", "Beatles, The"},
        {"Tolkien, J.R.R.", "", "J.R.R.", "Tolkien", "Tolkien, J.R.R."},
        {"Smith", "", "", "Smith", "Smith"},
        {"Smith, The", "The", "", "Smith", "Smith, The"},
        {"J R Tolkien Jr", "", "J R", "Tolkien Jr", "Tolkien Jr, J R"},
        {"Anne B Cole", "", "Anne B", "Cole", "Cole, Anne B"},
        {"Cher ", "", "", "Cher ", "Cher "},
    };
    for (const PersonCase& c : cases) {
        TPersonLookupItem person;
        person.Article = "stale";
        person.DisplayName = c.display;
        person.ParseDisplayName();
        EXPECT_EQ(person.Article, c.article) << c.display;
        EXPECT_EQ(person.FirstName, c.first) << c.display;
        EXPECT_EQ(person.Name, c.last) << c.display;
        EXPECT_EQ(person.GetSortText(), c.sortText) << c.display;
    }
}

TEST_F(LookupTest, SortEntriesMoveTheLeadingArticle)
{
    TSortLookupItem entry;
    entry.DisplayName = "The Lord of the Rings";
    entry.ParseDisplayName();
    EXPECT_EQ(entry.Name, "Lord of the Rings");
    EXPECT_EQ(entry.Article, "The");
    EXPECT_EQ(entry.GetSortText(), "Lord of the Rings, The");
    entry.RebuildDisplayName();
    EXPECT_EQ(entry.DisplayName, "The Lord of the Rings");

    TSortLookupItem plain;
    plain.DisplayName = "Dune, Part Two";
    plain.ParseDisplayName();
    EXPECT_EQ(plain.Name, "Dune, Part Two");
    EXPECT_EQ(plain.Article, "");
}

struct SetNamesCase {
    bool person;
    const char* name;
    const char* displayName;
    const char* expectDisplay;
    const char* expectSort;
};

TEST_F(LookupTest, SetNamesTable)
{
    const SetNamesCase cases[] = {
        {false, "Hobbit, The", "", "The Hobbit", "Hobbit, The"},
        {false, "the hobbit", "", "the hobbit", "hobbit, the"},
        {false, "Hobbit", "", "Hobbit", "Hobbit"},
        {false, "Two Towers", "", "Two Towers", "Two Towers"},
        {false, "Hobbit, The", "My Hobbit", "My Hobbit", "Hobbit, The"},
        {true, "Tolkien, J.R.R.", "", "J.R.R. Tolkien", "Tolkien, J.R.R."},
        {true, "Beatles, The", "", "The Beatles", "Beatles, The"},
        {true, "John Smith", "", "John Smith", "John Smith"},
    };
    for (const SetNamesCase& c : cases) {
        std::unique_ptr<TSortLookupItem> entry;
        if (c.person)
            entry = std::make_unique<TPersonLookupItem>();
        else
            entry = std::make_unique<TSortLookupItem>();
        entry->SetNames(c.name, c.displayName);
        EXPECT_EQ(entry->DisplayName, c.expectDisplay) << c.name;
        EXPECT_EQ(entry->GetSortText(), c.expectSort) << c.name;
    }
}

TEST_F(LookupTest, FindOrAddFoldsOnlyAsciiLettersAndTrims)
{
    TLookupItem* hobbit = Root->Genres.AddNew("The Hobbit");
    EXPECT_EQ(Root->Genres.FindOrAdd("  the hobbit "), hobbit);
    EXPECT_EQ(Root->Genres.FindOrAdd("   "), nullptr);
    EXPECT_EQ(Root->Genres.Count(), 1);

    auto* sorted = static_cast<TSortLookupItem*>(Root->Series.NewItem());
    sorted->SetNames("Hobbit, The", "");
    EXPECT_EQ(Root->Series.FindOrAdd("hobbit, the"), sorted);

    // A name that an entry was made from, before the entry was split into its parts.
    TLookupItem* chabon = Root->Persons.FindOrAdd("Chabon,Michael");
    chabon->ParseDisplayName();
    chabon->RebuildDisplayName();
    ASSERT_EQ(chabon->DisplayName, "Michael Chabon");
    EXPECT_EQ(Root->Persons.FindOrAdd("Chabon,Michael"), chabon);
    EXPECT_EQ(Root->Persons.FindOrAdd("Chabon ,  Michael"), chabon);
    EXPECT_EQ(Root->Persons.Count(), 1);

    TLookupItem* accented = Root->Genres.FindOrAdd("Élan");
    EXPECT_NE(Root->Genres.FindOrAdd("élan"), accented) << "only A to Z fold";
    EXPECT_TRUE(accented->SameAs(Root->Genres.FindByName("ÉLAN")));
}

TEST_F(LookupTest, ListsStaySortedAndFillStringsMarksTwins)
{
    for (const char* name : {"Pear", "apple", "Mango", "banana"})
        Root->Genres.FindOrAdd(name);
    QStringList order;
    for (TDataItem* entry : Root->Genres)
        order << static_cast<TLookupItem*>(entry)->DisplayName;
    EXPECT_EQ(order, (QStringList{"apple", "banana", "Mango", "Pear"}));

    auto* john = static_cast<TPersonLookupItem*>(Root->Persons.NewItem());
    john->SetNames("Smith, John", "John Smith");
    auto* other = static_cast<TPersonLookupItem*>(Root->Persons.NewItem());
    other->SetNames("Smith, John", "J. Smith");
    QStringList lines;
    for (const auto& line : Root->Persons.FillStrings(false))
        lines << line.Text;
    EXPECT_TRUE(lines.contains("Smith, John (John Smith)"));
    EXPECT_TRUE(lines.contains("Smith, John (J. Smith)"));
    lines.clear();
    for (const auto& line : Root->Persons.FillStrings(true))
        lines << line.Text;
    EXPECT_TRUE(lines.contains("J. Smith"));

    Prefs().ShowLookupSortNames = true;
    EXPECT_EQ(john->GetDisplayText(), "Smith, John");
    Prefs().ShowLookupSortNames = false;
    EXPECT_EQ(john->GetDisplayText(), "John Smith");
}

TEST_F(LookupTest, YearListAndItemChanged)
{
    ASSERT_EQ(Root->Formats.Count(), 56);
    EXPECT_EQ(Root->Formats.Entry(0)->DisplayName, "1950");
    EXPECT_EQ(Root->Formats.Entry(55)->DisplayName, "2005");
    TLookupItem stray;
    try {
        Root->Formats.ItemChanged(&stray);
        FAIL();
    } catch (const EData& error) {
        EXPECT_EQ(error.Message(), "TLookupList.ItemChanged : item not found in list");
    }
    TLookupItem* first = Root->Formats.Entry(0);
    first->DisplayName = "2999";
    Root->Formats.ItemChanged(first);
    EXPECT_EQ(Root->Formats.Entry(55), first);
}

TEST_F(LookupTest, CreditOperations)
{
    TCreditList& credits = Root->AddItem("A")->Credits;
    TLookupItem* ann = Root->Persons.FindOrAdd("Ann");
    TLookupItem* bob = Root->Persons.FindOrAdd("Bob");
    EXPECT_EQ(credits.AddCredit(tfAuthor, nullptr), nullptr);
    TCreditItem* first = credits.AddCredit(tfAuthor, ann);
    EXPECT_EQ(credits.AddCredit(tfAuthor, ann), first);
    credits.AddCredit(tfAuthor, bob);
    credits.AddCredit(tfEditor, ann);
    EXPECT_EQ(credits.GetRoleText(tfAuthor), "Ann; Bob");
    EXPECT_EQ(credits.CountRole(tfAuthor), 2);
    EXPECT_TRUE(credits.HasCredit(tfEditor, ann));
    EXPECT_FALSE(credits.HasCredit(tfEditor, nullptr));
    EXPECT_TRUE(credits.HasCredit(99, nullptr));

    credits.SetCredit(tfEditor, bob, smReplace, ann);
    EXPECT_EQ(credits.FirstPerson(tfEditor), bob);
    credits.SetCredit(tfAuthor, nullptr, smClear, nullptr);
    EXPECT_TRUE(credits.RoleAbsent(tfAuthor));
    EXPECT_EQ(credits.Count(), 1);

    TCreditList copy(nullptr, nullptr);
    credits.CopyTo(copy);
    EXPECT_TRUE(copy.IsEqualCredits(credits));
    EXPECT_NE(copy.Credit(0), credits.Credit(0));

    TLookupItemRefList refs(nullptr, nullptr, tfEditor);
    credits.MoveRoleTo(refs);
    EXPECT_EQ(credits.Count(), 0);
    EXPECT_EQ(refs.First(), bob);
    credits.AddFromRefList(refs);
    EXPECT_EQ(credits.FirstPerson(tfEditor), bob);
}

TEST_F(LookupTest, ReferenceListModes)
{
    TLookupItem* a = Root->Genres.FindOrAdd("a");
    TLookupItem* b = Root->Genres.FindOrAdd("b");
    TLookupItemRefList refs(nullptr, nullptr, tfGenre);
    EXPECT_EQ(refs.Add(nullptr), -1);
    EXPECT_TRUE(refs.ContainsOrEmpty(nullptr));
    refs.SetEntry(a, nullptr, smAdd);
    refs.SetEntry(b, nullptr, smAdd);
    refs.SetEntry(b, a, smReplace);
    EXPECT_EQ(refs.GetText(), "b; b");
    refs.SetEntry(nullptr, b, smReplace);
    EXPECT_TRUE(refs.IsEmpty()) << "replacing without a new entry empties the list";
    int none = 0;
    refs.IncrementUsage(none);
    EXPECT_EQ(none, 1);
}

TEST_F(LookupTest, MergingKeepsOneEntryAndRepointsImportedItems)
{
    auto other = TRootItem::New<TTestRoot>();
    Root->Genres.FindOrAdd("Drama");
    TLookupItem* otherDrama = other->Genres.FindOrAdd("drama");
    TLookupItem* otherPoetry = other->Genres.FindOrAdd("Poetry");
    otherPoetry->GetID();
    TTestItem* book = other->AddItem("Imported");
    book->Genres.Add(otherDrama);
    book->Genres.Add(otherPoetry);

    Root->MergeLookups(*other);
    Root->ImportItems(*other);
    ASSERT_EQ(Root->List().Count(), 1);
    EXPECT_EQ(other->Items->Count(), 0);
    EXPECT_EQ(Root->Genres.Count(), 2);
    EXPECT_EQ(book->Genres.Entry(0), Root->Genres.FindByName("Drama"));
    EXPECT_EQ(book->Genres.Entry(1), otherPoetry);
    EXPECT_EQ(otherPoetry->Parent, &Root->Genres);
    EXPECT_EQ(otherPoetry->ID, -1) << "a moved entry takes a fresh identity";
    EXPECT_EQ(book->Parent, Root->Items.get());
}

TEST_F(LookupTest, ImportSkipsItemsAlreadyHeldAndDropsForeignLoanLinks)
{
    auto other = TRootItem::New<TTestRoot>();
    Root->AddItem("Same");
    other->AddItem("Same");
    TTestItem* lent = other->AddItem("Lent");
    lent->ID = Root->List().Item(0)->GetID();
    auto* loan = static_cast<TLoanInfo*>(other->Loans->NewItem());
    loan->SetItem(lent);
    lent->CurrentLoan = loan;

    Root->ImportItems(*other);
    ASSERT_EQ(Root->Items->Count(), 2);
    EXPECT_EQ(other->Items->Count(), 1);
    EXPECT_EQ(lent->CurrentLoan, nullptr);
    EXPECT_NE(lent->GetID(), Root->List().Item(0)->GetID()) << "imported items never share an identity";
    other.reset();
    EXPECT_EQ(lent->GetValueAsString(Field(fiLoanedTo)), "");
}

xmlDocPtr ParseXml(const char* text)
{
    return xmlReadMemory(text, int(strlen(text)), nullptr, nullptr, XML_PARSE_NONET);
}

TEST_F(LookupTest, ReadingXmlCreatesEntriesAndDropsUnknownRoles)
{
    xmlDocPtr doc = ParseXml(R"(<item>
        <credits>
          <credit><role>Author</role><person><displayname>Ann Lee</displayname><url>http://a</url></person></credit>
          <credit><role>Author</role><person><displayname>ann lee</displayname></person></credit>
          <credit><role>Nobody</role><person><displayname>Ghost</displayname></person></credit>
          <credit><role>Editor</role><person><displayname></displayname></person></credit>
        </credits>
        <genres><genre><displayname>Drama</displayname></genre><genre><displayname>Crime</displayname></genre></genres>
      </item>)");
    ASSERT_NE(doc, nullptr);
    xmlNode* root = xmlDocGetRootElement(doc);
    TTestItem* item = Root->AddItem("A");
    item->Credits.ReadXML(XmlFindElement(root, "credits"), "credit", false);
    ASSERT_EQ(item->Credits.Count(), 1);
    auto* ann = static_cast<TPersonLookupItem*>(item->Credits.FirstPerson(tfAuthor));
    EXPECT_EQ(ann->FirstName, "Ann");
    EXPECT_EQ(ann->Name, "Lee");
    EXPECT_EQ(ann->URL, "http://a");
    EXPECT_EQ(Root->Persons.FindByName("Ghost"), nullptr);

    item->Genres.ReadXML(XmlFindElement(root, "genres"), "genre", false);
    EXPECT_EQ(item->Genres.GetText(), "Drama; Crime");
    TLookupItem* poetry = Root->Genres.FindOrAdd("Poetry");
    item->Genres.Clear();
    item->Genres.Add(poetry);
    item->Genres.ReadXML(XmlFindElement(root, "genres"), "genre", false);
    EXPECT_EQ(item->Genres.GetText(), "Poetry") << "a filled list is kept without overwrite";
    item->Genres.ReadXML(XmlFindElement(root, "genres"), "genre", true);
    EXPECT_EQ(item->Genres.GetText(), "Drama; Crime");
    xmlFreeDoc(doc);
}

TEST_F(LookupTest, EntriesAndCreditsWriteTheirElements)
{
    xmlDocPtr doc = xmlNewDoc(BAD_CAST "1.0");
    xmlNode* node = xmlNewNode(nullptr, BAD_CAST "credit");
    xmlDocSetRootElement(doc, node);
    TTestItem* item = Root->AddItem("A");
    auto* person = static_cast<TPersonLookupItem*>(Root->Persons.NewItem());
    person->SetNames("Tolkien, J.R.R.", "");
    item->Credits.AddCredit(tfAuthor, person)->WriteXML(node);
    xmlChar* text = nullptr;
    int size = 0;
    xmlDocDumpMemory(doc, &text, &size);
    const QString xml = QString::fromUtf8(reinterpret_cast<char*>(text), size);
    xmlFree(text);
    xmlFreeDoc(doc);
    EXPECT_TRUE(xml.contains("<credit><role>Author</role><person><displayname>J.R.R. Tolkien</displayname>"
                             "<sortname>Tolkien, J.R.R.</sortname><lastname>Tolkien</lastname>"
                             "<firstname>J.R.R.</firstname></person></credit>"))
        << qPrintable(xml);
}

}  // namespace

// Books, sections and the book collection: values, inheritance, file records, XML, import and defaults.

#include "app/cGatherixPrefs.h"
#include "book/cBookData.h"
#include "model/cCryptStream.h"
#include "model/cData_FieldRefs.h"
#include "model/cIsbn.h"
#include "model/cXmlUtil.h"
#include "platform/Messenger.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <libxml/tree.h>

namespace {

class BookTest : public ::testing::Test {
protected:
    TRecordingMessenger Messages;
    QTemporaryDir Dir;
    std::unique_ptr<TBookRoot> Root = TRootItem::New<TBookRoot>();

    void SetUp() override { SetMessenger(&Messages); }
    void TearDown() override { SetMessenger(nullptr); }
    TDataField* Field(int id) const { return Root->FieldByID(id); }
    TLookupItem* Entry(const char* list, const QString& name) const
    {
        return Root->List(list)->FindOrAdd(name);
    }
    TBook* NewBook(const QString& title)
    {
        auto* book = static_cast<TBook*>(Root->Items->NewItem());
        book->MainSection->Title = title;
        return book;
    }
    TBookSection* NewSection(TBook* book, const QString& title)
    {
        auto* section = static_cast<TBookSection*>(book->Sections->NewItem());
        section->Title = title;
        return section;
    }

    // A book that uses every kind of value the book record holds.
    TBook* FullBook(TBookRoot& root)
    {
        auto entry = [&](const char* list, const QString& name) { return root.List(list)->FindOrAdd(name); };
        auto* book = static_cast<TBook*>(root.Items->NewItem());
        TBookSection& main = book->Main();
        main.Title = "The Hobbit";
        main.TitleSort = "Hobbit";
        main.TitleThe = "The";
        main.SubTitle = "There and Back Again — ünïcode ✓";
        main.Plot = "A dragon.";
        main.Notes = "Signed";
        main.Rating = 9;
        main.PageCount = 310;
        main.StartPage = 1;
        main.UserText1 = "u1";
        main.UserLookup1 = entry("User Lookup 1", "Friend");
        main.Series = entry("Series", "Middle-earth");
        static_cast<TSeriesLookupItem*>(main.Series)->Frequency = entry("Frequency", "Yearly");
        main.Characters.Add(entry("Character", "Bilbo Baggins"));
        for (int role : {bfAuthor, bfIllustrator, bfPhotographer, bfGhostwriter, bfForewordAuthor,
                         bfTranslator, bfCoverArtist, bfEditor})
            main.Credits.AddCredit(
                role, root.LookupListForFieldID(role)->FindOrAdd(QStringLiteral("Person %1").arg(role)));
        main.OriginalTitle = "Orig";
        main.OriginalPublisher = entry("Publisher", "Allen & Unwin");
        main.OriginalPublicationDate.Year = entry("Year", "1937");
        book->FrontCover = "covers/hobbit.jpg";
        book->URL = "https://example.org/hobbit";
        book->ISBN = "9780261102217";
        book->IssueNr = 0;
        book->PurchasePrice = 129900;
        book->CurrentValue = 1;
        book->CoverPrice = 99999999;
        book->PurchaseDate.Year = entry("Year", "2001");
        book->PurchaseDate.Month = 5;
        book->PublicationDate.Year = entry("Year", "1995");
        book->InCollection = true;
        book->Format = entry("Format", "Hardcover");
        book->Genres.Add(entry("Genre", "Fantasy"));
        book->Genres.Add(entry("Genre", "Adventure"));
        book->PrintedBy = entry("Printed By", "Clays");
        book->Country = entry("Country", "Great Britain");
        book->Language = entry("Language", "English");
        book->Store = entry("Store", "Second-hand shop");
        book->Condition = entry("Condition", "Fine");
        book->Owner = entry("Owner", "Me");
        book->Location = entry("Location", "Shelf 3");
        book->Dewey = "823.912";
        book->LoCClassification = "PR6039.O32";
        book->Dedication = "For C.";
        book->Printing = 3;
        book->Height = 24;
        book->Width = 16;
        book->FirstEdition = true;
        book->Edition = entry("Edition", "Second");
        book->PaperType = entry("Paper Type", "Acid-free");
        book->Extras.Add(entry("Extras", "Map"));
        book->Volume = entry("Volume", "1");
        book->ReadIt = true;
        book->ReadingDate.Year = entry("Year", "2010");
        QImage thumbnail(32, 32, QImage::Format_RGB32);
        thumbnail.fill(qRgb(9, 8, 7));
        book->SetThumbnail(thumbnail);
        for (const char* title : {"Chapter One", "Chapter Two"}) {
            auto* section = static_cast<TBookSection*>(book->Sections->NewItem());
            section->Title = title;
            section->Credits.AddCredit(bfAuthor, entry("Author", QStringLiteral("Writer of %1").arg(title)));
            section->OriginalCountry = entry("Country", "Belgium");
            section->OriginalPublicationDate.Year = entry("Year", "1936");
        }
        auto* loan = static_cast<TLoanInfo*>(root.Loans->NewItem());
        loan->SetItem(book);
        book->CurrentLoan = loan;
        loan->LoanedTo = root.LoanPersons->FindOrAdd("Ann");
        loan->LoanDate = 45000;
        return book;
    }
};

TEST_F(BookTest, ANewCollectionHoldsTheBuiltInEntriesInRegistryOrder)
{
    QStringList captions;
    for (TDataItem* row : Root->MetaInfo->LookupLists)
        captions << static_cast<TLookupListInfo*>(row)->Caption;
    EXPECT_EQ(captions,
              (QStringList{"Loaned To",    "Year",         "Genre",         "Character",     "Frequency",
                           "Series",       "Format",       "Publisher",     "Printed By",    "Country",
                           "Translator",   "Cover Artist", "Editor",        "Language",      "Store",
                           "Condition",    "Owner",        "User Lookup 1", "User Lookup 2", "Location",
                           "Edition",      "Paper Type",   "Extras",        "Author",        "Illustrator",
                           "Photographer", "Volume"}));
    EXPECT_EQ(Root->List("Year")->Count(), 56);
    EXPECT_EQ(Root->List("Genre")->Count(), 22);
    EXPECT_EQ(Root->List("Publisher")->Count(), 17);
    EXPECT_EQ(Root->List("Author")->Count(), 0);
    QStringList conditions;
    for (TDataItem* entry : *Root->List("Condition"))
        conditions << static_cast<TLookupItem*>(entry)->GetSortText();
    EXPECT_EQ(conditions, (QStringList{"005 Poor", "010 Fair", "020 Good", "040 Very Good", "060 Fine",
                                       "080 Very Fine", "094 Near Mint", "100 Mint"}));
    for (int year : {bfPurchaseYear, bfPublicationYear, bfOriginalYear, bfReadingYear})
        EXPECT_EQ(Root->LookupListForFieldID(year), Root->List("Year"));
    for (int author : {bfAuthor, bfGhostwriter, bfForewordAuthor})
        EXPECT_EQ(Root->LookupListForFieldID(author), Root->List("Author"));
    EXPECT_EQ(Field(bfOriginalDate)->Name, "Orginal Publication Date");
    EXPECT_TRUE(Field(fiID)->ItemKinds.test(ikChild));
    EXPECT_EQ(Root->MetaInfo->FieldGroups, (QStringList{"ID", "Main", "Loan", "Personal", "Images", "Credits",
                                                        "User Defined", "Original", "Book"}));
    EXPECT_EQ(Root->FileFilterCaption(), "Book Collections (*.tmk)");
}

TEST_F(BookTest, DisplayTextOfABook)
{
    struct Case {
        const char* volume;
        qint32 issue;
        QStringList authors;
        const char* text;
    };
    const Case cases[] = {
        {"2", 5, {"Ann Lee"}, "Dune vol. 2 #5 - Ann Lee"},
        {"", 0, {"Ann Lee", "Bob Ray"}, "Dune - Ann Lee; Bob Ray"},
        {"", NoIssueNr, {}, "Dune"},
    };
    for (const Case& c : cases) {
        TBook* book = NewBook("Dune");
        book->Volume = *c.volume ? Entry("Volume", c.volume) : nullptr;
        book->IssueNr = c.issue;
        for (const QString& author : c.authors)
            book->MainSection->Credits.AddCredit(bfAuthor, Entry("Author", author));
        EXPECT_EQ(book->GetDisplayText(), c.text);
    }
}

TEST_F(BookTest, ValuesTextsAndInheritanceOfSections)
{
    TBook* book = NewBook("Collected Stories");
    book->ISBN = "978-0";
    book->Publisher = Entry("Publisher", "Penguin");
    book->MainSection->Rating = 7;
    book->MainSection->Credits.AddCredit(bfAuthor, Entry("Author", "Ann Lee"));
    book->IssueNr = 0;
    EXPECT_EQ(book->GetValueAsString(Field(bfIssueNr)), "0");
    book->IssueNr = NoIssueNr;
    EXPECT_EQ(book->GetValueAsString(Field(bfIssueNr)), "");
    EXPECT_EQ(book->GetValueAsString(Field(bfPurchasePrice)), "");
    book->PurchasePrice = 125000;
    EXPECT_EQ(book->GetValueAsString(Field(bfPurchasePrice)), "$12.50");
    EXPECT_DOUBLE_EQ(book->GetValueAsFloat(Field(bfPurchasePrice)), 12.5);

    EXPECT_EQ(&book->SectionsOrMain(), &book->SectionsOrMain());
    ASSERT_EQ(book->SectionsOrMain().Count(), 1);
    EXPECT_EQ(book->SectionsOrMain().Items(0), book->MainSection.get());
    TBookSection* story = NewSection(book, "First Story");
    ASSERT_EQ(book->SectionsOrMain().Count(), 1);
    EXPECT_EQ(book->SectionsOrMain().Items(0), story);

    EXPECT_EQ(story->GetValueAsString(Field(bfISBN)), "978-0");
    EXPECT_EQ(story->GetValueAsString(Field(bfPublisher)), "Penguin");
    EXPECT_EQ(story->GetValueAsString(Field(bfRating)), "7") << "the text inherits";
    EXPECT_EQ(story->GetValueAsInteger(Field(bfRating)), 0) << "the number does not";
    EXPECT_EQ(story->GetValueAsString(Field(bfAuthor)), "Ann Lee");
    EXPECT_EQ(story->GetValueAsString(Field(bfTitle)), "First Story");
    EXPECT_EQ(story->GetValueAsString(Field(bfNotes)), "") << "notes do not inherit";
    EXPECT_EQ(story->GetValueAsString(Field(bfBookTitle)), "Collected Stories");
    EXPECT_EQ(story->GetValueAsString(Field(bfBookPages)), "0");
    EXPECT_EQ(story->GetValueAsInteger(Field(bfBookID)), book->GetID());
    EXPECT_EQ(story->GetValueAsString(Field(fiIndex)), QString::number(book->Index));
    story->Credits.AddCredit(bfAuthor, Entry("Author", "Bob Ray"));
    EXPECT_EQ(story->GetValueAsString(Field(bfAuthor)), "Bob Ray");
    EXPECT_EQ(story->GetValueAsLookupItem(Field(bfPublisher), true), book->Publisher);
    EXPECT_EQ(story->GetValueAsLookupItem(Field(bfPublisher), false), nullptr);

    book->Main().OriginalPublicationDate.Year = Entry("Year", "1930");
    TBook* other = NewBook("Other");
    other->Main().OriginalPublicationDate.Year = Entry("Year", "1920");
    TDataRefList books;
    books.Add(book);
    books.Add(other);
    books.SortByField(Field(bfOriginalDate), 1);
    EXPECT_EQ(books.Items(0), other) << "sorted by the main section's original date";
}

TEST_F(BookTest, UsageCountsReachIntoSectionsAndReplacementFollowsKinds)
{
    TLookupItem* ann = Entry("Author", "Ann");
    TLookupItem* bob = Entry("Author", "Bob");
    TBook* book = NewBook("A");
    book->MainSection->Credits.AddCredit(bfAuthor, ann);
    NewSection(book, "s1")->Credits.AddCredit(bfAuthor, bob);
    NewSection(book, "s2")->Credits.AddCredit(bfAuthor, ann);
    EXPECT_TRUE(book->HasLookupItem(Field(bfAuthor), bob, false, true));
    EXPECT_FALSE(book->HasLookupItem(Field(bfAuthor), bob, false, false));
    Root->CountUsageAll(*Root->MetaInfo->LookupLists.FindByFieldID(bfAuthor));
    EXPECT_EQ(ann->UsageCount, 2);
    EXPECT_EQ(bob->UsageCount, 1);
    int none = 0;
    Root->CountUsage(Field(bfAuthor), {}, none);
    EXPECT_EQ(ann->UsageCount, 1) << "books only, main section";
    EXPECT_EQ(Root->CountSectionUsage(Field(bfAuthor)), 0);
    EXPECT_EQ(ann->UsageCount, 1);
    EXPECT_EQ(bob->UsageCount, 1);
    book->ReplaceLookupItem(Field(bfAuthor), ann, bob);
    EXPECT_EQ(book->MainSection->Credits.FirstPerson(bfAuthor), bob);
    EXPECT_EQ(book->Sections->Section(1)->Credits.FirstPerson(bfAuthor), bob);
}

TEST_F(BookTest, EveryValueSurvivesTheFileByteForByte)
{
    TBook* original = FullBook(*Root);
    original->Sections->Section(0)->Rating = 3;
    const QString path = Dir.filePath("books.tmk");
    ASSERT_TRUE(Root->SaveToFile(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray first = file.readAll();

    auto loaded = TRootItem::New<TBookRoot>();
    ASSERT_TRUE(loaded->LoadFromFile(path));
    ASSERT_TRUE(Messages.Errors.isEmpty()) << qPrintable(Messages.Errors.join("|"));
    EXPECT_EQ(loaded->SaveToBytes(), first);
    ASSERT_EQ(loaded->Books().Count(), 1);
    TBook* book = loaded->Books().Book(0);
    EXPECT_EQ(book->GetValueAsString(loaded->FieldByID(bfSubTitle)), original->MainSection->SubTitle);
    EXPECT_EQ(book->CoverPrice, 99999999);
    EXPECT_EQ(book->PurchaseDate.GetText(), "May 2001");
    EXPECT_EQ(book->Sections->Count(), 2);
    EXPECT_EQ(book->Sections->Section(1)->GetValueAsString(loaded->FieldByID(bfAuthor)),
              "Writer of Chapter Two");
    EXPECT_EQ(static_cast<TBookSection*>(book->Sections->Section(0))->OriginalCountry->DisplayName,
              "Belgium");
    EXPECT_EQ(static_cast<TSeriesLookupItem*>(book->MainSection->Series)->Frequency->DisplayName, "Yearly");
    EXPECT_TRUE(book->HasThumbnail());
    EXPECT_EQ(book->CurrentLoan, loaded->Loans->Loan(0));
    EXPECT_EQ(book->PurchaseDate.YearList, loaded->List("Year"));
    EXPECT_EQ(loaded->List("Genre")->Count(), Root->List("Genre")->Count())
        << "no built-in entries added on load";
}

TEST_F(BookTest, EqualityAndClones)
{
    TBook* book = FullBook(*Root);
    auto copy = book->Clone(Root->Items.get(), Root->Items.get(), true);
    auto* clone = static_cast<TBook*>(copy.get());
    EXPECT_TRUE(clone->IsEqual(book));
    EXPECT_EQ(clone->ID, book->ID);
    EXPECT_EQ(clone->MainSection->Parent, clone);
    EXPECT_NE(clone->Sections->Section(0), book->Sections->Section(0));
    EXPECT_EQ(clone->CurrentLoan, nullptr) << "the loan is not copied";
    clone->Genres.Delete(0);
    clone->Genres.Add(book->Genres.Entry(0));
    EXPECT_FALSE(clone->IsEqual(book)) << "genre order counts";
    auto second = book->Clone(Root->Items.get(), Root->Items.get(), false);
    static_cast<TBook*>(second.get())->Sections->Section(1)->Title = "Changed";
    EXPECT_FALSE(second->IsEqual(book));
}

TEST_F(BookTest, ReadingParsedDocuments)
{
    struct Case {
        const char* xml;
        bool overwrite;
        const char* title;
        const char* isbn;
        TCurrency coverPrice;
        qint32 width;
    };
    const Case cases[] = {
        {"<book><title>New</title><isbn>111</isbn><coverprice>9.99</coverprice><width>7.5</width></book>",
         false, "Old", "000", 10000, 8},
        {"<book><title>New</title><isbn>111</isbn><coverprice>9.99</coverprice><width>8.5</width></book>",
         true, "New", "111", 99900, 8},
        {"<book><title></title><width>wide</width></book>", true, "", "000", 10000, 0},
        {"<book><pagecount>12</pagecount></book>", true, "Old", "000", 10000, 5},
    };
    for (const Case& c : cases) {
        TBook* book = NewBook("Old");
        book->ISBN = "000";
        book->CoverPrice = 10000;
        book->Width = c.overwrite ? 5 : 0;
        xmlDocPtr doc = xmlReadMemory(c.xml, int(strlen(c.xml)), nullptr, nullptr, XML_PARSE_NONET);
        book->ReadXML(xmlDocGetRootElement(doc), c.overwrite);
        xmlFreeDoc(doc);
        EXPECT_EQ(book->MainSection->Title, c.title) << c.xml;
        EXPECT_EQ(book->ISBN, c.isbn) << c.xml;
        EXPECT_EQ(book->CoverPrice, c.coverPrice) << c.xml;
        EXPECT_EQ(book->Width, c.width) << c.xml;
    }
    const char* huge = "<book><height>1e12</height></book>";
    xmlDocPtr doc = xmlReadMemory(huge, int(strlen(huge)), nullptr, nullptr, XML_PARSE_NONET);
    EXPECT_THROW(NewBook("x")->ReadXML(xmlDocGetRootElement(doc), true), EData);
    xmlFreeDoc(doc);
}

TEST_F(BookTest, ReadingOwnXmlFillsEntriesAndCredits)
{
    TBook* source = FullBook(*Root);
    TXmlDocument document = Root->WriteXMLDocument(source);
    xmlNode* element = XmlFindElement(xmlDocGetRootElement(document.get()), "book");
    auto other = TRootItem::New<TBookRoot>();
    auto* book = static_cast<TBook*>(other->Items->NewItem());
    book->ReadXML(element, false);
    EXPECT_EQ(book->MainSection->Title, "The Hobbit");
    EXPECT_EQ(book->ISBN, "9780261102217");
    EXPECT_EQ(book->Format->DisplayName, "Hardcover");
    EXPECT_EQ(book->Publisher, nullptr) << "only the publisher element counts, not the original one";
    EXPECT_EQ(book->Genres.GetText(), "Fantasy; Adventure");
    EXPECT_EQ(book->MainSection->Series->DisplayName, "Middle-earth");
    EXPECT_EQ(book->MainSection->Credits.GetRoleText(bfIllustrator), "Person 14");
    EXPECT_EQ(book->Edition->DisplayName, "Second");
    EXPECT_EQ(book->Height, 24);
    EXPECT_EQ(book->CoverPrice, 100000000) << "the document carries the price with two decimals";
}

TEST_F(BookTest, WhatTheXmlReaderTakesComesBackEqual)
{
    TBook* source = NewBook("Dune");
    source->MainSection->SubTitle = "Book One";
    source->MainSection->PageCount = 412;
    source->MainSection->Notes = "Worn";
    source->MainSection->Series = Entry("Series", "Dune Chronicles");
    source->MainSection->Credits.AddCredit(bfAuthor, Entry("Author", "Frank Herbert"));
    source->MainSection->Credits.AddCredit(bfEditor, Entry("Editor", "Sterling Lanier"));
    source->ISBN = "9780441013593";
    source->URL = "https://example.org/dune";
    source->CoverPrice = 99900;
    source->Format = Entry("Format", "Paperback");
    source->Publisher = Entry("Publisher", "Chilton Books");
    source->Genres.Add(Entry("Genre", "Science Fiction"));
    source->PublicationDate.Year = Entry("Year", "1965");
    source->PublicationDate.Month = 8;
    source->Width = 11;
    source->Height = 18;
    source->Printing = 2;
    source->LoCClassification = "PS3558.E63";
    source->Dewey = "813.54";
    source->Edition = Entry("Edition", "First");
    source->PaperType = Entry("Paper Type", "Pulp");
    TXmlDocument document = Root->WriteXMLDocument(source);
    TBook* copy = NewBook("");
    copy->Index = source->Index;
    copy->ReadXML(XmlFindElement(xmlDocGetRootElement(document.get()), "book"), false);
    EXPECT_TRUE(copy->IsEqual(source));
}

TEST_F(BookTest, CollectionXmlDocument)
{
    QDir(Dir.path()).mkpath("covers");
    QFile cover(Dir.filePath("covers/hobbit.jpg"));
    ASSERT_TRUE(cover.open(QIODevice::WriteOnly));
    cover.write("x");
    cover.close();
    Prefs().ImageBaseFolder = Dir.path() + "/";
    TBook* book = FullBook(*Root);
    book->BackCover = "/nowhere/back.jpg";
    book->MainSection->Title = "Café <&> \"quoted\"\x01";
    const QString xml =
        QString::fromUtf8(XmlDocumentText(Root->WriteXMLDocument(book, "details.xsl").get(), false));
    EXPECT_TRUE(
        xml.startsWith("<?xml version=\"1.0\"?>\n<?xml-stylesheet type=\"text/xsl\" href=\"details.xsl\"?>\n"
                       "<!DOCTYPE bookinfo>\n<bookinfo>"))
        << qPrintable(xml.left(200));
    EXPECT_TRUE(xml.contains("<field name=\"Title\" label=\"Title\"/>"));
    EXPECT_FALSE(xml.contains("name=\"Display Name\""));
    EXPECT_TRUE(xml.contains("<coverfront>" + Dir.path() + "/covers/hobbit.jpg</coverfront>"));
    EXPECT_FALSE(xml.contains("<coverback>"));
    EXPECT_TRUE(xml.contains("<title>Café &lt;&amp;&gt; \"quoted\"</title>"));
    EXPECT_TRUE(xml.contains("<purchaseprice>$12.99</purchaseprice>"));
    EXPECT_TRUE(xml.contains("<loan><loanedto>Ann</loanedto>"));
    EXPECT_TRUE(xml.contains("<extras>"));
    EXPECT_TRUE(xml.contains("<original><origtitle>Orig</origtitle>"));
    EXPECT_TRUE(xml.contains("<myrating>9</myrating>"));
    EXPECT_NE(ParseXmlSafely(xml.toUtf8()), nullptr) << "the document is well-formed";
    TDataRefList both;
    both.Add(book);
    both.Add(NewBook("Second"));
    for (bool indent : {false, true})
        EXPECT_EQ(Root->WriteXMLText(&both, "details.xsl", indent),
                  XmlDocumentText(Root->WriteXMLDocument(&both, "details.xsl").get(), indent))
            << "written item by item or as one tree, the text is the same";
    Prefs().ImageBaseFolder.clear();

    TDataRefList none;
    const QString empty = QString::fromUtf8(XmlDocumentText(Root->WriteXMLDocument(&none).get(), false));
    EXPECT_TRUE(empty.startsWith("<?xml version=\"1.0\"?>\n<!DOCTYPE bookinfo>\n"));
    EXPECT_TRUE(empty.contains("<booklist/>"));
}

TEST_F(BookTest, DefaultsForNewBooks)
{
    TSettingsStore settings(Dir.filePath("settings.reg"));
    auto& defaults = Root->GetDefaults();
    defaults.ReadFromSettings(settings);
    TBook* plain = NewBook("plain");
    plain->ApplyDefaults();
    EXPECT_TRUE(plain->InCollection);
    EXPECT_TRUE(plain->Genres.IsEmpty());
    EXPECT_EQ(plain->Format, nullptr);
    EXPECT_EQ(plain->MainSection->Rating, 0);

    defaults.Genre = "Mystery";
    defaults.Format = " paperback ";
    defaults.Rating = 4;
    defaults.InCollection = false;
    defaults.UserLookup2 = "Shelf";
    defaults.WriteToSettings(settings);
    TBookDefaults reread;
    reread.ReadFromSettings(settings);
    EXPECT_EQ(reread.Genre, "Mystery");
    EXPECT_EQ(reread.Rating, 4);
    TBook* book = NewBook("new");
    book->ApplyDefaults();
    EXPECT_FALSE(book->InCollection);
    EXPECT_EQ(book->Genres.GetText(), "Mystery");
    EXPECT_EQ(book->Format, Root->List("Format")->FindByName("Paperback"));
    EXPECT_EQ(book->MainSection->UserLookup2->DisplayName, "Shelf");
    EXPECT_EQ(book->MainSection->Rating, 4);
}

TEST_F(BookTest, PricesScaleAndIsbnLookupIsExact)
{
    TBook* book = NewBook("x");
    book->ISBN = "978-0-306-40615-7";
    book->PurchasePrice = 100000;
    book->CoverPrice = 3;
    book->ScalePrices(1.5);
    EXPECT_EQ(book->PurchasePrice, 150000);
    EXPECT_EQ(book->CoverPrice, 4) << "rounded to the nearest 1/10000, halves to even";
    EXPECT_EQ(Root->FindByIsbn("978-0-306-40615-7"), book);
    EXPECT_EQ(Root->FindByIsbn("9780306406157"), nullptr);
    EXPECT_EQ(NormalizeIsbn(" 0-306-40615-x "), "030640615X");
    EXPECT_EQ(FloatToCurrency(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(FloatToCurrency(1e30), 0);
    EXPECT_EQ(FloatToCurrency(12.34), 123400);
}

TEST_F(BookTest, ImportingACollectionKeepsReferencesValid)
{
    auto other = TRootItem::New<TBookRoot>();
    TLookupItem* monthlyThere = other->List("Frequency")->FindByName("Monthly");
    auto* series = static_cast<TSeriesLookupItem*>(other->List("Series")->FindOrAdd("Strand Magazine"));
    series->Frequency = monthlyThere;
    auto* lent = static_cast<TBook*>(other->Items->NewItem());
    lent->MainSection->Title = "Lent";
    lent->MainSection->Series = series;
    lent->PublicationDate.Year = other->List("Year")->FindByName("1999");
    lent->Genres.Add(other->List("Genre")->FindByName("Crime"));
    QImage picture(32, 32, QImage::Format_RGB32);
    picture.fill(qRgb(1, 2, 3));
    lent->SetThumbnail(picture);
    auto* loan = static_cast<TLoanInfo*>(other->Loans->NewItem());
    loan->SetItem(lent);
    lent->CurrentLoan = loan;
    const QString otherPath = Dir.filePath("other.tmk");
    ASSERT_TRUE(other->SaveToFile(otherPath));
    other.reset();

    FullBook(*Root);
    ASSERT_TRUE(Root->ImportCollection(otherPath));
    ASSERT_EQ(Root->Books().Count(), 2);
    TBook* imported = Root->Books().Book(1);
    EXPECT_EQ(imported->CurrentLoan, nullptr);
    auto* importedSeries = static_cast<TSeriesLookupItem*>(imported->MainSection->Series);
    EXPECT_EQ(Root->List("Series")->IndexOf(importedSeries) >= 0, true);
    EXPECT_EQ(importedSeries->Frequency, Root->List("Frequency")->FindByName("Monthly"));
    EXPECT_EQ(imported->PublicationDate.Year, Root->List("Year")->FindByName("1999"));
    EXPECT_EQ(imported->PublicationDate.YearList, Root->List("Year"));
    EXPECT_EQ(imported->Genres.Entry(0), Root->List("Genre")->FindByName("Crime"));
    QImage thumbnail;
    imported->GetThumbnail(&thumbnail);
    EXPECT_EQ(thumbnail.pixel(0, 0), qRgb(1, 2, 3));

    const QString path = Dir.filePath("merged.tmk");
    ASSERT_TRUE(Root->SaveToFile(path));
    auto reloaded = TRootItem::New<TBookRoot>();
    ASSERT_TRUE(reloaded->LoadFromFile(path));
    auto* reloadedSeries = static_cast<TSeriesLookupItem*>(reloaded->Books().Book(1)->MainSection->Series);
    ASSERT_NE(reloadedSeries, nullptr);
    EXPECT_EQ(reloadedSeries->Frequency->DisplayName, "Monthly");
    EXPECT_EQ(reloaded->Books().Book(0)->CurrentLoan->LoanedTo->DisplayName, "Ann");
    EXPECT_FALSE(Root->ImportCollection(Dir.filePath("missing.tmk")));
}

}  // namespace

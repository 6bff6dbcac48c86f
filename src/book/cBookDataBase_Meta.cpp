// The fields and pick lists every book-like collection shares, and its root.

#include "book/cBookDataBase.h"

namespace {

// The kinds of the catalogue's fields.
const TItemKinds Book = Kinds({ikMain});
const TItemKinds Both = Kinds({ikMain, ikChild});
const TItemKinds Entry = Kinds({ikLookup});

enum TCategory { ctMain = 1, ctPersonal = 3, ctImages = 4, ctCredits = 5, ctUser = 6 };
enum TGroup { grMain = 0, grPersonal = 1, grCredits = 2, grDetails = 3, grUser = 4 };
constexpr int Multi = 0;
constexpr int Single = 1;

template <class TField>
void AddLookup(TDataFieldList& fields, int id, const char* name, TItemKinds kinds, int category, int width,
               int count)
{
    fields.AddField(std::make_unique<TField>(id, name, kinds, category, 1, width, true, count, -1));
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// TBookItemMetaInfo

void TBookItemMetaInfo::Register(int key, const QString& caption, const QString& list, QList<int> fieldIDs,
                                 int group)
{
    auto* root = static_cast<TBookItemRoot*>(FRoot);
    LookupLists.Add(
        new TLookupListInfo(&LookupLists, key, caption, root->List(list), std::move(fieldIDs), group));
}

void TBookItemMetaInfo::DefineFields()
{
    TMetaInfo::DefineFields();
    AddLoanFields();
    FieldByID(fiID)->ItemKinds.set(ikChild);
    FieldGroups << QStringLiteral("Personal") << QStringLiteral("Images") << QStringLiteral("Credits")
                << QStringLiteral("User Defined");
    auto& f = Fields;
    auto text = [&](int id, const char* name, TItemKinds kinds, int category, int width, bool inherit,
                    int sortBy = -1) {
        f.AddField(std::make_unique<TStringDataField>(id, name, kinds, category, 1, width, inherit, sortBy));
    };
    auto flag = [&](int id, const char* name, TItemKinds kinds, int category, int width, bool inherit) {
        f.AddField(std::make_unique<TBooleanDataField>(id, name, kinds, category, 1, width, inherit, -1));
    };
    auto number = [&](int id, const char* name, TItemKinds kinds, int category, int width, bool inherit) {
        f.AddField(std::make_unique<TIntegerDataField>(id, name, kinds, category, 1, width, inherit));
    };
    auto date = [&](int id, const char* name, TItemKinds kinds, int category, int width, bool inherit) {
        f.AddField(std::make_unique<TDateDataField>(id, name, kinds, category, 1, width, inherit));
    };
    auto money = [&](int id, const char* name) {
        f.AddField(std::make_unique<TFloatDataField>(id, name, Book, ctPersonal, 1, 100, true));
    };
    auto credit = [&](int id, const char* name, int group) {
        f.AddField(std::make_unique<TCreditDataField>(id, name, Both, ctCredits, 100, true, group));
    };
    text(bfTitle, "Title", Both, ctMain, 150, false, bfTitleSort);
    text(bfTitleSort, "Title Sort", Both, ctMain, 100, false);
    text(bfTitleThe, "Title The", Both, ctMain, 30, false);
    text(bfSubTitle, "Sub Title", Both, ctMain, 150, false);
    flag(bfInCollection, "In Collection", Book, ctMain, 50, true);
    flag(bfRare, "Rare", Book, ctMain, 50, true);
    AddLookup<TSortLookupDataField>(f, bfGenre, "Genre", Book, ctMain, 150, Multi);
    AddLookup<TPersonLookupDataField>(f, bfCharacter, "Character", Both, ctMain, 150, Multi);
    AddLookup<TSeriesLookupDataField>(f, bfSeries, "Series", Both, ctMain, 100, Single);
    AddLookup<TSortLookupDataField>(f, bfFormat, "Format", Book, ctMain, 100, Single);
    AddLookup<TURLLookupDataField>(f, bfPublisher, "Publisher", Book, ctMain, 100, Single);
    AddLookup<TSortLookupDataField>(f, bfPrintedBy, "Printed By", Book, ctMain, 100, Single);
    AddLookup<TSortLookupDataField>(f, bfCountry, "Country", Book, ctMain, 100, Single);
    AddLookup<TSortLookupDataField>(f, bfLanguage, "Language", Book, ctMain, 100, Single);
    number(bfPages, "Nr of Pages", Both, ctMain, 100, false);
    text(bfPlot, "Plot", Both, ctMain, 100, false);
    number(bfIssueNr, "Issue Nr", Book, ctMain, 100, true);
    date(bfPublicationDate, "Publication Date", Book, ctMain, 100, true);
    number(bfStartPage, "Start Page", Both, ctMain, 50, false);
    text(bfISBN, "ISBN", Book, ctMain, 100, true);
    AddLookup<TLookupDataField>(f, bfPublicationYear, "Publication Year", Book, ctMain, 120, Single);
    money(bfPurchasePrice, "Purchase Price");
    money(bfCurrentValue, "Current Value");
    money(bfCoverPrice, "Cover Price");
    AddLookup<TSortLookupDataField>(f, bfStore, "Store", Book, ctPersonal, 100, Single);
    date(bfPurchaseDate, "Purchase Date", Book, ctPersonal, 100, true);
    AddLookup<TLookupDataField>(f, bfPurchaseYear, "Purchase Year", Book, ctPersonal, 120, Single);
    number(bfRating, "Rating", Both, ctPersonal, 50, true);
    AddLookup<TLookupDataField>(f, bfCondition, "Condition", Book, ctPersonal, 120, Single);
    AddLookup<TPersonLookupDataField>(f, bfOwner, "Owner", Book, ctPersonal, 120, Single);
    text(bfNotes, "Notes", Both, ctPersonal, 100, false);
    f.AddField(std::make_unique<TURLDataField>(bfURL, "URL", Book, ctPersonal, 1, 100, true, -1));
    AddLookup<TSortLookupDataField>(f, bfLocation, "Location", Book, ctPersonal, 100, Single);
    f.AddField(std::make_unique<TFileReferenceDataField>(bfFrontCover, "Front Cover", Book, ctImages, 1, 100,
                                                         false));
    f.AddField(
        std::make_unique<TFileReferenceDataField>(bfBackCover, "Back Cover", Book, ctImages, 1, 100, false));
    credit(bfTranslator, "Translator", 1);
    credit(bfCoverArtist, "Cover Artist", 1);
    credit(bfEditor, "Editor", 1);
    AddLookup<TPersonLookupDataField>(f, bfUserLookup1, "User Lookup 1", Both, ctUser, 100, Single);
    AddLookup<TPersonLookupDataField>(f, bfUserLookup2, "User Lookup 2", Both, ctUser, 100, Single);
    text(bfUserText1, "User Text 1", Both, ctUser, 100, true);
    text(bfUserText2, "User Text 2", Both, ctUser, 100, true);
    text(bfNumberOfIssues, "Number of Issues", Entry, -1, 50, false);
    f.AddField(
        std::make_unique<TSortLookupDataField>(bfFrequency, "Frequency", Entry, -1, 1, 50, false, Multi, -1));
    flag(bfComplete, "Complete", Entry, -1, 50, false);

    LookupGroups << QStringLiteral("Credits") << QStringLiteral("Details") << QStringLiteral("User Defined");
    Register(30, "Year", "Year", {bfPurchaseYear, bfPublicationYear}, grMain);
    Register(1, "Genre", "Genre", {bfGenre}, grMain);
    Register(25, "Character", "Character", {bfCharacter}, grDetails);
    Register(26, "Frequency", "Frequency", {bfFrequency}, grDetails);
    Register(2, "Series", "Series", {bfSeries}, grMain);
    Register(3, "Format", "Format", {bfFormat}, grMain);
    Register(5, "Publisher", "Publisher", {bfPublisher}, grMain);
    Register(7, "Printed By", "Printed By", {bfPrintedBy}, grDetails);
    Register(8, "Country", "Country", {bfCountry}, grDetails);
    Register(10, "Translator", "Translator", {bfTranslator}, grCredits);
    Register(23, "Cover Artist", "Cover Artist", {bfCoverArtist}, grCredits);
    Register(24, "Editor", "Editor", {bfEditor}, grCredits);
    Register(12, "Language", "Language", {bfLanguage}, grDetails);
    Register(13, "Store", "Store", {bfStore}, grPersonal);
    Register(14, "Condition", "Condition", {bfCondition}, grPersonal);
    Register(15, "Owner", "Owner", {bfOwner}, grPersonal);
    Register(27, "User Lookup 1", "User Lookup 1", {bfUserLookup1}, grUser);
    Register(28, "User Lookup 2", "User Lookup 2", {bfUserLookup2}, grUser);
    Register(29, "Location", "Location", {bfLocation}, grPersonal);
}

// ---------------------------------------------------------------------------------------------------
// TBookItemRoot

TBookItemRoot::TBookItemRoot() = default;

void TBookItemRoot::MakeSharedLists()
{
    MakeList<TYearLookupList>("Year", this);
    MakeList<TPersonLookupList>("Character", this);
    MakeList<TSeriesLookupList>("Series", this);
    for (const char* caption : {"Translator", "Cover Artist", "Editor"})
        MakeList<TPersonLookupList>(caption, this);
    MakeList<TSortLookupList>("Printed By", this);
    MakeList<TDefaultsLookupList>("Country",
                                  QStringList{"USA", "Netherlands", "Great Britain", "Germany", "France",
                                              "Spain", "Belgium", "Canada", "Russia", "Italy", "India",
                                              "Australia", "Sweden", "Denmark", "Switzerland"});
    MakeList<TDefaultsLookupList>("Language", QStringList{"Dutch", "English", "German", "French", "Spanish",
                                                          "Russian", "Italian", "Swedish", "Danish"});
    MakeList<TSortLookupList>("Store", this);
    MakeList<TConditionLookupList>("Condition");
    MakeList<TPersonLookupList>("Owner", this);
    MakeList<TDefaultsLookupList>("Frequency", QStringList{"Daily", "Weekly", "Bi-Weekly", "Monthly",
                                                           "Quarterly", "Yearly", "Irregular"});
    MakeList<TPersonLookupList>("User Lookup 1", this);
    MakeList<TPersonLookupList>("User Lookup 2", this);
    MakeList<TSortLookupList>("Location", this);
}

std::unique_ptr<TFieldDefaults> TBookItemRoot::CreateDefaults()
{
    return std::make_unique<TBookItemDefaults>();
}

void TBookItemRoot::MoveItem(TRootItem& other, TDataItem* item, int position)
{
    // The thumbnail lives in the other collection's image list; it moves with the item.
    QImage thumbnail;
    item->GetThumbnail(&thumbnail);
    TRootItem::MoveItem(other, item, position);
    item->ThumbnailIndex = 0;
    if (!thumbnail.isNull())
        item->SetThumbnail(thumbnail);
    if (auto* book = dynamic_cast<TBookItem*>(item))
        book->BindYearList(*List("Year"));
}

void TBookItemRoot::ReplaceLookupReferences(const TDataField* field, TLookupItem* oldEntry,
                                            TLookupItem* newEntry)
{
    TRootItem::ReplaceLookupReferences(field, oldEntry, newEntry);
    // Frequencies are held by series entries, not by items.
    if (field->ID == bfFrequency)
        for (TDataItem* entry : *List("Series"))
            if (auto* series = static_cast<TSeriesLookupItem*>(entry); series->Frequency == oldEntry)
                series->Frequency = newEntry;
}

int TBookItemRoot::CountSectionUsage(const TDataField* field, const TItemFilter& filter,
                                     const TItemFilter& filter2)
{
    if (TLookupList* list = LookupListForField(field))
        list->ClearUsage();
    int noneCount = 0;
    for (TDataItem* item : *Items)
        for (TDataItem* section : static_cast<TBookItem*>(item)->SectionsOrMain())
            if ((!filter || filter(section)) && (!filter2 || filter2(section)))
                section->CountLookupUse(field, false, noneCount, true);
    return noneCount;
}

// Books and book sections: the book-only data, and the book collection's fields, lists and root.

#include "book/cBookData.h"

#include "model/cCryptStream.h"
#include "model/cXmlUtil.h"

#include <cmath>
#include <limits>

namespace {

QString YesNo(bool value) { return value ? QStringLiteral("Yes") : QStringLiteral("No"); }

TLookupItem* ReadEntry(TValueReader& reader, TRootItem* root, int fieldID)
{
    const qint32 id = reader.ReadInteger();
    TLookupList* list = root ? root->LookupListForFieldID(fieldID) : nullptr;
    return list ? static_cast<TLookupItem*>(list->FindByID(id)) : nullptr;
}

void WriteEntry(TValueWriter& writer, TLookupItem* entry)
{
    writer.WriteInteger(entry ? entry->GetID() : -1);
}

void WriteEntryXML(xmlNode* node, const char* name, TLookupItem* entry)
{
    if (entry)
        entry->WriteXML(XmlAddElement(node, name));
}

// A dimension from a parsed document: a decimal number rounded half to even, 0 when it is not one.
qint32 DimensionFromText(const QString& text, const char* what)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok)
        return 0;
    const double rounded = std::nearbyint(value);
    if (!std::isfinite(rounded) || rounded > std::numeric_limits<qint32>::max()
        || rounded < std::numeric_limits<qint32>::min())
        throw EData(QStringLiteral("The %1 \"%2\" is out of range").arg(QLatin1String(what), text));
    return qint32(rounded);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// TBook

TBook::TBook(TDataObject* parent, TDataObject* container)
    : TBookItem(parent, container), Extras(this, this, bfExtras), ReadingDate(YearListFor(parent))
{
    MainSection = std::make_unique<TBookSection>(this, this);
    Sections = std::make_unique<TBookSectionList>(this, this);
    TreeImageIndex = 7;
}

TBookSection& TBook::Main() const { return static_cast<TBookSection&>(*MainSection); }

QString TBook::GetDisplayText()
{
    QString text = MainSection->Title;
    if (Volume)
        text = QStringLiteral("%1 vol. %2").arg(text, Volume->GetDisplayText());
    if (IssueNr != NoIssueNr && IssueNr != 0)
        text = QStringLiteral("%1 #%2").arg(text).arg(IssueNr);
    if (!MainSection->Credits.RoleAbsent(bfAuthor))
        text = QStringLiteral("%1 - %2").arg(text, MainSection->Credits.GetRoleText(bfAuthor));
    return text;
}

TLookupItem** TBook::EntrySlot(int fieldID)
{
    switch (fieldID) {
    case bfVolume:
        return &Volume;
    case bfEdition:
        return &Edition;
    case bfPaperType:
        return &PaperType;
    case bfReadingYear:
        return &ReadingDate.Year;
    default:
        return TBookItem::EntrySlot(fieldID);
    }
}

QString TBook::GetValueAsString(const TDataField* field)
{
    switch (field->ID) {
    case bfReadIt:
        return YesNo(ReadIt);
    case bfFirstEdition:
        return YesNo(FirstEdition);
    case bfReadingDate:
        return ReadingDate.GetText();
    case bfDedication:
        return Dedication;
    case bfLoCClassification:
        return LoCClassification;
    case bfDewey:
        return Dewey;
    case bfPrinting:
        return QString::number(Printing);
    case bfHeight:
        return QString::number(Height);
    case bfWidth:
        return QString::number(Width);
    case bfOriginalTitle:
        return Main().OriginalTitle;
    case bfOriginalSubtitle:
        return Main().OriginalSubtitle;
    case bfOriginalDate:
        return Main().OriginalPublicationDate.GetText();
    case bfExtras:
        return Extras.GetText();
    default:
        return TBookItem::GetValueAsString(field);
    }
}

qint32 TBook::GetValueAsInteger(const TDataField* field)
{
    switch (field->ID) {
    case bfPrinting:
        return Printing;
    case bfHeight:
        return Height;
    case bfWidth:
        return Width;
    default:
        return TBookItem::GetValueAsInteger(field);
    }
}

int TBook::GetValueAsBoolean(const TDataField* field)
{
    switch (field->ID) {
    case bfReadIt:
        return ReadIt;
    case bfFirstEdition:
        return FirstEdition;
    default:
        return TBookItem::GetValueAsBoolean(field);
    }
}

double TBook::GetValueAsDate(const TDataField* field)
{
    switch (field->ID) {
    case bfReadingDate:
        return ReadingDate.AsDate();
    case bfOriginalDate:
        return Main().OriginalPublicationDate.AsDate();
    default:
        return TBookItem::GetValueAsDate(field);
    }
}

TLookupItemRefList* TBook::GetLookupRefList(const TDataField* field, bool inherit)
{
    return field->ID == bfExtras ? &Extras : TBookItem::GetLookupRefList(field, inherit);
}

void TBook::Clear() { TBookItem::Clear(); }

std::unique_ptr<TDataItem> TBook::CreateNew(TDataObject* parent, TDataObject* container) const
{
    return std::make_unique<TBook>(parent, container);
}

std::unique_ptr<TDataItem> TBook::Clone(TDataObject* parent, TDataObject* container, bool keepID)
{
    auto copy = TBookItem::Clone(parent, container, keepID);
    auto& book = static_cast<TBook&>(*copy);
    book.Dewey = Dewey;
    book.LoCClassification = LoCClassification;
    book.Dedication = Dedication;
    book.Edition = Edition;
    book.Printing = Printing;
    book.PaperType = PaperType;
    book.FirstEdition = FirstEdition;
    book.Extras.Clear();
    book.Extras.AddAll(Extras);
    book.Height = Height;
    book.Width = Width;
    book.Volume = Volume;
    book.ReadIt = ReadIt;
    ReadingDate.AssignTo(book.ReadingDate);
    return copy;
}

bool TBook::IsEqual(TDataItem* other)
{
    auto* book = dynamic_cast<TBook*>(other);
    return book && TBookItem::IsEqual(other) && LoCClassification == book->LoCClassification
           && Dewey == book->Dewey && Dedication == book->Dedication && Edition == book->Edition
           && Printing == book->Printing && PaperType == book->PaperType && FirstEdition == book->FirstEdition
           && Extras.IsEqualRefs(book->Extras) && Height == book->Height && Width == book->Width
           && Volume == book->Volume && ReadIt == book->ReadIt && ReadingDate.IsEqual(book->ReadingDate);
}

void TBook::Write(TValueWriter& writer)
{
    TBookItem::Write(writer);
    writer.WriteScrambled(LoCClassification);
    writer.WriteScrambled(Dewey);
    writer.WriteScrambled(Dedication);
    WriteEntry(writer, Edition);
    writer.WriteInteger(Printing);
    WriteEntry(writer, PaperType);
    writer.WriteBoolean(FirstEdition);
    Extras.Write(writer);
    writer.WriteInteger(Height);
    writer.WriteInteger(Width);
    WriteEntry(writer, Volume);
    writer.WriteBoolean(ReadIt);
    ReadingDate.Write(writer);
}

void TBook::Read(TValueReader& reader, int formatVersion, int dataVersion)
{
    TBookItem::Read(reader, formatVersion, dataVersion);
    TRootItem* root = GetRoot();
    LoCClassification = reader.ReadScrambled();
    Dewey = reader.ReadScrambled();
    Dedication = reader.ReadScrambled();
    Edition = ReadEntry(reader, root, bfEdition);
    Printing = reader.ReadInteger();
    PaperType = ReadEntry(reader, root, bfPaperType);
    FirstEdition = reader.ReadBoolean();
    Extras.Clear();
    Extras.Read(reader, formatVersion, dataVersion);
    Height = reader.ReadInteger();
    Width = reader.ReadInteger();
    Volume = ReadEntry(reader, root, bfVolume);
    ReadIt = reader.ReadBoolean();
    ReadingDate.Read(reader);
}

void TBook::WriteXML(xmlNode* node)
{
    TBookItem::WriteXML(node);
    XmlAddText(node, "lccn", LoCClassification);
    XmlAddText(node, "dewey", Dewey);
    XmlAddText(node, "dedication", Dedication);
    WriteEntryXML(node, "edition", Edition);
    XmlAddText(node, "printing", QString::number(Printing));
    WriteEntryXML(node, "papertype", PaperType);
    XmlAddText(node, "firstedition", YesNo(FirstEdition));
    Extras.WriteXML(XmlAddElement(node, "extras"), "extra");
    XmlAddText(node, "height", QString::number(Height));
    XmlAddText(node, "width", QString::number(Width));
    WriteEntryXML(node, "volume", Volume);
    XmlAddText(node, "readit", YesNo(ReadIt));
    ReadingDate.WriteXML(XmlAddElement(node, "readingdate"));
}

void TBook::ReadXML(xmlNode* node, bool overwrite)
{
    TBookItem::ReadXML(node, overwrite);
    auto dimension = [&](qint32& target, const char* name) {
        if ((overwrite || target == 0) && XmlFindElement(node, name))
            target = DimensionFromText(XmlElementText(node, name), name);
    };
    dimension(Width, "width");
    dimension(Height, "height");
    for (const auto& [target, name] : {std::pair{&LoCClassification, "lccn"}, {&Dewey, "dewey"}})
        if ((overwrite || target->isEmpty()) && XmlFindElement(node, name))
            *target = XmlElementText(node, name);
    if ((overwrite || Printing == 0) && XmlFindElement(node, "printing"))
        Printing = XmlElementText(node, "printing").trimmed().toInt();
    TRootItem* root = GetRoot();
    for (const auto& [target, id, name] : {std::tuple{&PaperType, int(bfPaperType), "papertype"},
                                           std::tuple{&Edition, int(bfEdition), "edition"}}) {
        xmlNode* element = XmlFindElement(node, name);
        TLookupList* list = root ? root->LookupListForFieldID(id) : nullptr;
        if (element && list && (overwrite || !*target))
            *target = list->FindOrAdd(XmlElementText(element, "displayname"));
    }
}

void TBook::BindYearList(TLookupList& years)
{
    TBookItem::BindYearList(years);
    ReadingDate.YearList = &years;
}

// ---------------------------------------------------------------------------------------------------
// TBookSection

TBookSection::TBookSection(TDataObject* owner, TDataObject* container)
    : TSection(owner, container), OriginalPublicationDate(TBookItem::YearListFor(owner))
{}

TLookupItem** TBookSection::EntrySlot(int fieldID)
{
    switch (fieldID) {
    case bfOriginalPublisher:
        return &OriginalPublisher;
    case bfOriginalCountry:
        return &OriginalCountry;
    case bfOriginalLanguage:
        return &OriginalLanguage;
    case bfOriginalYear:
        return &OriginalPublicationDate.Year;
    default:
        return TSection::EntrySlot(fieldID);
    }
}

QString TBookSection::OwnString(const TDataField* field)
{
    TBookItem* book = Item();
    switch (field->ID) {
    case bfOriginalTitle:
        return OriginalTitle;
    case bfOriginalSubtitle:
        return OriginalSubtitle;
    case bfOriginalDate:
        return OriginalPublicationDate.GetText();
    case bfBookTitle:
        return book ? book->MainSection->Title : QString();
    case bfBookSubtitle:
        return book ? book->MainSection->SubTitle : QString();
    case bfBookPlot:
        return book ? book->MainSection->Plot : QString();
    case bfBookPages:
        return book ? QString::number(book->MainSection->PageCount) : QString();
    case bfBookID:
        return book ? QString::number(book->GetID()) : QString();
    default:
        return TSection::OwnString(field);
    }
}

qint32 TBookSection::GetValueAsInteger(const TDataField* field)
{
    TBookItem* book = Item();
    switch (field->ID) {
    case bfBookPages:
        return book ? book->MainSection->PageCount : -1;
    case bfBookID:
        return book ? book->GetID() : -1;
    default:
        return TSection::GetValueAsInteger(field);
    }
}

double TBookSection::GetValueAsDate(const TDataField* field)
{
    return field->ID == bfOriginalDate ? OriginalPublicationDate.AsDate() : TSection::GetValueAsDate(field);
}

std::unique_ptr<TDataItem> TBookSection::CreateNew(TDataObject* parent, TDataObject* container) const
{
    return std::make_unique<TBookSection>(parent, container);
}

std::unique_ptr<TDataItem> TBookSection::Clone(TDataObject* parent, TDataObject* container, bool keepID)
{
    auto copy = TSection::Clone(parent, container, keepID);
    auto& section = static_cast<TBookSection&>(*copy);
    section.OriginalTitle = OriginalTitle;
    section.OriginalSubtitle = OriginalSubtitle;
    section.OriginalPublisher = OriginalPublisher;
    section.OriginalCountry = OriginalCountry;
    section.OriginalLanguage = OriginalLanguage;
    OriginalPublicationDate.AssignTo(section.OriginalPublicationDate);
    return copy;
}

bool TBookSection::IsEqual(TDataItem* other)
{
    auto* section = dynamic_cast<TBookSection*>(other);
    return section && TSection::IsEqual(other) && OriginalTitle == section->OriginalTitle
           && OriginalSubtitle == section->OriginalSubtitle && OriginalPublisher == section->OriginalPublisher
           && OriginalCountry == section->OriginalCountry && OriginalLanguage == section->OriginalLanguage
           && OriginalPublicationDate.IsEqual(section->OriginalPublicationDate);
}

void TBookSection::Write(TValueWriter& writer)
{
    TSection::Write(writer);
    writer.WriteScrambled(OriginalTitle);
    writer.WriteScrambled(OriginalSubtitle);
    for (TLookupItem* entry : {OriginalPublisher, OriginalCountry, OriginalLanguage})
        WriteEntry(writer, entry);
    OriginalPublicationDate.Write(writer);
}

void TBookSection::Read(TValueReader& reader, int formatVersion, int dataVersion)
{
    TSection::Read(reader, formatVersion, dataVersion);
    OriginalTitle = reader.ReadScrambled();
    OriginalSubtitle = reader.ReadScrambled();
    TRootItem* root = GetRoot();
    OriginalPublisher = ReadEntry(reader, root, bfOriginalPublisher);
    OriginalCountry = ReadEntry(reader, root, bfOriginalCountry);
    OriginalLanguage = ReadEntry(reader, root, bfOriginalLanguage);
    OriginalPublicationDate.Read(reader);
}

void TBookSection::WriteXML(xmlNode* node)
{
    TSection::WriteXML(node);
    xmlNode* original = XmlAddElement(node, "original");
    XmlAddText(original, "origtitle", OriginalTitle);
    XmlAddText(original, "origsubtitle", OriginalSubtitle);
    WriteEntryXML(original, "origpublisher", OriginalPublisher);
    WriteEntryXML(original, "origcountry", OriginalCountry);
    WriteEntryXML(original, "origlanguage", OriginalLanguage);
    OriginalPublicationDate.WriteXML(XmlAddElement(original, "origpublicationdate"));
}

// ---------------------------------------------------------------------------------------------------
// Lists

TDataItem* TBookSectionList::NewItem()
{
    auto* section = new TBookSection(Parent, this);
    Add(section);
    return section;
}

TDataItem* TBookList::NewItem()
{
    auto* book = new TBook(this, this);
    Add(book);
    return book;
}

// ---------------------------------------------------------------------------------------------------
// TBookMetaInfo

namespace {
enum TCategory { ctMain = 1, ctPersonal = 3, ctCredits = 5, ctOriginal = 7, ctBook = 8 };
enum TGroup { grMain = 0, grCredits = 2, grDetails = 3 };
const TItemKinds Book = Kinds({ikMain});
const TItemKinds Section = Kinds({ikChild});
const TItemKinds Both = Kinds({ikMain, ikChild});
}  // namespace

void TBookMetaInfo::DefineFields()
{
    TBookItemMetaInfo::DefineFields();
    auto& f = Fields;
    auto text = [&](int id, const char* name, TItemKinds kinds, int category, int width) {
        f.AddField(std::make_unique<TStringDataField>(id, name, kinds, category, 1, width, false, -1));
    };
    auto number = [&](int id, const char* name, TItemKinds kinds, int category, int width) {
        f.AddField(std::make_unique<TIntegerDataField>(id, name, kinds, category, 1, width, false));
    };
    auto sorted = [&](int id, const char* name, TItemKinds kinds, int category, int width, int count) {
        f.AddField(
            std::make_unique<TSortLookupDataField>(id, name, kinds, category, 1, width, true, count, -1));
    };
    auto credit = [&](int id, const char* name, int group) {
        f.AddField(std::make_unique<TCreditDataField>(id, name, Both, ctCredits, 100, true, group));
    };
    FieldGroups << QStringLiteral("Original");
    text(bfLoCClassification, "LoC Classification", Book, ctMain, 100);
    text(bfDewey, "Dewey", Book, ctMain, 30);
    text(bfDedication, "Dedication", Book, ctMain, 30);
    sorted(bfEdition, "Edition", Book, ctMain, 120, 1);
    number(bfPrinting, "Printing", Book, ctMain, 50);
    sorted(bfPaperType, "Paper Type", Book, ctMain, 120, 1);
    f.AddField(
        std::make_unique<TBooleanDataField>(bfFirstEdition, "First Edition", Book, ctMain, 1, 50, false, -1));
    number(bfHeight, "Height", Book, ctMain, 50);
    number(bfWidth, "Width", Book, ctMain, 50);
    sorted(bfVolume, "Volume", Book, ctMain, 100, 1);
    text(bfOriginalTitle, "Original Title", Both, ctOriginal, 150);
    text(bfOriginalSubtitle, "Original Subtitle", Both, ctOriginal, 150);
    f.AddField(std::make_unique<TURLLookupDataField>(bfOriginalPublisher, "Original Publisher", Both,
                                                     ctOriginal, 1, 120, true, 1, -1));
    sorted(bfOriginalCountry, "Original Country", Both, ctOriginal, 120, 1);
    sorted(bfOriginalLanguage, "Original Language", Both, ctOriginal, 120, 1);
    f.AddField(std::make_unique<TLookupDataField>(bfOriginalYear, "Original Publication Year", Both,
                                                  ctOriginal, 1, 120, true, 1, -1));
    f.AddField(std::make_unique<TDateDataField>(bfOriginalDate, "Orginal Publication Date", Both, ctMain, 1,
                                                100, true));
    credit(bfAuthor, "Author", 2);
    credit(bfIllustrator, "Illustrator", 1);
    credit(bfGhostwriter, "Ghostwriter", 1);
    credit(bfForewordAuthor, "Foreword Author", 1);
    credit(bfPhotographer, "Photographer", 1);
    sorted(bfExtras, "Extras", Book, ctMain, 150, 0);
    FieldGroups << QStringLiteral("Book");
    text(bfBookTitle, "Book Title", Section, ctBook, 100);
    text(bfBookSubtitle, "Book Subtitle", Section, ctBook, 100);
    text(bfBookPlot, "Book Plot", Section, ctBook, 100);
    number(bfBookPages, "Book Pages", Section, ctBook, 100);
    number(bfBookID, "Book ID", Section, ctBook, 100);
    f.AddField(std::make_unique<TBooleanDataField>(bfReadIt, "Read It", Both, ctPersonal, 1, 50, false, -1));
    f.AddField(
        std::make_unique<TDateDataField>(bfReadingDate, "Reading Date", Both, ctPersonal, 1, 100, true));
    f.AddField(std::make_unique<TLookupDataField>(bfReadingYear, "Reading Year", Book, ctPersonal, 1, 120,
                                                  true, 1, -1));

    Register(52, "Edition", "Edition", {bfEdition}, grDetails);
    Register(53, "Paper Type", "Paper Type", {bfPaperType}, grDetails);
    Register(54, "Extras", "Extras", {bfExtras}, grDetails);
    Register(4, "Author", "Author", {bfAuthor}, grMain);
    Register(9, "Illustrator", "Illustrator", {bfIllustrator}, grCredits);
    Register(11, "Photographer", "Photographer", {bfPhotographer}, grCredits);
    Register(17, "Volume", "Volume", {bfVolume}, grDetails);
    for (auto [existing, added] : {std::pair{bfAuthor, bfGhostwriter},
                                   {bfAuthor, bfForewordAuthor},
                                   {bfPublisher, bfOriginalPublisher},
                                   {bfCountry, bfOriginalCountry},
                                   {bfLanguage, bfOriginalLanguage},
                                   {bfPurchaseYear, bfOriginalYear},
                                   {bfPurchaseYear, bfReadingYear}})
        LookupLists.AddFieldToListOf(existing, added);

    const QList<int> columns{bfTitle, bfAuthor, bfGenre, bfPublicationYear, bfRating, bfPublisher};
    ViewColumnDefaults[ikMain] = columns;
    ViewColumnDefaults[ikChild] = columns;
    FolderPresets[ikMain] = {{bfAuthor},         {bfGenre}, {bfSeries}, {bfFormat}, {bfPublisher, bfAuthor},
                             {bfGenre, bfAuthor}};
    FolderPresets[ikChild] = {{bfAuthor}, {bfGenre}, {bfSeries}, {bfFormat}};
}

// ---------------------------------------------------------------------------------------------------
// TBookRoot

QString TBookRoot::FileFilterCaption() const
{
    return QStringLiteral("Book Collections (*.%1)").arg(FileExtension());
}

std::unique_ptr<TMainDataList> TBookRoot::CreateItems() { return std::make_unique<TBookList>(this, this); }

std::unique_ptr<TMetaInfo> TBookRoot::CreateMetaInfo()
{
    MakeList<TDefaultsLookupList>(
        "Genre", QStringList{"Thriller",  "Science Fiction", "Romantic",    "Comedy",     "Poetry",
                             "Biography", "Autobiography",   "War",         "Scientific", "Reference",
                             "Comic",     "Literature",      "Crime",       "Adventure",  "Fantasy",
                             "Horror",    "Fiction",         "Non-Fiction", "Religious",  "Health",
                             "Hobby",     "Travel"});
    MakeList<TDefaultsLookupList>("Format", QStringList{"Hardcover", "Paperback", "Softcover", "Magazine"});
    MakeList<TBookPublisherLookupList>("Publisher", this);
    for (const char* caption : {"Edition", "Paper Type", "Volume"})
        MakeList<TSortLookupList>(caption, this);
    MakeList<TDefaultsLookupList>("Extras",
                                  QStringList{"Box", "Dust Jacket", "Author autograph", "CD-Rom", "Map",
                                              "Audio CD", "Diskette", "Bookmarker", "Slipcase", "Jewel Case",
                                              "Sound card", "Promotional Item"});
    for (const char* caption : {"Author", "Illustrator", "Photographer"})
        MakeList<TPersonLookupList>(caption, this);
    MakeSharedLists();
    auto meta = std::make_unique<TBookMetaInfo>(this);
    meta->DefineFields();
    return meta;
}

std::unique_ptr<TFieldDefaults> TBookRoot::CreateDefaults() { return std::make_unique<TBookDefaults>(); }

bool TBookRoot::ImportCollection(const QString& fileName)
{
    auto other = TRootItem::New<TBookRoot>();
    if (!other->LoadFromFile(fileName))
        return false;
    MergeLookups(*other);
    ImportItems(*other);
    return true;
}

TBook* TBookRoot::FindByIsbn(const QString& text) const
{
    for (TDataItem* item : *Items)
        if (static_cast<TBook*>(item)->ISBN == text)
            return static_cast<TBook*>(item);
    return nullptr;
}

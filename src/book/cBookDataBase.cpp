// Catalogued items and their sections: values by field, file records, XML, equality and defaults.

#include "book/cBookDataBase.h"

#include "app/cGatherixPrefs.h"
#include "model/cCryptStream.h"
#include "model/cData_FieldRefs.h"
#include "model/cXmlUtil.h"
#include "platform/SettingsStore.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace {

QString EntryText(const TLookupItem* entry)
{
    return entry ? const_cast<TLookupItem*>(entry)->GetDisplayText() : QString();
}

QString NumberText(qint32 n) { return n == 0 ? QString() : QString::number(n); }

QString YesNo(bool value) { return value ? QStringLiteral("Yes") : QStringLiteral("No"); }

bool IsCredit(const TDataField* field) { return field->LookupKind == TDataField::TLookupKind::Credit; }

TLookupItem* ReadEntry(TValueReader& reader, TLookupList* list)
{
    const qint32 id = reader.ReadInteger();
    return list ? static_cast<TLookupItem*>(list->FindByID(id)) : nullptr;
}

void WriteEntry(TValueWriter& writer, TLookupItem* entry)
{
    writer.WriteInteger(entry ? entry->GetID() : -1);
}

// A child element holding the entry's own elements, only when there is an entry.
// The entry an element below `node` names: its displayname, or the element's own text when it has none.
QString XmlEntryName(xmlNode* node, const char* name)
{
    xmlNode* element = XmlFindElement(node, name);
    return XmlFindElement(element, "displayname") ? XmlElementText(element, "displayname")
                                                  : XmlElementText(node, name);
}

void WriteEntryXML(xmlNode* node, const char* name, TLookupItem* entry)
{
    if (entry)
        entry->WriteXML(XmlAddElement(node, name));
}

void WriteRefsXML(xmlNode* node, const char* listName, const char* itemName, TDataRefList& refs, bool always)
{
    if (always || !refs.IsEmpty())
        refs.WriteXML(XmlAddElement(node, listName), itemName);
}

void WriteDateXML(xmlNode* node, const char* name, const TPartialDate& date, bool always)
{
    if (always || !date.IsEmpty())
        date.WriteXML(XmlAddElement(node, name));
}

bool SameEntries(const TLookupItemRefList& a, const TLookupItemRefList& b) { return a.IsEqualRefs(b); }

bool SameCredits(const TCreditList& a, const TCreditList& b)
{
    if (a.Count() != b.Count())
        return false;
    for (int i = 0; i < a.Count(); ++i)
        if (a.Credit(i)->Role != b.Credit(i)->Role || a.Credit(i)->Person != b.Credit(i)->Person)
            return false;
    return true;
}

// Years of items that have no collection yet live here, so a date is never bound to nothing.
TLookupList& OrphanYearList()
{
    static TLookupList list(nullptr, nullptr);
    return list;
}

}  // namespace

TLookupList& TBookItem::YearListFor(TDataObject* parent)
{
    TRootItem* root = parent ? parent->GetRoot() : nullptr;
    TLookupList* years = root && root->MetaInfo ? root->LookupListForFieldID(bfPublicationYear) : nullptr;
    return years ? *years : OrphanYearList();
}

namespace {

TCurrency Scaled(TCurrency amount, double factor) { return FloatToCurrency(amount / 10000.0 * factor); }

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Money

QString CurrencyText(TCurrency amount)
{
    if (amount == 0)
        return {};
    return QLocale().toCurrencyString(double(amount) / 10000.0, QLocale().currencySymbol(), 2);
}

TCurrency FloatToCurrency(double value)
{
    const double scaled = std::nearbyint(value * 10000.0);
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 9.2e18)
        return 0;
    return TCurrency(scaled);
}

TCurrency CurrencyFromText(const QString& text)
{
    static const QRegularExpression notNumber(QStringLiteral("[^0-9.,+-]"));
    QString plain = text.trimmed();
    plain.remove(notNumber);
    bool ok = false;
    double value = QLocale().toDouble(plain, &ok);
    if (!ok)
        value = QLocale::c().toDouble(plain, &ok);
    return ok ? FloatToCurrency(value) : 0;
}

// ---------------------------------------------------------------------------------------------------
// TBookItem

TBookItem::TBookItem(TDataObject* parent, TDataObject* container)
    : TDataItem(parent, container), PurchaseDate(YearListFor(parent)), PublicationDate(YearListFor(parent)),
      Genres(this, this, bfGenre)
{}

TBookItem::~TBookItem() = default;

QString TBookItem::GetDisplayText() { return MainSection->Title; }

TLookupItem** TBookItem::EntrySlot(int fieldID)
{
    switch (fieldID) {
    case bfFormat:
        return &Format;
    case bfPublisher:
        return &Publisher;
    case bfPrintedBy:
        return &PrintedBy;
    case bfCountry:
        return &Country;
    case bfLanguage:
        return &Language;
    case bfStore:
        return &Store;
    case bfCondition:
        return &Condition;
    case bfOwner:
        return &Owner;
    case bfLocation:
        return &Location;
    case bfPurchaseYear:
        return &PurchaseDate.Year;
    case bfPublicationYear:
        return &PublicationDate.Year;
    default:
        return MainSection->EntrySlot(fieldID);
    }
}

QString TBookItem::GetValueAsString(const TDataField* field)
{
    TSection& main = *MainSection;
    switch (field->ID) {
    case bfTitle:
        return main.Title;
    case bfTitleSort:
        return main.TitleSort;
    case bfTitleThe:
        return main.TitleThe;
    case bfSubTitle:
        return main.SubTitle;
    case bfNotes:
        return main.Notes;
    case bfPlot:
        return main.Plot;
    case bfUserText1:
        return main.UserText1;
    case bfUserText2:
        return main.UserText2;
    case bfInCollection:
        return YesNo(InCollection);
    case bfRare:
        return YesNo(Rare);
    case bfGenre:
        return Genres.GetText();
    case bfFrontCover:
        return FrontCover;
    case bfBackCover:
        return BackCover;
    case bfURL:
        return URL;
    case bfISBN:
        return ISBN;
    case bfPurchasePrice:
        return CurrencyText(PurchasePrice);
    case bfCurrentValue:
        return CurrencyText(CurrentValue);
    case bfCoverPrice:
        return CurrencyText(CoverPrice);
    case bfPurchaseDate:
        return PurchaseDate.GetText();
    case bfPublicationDate:
        return PublicationDate.GetText();
    case bfPages:
        return NumberText(main.PageCount);
    case bfRating:
        return NumberText(main.Rating);
    case bfStartPage:
        return NumberText(main.StartPage);
    case bfIssueNr:
        return IssueNr == NoIssueNr ? QString() : QString::number(IssueNr);
    case bfCharacter:
        return main.Characters.GetText();
    default:
        break;
    }
    if (IsCredit(field))
        return main.Credits.GetRoleText(field->ID);
    if (TLookupItem** slot = EntrySlot(field->ID))
        return EntryText(*slot);
    return TDataItem::GetValueAsString(field);
}

qint32 TBookItem::GetValueAsInteger(const TDataField* field)
{
    switch (field->ID) {
    case bfPages:
        return MainSection->PageCount;
    case bfRating:
        return MainSection->Rating;
    case bfStartPage:
        return MainSection->StartPage;
    case bfIssueNr:
        return IssueNr;
    default:
        return TDataItem::GetValueAsInteger(field);
    }
}

int TBookItem::GetValueAsBoolean(const TDataField* field)
{
    switch (field->ID) {
    case bfInCollection:
        return InCollection;
    case bfRare:
        return Rare;
    default:
        return TDataItem::GetValueAsBoolean(field);
    }
}

double TBookItem::GetValueAsDate(const TDataField* field)
{
    switch (field->ID) {
    case bfPurchaseDate:
        return PurchaseDate.AsDate();
    case bfPublicationDate:
        return PublicationDate.AsDate();
    default:
        return TDataItem::GetValueAsDate(field);
    }
}

double TBookItem::GetValueAsFloat(const TDataField* field)
{
    switch (field->ID) {
    case bfPurchasePrice:
        return PurchasePrice / 10000.0;
    case bfCurrentValue:
        return CurrentValue / 10000.0;
    case bfCoverPrice:
        return CoverPrice / 10000.0;
    default:
        return TDataItem::GetValueAsFloat(field);
    }
}

TLookupItem* TBookItem::GetValueAsLookupItem(const TDataField* field, bool inherit)
{
    if (TLookupItemRefList* refs = GetLookupRefList(field, false))
        return refs->First();
    if (IsCredit(field))
        return MainSection->Credits.FirstPerson(field->ID);
    if (TLookupItem** slot = EntrySlot(field->ID))
        return *slot;
    return TDataItem::GetValueAsLookupItem(field, inherit);
}

TCreditList* TBookItem::GetCreditList(const TDataField* field, bool)
{
    TCreditList& credits = MainSection->Credits;
    return IsCredit(field) && !credits.RoleAbsent(field->ID) ? &credits : nullptr;
}

TLookupItemRefList* TBookItem::GetLookupRefList(const TDataField* field, bool)
{
    switch (field->ID) {
    case bfGenre:
        return &Genres;
    case bfCharacter:
        return &MainSection->Characters;
    default:
        return nullptr;
    }
}

void TBookItem::setValueAsLookupItem(const TDataField* field, TLookupItem* entry, int mode,
                                     TLookupItem* oldEntry)
{
    if (TLookupItemRefList* refs = GetLookupRefList(field, false))
        refs->SetEntry(entry, oldEntry, mode);
    else if (IsCredit(field))
        MainSection->Credits.SetCredit(field->ID, entry, mode, oldEntry);
    else if (TLookupItem** slot = EntrySlot(field->ID))
        *slot = entry;
    else
        TDataItem::setValueAsLookupItem(field, entry, mode, oldEntry);
}

bool TBookItem::HasLookupItem(const TDataField* field, TLookupItem* entry, bool inherit, bool deep)
{
    if (TDataItem::HasLookupItem(field, entry, false, deep))
        return true;
    if (deep)
        for (TDataItem* section : *Sections)
            if (section->HasLookupItem(field, entry, inherit, deep))
                return true;
    return false;
}

void TBookItem::CountLookupUse(const TDataField* field, bool deep, int& noneCount, bool)
{
    TDataItem::CountLookupUse(field, deep, noneCount, false);
    if (deep)
        for (TDataItem* section : *Sections)
            section->CountLookupUse(field, deep, noneCount, false);
}

void TBookItem::ReplaceLookupItem(const TDataField* field, TLookupItem* oldEntry, TLookupItem* newEntry)
{
    if (field->ItemKinds.test(ikMain))
        TDataItem::ReplaceLookupItem(field, oldEntry, newEntry);
    if (field->ItemKinds.test(ikChild))
        for (TDataItem* section : *Sections)
            section->ReplaceLookupItem(field, oldEntry, newEntry);
}

void TBookItem::Clear()
{
    TDataItem::Clear();
    ThumbnailIndex = 0;
    IssueNr = NoIssueNr;
}

void TBookItem::CopyItemTo(TBookItem& copy, bool keepID) const
{
    copy.FrontCover = FrontCover;
    copy.BackCover = BackCover;
    copy.URL = URL;
    copy.ISBN = ISBN;
    copy.IssueNr = IssueNr;
    copy.PurchasePrice = PurchasePrice;
    copy.CurrentValue = CurrentValue;
    copy.CoverPrice = CoverPrice;
    PurchaseDate.AssignTo(copy.PurchaseDate);
    PublicationDate.AssignTo(copy.PublicationDate);
    copy.InCollection = InCollection;
    copy.Rare = Rare;
    copy.Format = Format;
    copy.Genres.Clear();
    copy.Genres.AddAll(Genres);
    copy.Publisher = Publisher;
    copy.PrintedBy = PrintedBy;
    copy.Country = Country;
    copy.Language = Language;
    copy.Store = Store;
    copy.Condition = Condition;
    copy.Owner = Owner;
    copy.Location = Location;
    copy.MainSection.reset(static_cast<TSection*>(MainSection->Clone(&copy, &copy, keepID).release()));
    copy.Sections->FreeAll();
    for (TDataItem* section : *Sections)
        copy.Sections->Add(section->Clone(&copy, copy.Sections.get(), keepID).release());
}

std::unique_ptr<TDataItem> TBookItem::Clone(TDataObject* parent, TDataObject* container, bool keepID)
{
    auto copy = TDataItem::Clone(parent, container, keepID);
    CopyItemTo(static_cast<TBookItem&>(*copy), keepID);
    return copy;
}

bool TBookItem::IsEqual(TDataItem* other)
{
    auto* item = dynamic_cast<TBookItem*>(other);
    if (!item || !TDataItem::IsEqual(other))
        return false;
    if (InCollection != item->InCollection || Rare != item->Rare || !SameEntries(Genres, item->Genres)
        || FrontCover != item->FrontCover || BackCover != item->BackCover || URL != item->URL)
        return false;
    if (Format != item->Format || Publisher != item->Publisher || PrintedBy != item->PrintedBy
        || Country != item->Country || Language != item->Language || Store != item->Store)
        return false;
    if (PurchasePrice != item->PurchasePrice || CurrentValue != item->CurrentValue
        || CoverPrice != item->CoverPrice || !PurchaseDate.IsEqual(item->PurchaseDate)
        || Condition != item->Condition || Owner != item->Owner || IssueNr != item->IssueNr
        || !PublicationDate.IsEqual(item->PublicationDate) || ISBN != item->ISBN
        || Location != item->Location)
        return false;
    return MainSection->IsEqual(item->MainSection.get()) && Sections->IsEqualList(*item->Sections);
}

void TBookItem::Write(TValueWriter& writer)
{
    TDataItem::Write(writer);
    writer.WriteBoolean(InCollection);
    writer.WriteBoolean(Rare);
    Genres.Write(writer);
    writer.WriteScrambled(FrontCover);
    writer.WriteScrambled(BackCover);
    writer.WriteScrambled(URL);
    for (TCurrency amount : {PurchasePrice, CurrentValue, CoverPrice})
        writer.WriteFloat(amount / 10000.0);
    PurchaseDate.Write(writer);
    writer.WriteInteger(IssueNr);
    PublicationDate.Write(writer);
    writer.WriteScrambled(ISBN);
    WriteThumbnail(writer);
    for (TLookupItem* entry :
         {Format, Publisher, PrintedBy, Country, Language, Store, Condition, Owner, Location})
        WriteEntry(writer, entry);
    MainSection->Write(writer);
    Sections->Write(writer);
}

void TBookItem::Read(TValueReader& reader, int formatVersion, int dataVersion)
{
    TDataItem::Read(reader, formatVersion, dataVersion);
    InCollection = reader.ReadBoolean();
    Rare = reader.ReadBoolean();
    Genres.Read(reader, formatVersion, dataVersion);
    FrontCover = reader.ReadScrambled();
    BackCover = reader.ReadScrambled();
    URL = reader.ReadScrambled();
    for (TCurrency* amount : {&PurchasePrice, &CurrentValue, &CoverPrice})
        *amount = FloatToCurrency(reader.ReadFloat());
    PurchaseDate.Read(reader);
    IssueNr = reader.ReadInteger();
    PublicationDate.Read(reader);
    ISBN = reader.ReadScrambled();
    ReadThumbnail(reader);
    TRootItem* root = GetRoot();
    for (int id : {bfFormat, bfPublisher, bfPrintedBy, bfCountry, bfLanguage, bfStore, bfCondition, bfOwner,
                   bfLocation})
        *EntrySlot(id) = ReadEntry(reader, root ? root->LookupListForFieldID(id) : nullptr);
    MainSection->Read(reader, formatVersion, dataVersion);
    Sections->Read(reader, formatVersion, dataVersion);
}

void TBookItem::WriteXML(xmlNode* node)
{
    XmlAddText(node, "id", QString::number(GetID()));
    XmlAddText(node, "index", QString::number(Index));
    MainSection->WriteXML(XmlAddElement(node, "mainsection"));
    XmlAddText(node, "incollection", YesNo(InCollection));
    XmlAddText(node, "rare", YesNo(Rare));
    for (const auto& [name, file] : {std::pair{"coverfront", FrontCover}, {"coverback", BackCover}}) {
        const TResolvedFile resolved = ResolveImageFile(file, Prefs().ImageBaseFolder);
        if (resolved.Exists)
            XmlAddText(node, name, resolved.Path);
    }
    XmlAddText(node, "url", URL);
    WriteEntryXML(node, "format", Format);
    WriteEntryXML(node, "publisher", Publisher);
    WriteEntryXML(node, "printedby", PrintedBy);
    WriteEntryXML(node, "country", Country);
    WriteEntryXML(node, "language", Language);
    WriteEntryXML(node, "store", Store);
    XmlAddText(node, "purchaseprice", CurrencyText(PurchasePrice));
    XmlAddText(node, "currentprice", CurrencyText(CurrentValue));
    XmlAddText(node, "coverprice", CurrencyText(CoverPrice));
    WriteDateXML(node, "purchasedate", PurchaseDate, false);
    WriteEntryXML(node, "condition", Condition);
    WriteEntryXML(node, "owner", Owner);
    XmlAddText(node, "issuenr", IssueNr == NoIssueNr ? QString() : QString::number(IssueNr));
    WriteDateXML(node, "publicationdate", PublicationDate, false);
    XmlAddText(node, "isbn", ISBN);
    WriteEntryXML(node, "location", Location);
    WriteRefsXML(node, "genres", "genre", Genres, false);
    if (CurrentLoan)
        CurrentLoan->WriteXML(XmlAddElement(node, "loan"));
    WriteRefsXML(node, "sections", "section", *Sections, false);
}

void TBookItem::ReadXML(xmlNode* node, bool overwrite)
{
    // With overwrite a value the document holds replaces the item's, even an empty one; without, only
    // empty values are filled.
    auto text = [&](QString& target, const char* name) {
        if ((overwrite || target.isEmpty()) && XmlFindElement(node, name))
            target = XmlElementText(node, name);
    };
    TRootItem* root = GetRoot();
    auto entry = [&](TLookupItem*& target, int fieldID, const char* name) {
        TLookupList* list = root ? root->LookupListForFieldID(fieldID) : nullptr;
        if (XmlFindElement(node, name) && list && (overwrite || !target))
            target = list->FindOrAdd(XmlEntryName(node, name));
    };
    text(FrontCover, "coverfront");
    text(ISBN, "isbn");
    text(URL, "url");
    if (xmlNode* date = XmlFindElement(node, "publicationdate");
        date && (overwrite || PublicationDate.IsEmpty()))
        PublicationDate.ReadXML(date, overwrite);
    entry(Format, bfFormat, "format");
    entry(Publisher, bfPublisher, "publisher");
    if (xmlNode* genres = XmlFindElement(node, "genres"))
        Genres.ReadXML(genres, "genre", overwrite);
    entry(MainSection->Series, bfSeries, "series");
    if (xmlNode* credits = XmlFindElement(node, "credits"))
        MainSection->Credits.ReadXML(credits, "credit", overwrite);
    text(MainSection->Title, "title");
    text(MainSection->SubTitle, "subtitle");
    if ((overwrite || MainSection->PageCount == 0) && XmlFindElement(node, "pagecount"))
        MainSection->PageCount = XmlElementText(node, "pagecount").trimmed().toInt();
    text(MainSection->Notes, "notes");
    if ((overwrite || CoverPrice == 0) && XmlFindElement(node, "coverprice"))
        CoverPrice = CurrencyFromText(XmlElementText(node, "coverprice"));
}

TTreeNode* TBookItem::AddToTree(TTreeNodes& tree, TTreeNode* parentNode)
{
    TTreeNode* node = TDataItem::AddToTree(tree, parentNode);
    if (Prefs().ShowInCollectionIndicator)
        tree.SetStateIndex(node, InCollection ? 1 : 2);
    return node;
}

void TBookItem::ApplyDefaults()
{
    TRootItem* root = GetRoot();
    auto* defaults = root ? dynamic_cast<TBookItemDefaults*>(root->Defaults.get()) : nullptr;
    if (!defaults)
        return;
    auto findOrAdd = [&](int fieldID, const QString& name) {
        TLookupList* list = root->LookupListForFieldID(fieldID);
        return list ? list->FindOrAdd(name) : nullptr;
    };
    InCollection = defaults->InCollection;
    if (Genres.IsEmpty())
        Genres.Add(findOrAdd(bfGenre, defaults->Genre));
    const std::pair<int, const QString*> singles[] = {{bfFormat, &defaults->Format},
                                                      {bfCountry, &defaults->Country},
                                                      {bfLanguage, &defaults->Language},
                                                      {bfStore, &defaults->Store},
                                                      {bfOwner, &defaults->Owner},
                                                      {bfUserLookup1, &defaults->UserLookup1},
                                                      {bfUserLookup2, &defaults->UserLookup2}};
    for (const auto& [id, name] : singles)
        if (TLookupItem** slot = EntrySlot(id); slot && !*slot)
            *slot = findOrAdd(id, *name);
    if (MainSection->Rating == 0)
        MainSection->Rating = defaults->Rating;
}

void TBookItem::ScalePrices(double factor)
{
    PurchasePrice = Scaled(PurchasePrice, factor);
    CurrentValue = Scaled(CurrentValue, factor);
    CoverPrice = Scaled(CoverPrice, factor);
}

void TBookItem::AddChildrenTo(TDataRefList& list) const
{
    for (TDataItem* section : *Sections)
        list.Add(section);
}

const TDataRefList& TBookItem::SectionsOrMain()
{
    if (!Sections->IsEmpty())
        return *Sections;
    FMainOnly.Clear();
    FMainOnly.Add(MainSection.get());
    return FMainOnly;
}

void TBookItem::BindYearList(TLookupList& years)
{
    PurchaseDate.YearList = &years;
    PublicationDate.YearList = &years;
    MainSection->BindYearList(years);
    for (TDataItem* section : *Sections)
        static_cast<TSection*>(section)->BindYearList(years);
}

// ---------------------------------------------------------------------------------------------------
// TSection

TSection::TSection(TDataObject* owner, TDataObject* container)
    : TDataItem(owner, container), Characters(this, this, bfCharacter), Credits(this, this)
{}

TLookupItem** TSection::EntrySlot(int fieldID)
{
    switch (fieldID) {
    case bfSeries:
        return &Series;
    case bfUserLookup1:
        return &UserLookup1;
    case bfUserLookup2:
        return &UserLookup2;
    default:
        return nullptr;
    }
}

QString TSection::OwnString(const TDataField* field)
{
    switch (field->ID) {
    case fiIndex:
        return Item() ? QString::number(Item()->Index) : QString();
    case bfTitle:
        return Title;
    case bfTitleSort:
        return TitleSort;
    case bfTitleThe:
        return TitleThe;
    case bfSubTitle:
        return SubTitle;
    case bfNotes:
        return Notes;
    case bfPlot:
        return Plot;
    case bfUserText1:
        return UserText1;
    case bfUserText2:
        return UserText2;
    case bfPages:
        return NumberText(PageCount);
    case bfRating:
        return NumberText(Rating);
    case bfStartPage:
        return NumberText(StartPage);
    case bfCharacter:
        return Characters.GetText();
    default:
        break;
    }
    if (IsCredit(field))
        return Credits.GetRoleText(field->ID);
    if (TLookupItem** slot = EntrySlot(field->ID))
        return EntryText(*slot);
    return TDataItem::GetValueAsString(field);
}

QString TSection::GetValueAsString(const TDataField* field) { return InheritString(field, OwnString(field)); }

qint32 TSection::GetValueAsInteger(const TDataField* field)
{
    qint32 own = -1;
    switch (field->ID) {
    case fiIndex:
        own = Item() ? Item()->Index : Index;
        break;
    case bfPages:
        own = PageCount;
        break;
    case bfRating:
        own = Rating;
        break;
    case bfStartPage:
        own = StartPage;
        break;
    default:
        own = TDataItem::GetValueAsInteger(field);
    }
    return InheritInteger(field, own);
}

int TSection::GetValueAsBoolean(const TDataField* field)
{
    return InheritBoolean(field, TDataItem::GetValueAsBoolean(field));
}

double TSection::GetValueAsDate(const TDataField* field)
{
    return InheritDate(field, TDataItem::GetValueAsDate(field));
}

double TSection::GetValueAsFloat(const TDataField* field)
{
    return InheritFloat(field, TDataItem::GetValueAsFloat(field));
}

TLookupItem* TSection::OwnLookupItem(const TDataField* field)
{
    if (field->ID == bfCharacter)
        return Characters.First();
    if (IsCredit(field))
        return Credits.FirstPerson(field->ID);
    if (TLookupItem** slot = EntrySlot(field->ID))
        return *slot;
    return TDataItem::GetValueAsLookupItem(field, false);
}

TLookupItem* TSection::GetValueAsLookupItem(const TDataField* field, bool inherit)
{
    if (inherit && Item() && field->ItemKinds == Kinds({ikMain}))
        return Item()->GetValueAsLookupItem(field, inherit);
    TLookupItem* own = OwnLookupItem(field);
    return inherit ? InheritLookupItem(field, own) : own;
}

TCreditList* TSection::GetCreditList(const TDataField* field, bool inherit)
{
    TCreditList* own = IsCredit(field) && !Credits.RoleAbsent(field->ID) ? &Credits : nullptr;
    return inherit ? InheritCreditList(field, own) : own;
}

TLookupItemRefList* TSection::GetLookupRefList(const TDataField* field, bool inherit)
{
    TLookupItemRefList* own = field->ID == bfCharacter ? &Characters : nullptr;
    return inherit ? InheritLookupRefList(field, own) : own;
}

void TSection::setValueAsLookupItem(const TDataField* field, TLookupItem* entry, int mode,
                                    TLookupItem* oldEntry)
{
    if (field->ID == bfCharacter)
        Characters.SetEntry(entry, oldEntry, mode);
    else if (IsCredit(field))
        Credits.SetCredit(field->ID, entry, mode, oldEntry);
    else if (TLookupItem** slot = EntrySlot(field->ID))
        *slot = entry;
    else
        TDataItem::setValueAsLookupItem(field, entry, mode, oldEntry);
}

void TSection::Clear()
{
    TDataItem::Clear();
    ThumbnailIndex = 0;
}

void TSection::CopySectionTo(TSection& copy) const
{
    copy.Title = Title;
    copy.TitleSort = TitleSort;
    copy.TitleThe = TitleThe;
    copy.SubTitle = SubTitle;
    copy.Notes = Notes;
    copy.Plot = Plot;
    copy.Rating = Rating;
    copy.PageCount = PageCount;
    copy.StartPage = StartPage;
    copy.UserText1 = UserText1;
    copy.UserText2 = UserText2;
    copy.UserLookup1 = UserLookup1;
    copy.UserLookup2 = UserLookup2;
    copy.Series = Series;
    copy.Characters.Clear();
    copy.Characters.AddAll(Characters);
    Credits.CopyTo(copy.Credits);
    copy.Credits.Parent = &copy;
    copy.Credits.Container = &copy;
}

std::unique_ptr<TDataItem> TSection::Clone(TDataObject* parent, TDataObject* container, bool keepID)
{
    auto copy = TDataItem::Clone(parent, container, keepID);
    CopySectionTo(static_cast<TSection&>(*copy));
    return copy;
}

bool TSection::IsEqual(TDataItem* other)
{
    auto* section = dynamic_cast<TSection*>(other);
    return section && TDataItem::IsEqual(other) && Title == section->Title && TitleSort == section->TitleSort
           && TitleThe == section->TitleThe && SubTitle == section->SubTitle && Plot == section->Plot
           && SameCredits(Credits, section->Credits) && Rating == section->Rating
           && StartPage == section->StartPage && PageCount == section->PageCount
           && UserText1 == section->UserText1 && UserText2 == section->UserText2
           && UserLookup1 == section->UserLookup1 && UserLookup2 == section->UserLookup2
           && SameEntries(Characters, section->Characters) && Notes == section->Notes
           && Series == section->Series;
}

void TSection::Write(TValueWriter& writer)
{
    TDataItem::Write(writer);
    for (const QString* text : {&Title, &TitleSort, &TitleThe, &SubTitle, &Plot, &Notes})
        writer.WriteScrambled(*text);
    Credits.Write(writer);
    writer.WriteInteger(Rating);
    writer.WriteInteger(StartPage);
    writer.WriteInteger(PageCount);
    writer.WriteScrambled(UserText1);
    writer.WriteScrambled(UserText2);
    WriteEntry(writer, UserLookup1);
    WriteEntry(writer, UserLookup2);
    Characters.Write(writer);
    WriteEntry(writer, Series);
}

void TSection::Read(TValueReader& reader, int formatVersion, int dataVersion)
{
    TDataItem::Read(reader, formatVersion, dataVersion);
    for (QString* text : {&Title, &TitleSort, &TitleThe, &SubTitle, &Plot, &Notes})
        *text = reader.ReadScrambled();
    Credits.FreeAll();
    Credits.Read(reader, formatVersion, dataVersion);
    Rating = reader.ReadInteger();
    StartPage = reader.ReadInteger();
    PageCount = reader.ReadInteger();
    UserText1 = reader.ReadScrambled();
    UserText2 = reader.ReadScrambled();
    TRootItem* root = GetRoot();
    auto list = [&](int id) { return root ? root->LookupListForFieldID(id) : nullptr; };
    UserLookup1 = ReadEntry(reader, list(bfUserLookup1));
    UserLookup2 = ReadEntry(reader, list(bfUserLookup2));
    Characters.Clear();
    Characters.Read(reader, formatVersion, dataVersion);
    Series = ReadEntry(reader, list(bfSeries));
}

void TSection::WriteXML(xmlNode* node)
{
    TRootItem* root = GetRoot();
    auto value = [&](int id) {
        const TDataField* field = root ? root->FieldByID(id) : nullptr;
        return field ? GetValueAsString(field) : QString();
    };
    auto entry = [&](const char* name, int id) {
        const TDataField* field = root ? root->FieldByID(id) : nullptr;
        WriteEntryXML(node, name, field ? GetValueAsLookupItem(field, true) : nullptr);
    };
    const std::pair<const char*, int> texts[] = {
        {"title", bfTitle},         {"titlesort", bfTitleSort}, {"titlethe", bfTitleThe},
        {"subtitle", bfSubTitle},   {"plot", bfPlot},           {"notes", bfNotes},
        {"myrating", bfRating},     {"startpage", bfStartPage}, {"pagecount", bfPages},
        {"usertext1", bfUserText1}, {"usertext2", bfUserText2}};
    for (const auto& [name, id] : texts)
        XmlAddText(node, name, value(id));
    entry("userlookup1", bfUserLookup1);
    entry("userlookup2", bfUserLookup2);
    // Credits, like every value of a section, fall back on the item's main section.
    TCreditList* credits = &Credits;
    if (credits->IsEmpty() && Item())
        credits = &Item()->MainSection->Credits;
    WriteRefsXML(node, "credits", "credit", *credits, false);
    WriteRefsXML(node, "characters", "character", Characters, false);
    entry("series", bfSeries);
}

// ---------------------------------------------------------------------------------------------------
// Series

QString TSeriesLookupItem::GetValueAsString(const TDataField* field)
{
    switch (field->ID) {
    case bfNumberOfIssues:
        return NumberText(NumberOfIssues);
    case bfFrequency:
        return EntryText(Frequency);
    case bfComplete:
        return YesNo(Complete);
    case bfISSN:
        return ISSN;
    default:
        return TSortLookupItem::GetValueAsString(field);
    }
}

TLookupItem* TSeriesLookupItem::GetValueAsLookupItem(const TDataField* field, bool inherit)
{
    return field->ID == bfFrequency ? Frequency : TSortLookupItem::GetValueAsLookupItem(field, inherit);
}

bool TSeriesLookupItem::SameAs(TDataItem* other)
{
    auto* series = dynamic_cast<TSeriesLookupItem*>(other);
    return series && TSortLookupItem::SameAs(other) && series->NumberOfIssues == NumberOfIssues
           && series->Complete == Complete && series->Frequency == Frequency && series->ISSN == ISSN;
}

std::unique_ptr<TDataItem> TSeriesLookupItem::CreateNew(TDataObject* parent, TDataObject* container) const
{
    return std::make_unique<TSeriesLookupItem>(parent, container);
}

std::unique_ptr<TDataItem> TSeriesLookupItem::Clone(TDataObject* parent, TDataObject* container, bool keepID)
{
    auto copy = TSortLookupItem::Clone(parent, container, keepID);
    auto& series = static_cast<TSeriesLookupItem&>(*copy);
    series.NumberOfIssues = NumberOfIssues;
    series.Frequency = Frequency;
    series.Complete = Complete;
    series.ISSN = ISSN;
    return copy;
}

void TSeriesLookupItem::Write(TValueWriter& writer)
{
    TSortLookupItem::Write(writer);
    writer.WriteInteger(NumberOfIssues);
    WriteEntry(writer, Frequency);
    writer.WriteBoolean(Complete);
    writer.WriteScrambled(ISSN);
}

void TSeriesLookupItem::Read(TValueReader& reader, int formatVersion, int dataVersion)
{
    TSortLookupItem::Read(reader, formatVersion, dataVersion);
    NumberOfIssues = reader.ReadInteger();
    TRootItem* root = GetRoot();
    Frequency = ReadEntry(reader, root ? root->LookupListForFieldID(bfFrequency) : nullptr);
    Complete = reader.ReadBoolean();
    ISSN = reader.ReadScrambled();
}

void TSeriesLookupItem::WriteXML(xmlNode* node)
{
    TSortLookupItem::WriteXML(node);
    XmlAddText(node, "issuecount", NumberText(NumberOfIssues));
    XmlAddText(node, "frequency", EntryText(Frequency));
    XmlAddText(node, "complete", YesNo(Complete));
}

std::unique_ptr<TLookupItem> TSeriesLookupList::MakeEntry()
{
    return std::make_unique<TSeriesLookupItem>(this, this);
}

QList<std::pair<int, int>> TSeriesLookupDataField::DefaultColumns() const
{
    return {{fiSortName, 100},  {fiDisplayName, 100}, {fiName, 100}, {fiArticle, 70}, {bfNumberOfIssues, 70},
            {bfFrequency, 100}, {bfComplete, 70},     {fiUsed, 70},  {fiID, 70}};
}

// ---------------------------------------------------------------------------------------------------
// Lists with built-in entries

TDefaultsLookupList::TDefaultsLookupList(TDataObject* root, QStringList defaults)
    : TSortLookupList(root, root), FDefaults(std::move(defaults))
{}

void TDefaultsLookupList::FillDefaults()
{
    for (const QString& name : FDefaults)
        Added(static_cast<TSortLookupItem*>(AddNew(name)));
}

TConditionLookupList::TConditionLookupList(TDataObject* root)
    : TDefaultsLookupList(root,
                          {"Mint", "Near Mint", "Very Fine", "Fine", "Very Good", "Good", "Fair", "Poor"})
{}

void TConditionLookupList::Added(TSortLookupItem* entry)
{
    static const QHash<QString, int> grades{{"Mint", 100}, {"Near Mint", 94}, {"Very Fine", 80},
                                            {"Fine", 60},  {"Very Good", 40}, {"Good", 20},
                                            {"Fair", 10},  {"Poor", 5}};
    entry->Name = QStringLiteral("%1 %2")
                      .arg(grades.value(entry->DisplayName), 3, 10, QLatin1Char('0'))
                      .arg(entry->DisplayName);
    ItemChanged(entry);
}

void TBookPublisherLookupList::FillDefaults()
{
    for (const char* name : {"Random House", "HarperCollins", "Penguin", "McGraw", "Marvel", "Addison Wesley",
                             "Prentice Hall", "Microsoft Press", "Pearson", "Basic Books", "Bantam",
                             "Harcourt", "Del Rey", "Rainbow", "Simon & Schuster", "Harlequin", "Dorchester"})
        AddNew(QString::fromLatin1(name));
}

// ---------------------------------------------------------------------------------------------------
// Defaults

namespace {
const QString DefaultsSection = QStringLiteral("Defaults");
}

void TBookItemDefaults::ReadFromSettings(const TSettingsStore& settings)
{
    InCollection = settings.ReadBool(DefaultsSection, "InCollection", true);
    Genre = settings.ReadString(DefaultsSection, "Genre", {});
    Format = settings.ReadString(DefaultsSection, "Format", {});
    Country = settings.ReadString(DefaultsSection, "Country", {});
    Language = settings.ReadString(DefaultsSection, "Language", {});
    Store = settings.ReadString(DefaultsSection, "Store", {});
    Owner = settings.ReadString(DefaultsSection, "Owner", {});
    Rating = settings.ReadInteger(DefaultsSection, "MyRating", 0);
    UserLookup1 = settings.ReadString(DefaultsSection, "UserLookup1", {});
    UserLookup2 = settings.ReadString(DefaultsSection, "UserLookup2", {});
}

void TBookItemDefaults::WriteToSettings(TSettingsStore& settings) const
{
    settings.WriteBool(DefaultsSection, "InCollection", InCollection);
    settings.WriteString(DefaultsSection, "Genre", Genre);
    settings.WriteString(DefaultsSection, "Format", Format);
    settings.WriteString(DefaultsSection, "Country", Country);
    settings.WriteString(DefaultsSection, "Language", Language);
    settings.WriteString(DefaultsSection, "Store", Store);
    settings.WriteString(DefaultsSection, "Owner", Owner);
    settings.WriteInteger(DefaultsSection, "MyRating", Rating);
    settings.WriteString(DefaultsSection, "UserLookup1", UserLookup1);
    settings.WriteString(DefaultsSection, "UserLookup2", UserLookup2);
}

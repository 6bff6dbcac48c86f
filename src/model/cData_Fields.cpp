// Field descriptors, their comparisons and the collection metadata.

#include "model/cCryptStream.h"
#include "model/cData.h"
#include "model/cDataText.h"
#include "model/cData_FieldRefs.h"
#include "model/cXmlUtil.h"

#include <cmath>

namespace {

template <class T>
int Compare3(T a, T b)
{
    return (a > b) - (a < b);
}

// The persons of an item's credits in one role, in list order.
void CreditPersons(TDataItem* item, int role, TDataRefList& persons)
{
    if (TCreditList* credits = item->GetCreditList(item->GetRoot()->FieldByID(role), true))
        for (TDataItem* credit : *credits)
            if (static_cast<TCreditItem*>(credit)->Role == role)
                persons.Add(static_cast<TCreditItem*>(credit)->Person);
}

}  // namespace

TItemKinds Kinds(std::initializer_list<int> kinds)
{
    TItemKinds set;
    for (int kind : kinds)
        set.set(size_t(kind));
    return set;
}

// ---------------------------------------------------------------------------------------------------
// Descriptors

TDataField::TDataField(int id, const QString& name, TItemKinds kinds, int category, int defaultOrder,
                       int defaultWidth, bool inherit)
    : Name(name), Inherit(inherit), DefaultWidth(defaultWidth), DefaultOrder(defaultOrder), ItemKinds(kinds),
      Category(category)
{
    ID = id;
}

void TDataField::WriteXML(xmlNode* node)
{
    XmlSetAttribute(node, "name", Name);
    XmlSetAttribute(node, "label", GetDisplayNamePlain());
}

TStringDataField::TStringDataField(int id, const QString& name, TItemKinds kinds, int category,
                                   int defaultOrder, int defaultWidth, bool inherit, int sortFieldID)
    : TDataField(id, name, kinds, category, defaultOrder, defaultWidth, inherit), SortFieldID(sortFieldID)
{}

QString TStringDataField::SortKey(TDataItem* item) const
{
    if (!FSortFieldLooked) {
        TRootItem* root = GetRoot();
        FSortField = SortFieldID != -1 && root ? root->FieldByID(SortFieldID) : nullptr;
        FSortFieldLooked = true;
    }
    if (FSortField) {
        const QString key = item->GetValueAsString(FSortField);
        if (!key.isEmpty())
            return key;
    }
    return item->GetValueAsString(this);
}

int TStringDataField::Compare(TDataItem* a, TDataItem* b) const
{
    return CompareText(SortKey(a), SortKey(b));
}

TLookupDataField::TLookupDataField(int id, const QString& name, TItemKinds kinds, int category,
                                   int defaultOrder, int defaultWidth, bool inherit, int maxCount,
                                   int sortFieldID)
    : TStringDataField(id, name, kinds, category, defaultOrder, defaultWidth, inherit, sortFieldID),
      MaxCount(maxCount <= 0 ? 0 : maxCount)
{
    LookupKind = MaxCount == 1 ? TLookupKind::Single : TLookupKind::Multi;
}

int TLookupDataField::Compare(TDataItem* a, TDataItem* b) const
{
    if (IsSingle())
        return CompareEntries(a->GetValueAsLookupItem(this, true), b->GetValueAsLookupItem(this, true));
    return CompareEntryLists(a->GetLookupRefList(this, true), b->GetLookupRefList(this, true));
}

TCreditDataField::TCreditDataField(int id, const QString& name, TItemKinds kinds, int category,
                                   int defaultWidth, bool inherit, int creditGroup)
    : TPersonLookupDataField(id, name, kinds, category, 1, defaultWidth, inherit, 0), CreditGroup(creditGroup)
{
    LookupKind = TLookupKind::Credit;
}

int TCreditDataField::Compare(TDataItem* a, TDataItem* b) const
{
    TDataRefList personsA;
    TDataRefList personsB;
    CreditPersons(a, ID, personsA);
    CreditPersons(b, ID, personsB);
    return CompareEntryLists(&personsA, &personsB);
}

int TIntegerDataField::Compare(TDataItem* a, TDataItem* b) const
{
    return Compare3(a->GetValueAsInteger(this), b->GetValueAsInteger(this));
}

int TDateDataField::Compare(TDataItem* a, TDataItem* b) const
{
    return Compare3(std::trunc(a->GetValueAsDate(this)), std::trunc(b->GetValueAsDate(this)));
}

int TFloatDataField::Compare(TDataItem* a, TDataItem* b) const
{
    return Compare3(a->GetValueAsFloat(this), b->GetValueAsFloat(this));
}

// ---------------------------------------------------------------------------------------------------
// TDataFieldList

TDataField* TDataFieldList::FindByName(const QString& text) const
{
    for (TDataItem* item : FItems)
        if (static_cast<TDataField*>(item)->Name == text)
            return static_cast<TDataField*>(item);
    return nullptr;
}

TDataField* TDataFieldList::AddField(std::unique_ptr<TDataField> field)
{
    TDataField* added = field.release();
    added->Parent = this;
    added->Container = this;
    Add(added);
    if (!FById.contains(added->ID))
        FById.insert(added->ID, added);
    return added;
}

void TDataFieldList::WriteXML(xmlNode* node, const char* elementName)
{
    for (TDataItem* item : FItems)
        if (item->ID < 1000)
            item->WriteXML(XmlAddElement(node, elementName));
}

// ---------------------------------------------------------------------------------------------------
// TMetaInfo

TMetaInfo::TMetaInfo(TRootItem* root)
    : TDataObject(root, root), Fields(this, this), LookupLists(this, this), FRoot(root)
{}

void TMetaInfo::DefineFields()
{
    FieldGroups << QStringLiteral("ID") << QStringLiteral("Main");
    const TItemKinds main = Kinds({ikMain});
    const TItemKinds entries = Kinds({ikLookup});
    Fields.AddField(std::make_unique<TIntegerDataField>(fiID, QStringLiteral("ID"), main, 0, 1, 20, false));
    Fields.AddField(
        std::make_unique<TIntegerDataField>(fiIndex, QStringLiteral("Index"), main, 0, 1, 20, false));
    Fields.AddField(
        std::make_unique<TIntegerDataField>(fiUsed, QStringLiteral("Used"), entries, -1, 1, 20, false));
    const std::pair<int, const char*> texts[] = {{fiDisplayName, "Display Name"}, {fiName, "Name"},
                                                 {fiFirstName, "First Name"},     {fiArticle, "The"},
                                                 {fiSortName, "Sort Name"},       {fiURL, "URL"}};
    for (const auto& [id, name] : texts)
        Fields.AddField(std::make_unique<TStringDataField>(id, QString::fromLatin1(name), entries, -1, 1, 100,
                                                           false, -1));
    LookupGroups << QStringLiteral("Main");
}

void TMetaInfo::AddLoanFields()
{
    FieldGroups << QStringLiteral("Loan");
    const int loan = int(FieldGroups.size()) - 1;
    const TItemKinds main = Kinds({ikMain});
    Fields.AddField(std::make_unique<TPersonLookupDataField>(fiLoanedTo, QStringLiteral("Loaned To"), main,
                                                             loan, 1, 150, true, 1, -1));
    Fields.AddField(
        std::make_unique<TDateDataField>(fiLoanDate, QStringLiteral("Loan Date"), main, loan, 1, 100, true));
    Fields.AddField(
        std::make_unique<TDateDataField>(fiDueDate, QStringLiteral("Due Date"), main, loan, 1, 100, true));
    Fields.AddField(std::make_unique<TBooleanDataField>(fiOverdue, QStringLiteral("Overdue"), main, loan, 1,
                                                        50, false, -1));
    Fields.AddField(std::make_unique<TDateDataField>(fiReturnDate, QStringLiteral("Return Date"), main, loan,
                                                     1, 100, true));
    Fields.AddField(std::make_unique<TStringDataField>(fiLoanNotes, QStringLiteral("Loan Notes"), main, loan,
                                                       1, 100, false, -1));
    LookupGroups << QStringLiteral("Personal");
    LookupLists.Add(new TLookupListInfo(&LookupLists, 1000, QStringLiteral("Loaned To"),
                                        FRoot->LoanPersons.get(), {fiLoanedTo},
                                        int(LookupGroups.size()) - 1));
}

void TMetaInfo::ReadFieldNames(TValueReader& reader, int, int)
{
    for (TDataItem* item : Fields)
        static_cast<TDataField*>(item)->UserName.clear();
    reader.ReadListBegin();
    while (!reader.EndOfList()) {
        const qint32 id = reader.ReadInteger();
        const QString name = reader.ReadScrambled();
        if (TDataField* field = Fields.FindByID(id))
            field->SetUserName(name);
    }
    reader.ReadListEnd();
}

void TMetaInfo::WriteFieldNames(TValueWriter& writer)
{
    writer.WriteListBegin();
    for (TDataItem* item : Fields) {
        auto* field = static_cast<TDataField*>(item);
        if (!field->UserName.isEmpty()) {
            writer.WriteInteger(field->ID);
            writer.WriteScrambled(field->GetDisplayName());
        }
    }
    writer.WriteListEnd();
}

// ---------------------------------------------------------------------------------------------------
// Sort values: the same order as Compare, worked out once per item

const QCollatorSortKey& TSortKeyCache::EntryKey(const TLookupItem* entry)
{
    auto found = Entries.find(entry);
    if (found == Entries.end())
        found = Entries.emplace(entry, TextSortKey(entry ? entry->GetSortText() : QString())).first;
    return found->second;
}

int TDataField::CompareSortValues(const TSortValue& a, const TSortValue& b)
{
    if (a.Texts.empty() && b.Texts.empty())
        return Compare3(a.Number, b.Number);
    static const QCollatorSortKey empty = TextSortKey(QString());
    const size_t count = std::max(a.Texts.size(), b.Texts.size());
    for (size_t i = 0; i < count; ++i) {
        const QCollatorSortKey& keyA = i < a.Texts.size() ? a.Texts[i] : empty;
        const QCollatorSortKey& keyB = i < b.Texts.size() ? b.Texts[i] : empty;
        if (const int result = keyA.compare(keyB))
            return result;
    }
    return 0;
}

bool TStringDataField::GetSortValue(TDataItem* item, TSortValue& value, TSortKeyCache&) const
{
    value.Texts.push_back(TextSortKey(SortKey(item)));
    return true;
}

bool TLookupDataField::GetSortValue(TDataItem* item, TSortValue& value, TSortKeyCache& cache) const
{
    if (IsSingle()) {
        value.Texts.push_back(cache.EntryKey(item->GetValueAsLookupItem(this, true)));
    } else if (TLookupItemRefList* refs = item->GetLookupRefList(this, true)) {
        for (TDataItem* entry : *refs)
            value.Texts.push_back(cache.EntryKey(static_cast<TLookupItem*>(entry)));
    }
    return true;
}

bool TCreditDataField::GetSortValue(TDataItem* item, TSortValue& value, TSortKeyCache& cache) const
{
    TDataRefList persons;
    CreditPersons(item, ID, persons);
    for (TDataItem* person : persons)
        value.Texts.push_back(cache.EntryKey(static_cast<TLookupItem*>(person)));
    return true;
}

bool TIntegerDataField::GetSortValue(TDataItem* item, TSortValue& value, TSortKeyCache&) const
{
    value.Number = item->GetValueAsInteger(this);
    return true;
}

bool TDateDataField::GetSortValue(TDataItem* item, TSortValue& value, TSortKeyCache&) const
{
    value.Number = std::trunc(item->GetValueAsDate(this));
    return true;
}

bool TFloatDataField::GetSortValue(TDataItem* item, TSortValue& value, TSortKeyCache&) const
{
    value.Number = item->GetValueAsFloat(this);
    return true;
}

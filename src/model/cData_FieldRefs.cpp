// Sort, column and group field references, their lists in the settings, and what descriptors make of
// them: manager columns, filter conditions and user field names.

#include "model/cData_FieldRefs.h"

#include "platform/SettingsStore.h"

namespace {

const QString CountValue = QStringLiteral("Count");
const QString FieldValue = QStringLiteral("Field");
// No view keeps more fields than this; a larger stored count is damage.
constexpr int MaxStoredEntries = 1000;

}  // namespace

// ---------------------------------------------------------------------------------------------------
// References

TDataFieldRef::TDataFieldRef(TDataObject* root, TDataField* field) : TDataItem(root, root), Field(field) {}

std::unique_ptr<TDataItem> TDataFieldRef::CreateNew(TDataObject* parent, TDataObject*) const
{
    return std::make_unique<TDataFieldRef>(parent, nullptr);
}

std::unique_ptr<TDataItem> TDataFieldRef::Clone(TDataObject* parent, TDataObject* container, bool keepID)
{
    auto copy = TDataItem::Clone(parent, container, keepID);
    static_cast<TDataFieldRef&>(*copy).Field = Field;
    return copy;
}

std::unique_ptr<TDataItem> TSortField::CreateNew(TDataObject* parent, TDataObject*) const
{
    return std::make_unique<TSortField>(parent, nullptr);
}

std::unique_ptr<TDataItem> TSortField::Clone(TDataObject* parent, TDataObject* container, bool keepID)
{
    auto copy = TDataFieldRef::Clone(parent, container, keepID);
    static_cast<TSortField&>(*copy).Order = Order;
    return copy;
}

std::unique_ptr<TDataItem> TColumnField::CreateNew(TDataObject* parent, TDataObject*) const
{
    return std::make_unique<TColumnField>(parent, nullptr);
}

std::unique_ptr<TDataItem> TColumnField::Clone(TDataObject* parent, TDataObject* container, bool keepID)
{
    auto copy = TDataFieldRef::Clone(parent, container, keepID);
    static_cast<TColumnField&>(*copy).Width = Width;
    return copy;
}

std::unique_ptr<TDataItem> TGroupField::CreateNew(TDataObject* parent, TDataObject*) const
{
    return std::make_unique<TGroupField>(parent, nullptr);
}

// ---------------------------------------------------------------------------------------------------
// Reference lists

TDataFieldRefList::TDataFieldRefList(TDataObject* root, int itemKind)
    : TDataList(root, root), ItemKind(quint8(itemKind))
{}

int TDataFieldRefList::IndexOfField(const TDataField* field) const
{
    if (!field)
        return -1;
    for (int i = 0; i < Count(); ++i)
        if (Ref(i)->Field == field)
            return i;
    return -1;
}

int TDataFieldRefList::StoredCount(TSettingsStore& settings, const QString& key)
{
    return std::clamp(settings.ReadInteger(key, CountValue, 0), 0, MaxStoredEntries);
}

TDataField* TDataFieldRefList::StoredField(TSettingsStore& settings, const QString& entryKey) const
{
    TRootItem* root = GetRoot();
    return root ? root->FieldByID(settings.ReadInteger(entryKey, FieldValue, 1)) : nullptr;
}

TSortField* TSortFieldRefList::AddField(TDataField* field, int order)
{
    auto* ref = new TSortField(GetRoot(), field, order);
    Add(ref);
    return ref;
}

QList<TSortKey> TSortFieldRefList::Keys() const
{
    QList<TSortKey> keys;
    for (int i = 0; i < Count(); ++i)
        keys << TSortKey{Sort(i)->Field, Sort(i)->Order};
    return keys;
}

void TSortFieldRefList::ReadFromSettings(TSettingsStore& settings, const QString& key)
{
    const int count = StoredCount(settings, key);
    for (int i = 0; i < count; ++i)
        if (TDataField* field = StoredField(settings, EntryKey(key, i)))
            AddField(field, settings.ReadInteger(EntryKey(key, i), QStringLiteral("Order"), 1));
}

void TSortFieldRefList::WriteToSettings(TSettingsStore& settings, const QString& key)
{
    for (int i = 0; i < Count(); ++i) {
        settings.WriteInteger(EntryKey(key, i), FieldValue, Sort(i)->Field->ID);
        settings.WriteInteger(EntryKey(key, i), QStringLiteral("Order"), Sort(i)->Order);
    }
    settings.WriteInteger(key, CountValue, Count());
}

TColumnField* TColumnFieldRefList::AddField(TDataField* field, int width)
{
    auto* ref = new TColumnField(GetRoot(), field, width);
    Add(ref);
    return ref;
}

void TColumnFieldRefList::ReadFromSettings(TSettingsStore& settings, const QString& key)
{
    const int count = StoredCount(settings, key);
    TRootItem* root = GetRoot();
    if (count == 0 && root) {
        for (int id : root->MetaInfo->ViewColumnDefaults.value(ItemKind))
            if (TDataField* field = root->FieldByID(id))
                AddField(field, field->DefaultWidth);
        return;
    }
    for (int i = 0; i < count; ++i)
        if (TDataField* field = StoredField(settings, EntryKey(key, i)))
            AddField(field, settings.ReadInteger(EntryKey(key, i), QStringLiteral("Width"), 100));
}

void TColumnFieldRefList::WriteToSettings(TSettingsStore& settings, const QString& key)
{
    for (int i = 0; i < Count(); ++i) {
        settings.WriteInteger(EntryKey(key, i), FieldValue, Column(i)->Field->ID);
        settings.WriteInteger(EntryKey(key, i), QStringLiteral("Width"), Column(i)->Width);
    }
    settings.WriteInteger(key, CountValue, Count());
}

TGroupField* TGroupFieldRefList::AddField(TDataField* field)
{
    auto* ref = new TGroupField(GetRoot(), field);
    Add(ref);
    return ref;
}

void TGroupFieldRefList::CopyFrom(const TGroupFieldRefList& other)
{
    for (TDataItem* ref : other)
        Add(ref->Clone(GetRoot(), GetRoot(), false).release());
}

void TGroupFieldRefList::ReadFromSettings(TSettingsStore& settings, const QString& key)
{
    const int count = StoredCount(settings, key);
    for (int i = 0; i < count; ++i)
        if (TDataField* field = StoredField(settings, EntryKey(key, i)))
            AddField(field);
}

void TGroupFieldRefList::WriteToSettings(TSettingsStore& settings, const QString& key)
{
    for (int i = 0; i < Count(); ++i)
        settings.WriteInteger(EntryKey(key, i), FieldValue, Ref(i)->Field->ID);
    settings.WriteInteger(key, CountValue, Count());
}

// ---------------------------------------------------------------------------------------------------
// What descriptors make of references

TLookupDataField::~TLookupDataField() = default;

QList<std::pair<int, int>> TLookupDataField::DefaultColumns() const
{
    return {{fiSortName, 100}, {fiDisplayName, 100}, {fiUsed, 70}, {fiID, 70}};
}

QList<std::pair<int, int>> TSortLookupDataField::DefaultColumns() const
{
    return {{fiSortName, 100}, {fiDisplayName, 100}, {fiName, 100},
            {fiArticle, 70},   {fiUsed, 70},         {fiID, 70}};
}

QList<std::pair<int, int>> TURLLookupDataField::DefaultColumns() const
{
    return {{fiSortName, 100}, {fiDisplayName, 100}, {fiName, 100}, {fiArticle, 70},
            {fiURL, 150},      {fiUsed, 70},         {fiID, 70}};
}

QList<std::pair<int, int>> TPersonLookupDataField::DefaultColumns() const
{
    return {{fiSortName, 100}, {fiDisplayName, 100}, {fiFirstName, 70}, {fiName, 100},
            {fiArticle, 70},   {fiURL, 150},         {fiUsed, 70},      {fiID, 70}};
}

void TLookupDataField::FillDefaultColumns()
{
    if (!FColumns)
        FColumns = std::make_unique<TColumnFieldRefList>(GetRoot(), ikLookup);
    TColumnFieldRefList& columns = *FColumns;
    columns.FreeAll();
    TRootItem* root = GetRoot();
    for (const auto& [id, width] : DefaultColumns())
        if (TDataField* field = root ? root->FieldByID(id) : nullptr)
            columns.AddField(field, width);
}

TColumnFieldRefList& TLookupDataField::GetColumns()
{
    if (!FColumns || FColumns->IsEmpty())
        FillDefaultColumns();
    return *FColumns;
}

namespace {
template <class TCondition>
std::unique_ptr<TFilterField> MakeCondition(TDataField* field)
{
    return std::make_unique<TCondition>(field->GetRoot(), field);
}
}  // namespace

std::unique_ptr<TFilterField> TStringDataField::CreateFilterField()
{
    return MakeCondition<TStringFilterField>(this);
}

std::unique_ptr<TFilterField> TBooleanDataField::CreateFilterField()
{
    return MakeCondition<TBoolFilterField>(this);
}

std::unique_ptr<TFilterField> TLookupDataField::CreateFilterField()
{
    return MakeCondition<TLookupStringFilterField>(this);
}

std::unique_ptr<TFilterField> TCreditDataField::CreateFilterField()
{
    return MakeCondition<TCreditFilterField>(this);
}

std::unique_ptr<TFilterField> TIntegerDataField::CreateFilterField()
{
    return MakeCondition<TIntegerFilterField>(this);
}

std::unique_ptr<TFilterField> TDateDataField::CreateFilterField()
{
    return MakeCondition<TDateFilterField>(this);
}

std::unique_ptr<TFilterField> TFloatDataField::CreateFilterField()
{
    return MakeCondition<TFloatFilterField>(this);
}

namespace {
const QString FieldNamesSection = QStringLiteral("FieldNames");
}

void TDataField::LoadUserName(const TSettingsStore& settings)
{
    UserName = settings.ReadString(FieldNamesSection, Name, QString());
}

void TDataField::SaveUserName(TSettingsStore& settings) const
{
    if (UserName.isEmpty())
        settings.DeleteValue(FieldNamesSection, Name);
    else
        settings.WriteString(FieldNamesSection, Name, UserName);
}

void TMetaInfo::LoadFieldNames(const TSettingsStore& settings)
{
    for (TDataItem* field : Fields)
        static_cast<TDataField*>(field)->LoadUserName(settings);
}

void TMetaInfo::SaveFieldNames(TSettingsStore& settings) const
{
    for (TDataItem* field : Fields)
        static_cast<TDataField*>(field)->SaveUserName(settings);
}

// Filter conditions: matching, their words, and their values in the settings.

#include "model/cDataText.h"
#include "model/cData_FieldRefs.h"
#include "platform/SettingsStore.h"

#include <cmath>

namespace {

const QString FieldValue = QStringLiteral("Field");

// A stored bound; one that is not a finite number leaves the bound open.
double Bound(double value) { return std::isfinite(value) ? value : -1; }

QString Number(double value) { return QLocale().toString(value, 'f', 2); }

}  // namespace

// ---------------------------------------------------------------------------------------------------
// TFilterField

QString TFilterField::GetDescription() const
{
    return QStringLiteral("(%1 %2)").arg(FieldName(), GetValueText());
}

void TFilterField::WriteToSettings(TSettingsStore& settings, const QString& key) const
{
    settings.WriteInteger(key, FieldValue, Field->ID);
}

QString TRangedFilterField::GetDescription() const { return TFilterField::GetDescription(); }

// ---------------------------------------------------------------------------------------------------
// Text conditions

QString TStringFilterField::GetDescription() const
{
    return QStringLiteral("(\"%1\" in %2)").arg(StringValue, FieldName());
}

bool TStringFilterField::TextMatches(const QString& text, bool caseSensitive) const
{
    return !StringValue.isEmpty() && ContainsText(text, StringValue, caseSensitive);
}

void TStringFilterField::BeginMatching(bool caseSensitive)
{
    FMatchingEntries.clear();
    TRootItem* root = GetRoot();
    TLookupList* list = root ? root->LookupListForField(Field) : nullptr;
    if (!list)
        return;
    for (TDataItem* entry : *list)
        if (EntryTextMatches(static_cast<TLookupItem*>(entry), caseSensitive))
            FMatchingEntries.insert(static_cast<TLookupItem*>(entry));
    FInPass = true;
}

void TStringFilterField::EndMatching()
{
    FInPass = false;
    FMatchingEntries.clear();
}

bool TStringFilterField::EntryMatches(const TLookupItem* entry, bool caseSensitive) const
{
    return FInPass ? FMatchingEntries.count(entry) > 0 : EntryTextMatches(entry, caseSensitive);
}

bool TStringFilterField::EntryTextMatches(const TLookupItem* entry, bool caseSensitive) const
{
    return entry && !StringValue.isEmpty()
           && (entry->SortTextContains(StringValue, caseSensitive)
               || TextMatches(entry->DisplayName, caseSensitive));
}

bool TStringFilterField::Matches(TDataItem* item, bool caseSensitive)
{
    return TextMatches(item->GetValueAsString(Field), caseSensitive);
}

void TStringFilterField::WriteToSettings(TSettingsStore& settings, const QString& key) const
{
    TFilterField::WriteToSettings(settings, key);
    settings.WriteString(key, QStringLiteral("StringValue"), StringValue);
}

void TStringFilterField::ReadFromSettings(TSettingsStore& settings, const QString& key)
{
    StringValue = settings.ReadString(key, QStringLiteral("StringValue"), QString());
}

std::unique_ptr<TDataItem> TStringFilterField::CreateNew(TDataObject* parent, TDataObject*) const
{
    return std::make_unique<TStringFilterField>(parent, nullptr);
}

std::unique_ptr<TDataItem> TStringFilterField::Clone(TDataObject* parent, TDataObject* container, bool keepID)
{
    auto copy = TFilterField::Clone(parent, container, keepID);
    static_cast<TStringFilterField&>(*copy).StringValue = StringValue;
    return copy;
}

bool TLookupStringFilterField::Matches(TDataItem* item, bool caseSensitive)
{
    auto* field = static_cast<TLookupDataField*>(Field);
    if (field->IsSingle())
        return EntryMatches(item->GetValueAsLookupItem(Field, true), caseSensitive);
    if (TLookupItemRefList* refs = item->GetLookupRefList(Field, true))
        for (TDataItem* entry : *refs)
            if (EntryMatches(static_cast<TLookupItem*>(entry), caseSensitive))
                return true;
    return false;
}

std::unique_ptr<TDataItem> TLookupStringFilterField::CreateNew(TDataObject* parent, TDataObject*) const
{
    return std::make_unique<TLookupStringFilterField>(parent, nullptr);
}

bool TCreditFilterField::Matches(TDataItem* item, bool caseSensitive)
{
    if (TCreditList* credits = item->GetCreditList(Field, true))
        for (TDataItem* entry : *credits) {
            auto* credit = static_cast<TCreditItem*>(entry);
            if (credit->Role == Field->ID && EntryMatches(credit->Person, caseSensitive))
                return true;
        }
    return false;
}

std::unique_ptr<TDataItem> TCreditFilterField::CreateNew(TDataObject* parent, TDataObject*) const
{
    return std::make_unique<TCreditFilterField>(parent, nullptr);
}

// ---------------------------------------------------------------------------------------------------
// Folder conditions

void TLookupFilterField::SetEntry(TLookupItem* entry)
{
    Entry = entry;
    EntryID = entry ? entry->GetID() : -1;
}

TLookupItem* TLookupFilterField::FindEntry() const
{
    TRootItem* root = GetRoot();
    TLookupList* list = root ? root->LookupListForField(Field) : nullptr;
    return list ? static_cast<TLookupItem*>(list->FindByID(EntryID)) : nullptr;
}

QString TLookupFilterField::GetDescription() const
{
    return QStringLiteral("(%1 is %2)").arg(FieldName(), GetValueText());
}

QString TLookupFilterField::GetValueText() const
{
    TLookupItem* entry = Entry ? Entry : FindEntry();
    return entry ? entry->GetDisplayText() : QStringLiteral("[item not found]");
}

bool TLookupFilterField::Matches(TDataItem* item, bool)
{
    return item->HasLookupItem(Field, Entry, true, false);
}

std::unique_ptr<TDataItem> TLookupFilterField::CreateNew(TDataObject* parent, TDataObject*) const
{
    return std::make_unique<TLookupFilterField>(parent, nullptr);
}

std::unique_ptr<TDataItem> TLookupFilterField::Clone(TDataObject* parent, TDataObject* container, bool keepID)
{
    auto copy = TFilterField::Clone(parent, container, keepID);
    auto& condition = static_cast<TLookupFilterField&>(*copy);
    condition.EntryID = EntryID;
    condition.Entry = condition.FindEntry();
    return copy;
}

// ---------------------------------------------------------------------------------------------------
// Ranged conditions

QString TRangedFilterField::GetValueText() const
{
    // Both bounds open describes no restriction, not a value below every other.
    const QString lower = BoundText(1);
    const QString upper = BoundText(2);
    if (lower.isEmpty() && upper.isEmpty())
        return QStringLiteral("N/A");
    if (!lower.isEmpty() && !upper.isEmpty())
        return QStringLiteral("Between %1 and %2").arg(lower, upper);
    return lower.isEmpty() ? GetUpperText() : GetLowerText();
}

QString TRangedFilterField::GetLowerText() const
{
    const QString lower = BoundText(1);
    return lower.isEmpty() ? QString() : LowerWord() + QLatin1Char(' ') + lower;
}

QString TRangedFilterField::GetUpperText() const
{
    const QString upper = BoundText(2);
    return upper.isEmpty() ? QString() : UpperWord() + QLatin1Char(' ') + upper;
}

QString TIntegerFilterField::BoundText(int bound) const
{
    const qint32 value = bound == 1 ? IntValue1 : IntValue2;
    return value == -1 ? QString() : QString::number(value);
}

bool TIntegerFilterField::Matches(TDataItem* item, bool)
{
    const qint32 value = item->GetValueAsInteger(Field);
    return !(IntValue1 != -1 && value < IntValue1) && !(IntValue2 != -1 && value > IntValue2);
}

void TIntegerFilterField::WriteToSettings(TSettingsStore& settings, const QString& key) const
{
    TFilterField::WriteToSettings(settings, key);
    settings.WriteInteger(key, QStringLiteral("IntValue1"), IntValue1);
    settings.WriteInteger(key, QStringLiteral("IntValue2"), IntValue2);
}

void TIntegerFilterField::ReadFromSettings(TSettingsStore& settings, const QString& key)
{
    IntValue1 = settings.ReadInteger(key, QStringLiteral("IntValue1"), -1);
    IntValue2 = settings.ReadInteger(key, QStringLiteral("IntValue2"), -1);
}

std::unique_ptr<TDataItem> TIntegerFilterField::CreateNew(TDataObject* parent, TDataObject*) const
{
    return std::make_unique<TIntegerFilterField>(parent, nullptr);
}

std::unique_ptr<TDataItem> TIntegerFilterField::Clone(TDataObject* parent, TDataObject* container,
                                                      bool keepID)
{
    auto copy = TFilterField::Clone(parent, container, keepID);
    auto& condition = static_cast<TIntegerFilterField&>(*copy);
    condition.IntValue1 = IntValue1;
    condition.IntValue2 = IntValue2;
    return copy;
}

QString TDateFilterField::BoundText(int bound) const
{
    const double value = bound == 1 ? DateValue1 : DateValue2;
    return value == -1 ? QString() : DayNumberText(value);
}

bool TDateFilterField::Matches(TDataItem* item, bool)
{
    const double day = std::trunc(item->GetValueAsDate(Field));
    return (DateValue1 == -1 || day >= std::trunc(DateValue1))
           && (DateValue2 == -1 || day <= std::trunc(DateValue2));
}

void TDateFilterField::WriteToSettings(TSettingsStore& settings, const QString& key) const
{
    TFilterField::WriteToSettings(settings, key);
    settings.WriteDate(key, QStringLiteral("DateValue1"), DateValue1);
    settings.WriteDate(key, QStringLiteral("DateValue2"), DateValue2);
}

void TDateFilterField::ReadFromSettings(TSettingsStore& settings, const QString& key)
{
    DateValue1 = Bound(settings.ReadDate(key, QStringLiteral("DateValue1"), -1));
    DateValue2 = Bound(settings.ReadDate(key, QStringLiteral("DateValue2"), -1));
}

std::unique_ptr<TDataItem> TDateFilterField::CreateNew(TDataObject* parent, TDataObject*) const
{
    return std::make_unique<TDateFilterField>(parent, nullptr);
}

std::unique_ptr<TDataItem> TDateFilterField::Clone(TDataObject* parent, TDataObject* container, bool keepID)
{
    auto copy = TFilterField::Clone(parent, container, keepID);
    auto& condition = static_cast<TDateFilterField&>(*copy);
    condition.DateValue1 = DateValue1;
    condition.DateValue2 = DateValue2;
    return copy;
}

QString TFloatFilterField::BoundText(int bound) const
{
    const double value = bound == 1 ? FloatValue1 : FloatValue2;
    return value == -1 ? QString() : Number(value);
}

bool TFloatFilterField::Matches(TDataItem* item, bool)
{
    const double value = item->GetValueAsFloat(Field);
    return (FloatValue1 == -1 || value >= FloatValue1) && (FloatValue2 == -1 || value <= FloatValue2);
}

void TFloatFilterField::WriteToSettings(TSettingsStore& settings, const QString& key) const
{
    TFilterField::WriteToSettings(settings, key);
    settings.WriteFloat(key, QStringLiteral("FloatValue1"), FloatValue1);
    settings.WriteFloat(key, QStringLiteral("FloatValue2"), FloatValue2);
}

void TFloatFilterField::ReadFromSettings(TSettingsStore& settings, const QString& key)
{
    FloatValue1 = Bound(settings.ReadFloat(key, QStringLiteral("FloatValue1"), -1));
    FloatValue2 = Bound(settings.ReadFloat(key, QStringLiteral("FloatValue2"), -1));
}

std::unique_ptr<TDataItem> TFloatFilterField::CreateNew(TDataObject* parent, TDataObject*) const
{
    return std::make_unique<TFloatFilterField>(parent, nullptr);
}

std::unique_ptr<TDataItem> TFloatFilterField::Clone(TDataObject* parent, TDataObject* container, bool keepID)
{
    auto copy = TFilterField::Clone(parent, container, keepID);
    auto& condition = static_cast<TFloatFilterField&>(*copy);
    condition.FloatValue1 = FloatValue1;
    condition.FloatValue2 = FloatValue2;
    return copy;
}

// ---------------------------------------------------------------------------------------------------
// Yes/no conditions

QString TBoolFilterField::GetDescription() const
{
    return QStringLiteral("(%1 is %2)").arg(FieldName(), GetValueText());
}

QString TBoolFilterField::GetValueText() const
{
    switch (BoolValue) {
    case 0:
        return QStringLiteral("No");
    case 1:
        return QStringLiteral("Yes");
    default:
        return QStringLiteral("Yes or No");
    }
}

bool TBoolFilterField::Matches(TDataItem* item, bool) { return item->GetValueAsBoolean(Field) == BoolValue; }

void TBoolFilterField::WriteToSettings(TSettingsStore& settings, const QString& key) const
{
    TFilterField::WriteToSettings(settings, key);
    settings.WriteInteger(key, QStringLiteral("BoolValue"), BoolValue);
}

void TBoolFilterField::ReadFromSettings(TSettingsStore& settings, const QString& key)
{
    BoolValue = settings.ReadInteger(key, QStringLiteral("BoolValue"), 2);
}

std::unique_ptr<TDataItem> TBoolFilterField::CreateNew(TDataObject* parent, TDataObject*) const
{
    return std::make_unique<TBoolFilterField>(parent, nullptr);
}

std::unique_ptr<TDataItem> TBoolFilterField::Clone(TDataObject* parent, TDataObject* container, bool keepID)
{
    auto copy = TFilterField::Clone(parent, container, keepID);
    static_cast<TBoolFilterField&>(*copy).BoolValue = BoolValue;
    return copy;
}

// ---------------------------------------------------------------------------------------------------
// TFilterFieldRefList

bool TFilterFieldRefList::Matches(TDataItem* item) const
{
    if (!IsActive())
        return true;
    const bool any = Combination == 1;
    for (int i = 0; i < Count(); ++i)
        if (Condition(i)->Matches(item, CaseSensitive) == any)
            return any;
    return !any;
}

QString TFilterFieldRefList::GetDescription() const
{
    if (IsEmpty())
        return QStringLiteral("[None]");
    QStringList parts;
    for (int i = 0; i < Count(); ++i)
        parts << Condition(i)->GetDescription();
    return parts.join(Combination == 1 ? QLatin1String(" OR ") : QLatin1String(" AND "));
}

void TFilterFieldRefList::ReadFromSettings(TSettingsStore& settings, const QString& key)
{
    const int count = StoredCount(settings, key);
    Combination = settings.ReadInteger(key, QStringLiteral("Combination"), 0) == 1 ? 1 : 0;
    CaseSensitive = settings.ReadBool(key, QStringLiteral("CaseSensitive"), false);
    Enabled = false;
    for (int i = 0; i < count; ++i) {
        TDataField* field = StoredField(settings, EntryKey(key, i));
        if (!field)
            continue;
        std::unique_ptr<TFilterField> condition = field->CreateFilterField();
        condition->ReadFromSettings(settings, EntryKey(key, i));
        Add(condition.release());
    }
}

void TFilterFieldRefList::WriteToSettings(TSettingsStore& settings, const QString& key)
{
    settings.WriteInteger(key, QStringLiteral("Combination"), Combination);
    settings.WriteBool(key, QStringLiteral("CaseSensitive"), CaseSensitive);
    for (int i = 0; i < Count(); ++i)
        Condition(i)->WriteToSettings(settings, EntryKey(key, i));
    settings.WriteInteger(key, QStringLiteral("Count"), Count());
}

// ---------------------------------------------------------------------------------------------------
// TFilterPass

TFilterPass::TFilterPass(TFilterFieldRefList& filter) : FFilter(filter)
{
    for (int i = 0; i < FFilter.Count(); ++i)
        FFilter.Condition(i)->BeginMatching(FFilter.CaseSensitive);
}

TFilterPass::~TFilterPass()
{
    for (int i = 0; i < FFilter.Count(); ++i)
        FFilter.Condition(i)->EndMatching();
}

// Pick-list entries with their name rules, pick lists, credits, reference lists and the registry.

#include "app/cGatherixPrefs.h"
#include "model/cCryptStream.h"
#include "model/cData.h"
#include "model/cDataText.h"
#include "model/cXmlUtil.h"

#include <QVarLengthArray>

namespace {

bool IsThe(const QString& text) { return FoldAZ(text) == QLatin1String("the"); }

// Splits at the first occurrence of `separator` into trimmed left and right parts.
bool SplitAt(const QString& text, QChar separator, QString& left, QString& right)
{
    const qsizetype at = text.indexOf(separator);
    if (at < 0)
        return false;
    left = TrimControls(text.left(at));
    right = TrimControls(text.mid(at + 1));
    return true;
}

bool IsInitial(const QString& word)
{
    return word.size() == 1 || (word.size() == 2 && word.at(1) == QLatin1Char('.'));
}

QString JoinTexts(const QStringList& texts) { return texts.join(QLatin1String("; ")); }

}  // namespace

// ---------------------------------------------------------------------------------------------------
// TLookupItem

QString TLookupItem::GetSortText() const
{
    const TSortTextParts parts = SortTextParts();
    if (parts.Second.isEmpty())
        return parts.First.toString();
    QString text;
    text.reserve(parts.First.size() + 2 + parts.Second.size());
    text.append(parts.First).append(QLatin1String(", ")).append(parts.Second);
    return text;
}

bool TLookupItem::SortTextContains(QStringView part, bool caseSensitive) const
{
    const TSortTextParts parts = SortTextParts();
    if (parts.Second.isEmpty())
        return ContainsText(parts.First, part, caseSensitive);
    QVarLengthArray<QChar, 256> joined;
    joined.append(parts.First.data(), parts.First.size());
    joined.append(QLatin1Char(','));
    joined.append(QLatin1Char(' '));
    joined.append(parts.Second.data(), parts.Second.size());
    return ContainsText(QStringView(joined.data(), joined.size()), part, caseSensitive);
}

void TLookupItem::SetNames(const QString& name, const QString& displayName)
{
    if (!displayName.isEmpty())
        DisplayName = displayName;
    else if (!name.isEmpty())
        DisplayName = name;
}

QString TLookupItem::GetDisplayText() { return Prefs().ShowLookupSortNames ? GetSortText() : DisplayName; }

QString TLookupItem::GetValueAsString(const TDataField* field)
{
    switch (field->ID) {
    case fiUsed:
        return QString::number(UsageCount);
    case fiDisplayName:
        return DisplayName;
    case fiSortName:
        return GetSortText();
    default:
        return TDataItem::GetValueAsString(field);
    }
}

qint32 TLookupItem::GetValueAsInteger(const TDataField* field)
{
    return field->ID == fiUsed ? UsageCount : TDataItem::GetValueAsInteger(field);
}

bool TLookupItem::SameAs(TDataItem* other)
{
    auto* entry = dynamic_cast<TLookupItem*>(other);
    return entry && FoldAZ(entry->DisplayName) == FoldAZ(DisplayName);
}

std::unique_ptr<TDataItem> TLookupItem::CreateNew(TDataObject* parent, TDataObject* container) const
{
    return std::make_unique<TLookupItem>(parent, container);
}

void TLookupItem::CopyEntryTo(TLookupItem& copy) const { copy.DisplayName = DisplayName; }

std::unique_ptr<TDataItem> TLookupItem::Clone(TDataObject* parent, TDataObject* container, bool keepID)
{
    auto copy = TDataItem::Clone(parent, container, keepID);
    CopyEntryTo(static_cast<TLookupItem&>(*copy));
    return copy;
}

TTreeNode* TLookupItem::AddToTree(TTreeNodes& tree, TTreeNode* parentNode)
{
    TTreeNode* node = TDataItem::AddToTree(tree, parentNode);
    tree.SetHasChildren(node, true);
    return node;
}

void TLookupItem::Write(TValueWriter& writer)
{
    TDataItem::Write(writer);
    writer.WriteScrambled(DisplayName);
}

void TLookupItem::ReadIDPart(TValueReader& reader, int formatVersion, bool raisesNextID)
{
    ID = reader.ReadInteger();
    if (formatVersion >= 100)
        Index = reader.ReadInteger();
    if (formatVersion < 100 || raisesNextID)
        if (TRootItem* root = GetRoot())
            root->RaiseNextID(qint64(ID) + 1);
}

void TLookupItem::Read(TValueReader& reader, int formatVersion, int dataVersion)
{
    if (formatVersion >= 120) {
        TDataItem::Read(reader, formatVersion, dataVersion);
        DisplayName = reader.ReadScrambled();
    } else if (dataVersion == 300) {
        ReadIDPart(reader, formatVersion, true);
        const QString name = reader.ReadText();
        SetNames(name, reader.ReadText());
    } else {
        ReadIDPart(reader, formatVersion, true);
        DisplayName = reader.ReadScrambled();
        for (int i = 0; i < 3; ++i)
            reader.ReadScrambled();
    }
}

void TLookupItem::WriteXML(xmlNode* node)
{
    XmlAddText(node, "displayname", DisplayName);
    XmlAddText(node, "sortname", GetSortText());
}

void TLookupItem::ReadXML(xmlNode* node, bool)
{
    if (DisplayName.isEmpty())
        DisplayName = XmlElementText(node, "displayname");
}

std::unique_ptr<TDataItem> TLookupItemNone::CreateNew(TDataObject* parent, TDataObject* container) const
{
    return std::make_unique<TLookupItemNone>(parent, container);
}

// ---------------------------------------------------------------------------------------------------
// TSortLookupItem

TLookupItem::TSortTextParts TSortLookupItem::SortTextParts() const
{
    if (Name.isEmpty())
        return {DisplayName, {}};
    return {Name, Article};
}

void TSortLookupItem::RebuildDisplayName()
{
    DisplayName = Article.isEmpty() ? Name : Article + QLatin1Char(' ') + Name;
}

void TSortLookupItem::ParseDisplayName()
{
    QString left, right;
    if (SplitAt(DisplayName, QLatin1Char(','), left, right)) {
        if (IsThe(right)) {
            Name = left;
            Article = right;
        } else {
            Name = DisplayName;
        }
    } else if (SplitAt(DisplayName, QLatin1Char(' '), left, right) && IsThe(left)) {
        Name = right;
        Article = left;
    } else {
        Name = DisplayName;
    }
}

void TSortLookupItem::SetNamesWith(const QString& name, const QString& displayName, bool personRule)
{
    QString left, right;
    if (SplitAt(name, QLatin1Char(','), left, right)) {
        if (IsThe(right)) {
            Name = left;
            Article = right;
        } else if (personRule) {
            Name = left;
            SetFirstName(right);
        } else {
            Name = name;
        }
        RebuildDisplayName();
    } else if (SplitAt(name, QLatin1Char(' '), left, right)) {
        if (IsThe(left)) {
            Name = right;
            Article = left;
            RebuildDisplayName();
        } else {
            DisplayName = name;
        }
    } else {
        DisplayName = name;
        Name = name;
    }
    if (!displayName.isEmpty())
        DisplayName = displayName;
    if (DisplayName.isEmpty())
        DisplayName = name;
}

void TSortLookupItem::SetNames(const QString& name, const QString& displayName)
{
    SetNamesWith(name, displayName, false);
}

QString TSortLookupItem::GetValueAsString(const TDataField* field)
{
    switch (field->ID) {
    case fiName:
        return Name;
    case fiArticle:
        return Article;
    default:
        return TLookupItem::GetValueAsString(field);
    }
}

std::unique_ptr<TDataItem> TSortLookupItem::CreateNew(TDataObject* parent, TDataObject* container) const
{
    return std::make_unique<TSortLookupItem>(parent, container);
}

std::unique_ptr<TDataItem> TSortLookupItem::Clone(TDataObject* parent, TDataObject* container, bool keepID)
{
    auto copy = TLookupItem::Clone(parent, container, keepID);
    auto& entry = static_cast<TSortLookupItem&>(*copy);
    entry.Name = Name;
    entry.Article = Article;
    return copy;
}

void TSortLookupItem::Write(TValueWriter& writer)
{
    TLookupItem::Write(writer);
    writer.WriteScrambled(Name);
    writer.WriteScrambled(Article);
}

void TSortLookupItem::ReadSortParts(TValueReader& reader, int formatVersion, int dataVersion)
{
    ReadIDPart(reader, formatVersion, false);
    if (dataVersion == 300) {
        const QString name = reader.ReadText();
        SetNames(name, reader.ReadText());
    } else if (formatVersion <= 110) {
        DisplayName = reader.ReadScrambled();
        const QString fallback = reader.ReadScrambled();
        Name = reader.ReadScrambled();
        if (Name.isEmpty())
            Name = fallback;
        Article = reader.ReadScrambled();
    }
}

void TSortLookupItem::Read(TValueReader& reader, int formatVersion, int dataVersion)
{
    if (formatVersion < 120) {
        ReadSortParts(reader, formatVersion, dataVersion);
        return;
    }
    TLookupItem::Read(reader, formatVersion, dataVersion);
    Name = reader.ReadScrambled();
    Article = reader.ReadScrambled();
}

void TSortLookupItem::WriteXML(xmlNode* node)
{
    TLookupItem::WriteXML(node);
    XmlAddText(node, "lastname", Name);
    XmlAddText(node, "the", Article);
}

void TSortLookupItem::ReadXML(xmlNode* node, bool overwrite)
{
    TLookupItem::ReadXML(node, overwrite);
    if (Name.isEmpty())
        Name = XmlElementText(node, "lastname");
    if (Article.isEmpty())
        Article = XmlElementText(node, "the");
}

// ---------------------------------------------------------------------------------------------------
// TURLLookupItem

QString TURLLookupItem::GetValueAsString(const TDataField* field)
{
    return field->ID == fiURL ? URL : TSortLookupItem::GetValueAsString(field);
}

std::unique_ptr<TDataItem> TURLLookupItem::CreateNew(TDataObject* parent, TDataObject* container) const
{
    return std::make_unique<TURLLookupItem>(parent, container);
}

std::unique_ptr<TDataItem> TURLLookupItem::Clone(TDataObject* parent, TDataObject* container, bool keepID)
{
    auto copy = TSortLookupItem::Clone(parent, container, keepID);
    static_cast<TURLLookupItem&>(*copy).URL = URL;
    return copy;
}

void TURLLookupItem::Write(TValueWriter& writer)
{
    TSortLookupItem::Write(writer);
    writer.WriteScrambled(URL);
}

void TURLLookupItem::Read(TValueReader& reader, int formatVersion, int dataVersion)
{
    TSortLookupItem::Read(reader, formatVersion, dataVersion);
    if (formatVersion >= 130)
        URL = reader.ReadScrambled();
}

void TURLLookupItem::WriteXML(xmlNode* node)
{
    TSortLookupItem::WriteXML(node);
    XmlAddText(node, "url", URL);
}

void TURLLookupItem::ReadXML(xmlNode* node, bool overwrite)
{
    TSortLookupItem::ReadXML(node, overwrite);
    if (URL.isEmpty())
        URL = XmlElementText(node, "url");
}

// ---------------------------------------------------------------------------------------------------
// TPersonLookupItem

TLookupItem::TSortTextParts TPersonLookupItem::SortTextParts() const
{
    if (!Name.isEmpty() && !FirstName.isEmpty())
        return {Name, FirstName};
    const QString& taken = Name.isEmpty() ? FirstName : Name;
    if (taken.isEmpty())
        return {DisplayName, {}};
    return {taken, Article};
}

void TPersonLookupItem::RebuildDisplayName()
{
    QStringList parts;
    if (!Article.isEmpty())
        parts << Article;
    if (!FirstName.isEmpty())
        parts << FirstName;
    parts << Name;
    DisplayName = parts.join(QLatin1Char(' '));
}

void TPersonLookupItem::ParseDisplayName()
{
    FirstName.clear();
    Name.clear();
    Article.clear();
    QString left, right;
    if (SplitAt(DisplayName, QLatin1Char(','), left, right)) {
        Name = left;
        (IsThe(right) ? Article : FirstName) = right;
        return;
    }
    const qsizetype firstSpace = DisplayName.indexOf(QLatin1Char(' '));
    if (firstSpace < 0 || firstSpace == DisplayName.size() - 1) {
        Name = DisplayName;
        return;
    }
    const QString firstWord = DisplayName.left(firstSpace);
    (IsThe(firstWord) ? Article : FirstName) = firstWord;
    const QString rest = DisplayName.mid(firstSpace + 1);
    const qsizetype secondSpace = rest.indexOf(QLatin1Char(' '));
    if (secondSpace < 0 || secondSpace == rest.size() - 1) {
        Name = rest;
        return;
    }
    const QString secondWord = rest.left(secondSpace);
    Name = rest.mid(secondSpace + 1);
    if (IsInitial(secondWord))
        FirstName = FirstName.isEmpty() ? secondWord : FirstName + QLatin1Char(' ') + secondWord;
    else
        Name = secondWord + QLatin1Char(' ') + Name;
}

void TPersonLookupItem::SetNames(const QString& name, const QString& displayName)
{
    SetNamesWith(name, displayName, true);
}

QString TPersonLookupItem::GetValueAsString(const TDataField* field)
{
    return field->ID == fiFirstName ? FirstName : TURLLookupItem::GetValueAsString(field);
}

std::unique_ptr<TDataItem> TPersonLookupItem::CreateNew(TDataObject* parent, TDataObject* container) const
{
    return std::make_unique<TPersonLookupItem>(parent, container);
}

std::unique_ptr<TDataItem> TPersonLookupItem::Clone(TDataObject* parent, TDataObject* container, bool keepID)
{
    auto copy = TURLLookupItem::Clone(parent, container, keepID);
    static_cast<TPersonLookupItem&>(*copy).FirstName = FirstName;
    return copy;
}

void TPersonLookupItem::Write(TValueWriter& writer)
{
    TURLLookupItem::Write(writer);
    writer.WriteScrambled(FirstName);
}

void TPersonLookupItem::Read(TValueReader& reader, int formatVersion, int dataVersion)
{
    if (formatVersion >= 120) {
        TURLLookupItem::Read(reader, formatVersion, dataVersion);
        FirstName = reader.ReadScrambled();
        return;
    }
    ReadIDPart(reader, formatVersion, false);
    if (dataVersion == 300) {
        const QString name = reader.ReadText();
        SetNames(name, reader.ReadText());
    } else if (formatVersion <= 110) {
        DisplayName = reader.ReadScrambled();
        FirstName = reader.ReadScrambled();
        Name = reader.ReadScrambled();
        Article = reader.ReadScrambled();
    }
}

void TPersonLookupItem::WriteXML(xmlNode* node)
{
    TURLLookupItem::WriteXML(node);
    XmlAddText(node, "firstname", FirstName);
}

void TPersonLookupItem::ReadXML(xmlNode* node, bool overwrite)
{
    TURLLookupItem::ReadXML(node, overwrite);
    if (FirstName.isEmpty())
        FirstName = XmlElementText(node, "firstname");
    if (!DisplayName.isEmpty() && FirstName.isEmpty() && Name.isEmpty()) {
        ParseDisplayName();
        RebuildDisplayName();
    }
}

// ---------------------------------------------------------------------------------------------------
// TCreditItem

QString TCreditItem::GetDisplayText() { return Person ? Person->GetDisplayText() : QString(); }

bool TCreditItem::SameAs(TDataItem* other)
{
    auto* credit = dynamic_cast<TCreditItem*>(other);
    return credit && credit->Role == Role && credit->Person == Person;
}

std::unique_ptr<TDataItem> TCreditItem::CreateNew(TDataObject* parent, TDataObject* container) const
{
    return std::make_unique<TCreditItem>(parent, container);
}

std::unique_ptr<TDataItem> TCreditItem::Clone(TDataObject* parent, TDataObject* container, bool keepID)
{
    auto copy = TDataItem::Clone(parent, container, keepID);
    auto& credit = static_cast<TCreditItem&>(*copy);
    credit.Role = Role;
    credit.Person = Person;
    return copy;
}

void TCreditItem::Write(TValueWriter& writer)
{
    TDataItem::Write(writer);
    writer.WriteInteger(Role);
    writer.WriteInteger(Person ? Person->GetID() : -1);
}

void TCreditItem::Read(TValueReader& reader, int formatVersion, int dataVersion)
{
    TDataItem::Read(reader, formatVersion, dataVersion);
    Role = reader.ReadInteger();
    const qint32 personID = reader.ReadInteger();
    TRootItem* root = GetRoot();
    TLookupList* persons = root ? root->LookupListForFieldID(Role) : nullptr;
    Person = persons ? static_cast<TLookupItem*>(persons->FindByID(personID)) : nullptr;
}

void TCreditItem::WriteXML(xmlNode* node)
{
    TRootItem* root = GetRoot();
    const TDataField* field = root ? root->FieldByID(Role) : nullptr;
    XmlAddText(node, "role", field ? field->Name : QString());
    if (Person)
        Person->WriteXML(XmlAddElement(node, "person"));
}

// ---------------------------------------------------------------------------------------------------
// TLookupList

std::unique_ptr<TLookupItem> TLookupList::MakeEntry() { return std::make_unique<TLookupItem>(this, this); }

std::unique_ptr<TLookupItem> TSortLookupList::MakeEntry()
{
    return std::make_unique<TSortLookupItem>(this, this);
}

std::unique_ptr<TLookupItem> TURLLookupList::MakeEntry()
{
    return std::make_unique<TURLLookupItem>(this, this);
}

std::unique_ptr<TLookupItem> TPersonLookupList::MakeEntry()
{
    return std::make_unique<TPersonLookupItem>(this, this);
}

TDataItem* TLookupList::NewItem()
{
    TLookupItem* entry = MakeEntry().release();
    Add(entry);
    return entry;
}

namespace {
int CompareBySortText(TDataItem* a, TDataItem* b)
{
    const int result =
        CompareText(static_cast<TLookupItem*>(a)->GetSortText(), static_cast<TLookupItem*>(b)->GetSortText());
    return result != 0 ? result : (a->GetID() > b->GetID()) - (a->GetID() < b->GetID());
}
}  // namespace

void TLookupList::SortBySortText()
{
    SortWith(CompareBySortText);
    FSortedVersion = Version();
}

TLookupItem* TLookupList::AddNew(const QString& name)
{
    if (name.isEmpty())
        return nullptr;
    const bool wasSorted = FSortedVersion == Version();
    auto* entry = static_cast<TLookupItem*>(NewItem());
    entry->DisplayName = name;
    if (wasSorted) {
        // The list is sorted already: moving the new entry to its place gives the order a full sort would.
        FItems.removeLast();
        auto at = std::upper_bound(FItems.begin(), FItems.end(), entry,
                                   [](TDataItem* a, TDataItem* b) { return CompareBySortText(a, b) < 0; });
        FItems.insert(at, entry);
        Changed();
        FSortedVersion = Version();
    } else {
        SortBySortText();
    }
    return entry;
}

void TLookupList::ItemChanged(TLookupItem* entry)
{
    if (!entry)
        return;
    if (IndexOf(entry) < 0)
        throw EData(QStringLiteral("TLookupList.ItemChanged : item not found in list"));
    SortBySortText();
}

void TLookupList::Read(TValueReader& reader, int formatVersion, int dataVersion)
{
    FreeAll();
    TDataList::Read(reader, formatVersion, dataVersion);
    FixDuplicateIDs();
}

TLookupItem* TLookupList::FindByName(const QString& name) const
{
    if (name.isEmpty())
        return nullptr;
    const QString folded = FoldAZ(name);
    for (TDataItem* item : FItems)
        if (FoldAZ(static_cast<TLookupItem*>(item)->DisplayName) == folded)
            return static_cast<TLookupItem*>(item);
    for (TDataItem* item : FItems)
        if (FoldAZ(static_cast<TLookupItem*>(item)->GetSortText()) == folded)
            return static_cast<TLookupItem*>(item);
    return nullptr;
}

TLookupItem* TLookupList::FindOrAdd(const QString& name)
{
    const QString trimmed = TrimControls(name);
    if (trimmed.isEmpty())
        return nullptr;
    if (TLookupItem* entry = FindByName(trimmed))
        return entry;
    // An entry made from this very name may have been split into its parts since, which rebuilt its
    // display name ("Chabon,Michael" became "Michael Chabon"): that entry is the one meant.
    const std::unique_ptr<TLookupItem> probe = MakeEntry();
    probe->DisplayName = trimmed;
    probe->ParseDisplayName();
    probe->RebuildDisplayName();
    if (probe->DisplayName != trimmed)
        if (TLookupItem* entry = FindByName(probe->DisplayName))
            return entry;
    return AddNew(trimmed);
}

QList<TLookupList::TLine> TLookupList::FillStrings(bool namesOnly)
{
    SortBySortText();
    QList<TLine> lines;
    lines.reserve(Count());
    for (int i = 0; i < Count(); ++i) {
        TLookupItem* entry = Entry(i);
        if (namesOnly) {
            lines << TLine{entry->DisplayName, entry};
            continue;
        }
        lines << TLine{entry->GetSortText(), entry};
        if (i > 0 && Entry(i - 1)->GetSortText() == entry->GetSortText()) {
            for (int k : {i - 1, i})
                lines[k].Text = QStringLiteral("%1 (%2)").arg(Entry(k)->GetSortText(), Entry(k)->DisplayName);
        }
    }
    return lines;
}

void TLookupList::ClearUsage()
{
    for (TDataItem* item : FItems)
        static_cast<TLookupItem*>(item)->UsageCount = 0;
}

void TLookupList::Reset()
{
    FreeAll();
    FillDefaults();
}

void TLookupList::MergeFrom(const TLookupListInfo& otherInfo, TRootItem& otherRoot)
{
    TLookupList& other = *otherInfo.List;
    int position = 0;
    while (position < other.Count()) {
        TLookupItem* otherEntry = other.Entry(position);
        TLookupItem* found = FindByName(otherEntry->GetSortText());
        if (!found) {
            otherEntry->ID = -1;
            otherEntry->Parent = this;
            otherEntry->Container = this;
            Add(otherEntry);
            other.Delete(position);
            continue;
        }
        for (int fieldID : otherInfo.FieldIDs)
            if (const TDataField* field = otherRoot.FieldByID(fieldID))
                otherRoot.ReplaceLookupReferences(field, otherEntry, found);
        ++position;
    }
}

// ---------------------------------------------------------------------------------------------------
// TYearLookupList

void TYearLookupList::FillDefaults()
{
    for (int year = 1950; year <= 2005; ++year)
        AddNew(QString::number(year));
}

// ---------------------------------------------------------------------------------------------------
// TCreditList

void TCreditList::CopyTo(TCreditList& list) const
{
    list.FreeAll();
    list.Parent = Parent;
    list.Container = Container;
    for (TDataItem* credit : FItems)
        list.Add(credit->Clone(&list, &list, false).release());
}

std::unique_ptr<TCreditItem> TCreditList::CreateItem() { return std::make_unique<TCreditItem>(this, this); }

QString TCreditList::GetRoleText(qint32 role) const
{
    QStringList names;
    for (TDataItem* item : FItems) {
        auto* credit = static_cast<TCreditItem*>(item);
        if (credit->Role == role && credit->Person)
            names << credit->Person->GetDisplayText();
    }
    return JoinTexts(names);
}

TDataItem* TCreditList::NewItem()
{
    TCreditItem* credit = CreateItem().release();
    Add(credit);
    return credit;
}

TDataItem* TCreditList::ReadItem(TValueReader& reader, int formatVersion, int dataVersion)
{
    std::unique_ptr<TCreditItem> credit = CreateItem();
    credit->Read(reader, formatVersion, dataVersion);
    if (!credit->Person)
        return nullptr;
    TCreditItem* kept = credit.release();
    Add(kept);
    return kept;
}

void TCreditList::ReadXML(xmlNode* node, const char* elementName, bool overwrite)
{
    if (overwrite)
        FreeAll();
    TRootItem* root = GetRoot();
    if (!root)
        return;
    for (xmlNode* element : XmlChildElements(node, elementName)) {
        const TDataField* field = root->MetaInfo->Fields.FindByName(XmlElementText(element, "role"));
        TLookupList* persons = field ? root->LookupListForField(field) : nullptr;
        TLookupItem* person = persons ? persons->FindOrAdd(XmlElementText(element, "displayname")) : nullptr;
        if (!person)
            continue;
        person->ReadXML(element, false);
        std::unique_ptr<TCreditItem> credit = CreateItem();
        credit->Role = field->ID;
        credit->Person = person;
        if (TCreditItem* existing = FindCredit(field->ID, person))
            MergeDuplicate(credit.get(), existing);
        else
            Add(credit.release());
    }
}

TCreditItem* TCreditList::AddCredit(qint32 role, TLookupItem* person)
{
    if (TCreditItem* existing = FindCredit(role, person))
        return existing;
    if (!person)
        return nullptr;
    auto* credit = static_cast<TCreditItem*>(NewItem());
    credit->Role = role;
    credit->Person = person;
    return credit;
}

TLookupItem* TCreditList::FirstPerson(qint32 role) const
{
    for (TDataItem* item : FItems)
        if (static_cast<TCreditItem*>(item)->Role == role)
            return static_cast<TCreditItem*>(item)->Person;
    return nullptr;
}

TCreditItem* TCreditList::FindCredit(qint32 role, const TLookupItem* person) const
{
    for (TDataItem* item : FItems) {
        auto* credit = static_cast<TCreditItem*>(item);
        if (credit->Role == role && credit->Person == person)
            return credit;
    }
    return nullptr;
}

bool TCreditList::RoleAbsent(qint32 role) const
{
    for (TDataItem* item : FItems)
        if (static_cast<TCreditItem*>(item)->Role == role)
            return false;
    return true;
}

bool TCreditList::HasCredit(qint32 role, const TLookupItem* person) const
{
    return (!person && RoleAbsent(role)) || FindCredit(role, person);
}

int TCreditList::CountRole(qint32 role) const
{
    int count = 0;
    for (TDataItem* item : FItems)
        count += static_cast<TCreditItem*>(item)->Role == role;
    return count;
}

void TCreditList::SetCredit(qint32 role, TLookupItem* person, int mode, TLookupItem* oldPerson)
{
    if (mode == smAdd) {
        AddCredit(role, person);
    } else if (mode == smReplace) {
        if (TCreditItem* credit = FindCredit(role, oldPerson))
            credit->Person = person;
        else
            AddCredit(role, person);
    } else if (mode == smClear) {
        for (int i = Count() - 1; i >= 0; --i)
            if (Credit(i)->Role == role)
                FreeAt(i);
    }
}

void TCreditList::CountRoleUse(qint32 role, int& noneCount) const
{
    bool counted = false;
    for (TDataItem* item : FItems) {
        auto* credit = static_cast<TCreditItem*>(item);
        if (credit->Role == role && credit->Person) {
            ++credit->Person->UsageCount;
            counted = true;
        }
    }
    if (!counted)
        ++noneCount;
}

bool TCreditList::IsEqualCredits(const TCreditList& other) const
{
    if (Count() != other.Count())
        return false;
    for (int i = 0; i < Count(); ++i)
        if (!Credit(i)->SameAs(other.Credit(i)))
            return false;
    return true;
}

void TCreditList::MoveRoleTo(TLookupItemRefList& refList)
{
    for (int i = 0; i < Count();) {
        if (Credit(i)->Role == refList.FieldID) {
            refList.Add(Credit(i)->Person);
            FreeAt(i);
        } else {
            ++i;
        }
    }
}

void TCreditList::AddFromRefList(const TLookupItemRefList& refList)
{
    for (TDataItem* entry : refList)
        AddCredit(refList.FieldID, static_cast<TLookupItem*>(entry));
}

void TCreditList::Write(TValueWriter& writer)
{
    writer.WriteListBegin();
    for (TDataItem* item : FItems)
        if (static_cast<TCreditItem*>(item)->Person)
            item->Write(writer);
    writer.WriteListEnd();
}

// ---------------------------------------------------------------------------------------------------
// TLookupItemRefList

TLookupItemRefList::TLookupItemRefList(TDataObject* parent, TDataObject* container, int fieldID)
    : TDataRefList(parent, container), FieldID(fieldID)
{}

int TLookupItemRefList::Add(TDataItem* item) { return item ? TDataRefList::Add(item) : -1; }

QString TLookupItemRefList::GetText() const
{
    QStringList names;
    for (TDataItem* item : FItems)
        names << item->GetDisplayText();
    return JoinTexts(names);
}

void TLookupItemRefList::Write(TValueWriter& writer)
{
    writer.WriteListBegin();
    for (TDataItem* item : FItems)
        writer.WriteInteger(item->GetID());
    writer.WriteListEnd();
}

void TLookupItemRefList::Read(TValueReader& reader, int, int)
{
    TRootItem* root = GetRoot();
    TLookupList* list = root ? root->LookupListForFieldID(FieldID) : nullptr;
    reader.ReadListBegin();
    while (!reader.EndOfList()) {
        const qint32 id = reader.ReadInteger();
        if (list)
            Add(list->FindByID(id));
    }
    reader.ReadListEnd();
}

void TLookupItemRefList::ReadXML(xmlNode* node, const char* elementName, bool overwrite)
{
    if (!overwrite && !IsEmpty())
        return;
    if (overwrite)
        Clear();
    TRootItem* root = GetRoot();
    TLookupList* list = root ? root->LookupListForFieldID(FieldID) : nullptr;
    if (!list)
        return;
    for (xmlNode* element : XmlChildElements(node, elementName))
        if (TLookupItem* entry = list->FindOrAdd(XmlElementText(element, "displayname"))) {
            entry->ReadXML(element, false);
            Add(entry);
        }
}

TLookupItem* TLookupItemRefList::First() const { return IsEmpty() ? nullptr : Entry(0); }

void TLookupItemRefList::IncrementUsage(int& noneCount) const
{
    if (IsEmpty())
        ++noneCount;
    for (TDataItem* item : FItems)
        ++static_cast<TLookupItem*>(item)->UsageCount;
}

bool TLookupItemRefList::IsEqualRefs(const TLookupItemRefList& other) const
{
    if (Count() != other.Count())
        return false;
    for (int i = 0; i < Count(); ++i)
        if (!Entry(i)->SameAs(other.Entry(i)))
            return false;
    return true;
}

void TLookupItemRefList::SetEntry(TLookupItem* entry, TLookupItem* oldEntry, int mode)
{
    if (mode == smAdd) {
        Add(entry);
    } else if (mode == smReplace) {
        if (!entry) {
            Clear();
            return;
        }
        Remove(oldEntry);
        Add(entry);
    } else if (mode == smClear) {
        Clear();
    }
}

bool TLookupItemRefList::ContainsOrEmpty(const TLookupItem* entry) const
{
    return entry ? IndexOf(entry) >= 0 : IsEmpty();
}

// ---------------------------------------------------------------------------------------------------
// Entry comparison

int CompareEntries(const TLookupItem* a, const TLookupItem* b)
{
    return CompareText(a ? a->GetSortText() : QString(), b ? b->GetSortText() : QString());
}

int CompareEntryLists(const TDataRefList* a, const TDataRefList* b)
{
    const int countA = a ? a->Count() : 0;
    const int countB = b ? b->Count() : 0;
    for (int i = 0; i < std::max(countA, countB); ++i) {
        auto* entryA = i < countA ? static_cast<const TLookupItem*>(a->Items(i)) : nullptr;
        auto* entryB = i < countB ? static_cast<const TLookupItem*>(b->Items(i)) : nullptr;
        if (const int result = CompareEntries(entryA, entryB))
            return result;
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------------
// The registry

TLookupListInfo::TLookupListInfo(TDataObject* parent, int key, const QString& caption, TLookupList* list,
                                 QList<int> fieldIDs, int group)
    : TDataItem(parent, parent), Caption(caption), List(list), FieldIDs(std::move(fieldIDs)), Group(group)
{
    ID = key;
}

QString TLookupListInfo::GetFieldNames() const
{
    TRootItem* root = GetRoot();
    QStringList names;
    for (int id : FieldIDs)
        if (const TDataField* field = root ? root->FieldByID(id) : nullptr)
            names << field->GetDisplayName();
    return names.join(QLatin1Char('\\'));
}

QString TLookupListInfo::GetFieldNamesPlain() const { return GetFieldNames().remove(QLatin1Char('&')); }

TLookupListInfo* TLookupListInfoList::FindByFieldID(int id) const
{
    if (FByFieldVersion != Version()) {
        FByField.clear();
        for (auto it = FItems.rbegin(); it != FItems.rend(); ++it)
            for (int fieldID : static_cast<TLookupListInfo*>(*it)->FieldIDs)
                FByField.insert(fieldID, static_cast<TLookupListInfo*>(*it));
        FByFieldVersion = Version();
    }
    return FByField.value(id);
}

void TLookupListInfo::AddField(int id)
{
    FieldIDs << id;
    if (auto* registry = dynamic_cast<TLookupListInfoList*>(Parent))
        registry->FieldsChanged();
}

TLookupListInfo* TLookupListInfoList::FindByField(const TDataField* field) const
{
    return field ? FindByFieldID(field->ID) : nullptr;
}

bool TLookupListInfoList::AddFieldToListOf(int existingFieldID, int newFieldID)
{
    TLookupListInfo* row = FindByFieldID(existingFieldID);
    if (row)
        row->AddField(newFieldID);
    return row;
}

#pragma once
// The collection data model: data objects, identified items, reference and owning lists, pick-list
// entries and pick lists, credits, field descriptors and their metadata, loan records and the
// collection root that owns one collection and reads and writes its file.

#include "model/cXmlDocument.h"

#include <QCollatorSortKey>
#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <bitset>
#include <functional>
#include <memory>
#include <stdexcept>
#include <unordered_map>
#include <vector>

class TValueReader;
class TValueWriter;
class TDataField;
class TDataRefList;
class TRootItem;
class TLoanInfo;
class TLookupItem;
class TLookupList;
class TCreditList;
class TLookupItemRefList;
class TPersonLookupList;
class TMetaInfo;
class TMainDataList;
class TLoanList;
class TFilterField;
class TColumnFieldRefList;
class TSettingsStore;
struct _xmlNode;
typedef struct _xmlNode xmlNode;

// ---------------------------------------------------------------------------------------------------
// Errors

// A logical error of the data model; the message is the raising site's.
class EData : public std::runtime_error {
public:
    explicit EData(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString Message() const { return QString::fromStdString(what()); }
};

// A malformed or truncated collection file.
class EDataRead : public EData {
public:
    EDataRead() : EData(QStringLiteral("Read Error")) {}
};

// A failure while writing the collection file.
class EDataWrite : public EData {
public:
    EDataWrite() : EData(QStringLiteral("Write Error")) {}
};

// ---------------------------------------------------------------------------------------------------
// Views the model fills without knowing the widgets

// A node of a tree view, owned by the view.
struct TTreeNode;

// The tree view as the model sees it when it adds nodes.
class TTreeNodes {
public:
    virtual ~TTreeNodes() = default;
    virtual TTreeNode* AddNode(TTreeNode* parent, const QString& text, class TDataObject* data,
                               int imageIndex, int selectedIndex) = 0;
    virtual void SetHasChildren(TTreeNode* node, bool hasChildren) = 0;
    // A small mark beside the node; 0 none.
    virtual void SetStateIndex(TTreeNode*, int) {}
};

// An image list of 32x32 pictures: the program's standard large images followed by item thumbnails.
class TImageList {
public:
    static constexpr int ImageSize = 32;
    // Supplies the standard images that precede the thumbnails; the widgets library installs the real
    // ones, the default gives blank images.
    using TStandardImages = std::function<QList<QImage>()>;
    static void SetStandardImages(TStandardImages provider);

    int Count() const { return int(FImages.size()); }
    int Add(const QImage& image);
    void Replace(int index, const QImage& image);
    const QImage& Image(int index) const { return FImages.at(index); }
    // Empties the list and adds the standard images again.
    void Reset();

private:
    QList<QImage> FImages;
};

// ---------------------------------------------------------------------------------------------------
// Data objects, items and lists

// How a pick-list value is set: added to the values, replacing an old one, or all values cleared.
enum TSetMode { smAdd = 0, smReplace = 1, smClear = 2 };

// The base of every object of the model.
class TDataObject {
public:
    explicit TDataObject(TDataObject* parent = nullptr, TDataObject* container = nullptr);
    virtual ~TDataObject() = default;
    TDataObject(const TDataObject&) = delete;
    TDataObject& operator=(const TDataObject&) = delete;

    TDataObject* Parent = nullptr;
    TDataObject* Container = nullptr;

    virtual TRootItem* GetRoot() const;
    virtual QString GetDisplayText();
    virtual int GetImageIndex() const { return 2; }
    virtual int GetSelectedIndex() const { return 3; }
    virtual int GetListImageIndex() const { return GetImageIndex() / 2 - 1; }
    virtual void Write(TValueWriter& writer);
    virtual void Read(TValueReader& reader, int formatVersion, int dataVersion);
    virtual void WriteXML(xmlNode* node);
    virtual void ReadXML(xmlNode* node, bool overwrite);
    virtual TTreeNode* AddToTree(TTreeNodes& tree, TTreeNode* parentNode);
    virtual void AddChildrenToTree(TTreeNodes& tree, TTreeNode* node);
    virtual void AddItemsTo(TDataRefList& list);

    // Tree captions longer than 253 characters are cut to 250 plus "...".
    static QString TreeText(const QString& text);
};

// An object with an identity, values addressed by field descriptors and an optional thumbnail.
class TDataItem : public TDataObject {
public:
    explicit TDataItem(TDataObject* parent = nullptr, TDataObject* container = nullptr);

    qint32 ID = -1;
    qint32 Index = 0;
    qint32 ThumbnailIndex = 0;
    TLoanInfo* CurrentLoan = nullptr;

    QString GetDisplayText() override;
    void Write(TValueWriter& writer) override;
    void Read(TValueReader& reader, int formatVersion, int dataVersion) override;
    void WriteXML(xmlNode*) override {}
    void ReadXML(xmlNode*, bool) override {}
    void AddChildrenToTree(TTreeNodes&, TTreeNode*) override {}

    virtual void Clear();
    virtual QString GetItemText() { return GetDisplayText(); }
    virtual QString GetFrontImage() const { return {}; }
    virtual void SetFrontImage(const QString&) {}
    virtual QString GetBackImage() const { return {}; }
    virtual void SetBackImage(const QString&) {}
    virtual std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const;
    virtual std::unique_ptr<TDataItem> Clone(TDataObject* parent, TDataObject* container, bool keepID);
    virtual QString GetValueAsString(const TDataField* field);
    virtual qint32 GetValueAsInteger(const TDataField* field);
    virtual TLookupItem* GetValueAsLookupItem(const TDataField* field, bool inherit);
    virtual TCreditList* GetCreditList(const TDataField*, bool) { return nullptr; }
    virtual TLookupItemRefList* GetLookupRefList(const TDataField*, bool) { return nullptr; }
    virtual double GetValueAsDate(const TDataField* field);
    virtual double GetValueAsFloat(const TDataField*) { return -1; }
    virtual int GetValueAsBoolean(const TDataField* field);
    // `mode` is a TSetMode.
    virtual void setValueAsLookupItem(const TDataField* field, TLookupItem* entry, int mode,
                                      TLookupItem* oldEntry);
    virtual bool HasLookupItem(const TDataField* field, TLookupItem* entry, bool inherit, bool deep);
    virtual void ReplaceLookupItem(const TDataField* field, TLookupItem* oldEntry, TLookupItem* newEntry);
    virtual void CountLookupUse(const TDataField* field, bool deep, int& noneCount, bool inherit);
    virtual bool SameAs(TDataItem*) { return false; }
    virtual bool IsEqual(TDataItem* other);
    virtual void ApplyDefaults() {}
    virtual void ScalePrices(double) {}

    // The identity, handed out by the root the first time it is asked for.
    qint32 GetID();
    QString GetValueTextByID(int fieldID);

    // Thumbnails: 32x32 pictures kept in the root's large image list.
    bool SetThumbnail(const QImage& picture);
    void ClearThumbnail() { ThumbnailIndex = 0; }
    bool HasThumbnail() const;
    void GetThumbnail(QImage* picture) const;
    void CopyThumbnailTo(TDataItem* other) const;
    void WriteThumbnail(TValueWriter& writer) const;
    void ReadThumbnail(TValueReader& reader);

protected:
    // Copies the members of this class into a fresh copy made by CreateNew.
    void CopyBaseTo(TDataItem& copy, bool keepID);
    // Answers of a child item that fall back on its parent item for inheriting fields.
    QString InheritString(const TDataField* field, const QString& own);
    qint32 InheritInteger(const TDataField* field, qint32 own);
    TLookupItem* InheritLookupItem(const TDataField* field, TLookupItem* own);
    TCreditList* InheritCreditList(const TDataField* field, TCreditList* own);
    TLookupItemRefList* InheritLookupRefList(const TDataField* field, TLookupItemRefList* own);
    double InheritDate(const TDataField* field, double own);
    double InheritFloat(const TDataField* field, double own);
    int InheritBoolean(const TDataField* field, int own);
    TDataItem* ParentItem() const;

private:
    const TImageList* Images() const;
    bool Inherits(const TDataField* field) const;
};

// Where one item stands on one field, worked out once per sort: text keys compared in order (a missing
// one counting as the empty text), or a number.
struct TSortValue {
    std::vector<QCollatorSortKey> Texts;
    double Number = 0;
};

// Keys of pick-list entries, shared by the items of one sort.
struct TSortKeyCache {
    std::unordered_map<const TLookupItem*, QCollatorSortKey> Entries;
    const QCollatorSortKey& EntryKey(const TLookupItem* entry);
};

// One key of a sort: a descriptor and its direction (1 ascending, -1 descending).
struct TSortKey {
    const TDataField* Field = nullptr;
    int Order = 1;
};

// An ordered list of items it does not own.
class TDataRefList : public TDataObject {
public:
    using TDataObject::TDataObject;
    using TDataObject::WriteXML;

    virtual void WriteXML(xmlNode* node, const char* elementName);
    virtual void SortByFields(const QList<TSortKey>& sortFields);
    virtual void SortByField(const TDataField* field, int direction);
    virtual int Add(TDataItem* item);
    virtual int Insert(TDataItem* item, TDataItem* before);
    virtual int Remove(TDataItem* item);

    TTreeNode* AddToTree(TTreeNodes&, TTreeNode*) override { return nullptr; }
    void AddChildrenToTree(TTreeNodes& tree, TTreeNode* node) override;
    void AddItemsTo(TDataRefList& list) override;

    TDataItem* Items(int i) const { return FItems.at(i); }
    int Count() const { return int(FItems.size()); }
    bool IsEmpty() const { return FItems.isEmpty(); }
    void SetCapacity(int n);
    int IndexOf(const TDataItem* item) const;
    void Delete(int i);
    void Clear();
    void AddAll(const TDataRefList& other);
    TDataItem* FindSame(TDataItem* item) const;
    bool IsEqualList(const TDataRefList& other) const;
    void Put(int i, TDataItem* item);

    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

protected:
    // Sorts with a three-way comparison of two different items.
    void SortWith(const std::function<int(TDataItem*, TDataItem*)>& compare);
    // Sorts by values worked out once per item; false when a field orders through Compare only.
    bool SortByValues(const QList<TSortKey>& sortFields, int idOrder);
    void Changed() { ++FVersion; }
    quint64 Version() const { return FVersion; }

    QList<TDataItem*> FItems;

private:
    quint64 FVersion = 0;
};

// A list that owns its items and frees them.
class TDataList : public TDataRefList {
public:
    using TDataRefList::TDataRefList;
    using TDataObject::ReadXML;
    ~TDataList() override;

    virtual TDataItem* ReadItem(TValueReader& reader, int formatVersion, int dataVersion);
    virtual void ReadXML(xmlNode* node, const char* elementName, bool overwrite);
    virtual TDataItem* NewItem() { return nullptr; }

    void Write(TValueWriter& writer) override;
    void Read(TValueReader& reader, int formatVersion, int dataVersion) override;

    void FreeAll();
    // Frees the item at position i and drops it from the list.
    void FreeAt(int i);
    TDataItem* FindByID(qint32 id);
    void FixDuplicateIDs();
    void CloneAllFrom(const TDataRefList& source, TDataObject* parent, bool keepID, TDataObject* container);

private:
    QHash<qint32, TDataItem*> FIdIndex;
    quint64 FIdIndexVersion = ~quint64(0);
};

// The top-level items of a collection.
class TMainDataList : public TDataList {
public:
    using TDataList::TDataList;
    int Insert(TDataItem* item, TDataItem* before) override;
    // Items of the generic collection carry nothing but their identity and index.
    TDataItem* NewItem() override;
    void AssignNextIndex(TDataItem* item);
};

// ---------------------------------------------------------------------------------------------------
// Pick-list entries, pick lists and credits

// A pick-list entry: a value that items share by reference.
class TLookupItem : public TDataItem {
public:
    using TDataItem::TDataItem;

    qint32 UsageCount = 0;
    QString DisplayName;

    // The sort text in one or two parts; two parts are joined by ", ".
    struct TSortTextParts {
        QStringView First;
        QStringView Second;
    };
    virtual TSortTextParts SortTextParts() const { return {DisplayName, {}}; }
    virtual QString GetSortText() const;
    // Whether the sort text contains `part`, without building the text.
    bool SortTextContains(QStringView part, bool caseSensitive) const;
    virtual void RebuildDisplayName() {}
    virtual void ParseDisplayName() {}
    virtual void SetNames(const QString& name, const QString& displayName);

    QString GetDisplayText() override;
    QString GetValueAsString(const TDataField* field) override;
    qint32 GetValueAsInteger(const TDataField* field) override;
    bool SameAs(TDataItem* other) override;
    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override;
    std::unique_ptr<TDataItem> Clone(TDataObject* parent, TDataObject* container, bool keepID) override;
    TTreeNode* AddToTree(TTreeNodes& tree, TTreeNode* parentNode) override;
    void Write(TValueWriter& writer) override;
    void Read(TValueReader& reader, int formatVersion, int dataVersion) override;
    void WriteXML(xmlNode* node) override;
    void ReadXML(xmlNode* node, bool overwrite) override;

protected:
    void CopyEntryTo(TLookupItem& copy) const;
    // The identity part of an entry record of the given format (older files differ).
    void ReadIDPart(TValueReader& reader, int formatVersion, bool raisesNextID);
};

// The entry that stands for "no value" in folder trees.
class TLookupItemNone : public TLookupItem {
public:
    using TLookupItem::TLookupItem;
    int GetImageIndex() const override { return 5; }
    int GetSelectedIndex() const override { return 6; }
    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override;
};

// An entry with a leading article ("The Hobbit" sorts as "Hobbit, The").
class TSortLookupItem : public TLookupItem {
public:
    using TLookupItem::TLookupItem;

    QString Name;
    QString Article;

    TSortTextParts SortTextParts() const override;
    void RebuildDisplayName() override;
    void ParseDisplayName() override;
    void SetNames(const QString& name, const QString& displayName) override;
    QString GetValueAsString(const TDataField* field) override;
    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override;
    std::unique_ptr<TDataItem> Clone(TDataObject* parent, TDataObject* container, bool keepID) override;
    void Write(TValueWriter& writer) override;
    void Read(TValueReader& reader, int formatVersion, int dataVersion) override;
    void WriteXML(xmlNode* node) override;
    void ReadXML(xmlNode* node, bool overwrite) override;

protected:
    // SetNames for both sort and person entries; `personRule` sends a non-article after the comma to
    // the first name.
    void SetNamesWith(const QString& name, const QString& displayName, bool personRule);
    void ReadSortParts(TValueReader& reader, int formatVersion, int dataVersion);
    virtual void SetFirstName(const QString&) {}
};

// A sort entry with a web address.
class TURLLookupItem : public TSortLookupItem {
public:
    using TSortLookupItem::TSortLookupItem;

    QString URL;

    QString GetValueAsString(const TDataField* field) override;
    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override;
    std::unique_ptr<TDataItem> Clone(TDataObject* parent, TDataObject* container, bool keepID) override;
    void Write(TValueWriter& writer) override;
    void Read(TValueReader& reader, int formatVersion, int dataVersion) override;
    void WriteXML(xmlNode* node) override;
    void ReadXML(xmlNode* node, bool overwrite) override;
};

// A person: last name (`Name`), first name and article.
class TPersonLookupItem : public TURLLookupItem {
public:
    using TURLLookupItem::TURLLookupItem;

    QString FirstName;

    TSortTextParts SortTextParts() const override;
    void RebuildDisplayName() override;
    void ParseDisplayName() override;
    void SetNames(const QString& name, const QString& displayName) override;
    QString GetValueAsString(const TDataField* field) override;
    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override;
    std::unique_ptr<TDataItem> Clone(TDataObject* parent, TDataObject* container, bool keepID) override;
    void Write(TValueWriter& writer) override;
    void Read(TValueReader& reader, int formatVersion, int dataVersion) override;
    void WriteXML(xmlNode* node) override;
    void ReadXML(xmlNode* node, bool overwrite) override;

protected:
    void SetFirstName(const QString& text) override { FirstName = text; }
};

// One credit: a role (a credit field ID) paired with a person.
class TCreditItem : public TDataItem {
public:
    using TDataItem::TDataItem;

    qint32 Role = -1;
    TLookupItem* Person = nullptr;

    QString GetDisplayText() override;
    bool SameAs(TDataItem* other) override;
    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override;
    std::unique_ptr<TDataItem> Clone(TDataObject* parent, TDataObject* container, bool keepID) override;
    void Write(TValueWriter& writer) override;
    void Read(TValueReader& reader, int formatVersion, int dataVersion) override;
    void WriteXML(xmlNode* node) override;
};

// An owning pick list, kept sorted by sort text.
class TLookupList : public TDataList {
public:
    using TDataList::TDataList;

    virtual void FillDefaults() {}
    virtual TLookupItem* AddNew(const QString& name);
    virtual void ItemChanged(TLookupItem* entry);

    TDataItem* NewItem() override;
    void Read(TValueReader& reader, int formatVersion, int dataVersion) override;

    TLookupItem* Entry(int i) const { return static_cast<TLookupItem*>(Items(i)); }
    TLookupItem* FindByName(const QString& name) const;
    TLookupItem* FindOrAdd(const QString& name);
    // One line per entry with the entry beside it.
    struct TLine {
        QString Text;
        TLookupItem* Entry;
    };
    QList<TLine> FillStrings(bool namesOnly);
    void ClearUsage();
    void Reset();
    void MergeFrom(const class TLookupListInfo& otherInfo, TRootItem& otherRoot);
    void SortBySortText();

protected:
    // Creates an entry of the list's own class, parented to the list.
    virtual std::unique_ptr<TLookupItem> MakeEntry();

private:
    quint64 FSortedVersion = ~quint64(0);  // the list version at which it was last known sorted
};

class TSortLookupList : public TLookupList {
public:
    using TLookupList::TLookupList;

protected:
    std::unique_ptr<TLookupItem> MakeEntry() override;
};

class TURLLookupList : public TSortLookupList {
public:
    using TSortLookupList::TSortLookupList;

protected:
    std::unique_ptr<TLookupItem> MakeEntry() override;
};

class TPersonLookupList : public TURLLookupList {
public:
    using TURLLookupList::TURLLookupList;

protected:
    std::unique_ptr<TLookupItem> MakeEntry() override;
};

// The years 1950 to 2005 as built-in entries.
class TYearLookupList : public TLookupList {
public:
    using TLookupList::TLookupList;
    void FillDefaults() override;
};

// The credits of one item, in order, owned.
class TCreditList : public TDataList {
public:
    using TDataList::TDataList;
    using TDataList::ReadXML;

    virtual void CopyTo(TCreditList& list) const;
    virtual std::unique_ptr<TCreditItem> CreateItem();
    virtual QString GetRoleText(qint32 role) const;
    virtual void MergeDuplicate(TCreditItem*, TCreditItem*) {}

    TDataItem* NewItem() override;
    TDataItem* ReadItem(TValueReader& reader, int formatVersion, int dataVersion) override;
    void ReadXML(xmlNode* node, const char* elementName, bool overwrite) override;
    void Write(TValueWriter& writer) override;

    TCreditItem* Credit(int i) const { return static_cast<TCreditItem*>(Items(i)); }
    TCreditItem* AddCredit(qint32 role, TLookupItem* person);
    TLookupItem* FirstPerson(qint32 role) const;
    TCreditItem* FindCredit(qint32 role, const TLookupItem* person) const;
    bool RoleAbsent(qint32 role) const;
    bool HasCredit(qint32 role, const TLookupItem* person) const;
    int CountRole(qint32 role) const;
    void SetCredit(qint32 role, TLookupItem* person, int mode, TLookupItem* oldPerson);
    void CountRoleUse(qint32 role, int& noneCount) const;
    bool IsEqualCredits(const TCreditList& other) const;
    void MoveRoleTo(TLookupItemRefList& refList);
    void AddFromRefList(const TLookupItemRefList& refList);
};

// The entries of one multi-value field, in order, not owned.
class TLookupItemRefList : public TDataRefList {
public:
    TLookupItemRefList(TDataObject* parent, TDataObject* container, int fieldID);
    using TDataObject::ReadXML;

    int FieldID;

    virtual void ReadXML(xmlNode* node, const char* elementName, bool overwrite);
    virtual QString GetText() const;

    int Add(TDataItem* item) override;
    void Write(TValueWriter& writer) override;
    void Read(TValueReader& reader, int formatVersion, int dataVersion) override;

    TLookupItem* Entry(int i) const { return static_cast<TLookupItem*>(Items(i)); }
    TLookupItem* First() const;
    void IncrementUsage(int& noneCount) const;
    bool IsEqualRefs(const TLookupItemRefList& other) const;
    void SetEntry(TLookupItem* entry, TLookupItem* oldEntry, int mode);
    bool ContainsOrEmpty(const TLookupItem* entry) const;
};

class TSortLookupItemRefList : public TLookupItemRefList {
public:
    using TLookupItemRefList::TLookupItemRefList;
};

class TPersonLookupItemRefList : public TLookupItemRefList {
public:
    using TLookupItemRefList::TLookupItemRefList;
};

// Entry comparison used by the descriptors: sort texts, none as the empty text.
int CompareEntries(const TLookupItem* a, const TLookupItem* b);
int CompareEntryLists(const TDataRefList* a, const TDataRefList* b);

// One row of the pick-list registry: which list serves which fields.
class TLookupListInfo : public TDataItem {
public:
    TLookupListInfo(TDataObject* parent, int key, const QString& caption, TLookupList* list,
                    QList<int> fieldIDs, int group);

    QString Caption;
    TLookupList* List = nullptr;
    QList<int> FieldIDs;
    int Group = 0;

    // Rows take further fields only through here, so the registry's index stays right.
    void AddField(int id);
    QString GetFieldNames() const;
    QString GetFieldNamesPlain() const;
};

// The pick-list registry; its order is the order of the pick lists in the collection file.
class TLookupListInfoList : public TDataList {
public:
    using TDataList::TDataList;
    TLookupListInfo* Row(int i) const { return static_cast<TLookupListInfo*>(Items(i)); }
    TLookupListInfo* FindByFieldID(int id) const;
    TLookupListInfo* FindByField(const TDataField* field) const;
    bool AddFieldToListOf(int existingFieldID, int newFieldID);
    void FieldsChanged() { FByFieldVersion = ~quint64(0); }

private:
    // Field ID to row, for the look-ups every entry reference of a loading file makes.
    mutable QHash<int, TLookupListInfo*> FByField;
    mutable quint64 FByFieldVersion = ~quint64(0);
};

// ---------------------------------------------------------------------------------------------------
// Field descriptors and collection metadata

// Item kinds a descriptor applies to.
enum TItemKind { ikLookup = 1, ikMain = 2, ikChild = 3 };
using TItemKinds = std::bitset<256>;
TItemKinds Kinds(std::initializer_list<int> kinds);

// Describes one value that items carry and how items compare on it.
class TDataField : public TDataItem {
public:
    TDataField(int id, const QString& name, TItemKinds kinds, int category, int defaultOrder,
               int defaultWidth, bool inherit);

    QString Name;
    QString UserName;
    bool Inherit = false;
    qint32 DefaultWidth = 100;
    qint32 DefaultOrder = 1;
    TItemKinds ItemKinds;
    qint32 Category = -1;
    // What kind of pick-list value the field holds; set by the pick-list descriptor classes.
    enum class TLookupKind : quint8 { None, Single, Multi, Credit };
    TLookupKind LookupKind = TLookupKind::None;

    virtual int Compare(TDataItem* a, TDataItem* b) const = 0;
    // The item's place on this field as a value that compares like Compare; false when the field
    // orders through Compare only.
    virtual bool GetSortValue(TDataItem*, TSortValue&, TSortKeyCache&) const { return false; }
    static int CompareSortValues(const TSortValue& a, const TSortValue& b);
    // A new condition of the class that fits this descriptor, bound to it.
    virtual std::unique_ptr<TFilterField> CreateFilterField() = 0;

    QString GetDisplayName() const { return UserName.isEmpty() ? Name : UserName; }
    QString GetDisplayNamePlain() const { return QString(GetDisplayName()).remove(QLatin1Char('&')); }
    void SetUserName(const QString& text) { UserName = text == Name ? QString() : text; }
    void LoadUserName(const TSettingsStore& settings);
    void SaveUserName(TSettingsStore& settings) const;
    void WriteXML(xmlNode* node) override;
};

// A text value; `SortFieldID` names a descriptor whose value decides the order.
class TStringDataField : public TDataField {
public:
    TStringDataField(int id, const QString& name, TItemKinds kinds, int category, int defaultOrder,
                     int defaultWidth, bool inherit, int sortFieldID = -1);
    qint32 SortFieldID = -1;
    int Compare(TDataItem* a, TDataItem* b) const override;
    bool GetSortValue(TDataItem* item, TSortValue& value, TSortKeyCache& cache) const override;
    std::unique_ptr<TFilterField> CreateFilterField() override;

private:
    QString SortKey(TDataItem* item) const;
    mutable const TDataField* FSortField = nullptr;
    mutable bool FSortFieldLooked = false;
};

class TBooleanDataField : public TStringDataField {
public:
    using TStringDataField::TStringDataField;
    std::unique_ptr<TFilterField> CreateFilterField() override;
};

class TFileReferenceDataField : public TStringDataField {
public:
    using TStringDataField::TStringDataField;
};

class TURLDataField : public TStringDataField {
public:
    using TStringDataField::TStringDataField;
};

// A pick-list field: one entry (MaxCount 1) or a reference list (no limit).
class TLookupDataField : public TStringDataField {
public:
    TLookupDataField(int id, const QString& name, TItemKinds kinds, int category, int defaultOrder,
                     int defaultWidth, bool inherit, int maxCount, int sortFieldID = -1);
    ~TLookupDataField() override;
    qint32 MaxCount = 1;
    bool IsSingle() const { return MaxCount == 1; }
    int Compare(TDataItem* a, TDataItem* b) const override;
    bool GetSortValue(TDataItem* item, TSortValue& value, TSortKeyCache& cache) const override;
    std::unique_ptr<TFilterField> CreateFilterField() override;
    // The columns the pick-list manager shows for this field's list.
    virtual void FillDefaultColumns();
    TColumnFieldRefList& GetColumns();

protected:
    // The default manager columns: field ID and width.
    virtual QList<std::pair<int, int>> DefaultColumns() const;

private:
    std::unique_ptr<TColumnFieldRefList> FColumns;
};

class TSortLookupDataField : public TLookupDataField {
public:
    using TLookupDataField::TLookupDataField;

protected:
    QList<std::pair<int, int>> DefaultColumns() const override;
};

class TURLLookupDataField : public TSortLookupDataField {
public:
    using TSortLookupDataField::TSortLookupDataField;

protected:
    QList<std::pair<int, int>> DefaultColumns() const override;
};

class TPersonLookupDataField : public TURLLookupDataField {
public:
    using TURLLookupDataField::TURLLookupDataField;

protected:
    QList<std::pair<int, int>> DefaultColumns() const override;
};

// A credit role; `CreditGroup` says which roles an editor offers together.
class TCreditDataField : public TPersonLookupDataField {
public:
    TCreditDataField(int id, const QString& name, TItemKinds kinds, int category, int defaultWidth,
                     bool inherit, int creditGroup);
    qint32 CreditGroup = 0;
    int Compare(TDataItem* a, TDataItem* b) const override;
    bool GetSortValue(TDataItem* item, TSortValue& value, TSortKeyCache& cache) const override;
    std::unique_ptr<TFilterField> CreateFilterField() override;
};

class TIntegerDataField : public TDataField {
public:
    using TDataField::TDataField;
    int Compare(TDataItem* a, TDataItem* b) const override;
    bool GetSortValue(TDataItem* item, TSortValue& value, TSortKeyCache& cache) const override;
    std::unique_ptr<TFilterField> CreateFilterField() override;
};

class TDateDataField : public TDataField {
public:
    using TDataField::TDataField;
    int Compare(TDataItem* a, TDataItem* b) const override;
    bool GetSortValue(TDataItem* item, TSortValue& value, TSortKeyCache& cache) const override;
    std::unique_ptr<TFilterField> CreateFilterField() override;
};

class TFloatDataField : public TDataField {
public:
    using TDataField::TDataField;
    int Compare(TDataItem* a, TDataItem* b) const override;
    bool GetSortValue(TDataItem* item, TSortValue& value, TSortKeyCache& cache) const override;
    std::unique_ptr<TFilterField> CreateFilterField() override;
};

// The descriptors of a collection type, in definition order.
class TDataFieldList : public TDataList {
public:
    using TDataList::TDataList;
    using TDataList::WriteXML;
    TDataField* Field(int i) const { return static_cast<TDataField*>(Items(i)); }
    TDataField* FindByID(int id) const { return FById.value(id); }
    TDataField* FindByName(const QString& text) const;
    TDataField* AddField(std::unique_ptr<TDataField> field);
    void WriteXML(xmlNode* node, const char* elementName) override;

private:
    QHash<int, TDataField*> FById;
};

// The descriptors, the pick-list registry and the group names of a collection type.
class TMetaInfo : public TDataObject {
public:
    explicit TMetaInfo(TRootItem* root);

    TDataFieldList Fields;
    TLookupListInfoList LookupLists;
    QStringList FieldGroups;
    QStringList LookupGroups;
    QHash<int, QList<int>> ViewColumnDefaults;
    QHash<int, QList<QList<int>>> FolderPresets;

    virtual void DefineFields();
    virtual void ReadFieldNames(TValueReader& reader, int formatVersion, int dataVersion);
    virtual void WriteFieldNames(TValueWriter& writer);

    void AddLoanFields();
    // User field names kept in the settings, section "FieldNames".
    void LoadFieldNames(const TSettingsStore& settings);
    void SaveFieldNames(TSettingsStore& settings) const;
    TDataField* FieldByID(int id) const { return Fields.FindByID(id); }

protected:
    TRootItem* FRoot;
};

// Field IDs the generic model knows.
enum TGenericFieldID {
    fiID = 1,
    fiIndex = 2,
    fiLoanedTo = 203,
    fiLoanDate = 204,
    fiDueDate = 205,
    fiOverdue = 206,
    fiLoanItem = 207,
    fiLoanNotes = 208,
    fiReturnDate = 209,
    fiUsed = 1000,
    fiDisplayName = 1001,
    fiName = 1002,
    fiFirstName = 1003,
    fiArticle = 1004,
    fiSortName = 1005,
    fiURL = 1006,
};

// The values new items start with. The collection type says which fields have defaults; they live in
// the settings, never in the collection file.
class TFieldDefaults {
public:
    virtual ~TFieldDefaults() = default;
    virtual void ReadFromSettings(const TSettingsStore&) {}
    virtual void WriteToSettings(TSettingsStore&) const {}
};

// ---------------------------------------------------------------------------------------------------
// Loans

// One loan of a top-level item to a person.
class TLoanInfo : public TDataItem {
public:
    using TDataItem::TDataItem;

    TDataItem* Item = nullptr;
    qint32 ItemID = -1;
    double LoanDate = 0;
    double ReturnDate = 0;
    qint32 LoanPeriod = 0;
    TLookupItem* LoanedTo = nullptr;
    QString Notes;

    void SetItem(TDataItem* item);
    double GetDueDate() const;
    void SetDueDate(double date);
    bool IsOverdue() const;
    void SetReturnDate(double date);

    QString GetValueAsString(const TDataField* field) override;
    double GetValueAsDate(const TDataField* field) override;
    int GetValueAsBoolean(const TDataField* field) override;
    TLookupItem* GetValueAsLookupItem(const TDataField* field, bool inherit) override;
    void setValueAsLookupItem(const TDataField* field, TLookupItem* entry, int mode,
                              TLookupItem* oldEntry) override;
    bool IsEqual(TDataItem* other) override;
    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override;
    std::unique_ptr<TDataItem> Clone(TDataObject* parent, TDataObject* container, bool keepID) override;
    void Write(TValueWriter& writer) override;
    void Read(TValueReader& reader, int formatVersion, int dataVersion) override;
    void WriteXML(xmlNode* node) override;

    QString FieldText(int fieldID);
};

// All loan records of a collection, owned, in the order made or read.
class TLoanList : public TDataList {
public:
    using TDataList::TDataList;
    TLoanInfo* Loan(int i) const { return static_cast<TLoanInfo*>(Items(i)); }
    TDataItem* NewItem() override;
    void RemoveLoansOf(TDataItem* item);
    void ReplaceItem(TDataItem* oldItem, TDataItem* newItem);
};

// A selection of loan records.
class TLoanRefList : public TDataRefList {
public:
    using TDataRefList::TDataRefList;
    void SortByLoanField(int key, int direction);
};

// ---------------------------------------------------------------------------------------------------
// The collection root

// Owns one collection and reads and writes its file.
class TRootItem : public TDataObject {
public:
    static constexpr int FormatVersion = 130;

    // Makes a root of the given type ready for use (lists made, built-in entries added).
    template <class TRoot>
    static std::unique_ptr<TRoot> New()
    {
        std::unique_ptr<TRoot> root(new TRoot);
        root->Setup();
        return root;
    }
    ~TRootItem() override;

    qint32 NextID = 0;
    qint32 NextIndex = 1;
    std::unique_ptr<TMainDataList> Items;
    QString FileName;
    QDateTime FileDate;
    TImageList LargeImages;
    std::unique_ptr<TMetaInfo> MetaInfo;
    std::unique_ptr<TFieldDefaults> Defaults;
    std::unique_ptr<TLoanList> Loans;
    std::unique_ptr<TPersonLookupList> LoanPersons;

    virtual QString FileFilterCaption() const;
    virtual QString TypeDisplayName() const { return QStringLiteral("Object Collection"); }
    virtual QString TypeName() const { return QStringLiteral("Object"); }
    virtual int DataVersion() const { return 100; }
    virtual QString ProductName() const { return QStringLiteral("Object Gatherix"); }
    virtual QString XMLItemElement() const { return QStringLiteral("item"); }
    virtual QString ParentFieldGroup() const { return {}; }
    virtual int ChildItemKind() const { return -1; }
    virtual void FillDefaultLookups();
    virtual void Clear();
    virtual void ReadLookupLists(TValueReader& reader, int formatVersion, int dataVersion);
    virtual void WriteLookupLists(TValueWriter& writer);
    virtual void ReadExtra(TValueReader&, int, int) {}
    virtual void WriteExtra(TValueWriter&) {}
    virtual void AfterLoad(int, int) {}
    virtual void LoadFromStream(TValueReader& reader, bool& converted);
    virtual bool LoadFromFile(const QString& fileName);
    virtual bool SaveToFile(const QString& fileName);
    virtual bool ImportCollection(const QString& fileName);
    virtual void MergeLookups(TRootItem& other);
    virtual void ImportItems(TRootItem& other);
    virtual void MoveItem(TRootItem& other, TDataItem* item, int position);
    virtual QString FileExtension() const { return QStringLiteral("col"); }
    // Re-points every reference through `field` from one entry to another, in everything the collection
    // holds that can refer to it (pick-list merging).
    virtual void ReplaceLookupReferences(const TDataField* field, TLookupItem* oldEntry,
                                         TLookupItem* newEntry);

    TRootItem* GetRoot() const override { return const_cast<TRootItem*>(this); }
    QString GetDisplayText() override;
    void Write(TValueWriter& writer) override;
    void AddChildrenToTree(TTreeNodes&, TTreeNode*) override {}

    qint32 NewID();
    void RaiseNextID(qint64 n);
    void IncNextIndex();
    void SetNextIndex(qint32 n) { NextIndex = n; }
    void Renumber();
    void ReloadThumbnails();
    TLookupList* LookupListForField(const TDataField* field) const;
    TLookupList* LookupListForFieldID(int id) const;
    // Counts, per entry of the field's pick list, the top-level items that refer to it. A filter, when
    // given, decides which items count.
    using TItemFilter = std::function<bool(TDataItem*)>;
    void CountUsage(const TDataField* field, const TItemFilter& filter, int& noneCount,
                    const TItemFilter& filter2 = {});
    void CountUsageAll(const TLookupListInfo& info);
    void LinkLoans();
    // The collection XML of one item, or of every item of a reference list, optionally with a style
    // sheet instruction.
    TXmlDocument WriteXMLDocument(TDataObject* itemOrList, const QString& styleSheet = QString());
    // The same document as UTF-8 text, written item by item so that a large list never has to be held
    // as one tree.
    QByteArray WriteXMLText(TDataObject* itemOrList, const QString& styleSheet = QString(),
                            bool indent = true);
    TDataField* FieldByID(int id) const { return MetaInfo->FieldByID(id); }

    // The whole file as bytes, as SaveToFile writes it.
    QByteArray SaveToBytes();

protected:
    TRootItem();
    // Builds the lists of the collection type; called once by New.
    void Setup();
    virtual std::unique_ptr<TMainDataList> CreateItems();
    virtual std::unique_ptr<TMetaInfo> CreateMetaInfo();
    virtual std::unique_ptr<TFieldDefaults> CreateDefaults();

private:
    void ReadLegacyBlock(TValueReader& reader, int formatVersion);
};

// ---------------------------------------------------------------------------------------------------
// Pictures

// The full path of a picture file named relative to `baseFolder` (or absolute), and whether it exists.
struct TResolvedFile {
    bool Exists = false;
    QString Path;
};
TResolvedFile ResolveImageFile(const QString& name, const QString& baseFolder);

// Loads a picture file and makes a size x size thumbnail of it on white, keeping its aspect ratio.
bool MakeThumbnail(const QString& fileName, QImage* picture, QImage* thumbnail, int size);

// Day numbers (days since 30 December 1899, fraction = time of day) and Qt dates.
double DateToDayNumber(const QDate& date);
double DateTimeToDayNumber(const QDateTime& dateTime);
QDate DayNumberToDate(double dayNumber);
// The date in the system's short format; empty for 0 and below.
QString DayNumberText(double dayNumber);

#pragma once
// References to field descriptors as the views keep them: sort, column and group fields, and the
// filter conditions, each in an owning list made for one item kind and stored in the settings.

#include "model/cData.h"

#include <unordered_set>

class TSettingsStore;

// A reference to a field descriptor; it has an identity like any item of the collection.
class TDataFieldRef : public TDataItem {
public:
    TDataFieldRef(TDataObject* root, TDataField* field);
    TDataField* Field = nullptr;

    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override;
    std::unique_ptr<TDataItem> Clone(TDataObject* parent, TDataObject* container, bool keepID) override;
};

class TSortField : public TDataFieldRef {
public:
    TSortField(TDataObject* root, TDataField* field, int order = 1) : TDataFieldRef(root, field), Order(order)
    {}
    qint32 Order = 1;
    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override;
    std::unique_ptr<TDataItem> Clone(TDataObject* parent, TDataObject* container, bool keepID) override;
};

class TColumnField : public TDataFieldRef {
public:
    TColumnField(TDataObject* root, TDataField* field, int width = 100)
        : TDataFieldRef(root, field), Width(width)
    {}
    qint32 Width = 100;
    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override;
    std::unique_ptr<TDataItem> Clone(TDataObject* parent, TDataObject* container, bool keepID) override;
};

class TGroupField : public TDataFieldRef {
public:
    using TDataFieldRef::TDataFieldRef;
    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override;
};

// An owning, ordered list of field references for one item kind.
class TDataFieldRefList : public TDataList {
public:
    TDataFieldRefList(TDataObject* root, int itemKind);
    quint8 ItemKind;

    virtual void ReadFromSettings(TSettingsStore& settings, const QString& key) = 0;
    virtual void WriteToSettings(TSettingsStore& settings, const QString& key) = 0;

    TDataFieldRef* Ref(int i) const { return static_cast<TDataFieldRef*>(Items(i)); }
    int IndexOfField(const TDataField* field) const;

protected:
    // The number of stored entries, bounded so that a damaged value cannot make us loop for ever.
    static int StoredCount(TSettingsStore& settings, const QString& key);
    static QString EntryKey(const QString& key, int i)
    {
        return key + QLatin1Char('\\') + QString::number(i);
    }
    // The descriptor an entry names, or none.
    TDataField* StoredField(TSettingsStore& settings, const QString& entryKey) const;
};

class TSortFieldRefList : public TDataFieldRefList {
public:
    using TDataFieldRefList::TDataFieldRefList;
    TSortField* Sort(int i) const { return static_cast<TSortField*>(Items(i)); }
    TSortField* AddField(TDataField* field, int order);
    // The keys for TDataRefList::SortByFields.
    QList<TSortKey> Keys() const;
    void ReadFromSettings(TSettingsStore& settings, const QString& key) override;
    void WriteToSettings(TSettingsStore& settings, const QString& key) override;
};

class TColumnFieldRefList : public TDataFieldRefList {
public:
    using TDataFieldRefList::TDataFieldRefList;
    TColumnField* Column(int i) const { return static_cast<TColumnField*>(Items(i)); }
    TColumnField* AddField(TDataField* field, int width);
    void ReadFromSettings(TSettingsStore& settings, const QString& key) override;
    void WriteToSettings(TSettingsStore& settings, const QString& key) override;
};

// Grouping levels of the folder tree, outer level first.
class TGroupFieldRefList : public TDataFieldRefList {
public:
    using TDataFieldRefList::TDataFieldRefList;
    TGroupField* AddField(TDataField* field);
    void CopyFrom(const TGroupFieldRefList& other);
    void ReadFromSettings(TSettingsStore& settings, const QString& key) override;
    void WriteToSettings(TSettingsStore& settings, const QString& key) override;
};

// ---------------------------------------------------------------------------------------------------
// Filter conditions

// A condition on one field.
class TFilterField : public TDataFieldRef {
public:
    using TDataFieldRef::TDataFieldRef;
    virtual QString GetDescription() const;
    virtual QString GetValueText() const = 0;
    virtual void WriteToSettings(TSettingsStore& settings, const QString& key) const;
    virtual void ReadFromSettings(TSettingsStore&, const QString&) {}
    virtual bool Matches(TDataItem* item, bool caseSensitive) = 0;
    // A pass over many items: work that does not depend on the item may be done once, here.
    virtual void BeginMatching(bool) {}
    virtual void EndMatching() {}

protected:
    QString FieldName() const { return Field ? Field->GetDisplayNamePlain() : QString(); }
};

// A condition with a lower and an upper bound; -1 leaves a bound open.
class TRangedFilterField : public TFilterField {
public:
    using TFilterField::TFilterField;
    // "N/A" with both bounds open, "Between <lower> and <upper>" with both set, else the one bound's text.
    QString GetValueText() const override;
    // "At least <lower>" ("After" for dates); empty when the bound is open. Likewise "At most" / "Before".
    QString GetLowerText() const;
    QString GetUpperText() const;
    QString GetDescription() const override;

protected:
    // A bound's value as text (1 lower, 2 upper); empty when that bound is open.
    virtual QString BoundText(int bound) const = 0;
    virtual QString LowerWord() const { return QStringLiteral("At least"); }
    virtual QString UpperWord() const { return QStringLiteral("At most"); }
};

// The field's text contains the value.
class TStringFilterField : public TFilterField {
public:
    using TFilterField::TFilterField;
    QString StringValue;
    QString GetDescription() const override;
    QString GetValueText() const override { return StringValue; }
    void WriteToSettings(TSettingsStore& settings, const QString& key) const override;
    void ReadFromSettings(TSettingsStore& settings, const QString& key) override;
    bool Matches(TDataItem* item, bool caseSensitive) override;
    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override;
    std::unique_ptr<TDataItem> Clone(TDataObject* parent, TDataObject* container, bool keepID) override;

    void BeginMatching(bool caseSensitive) override;
    void EndMatching() override;

protected:
    bool TextMatches(const QString& text, bool caseSensitive) const;
    // Within a pass the answers for the pick list's entries are known beforehand.
    bool EntryMatches(const TLookupItem* entry, bool caseSensitive) const;

private:
    bool EntryTextMatches(const TLookupItem* entry, bool caseSensitive) const;
    std::unordered_set<const TLookupItem*> FMatchingEntries;
    bool FInPass = false;
};

// Some entry of a pick-list field has the value in its sort text or display name.
class TLookupStringFilterField : public TStringFilterField {
public:
    using TStringFilterField::TStringFilterField;
    bool Matches(TDataItem* item, bool caseSensitive) override;
    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override;
};

// Some person credited in the field's role matches the value.
class TCreditFilterField : public TStringFilterField {
public:
    using TStringFilterField::TStringFilterField;
    bool Matches(TDataItem* item, bool caseSensitive) override;
    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override;
};

// The item refers to one entry, or (entry none) has no value: a folder of the tree.
class TLookupFilterField : public TFilterField {
public:
    using TFilterField::TFilterField;
    qint32 EntryID = -1;
    TLookupItem* Entry = nullptr;
    void SetEntry(TLookupItem* entry);
    QString GetDescription() const override;
    QString GetValueText() const override;
    bool Matches(TDataItem* item, bool caseSensitive) override;
    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override;
    std::unique_ptr<TDataItem> Clone(TDataObject* parent, TDataObject* container, bool keepID) override;

private:
    TLookupItem* FindEntry() const;
};

class TIntegerFilterField : public TRangedFilterField {
public:
    using TRangedFilterField::TRangedFilterField;
    qint32 IntValue1 = -1;
    qint32 IntValue2 = -1;
    void WriteToSettings(TSettingsStore& settings, const QString& key) const override;
    void ReadFromSettings(TSettingsStore& settings, const QString& key) override;
    bool Matches(TDataItem* item, bool caseSensitive) override;
    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override;
    std::unique_ptr<TDataItem> Clone(TDataObject* parent, TDataObject* container, bool keepID) override;

protected:
    QString BoundText(int bound) const override;
};

class TDateFilterField : public TRangedFilterField {
public:
    using TRangedFilterField::TRangedFilterField;
    double DateValue1 = -1;
    double DateValue2 = -1;
    void WriteToSettings(TSettingsStore& settings, const QString& key) const override;
    void ReadFromSettings(TSettingsStore& settings, const QString& key) override;
    bool Matches(TDataItem* item, bool caseSensitive) override;
    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override;
    std::unique_ptr<TDataItem> Clone(TDataObject* parent, TDataObject* container, bool keepID) override;

protected:
    QString BoundText(int bound) const override;
    QString LowerWord() const override { return QStringLiteral("After"); }
    QString UpperWord() const override { return QStringLiteral("Before"); }
};

class TFloatFilterField : public TRangedFilterField {
public:
    using TRangedFilterField::TRangedFilterField;
    double FloatValue1 = -1;
    double FloatValue2 = -1;
    void WriteToSettings(TSettingsStore& settings, const QString& key) const override;
    void ReadFromSettings(TSettingsStore& settings, const QString& key) override;
    bool Matches(TDataItem* item, bool caseSensitive) override;
    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override;
    std::unique_ptr<TDataItem> Clone(TDataObject* parent, TDataObject* container, bool keepID) override;

protected:
    QString BoundText(int bound) const override;
};

// 0 no, 1 yes, 2 "Yes or No" (which matches only items for which the field does not apply).
class TBoolFilterField : public TFilterField {
public:
    using TFilterField::TFilterField;
    qint32 BoolValue = 2;
    QString GetDescription() const override;
    QString GetValueText() const override;
    void WriteToSettings(TSettingsStore& settings, const QString& key) const override;
    void ReadFromSettings(TSettingsStore& settings, const QString& key) override;
    bool Matches(TDataItem* item, bool caseSensitive) override;
    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override;
    std::unique_ptr<TDataItem> Clone(TDataObject* parent, TDataObject* container, bool keepID) override;
};

// The conditions of one filter, combined with AND (0) or OR (1).
class TFilterFieldRefList : public TDataFieldRefList {
public:
    using TDataFieldRefList::TDataFieldRefList;
    quint8 Combination = 0;
    bool CaseSensitive = false;
    bool Enabled = true;

    TFilterField* Condition(int i) const { return static_cast<TFilterField*>(Items(i)); }
    bool IsActive() const { return Enabled && !IsEmpty(); }
    bool Matches(TDataItem* item) const;
    QString GetDescription() const;
    void ReadFromSettings(TSettingsStore& settings, const QString& key) override;
    void WriteToSettings(TSettingsStore& settings, const QString& key) override;
};

// Matches the items of one pass over a list (filling a view, counting): the conditions prepare what
// does not depend on the item once. Nothing may change the collection during the pass.
class TFilterPass {
public:
    explicit TFilterPass(TFilterFieldRefList& filter);
    ~TFilterPass();
    TFilterPass(const TFilterPass&) = delete;
    TFilterPass& operator=(const TFilterPass&) = delete;
    bool Matches(TDataItem* item) const { return FFilter.Matches(item); }

private:
    TFilterFieldRefList& FFilter;
};

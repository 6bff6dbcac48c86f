#pragma once
// The catalogued item with its main section and further sections, the series pick list, the pick
// lists and fields that every book-like collection shares, and the defaults for new items.

#include "model/cData.h"
#include "model/cPartialDate.h"

// The field IDs of the book catalogue; they are stored in files and settings and never change.
enum TBookFieldID {
    bfTitle = 3,
    bfTitleSort = 4,
    bfInCollection = 5,
    bfGenre = 6,
    bfFrontCover = 7,
    bfBackCover = 8,
    bfTitleThe = 9,
    bfSeries = 10,
    bfFormat = 11,
    bfAuthor = 12,
    bfPublisher = 13,
    bfIllustrator = 14,
    bfTranslator = 15,
    bfPhotographer = 16,
    bfPrintedBy = 17,
    bfCountry = 18,
    bfSubTitle = 19,
    bfLanguage = 20,
    bfPurchasePrice = 21,
    bfCurrentValue = 22,
    bfCoverPrice = 23,
    bfStore = 24,
    bfPurchaseDate = 25,
    bfPages = 26,
    bfRating = 27,
    bfCondition = 28,
    bfOwner = 29,
    bfNotes = 30,
    bfPlot = 31,
    bfURL = 32,
    bfReadIt = 36,
    bfReadingDate = 37,
    bfIssueNr = 38,
    bfPublicationDate = 39,
    bfVolume = 41,
    bfCoverArtist = 47,
    bfEditor = 48,
    bfCharacter = 49,
    bfStartPage = 50,
    bfISBN = 51,
    bfRare = 52,
    bfUserText1 = 53,
    bfUserText2 = 54,
    bfUserLookup1 = 55,
    bfUserLookup2 = 56,
    bfLocation = 57,
    bfPurchaseYear = 58,
    bfPublicationYear = 59,
    bfDedication = 100,
    bfLoCClassification = 101,
    bfGhostwriter = 103,
    bfForewordAuthor = 104,
    bfEdition = 106,
    bfPrinting = 107,
    bfOriginalTitle = 108,
    bfOriginalSubtitle = 109,
    bfOriginalPublisher = 110,
    bfOriginalCountry = 111,
    bfOriginalLanguage = 112,
    bfOriginalYear = 113,
    bfExtras = 114,
    bfPaperType = 115,
    bfFirstEdition = 116,
    bfHeight = 117,
    bfWidth = 118,
    bfBookTitle = 119,
    bfBookSubtitle = 120,
    bfBookPlot = 121,
    bfBookPages = 122,
    bfBookID = 123,
    bfDewey = 124,
    bfOriginalDate = 126,
    bfReadingYear = 127,
    bfNumberOfIssues = 2000,
    bfFrequency = 2001,
    bfComplete = 2002,
    bfISSN = 2003,
};

// The issue number that means "none".
constexpr qint32 NoIssueNr = -2147483647;

class TSection;
class TSectionList;

// Money: the amount x 10000; 0 means no value.
using TCurrency = qint64;
QString CurrencyText(TCurrency amount);
// A stored floating amount as currency; NaN, infinities and amounts beyond the range give 0.
TCurrency FloatToCurrency(double value);
// A currency text ("12.50", "$12.50", "1,234.5") as an amount; 0 when it is not a number.
TCurrency CurrencyFromText(const QString& text);

// A catalogued item: copy data, a main section and a list of further sections.
class TBookItem : public TDataItem {
public:
    explicit TBookItem(TDataObject* parent, TDataObject* container);
    ~TBookItem() override;

    QString FrontCover;
    QString BackCover;
    QString URL;
    QString ISBN;
    qint32 IssueNr = NoIssueNr;
    TCurrency PurchasePrice = 0;
    TCurrency CurrentValue = 0;
    TCurrency CoverPrice = 0;
    TPartialDate PurchaseDate;
    TPartialDate PublicationDate;
    bool InCollection = false;
    bool Rare = false;
    TLookupItem* Format = nullptr;
    TSortLookupItemRefList Genres;
    TLookupItem* Publisher = nullptr;
    TLookupItem* PrintedBy = nullptr;
    TLookupItem* Country = nullptr;
    TLookupItem* Language = nullptr;
    TLookupItem* Store = nullptr;
    TLookupItem* Condition = nullptr;
    TLookupItem* Owner = nullptr;
    TLookupItem* Location = nullptr;
    std::unique_ptr<TSection> MainSection;
    std::unique_ptr<TSectionList> Sections;
    int TreeImageIndex = 7;

    QString GetDisplayText() override;
    int GetImageIndex() const override { return TreeImageIndex; }
    int GetSelectedIndex() const override { return TreeImageIndex + 1; }
    int GetListImageIndex() const override
    {
        return ThumbnailIndex > 0 ? ThumbnailIndex : TreeImageIndex / 2 - 1;
    }
    QString GetFrontImage() const override { return FrontCover; }
    void SetFrontImage(const QString& name) override { FrontCover = name; }
    QString GetBackImage() const override { return BackCover; }
    void SetBackImage(const QString& name) override { BackCover = name; }

    QString GetValueAsString(const TDataField* field) override;
    qint32 GetValueAsInteger(const TDataField* field) override;
    int GetValueAsBoolean(const TDataField* field) override;
    double GetValueAsDate(const TDataField* field) override;
    double GetValueAsFloat(const TDataField* field) override;
    TLookupItem* GetValueAsLookupItem(const TDataField* field, bool inherit) override;
    TCreditList* GetCreditList(const TDataField* field, bool inherit) override;
    TLookupItemRefList* GetLookupRefList(const TDataField* field, bool inherit) override;
    void setValueAsLookupItem(const TDataField* field, TLookupItem* entry, int mode,
                              TLookupItem* oldEntry) override;
    bool HasLookupItem(const TDataField* field, TLookupItem* entry, bool inherit, bool deep) override;
    void CountLookupUse(const TDataField* field, bool deep, int& noneCount, bool inherit) override;
    void ReplaceLookupItem(const TDataField* field, TLookupItem* oldEntry, TLookupItem* newEntry) override;

    void Clear() override;
    std::unique_ptr<TDataItem> Clone(TDataObject* parent, TDataObject* container, bool keepID) override;
    bool IsEqual(TDataItem* other) override;
    void Write(TValueWriter& writer) override;
    void Read(TValueReader& reader, int formatVersion, int dataVersion) override;
    void WriteXML(xmlNode* node) override;
    void ReadXML(xmlNode* node, bool overwrite) override;
    TTreeNode* AddToTree(TTreeNodes& tree, TTreeNode* parentNode) override;
    void ApplyDefaults() override;
    void ScalePrices(double factor) override;

    // Appends the item's sections, in order.
    void AddChildrenTo(TDataRefList& list) const;
    // The sections when there are any; otherwise a list holding just the main section.
    const TDataRefList& SectionsOrMain();
    // Binds the item's dates to another collection's Year list (an item that moves in).
    virtual void BindYearList(TLookupList& years);

    // The Year list of the collection an item is made in; dates are bound to it.
    static TLookupList& YearListFor(TDataObject* parent);

protected:
    // The entry reference that a single-value field of the item itself names, or nullptr.
    virtual TLookupItem** EntrySlot(int fieldID);
    // Copies the members of this class into a clone made by CreateNew.
    void CopyItemTo(TBookItem& copy, bool keepID) const;

private:
    TDataRefList FMainOnly;
};

// One section of an item: a story, part or contribution, or the item's own main section.
class TSection : public TDataItem {
public:
    TSection(TDataObject* owner, TDataObject* container);

    QString Title;
    QString TitleSort;
    QString TitleThe;
    QString SubTitle;
    QString Notes;
    QString Plot;
    qint32 Rating = 0;
    qint32 PageCount = 0;
    qint32 StartPage = 0;
    QString UserText1;
    QString UserText2;
    TLookupItem* UserLookup1 = nullptr;
    TLookupItem* UserLookup2 = nullptr;
    TLookupItem* Series = nullptr;
    TPersonLookupItemRefList Characters;
    TCreditList Credits;

    QString GetDisplayText() override { return Title; }
    int GetImageIndex() const override { return 13; }
    int GetSelectedIndex() const override { return 14; }
    int GetListImageIndex() const override { return 5; }

    QString GetValueAsString(const TDataField* field) override;
    qint32 GetValueAsInteger(const TDataField* field) override;
    int GetValueAsBoolean(const TDataField* field) override;
    double GetValueAsDate(const TDataField* field) override;
    double GetValueAsFloat(const TDataField* field) override;
    TLookupItem* GetValueAsLookupItem(const TDataField* field, bool inherit) override;
    TCreditList* GetCreditList(const TDataField* field, bool inherit) override;
    TLookupItemRefList* GetLookupRefList(const TDataField* field, bool inherit) override;
    void setValueAsLookupItem(const TDataField* field, TLookupItem* entry, int mode,
                              TLookupItem* oldEntry) override;

    void Clear() override;
    std::unique_ptr<TDataItem> Clone(TDataObject* parent, TDataObject* container, bool keepID) override;
    bool IsEqual(TDataItem* other) override;
    void Write(TValueWriter& writer) override;
    void Read(TValueReader& reader, int formatVersion, int dataVersion) override;
    void WriteXML(xmlNode* node) override;

    TBookItem* Item() const { return dynamic_cast<TBookItem*>(Parent); }
    virtual void BindYearList(TLookupList&) {}
    // The entry reference that a single-value field of the section names, or nullptr.
    virtual TLookupItem** EntrySlot(int fieldID);

protected:
    // The section's own answers, before inheritance.
    virtual QString OwnString(const TDataField* field);
    virtual TLookupItem* OwnLookupItem(const TDataField* field);
    void CopySectionTo(TSection& copy) const;
};

// The sections of one item, owned; the item is their parent.
class TSectionList : public TDataList {
public:
    using TDataList::TDataList;
    TSection* Section(int i) const { return static_cast<TSection*>(Items(i)); }
};

// ---------------------------------------------------------------------------------------------------
// Series

// A series: a sort entry with the number of issues, frequency, completeness and ISSN.
class TSeriesLookupItem : public TSortLookupItem {
public:
    using TSortLookupItem::TSortLookupItem;

    qint32 NumberOfIssues = 0;
    TLookupItem* Frequency = nullptr;
    bool Complete = false;
    QString ISSN;

    int GetImageIndex() const override { return Complete ? 11 : 9; }
    int GetSelectedIndex() const override { return GetImageIndex() + 1; }
    QString GetValueAsString(const TDataField* field) override;
    TLookupItem* GetValueAsLookupItem(const TDataField* field, bool inherit) override;
    bool SameAs(TDataItem* other) override;
    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override;
    std::unique_ptr<TDataItem> Clone(TDataObject* parent, TDataObject* container, bool keepID) override;
    void Write(TValueWriter& writer) override;
    void Read(TValueReader& reader, int formatVersion, int dataVersion) override;
    void WriteXML(xmlNode* node) override;
};

class TSeriesLookupList : public TSortLookupList {
public:
    using TSortLookupList::TSortLookupList;

protected:
    std::unique_ptr<TLookupItem> MakeEntry() override;
};

class TSeriesLookupDataField : public TSortLookupDataField {
public:
    using TSortLookupDataField::TSortLookupDataField;

protected:
    QList<std::pair<int, int>> DefaultColumns() const override;
};

// Sort lists that start with built-in entries.
class TDefaultsLookupList : public TSortLookupList {
public:
    TDefaultsLookupList(TDataObject* root, QStringList defaults);
    void FillDefaults() override;

protected:
    virtual void Added(TSortLookupItem*) {}

private:
    QStringList FDefaults;
};

// Conditions sort by grade: "100 Mint" down to "005 Poor".
class TConditionLookupList : public TDefaultsLookupList {
public:
    explicit TConditionLookupList(TDataObject* root);

protected:
    void Added(TSortLookupItem* entry) override;
};

class TBookPublisherLookupList : public TURLLookupList {
public:
    using TURLLookupList::TURLLookupList;
    void FillDefaults() override;
};

// ---------------------------------------------------------------------------------------------------
// Defaults for new items

class TBookItemDefaults : public TFieldDefaults {
public:
    bool InCollection = true;
    QString Genre;
    QString Country;
    QString Language;
    QString Store;
    QString Owner;
    QString UserLookup1;
    QString UserLookup2;
    QString Format;
    qint32 Rating = 0;

    void ReadFromSettings(const TSettingsStore& settings) override;
    void WriteToSettings(TSettingsStore& settings) const override;
};

// ---------------------------------------------------------------------------------------------------
// Metadata and root shared by book-like collections

class TBookItemMetaInfo : public TMetaInfo {
public:
    using TMetaInfo::TMetaInfo;
    void DefineFields() override;

protected:
    // Registers a pick list of the root under `key` for the given fields.
    void Register(int key, const QString& caption, const QString& list, QList<int> fieldIDs, int group);
};

// The root of a book-like collection: it creates the shared pick lists and counts over sections.
class TBookItemRoot : public TRootItem {
public:
    // The pick lists by their registry caption ("Year", "Genre", ...).
    TLookupList* List(const QString& caption) const { return FLists.value(caption); }

    QString ParentFieldGroup() const override { return QStringLiteral("Book"); }
    int ChildItemKind() const override { return ikChild; }
    void MoveItem(TRootItem& other, TDataItem* item, int position) override;
    void ReplaceLookupReferences(const TDataField* field, TLookupItem* oldEntry,
                                 TLookupItem* newEntry) override;

    // Usage of a field's entries over the sections of every item (the main section where an item has
    // none); returns the number of sections without a value.
    int CountSectionUsage(const TDataField* field, const TItemFilter& filter = {},
                          const TItemFilter& filter2 = {});

protected:
    TBookItemRoot();
    // Creates a pick list owned by the root and known by its caption.
    template <class TList, class... TArgs>
    TList* MakeList(const QString& caption, TArgs&&... args)
    {
        auto list = std::make_unique<TList>(this, std::forward<TArgs>(args)...);
        TList* made = list.get();
        FLists.insert(caption, made);
        FOwnedLists.push_back(std::move(list));
        return made;
    }
    std::unique_ptr<TFieldDefaults> CreateDefaults() override;
    // The item-defined lists; called by the subclass's CreateMetaInfo before the fields are defined.
    void MakeSharedLists();

private:
    QHash<QString, TLookupList*> FLists;
    std::vector<std::unique_ptr<TLookupList>> FOwnedLists;
};

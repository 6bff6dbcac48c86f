#pragma once
// The book catalogue: books, their sections, the collection of books and its root.

#include "book/cBookDataBase.h"

// A book: the catalogued item with classification, edition, physical and reading data.
class TBook : public TBookItem {
public:
    TBook(TDataObject* parent, TDataObject* container);

    QString Dewey;
    QString LoCClassification;
    QString Dedication;
    qint32 Printing = 0;
    qint32 Height = 0;
    qint32 Width = 0;
    bool FirstEdition = false;
    TLookupItem* Edition = nullptr;
    TLookupItem* PaperType = nullptr;
    TSortLookupItemRefList Extras;
    TLookupItem* Volume = nullptr;
    bool ReadIt = false;
    TPartialDate ReadingDate;

    QString GetDisplayText() override;
    QString GetValueAsString(const TDataField* field) override;
    qint32 GetValueAsInteger(const TDataField* field) override;
    int GetValueAsBoolean(const TDataField* field) override;
    double GetValueAsDate(const TDataField* field) override;
    TLookupItemRefList* GetLookupRefList(const TDataField* field, bool inherit) override;

    void Clear() override;
    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override;
    std::unique_ptr<TDataItem> Clone(TDataObject* parent, TDataObject* container, bool keepID) override;
    bool IsEqual(TDataItem* other) override;
    void Write(TValueWriter& writer) override;
    void Read(TValueReader& reader, int formatVersion, int dataVersion) override;
    void WriteXML(xmlNode* node) override;
    void ReadXML(xmlNode* node, bool overwrite) override;
    void BindYearList(TLookupList& years) override;

    class TBookSection& Main() const;

protected:
    TLookupItem** EntrySlot(int fieldID) override;
};

// A section of a book, or a book's main section, with the original-edition data of a translated work.
class TBookSection : public TSection {
public:
    TBookSection(TDataObject* owner, TDataObject* container);

    QString OriginalTitle;
    QString OriginalSubtitle;
    TPartialDate OriginalPublicationDate;
    TLookupItem* OriginalPublisher = nullptr;
    TLookupItem* OriginalCountry = nullptr;
    TLookupItem* OriginalLanguage = nullptr;

    qint32 GetValueAsInteger(const TDataField* field) override;
    double GetValueAsDate(const TDataField* field) override;

    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override;
    std::unique_ptr<TDataItem> Clone(TDataObject* parent, TDataObject* container, bool keepID) override;
    bool IsEqual(TDataItem* other) override;
    void Write(TValueWriter& writer) override;
    void Read(TValueReader& reader, int formatVersion, int dataVersion) override;
    void WriteXML(xmlNode* node) override;
    void BindYearList(TLookupList& years) override { OriginalPublicationDate.YearList = &years; }
    TLookupItem** EntrySlot(int fieldID) override;

protected:
    QString OwnString(const TDataField* field) override;
};

// The sections of one book; the book is their parent.
class TBookSectionList : public TSectionList {
public:
    using TSectionList::TSectionList;
    TDataItem* NewItem() override;
};

// The books of a collection.
class TBookList : public TMainDataList {
public:
    using TMainDataList::TMainDataList;
    TDataItem* NewItem() override;
    TBook* Book(int i) const { return static_cast<TBook*>(Items(i)); }
};

class TBookDefaults : public TBookItemDefaults {};

class TBookMetaInfo : public TBookItemMetaInfo {
public:
    using TBookItemMetaInfo::TBookItemMetaInfo;
    void DefineFields() override;
};

// The root of a book collection: the one the program keeps open, loads and saves.
class TBookRoot : public TBookItemRoot {
public:
    QString FileFilterCaption() const override;
    QString TypeDisplayName() const override { return QStringLiteral("Book Collection"); }
    QString TypeName() const override { return QStringLiteral("Book"); }
    QString ProductName() const override { return QStringLiteral("Tomekeep"); }
    QString XMLItemElement() const override { return QStringLiteral("book"); }
    QString FileExtension() const override { return QStringLiteral("tmk"); }
    bool ImportCollection(const QString& fileName) override;

    TBookList& Books() const { return static_cast<TBookList&>(*Items); }
    TBook* FindByIsbn(const QString& text) const;
    TBookDefaults& GetDefaults() const { return static_cast<TBookDefaults&>(*Defaults); }

protected:
    std::unique_ptr<TMainDataList> CreateItems() override;
    std::unique_ptr<TMetaInfo> CreateMetaInfo() override;
    std::unique_ptr<TFieldDefaults> CreateDefaults() override;
};

#pragma once
// A small collection type for the model tests: items with a title, a single pick-list value of each
// entry class, a multi-value field, credits in two roles, child items that inherit, and a thumbnail.

#include "model/cCryptStream.h"
#include "model/cData.h"
#include "platform/Messenger.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

enum TTestFieldID {
    tfTitle = 3,
    tfGenre = 10,      // multi-value, plain entries
    tfPublisher = 11,  // single, URL entries
    tfSeries = 12,     // single, sort entries
    tfFormat = 13,     // single, plain entries
    tfAuthor = 20,     // credit
    tfEditor = 21,     // credit
};

class TTestItem : public TDataItem {
public:
    TTestItem(TDataObject* parent, TDataObject* container)
        : TDataItem(parent, container), Genres(this, this, tfGenre), Credits(this, this)
    {}
    ~TTestItem() override { qDeleteAll(Children); }

    QString Title;
    TLookupItem* Publisher = nullptr;
    TLookupItem* Series = nullptr;
    TLookupItem* Format = nullptr;
    TLookupItemRefList Genres;
    TCreditList Credits;
    QList<TTestItem*> Children;  // owned; their parent is this item
    bool FailWrite = false;      // makes Write fail as a full disk would

    TTestItem* AddChild()
    {
        Children << new TTestItem(this, this);
        return Children.last();
    }

    QString GetValueAsString(const TDataField* field) override
    {
        switch (field->ID) {
        case tfTitle:
            return InheritString(field, Title);
        case tfPublisher:
        case tfSeries:
        case tfFormat: {
            TLookupItem* entry = GetValueAsLookupItem(field, true);
            return entry ? entry->GetDisplayText() : QString();
        }
        case tfGenre: {
            TLookupItemRefList* refs = GetLookupRefList(field, true);
            return refs ? refs->GetText() : QString();
        }
        case tfAuthor:
        case tfEditor: {
            TCreditList* credits = GetCreditList(field, true);
            return credits ? credits->GetRoleText(field->ID) : QString();
        }
        default:
            return TDataItem::GetValueAsString(field);
        }
    }
    TLookupItem* GetValueAsLookupItem(const TDataField* field, bool inherit) override
    {
        TLookupItem* own = nullptr;
        switch (field->ID) {
        case tfPublisher:
            own = Publisher;
            break;
        case tfSeries:
            own = Series;
            break;
        case tfFormat:
            own = Format;
            break;
        default:
            return TDataItem::GetValueAsLookupItem(field, inherit);
        }
        return inherit ? InheritLookupItem(field, own) : own;
    }
    TLookupItemRefList* GetLookupRefList(const TDataField* field, bool inherit) override
    {
        if (field->ID != tfGenre)
            return nullptr;
        return inherit ? InheritLookupRefList(field, &Genres) : &Genres;
    }
    TCreditList* GetCreditList(const TDataField* field, bool inherit) override
    {
        if (field->ID != tfAuthor && field->ID != tfEditor)
            return nullptr;
        return inherit ? InheritCreditList(field, &Credits) : &Credits;
    }
    void setValueAsLookupItem(const TDataField* field, TLookupItem* entry, int mode,
                              TLookupItem* oldEntry) override
    {
        switch (field->ID) {
        case tfPublisher:
            Publisher = entry;
            break;
        case tfSeries:
            Series = entry;
            break;
        case tfFormat:
            Format = entry;
            break;
        case tfGenre:
            Genres.SetEntry(entry, oldEntry, mode);
            break;
        case tfAuthor:
        case tfEditor:
            Credits.SetCredit(field->ID, entry, mode, oldEntry);
            break;
        default:
            TDataItem::setValueAsLookupItem(field, entry, mode, oldEntry);
        }
    }
    bool SameAs(TDataItem* other) override
    {
        auto* item = dynamic_cast<TTestItem*>(other);
        return item && item->Title == Title;
    }
    std::unique_ptr<TDataItem> CreateNew(TDataObject* parent, TDataObject* container) const override
    {
        return std::make_unique<TTestItem>(parent, container);
    }
    void Write(TValueWriter& writer) override
    {
        if (FailWrite)
            throw EStreamWrite("no space left");
        TDataItem::Write(writer);
        writer.WriteScrambled(Title);
        for (TLookupItem* entry : {Publisher, Series, Format})
            writer.WriteInteger(entry ? entry->GetID() : -1);
        Genres.Write(writer);
        Credits.Write(writer);
        WriteThumbnail(writer);
    }
    void Read(TValueReader& reader, int formatVersion, int dataVersion) override
    {
        TDataItem::Read(reader, formatVersion, dataVersion);
        Title = reader.ReadScrambled();
        TRootItem* root = GetRoot();
        for (auto [field, entry] :
             {std::pair{tfPublisher, &Publisher}, {tfSeries, &Series}, {tfFormat, &Format}})
            *entry =
                static_cast<TLookupItem*>(root->LookupListForFieldID(field)->FindByID(reader.ReadInteger()));
        Genres.Read(reader, formatVersion, dataVersion);
        Credits.Read(reader, formatVersion, dataVersion);
        ReadThumbnail(reader);
    }
};

class TTestItemList : public TMainDataList {
public:
    using TMainDataList::TMainDataList;
    TDataItem* NewItem() override
    {
        auto* item = new TTestItem(this, this);
        Add(item);
        return item;
    }
    TTestItem* Item(int i) const { return static_cast<TTestItem*>(Items(i)); }
};

class TTestRoot : public TRootItem {
public:
    TLookupList Genres{this, this};
    TURLLookupList Publishers{this, this};
    TSortLookupList Series{this, this};
    TYearLookupList Formats{this, this};  // a list with built-in entries
    TPersonLookupList Persons{this, this};

    QString TypeName() const override { return QStringLiteral("Test"); }
    TTestItemList& List() const { return static_cast<TTestItemList&>(*Items); }
    TTestItem* AddItem(const QString& title)
    {
        auto* item = static_cast<TTestItem*>(Items->NewItem());
        item->Title = title;
        return item;
    }
    TDataField* Field(int id) const { return FieldByID(id); }

    ~TTestRoot() override { Items->FreeAll(); }

protected:
    std::unique_ptr<TMainDataList> CreateItems() override
    {
        return std::make_unique<TTestItemList>(this, this);
    }
    std::unique_ptr<TMetaInfo> CreateMetaInfo() override
    {
        auto meta = TRootItem::CreateMetaInfo();
        const TItemKinds kinds = Kinds({ikMain, ikChild});
        auto& fields = meta->Fields;
        fields.AddField(std::make_unique<TStringDataField>(tfTitle, "Title", kinds, 1, 1, 200, true));
        fields.AddField(std::make_unique<TLookupDataField>(tfGenre, "Genre", kinds, 1, 1, 100, true, 0));
        fields.AddField(
            std::make_unique<TURLLookupDataField>(tfPublisher, "Publisher", kinds, 1, 1, 100, true, 1));
        fields.AddField(
            std::make_unique<TSortLookupDataField>(tfSeries, "Series", kinds, 1, 1, 100, false, 1));
        fields.AddField(std::make_unique<TLookupDataField>(tfFormat, "Format", kinds, 1, 1, 100, false, 1));
        fields.AddField(std::make_unique<TCreditDataField>(tfAuthor, "Author", kinds, 1, 150, true, 0));
        fields.AddField(std::make_unique<TCreditDataField>(tfEditor, "Editor", kinds, 1, 150, false, 0));
        auto row = [&](int key, const char* caption, TLookupList& list, QList<int> ids) {
            meta->LookupLists.Add(new TLookupListInfo(&meta->LookupLists, key, caption, &list, ids, 0));
        };
        row(1, "Genre", Genres, {tfGenre});
        row(2, "Publisher", Publishers, {tfPublisher});
        row(3, "Series", Series, {tfSeries});
        row(4, "Format", Formats, {tfFormat});
        row(5, "Person", Persons, {tfAuthor, tfEditor});
        return meta;
    }
};

// Installs a recording messenger for the test's lifetime.
class TMessagesFixture : public ::testing::Test {
protected:
    TRecordingMessenger Messages;
    QTemporaryDir Dir;
    void SetUp() override { SetMessenger(&Messages); }
    void TearDown() override { SetMessenger(nullptr); }
    QString Path(const QString& name) const { return Dir.filePath(name); }
};

// A 32x32 picture with a recognisable pattern.
inline QImage TestPicture(QRgb colour)
{
    QImage picture(32, 32, QImage::Format_RGB32);
    picture.fill(colour);
    picture.setPixel(3, 5, qRgb(1, 2, 3));
    return picture;
}

// The collection file: frame, round trips, older formats, damaged files and safe saving.

#include "app/cGatherixPrefs.h"
#include "model/TestCollection.h"
#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QPainter>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class RootTest : public TMessagesFixture {
protected:
    std::unique_ptr<TTestRoot> Root = TRootItem::New<TTestRoot>();

    // A collection with every record kind the generic model has.
    void Fill(TTestRoot& root)
    {
        auto* tolkien = static_cast<TPersonLookupItem*>(root.Persons.NewItem());
        tolkien->SetNames("Tolkien, J.R.R.", "");
        tolkien->URL = "https://example.org/tolkien";
        TLookupItem* dvorak = root.Persons.FindOrAdd("Antonín Dvořák");
        auto* publisher = static_cast<TURLLookupItem*>(root.Publishers.FindOrAdd("Allen & Unwin"));
        publisher->URL = "http://allen.example";
        auto* series = static_cast<TSortLookupItem*>(root.Series.NewItem());
        series->SetNames("The Middle-earth Books", "");

        TTestItem* hobbit = root.AddItem("The Hobbit");
        hobbit->Index = 1;
        hobbit->Publisher = publisher;
        hobbit->Series = series;
        hobbit->Format = root.Formats.FindByName("1954");
        hobbit->Genres.Add(root.Genres.FindOrAdd("Fantasy"));
        hobbit->Genres.Add(root.Genres.FindOrAdd("Café société"));
        hobbit->Credits.AddCredit(tfAuthor, tolkien);
        hobbit->Credits.AddCredit(tfEditor, dvorak);
        hobbit->SetThumbnail(TestPicture(qRgb(10, 120, 230)));

        TTestItem* rondo = root.AddItem("Ρόντο — 夜曲 🎻");
        rondo->Index = 2;
        rondo->Credits.AddCredit(tfAuthor, dvorak);

        auto* open = static_cast<TLoanInfo*>(root.Loans->NewItem());
        open->SetItem(hobbit);
        hobbit->CurrentLoan = open;
        open->LoanedTo = root.LoanPersons->FindOrAdd("Bilbo Baggins");
        open->LoanDate = 45000.5;
        open->LoanPeriod = 14;
        open->Notes = "Handle with care — ünïcode";
        auto* closed = static_cast<TLoanInfo*>(root.Loans->NewItem());
        closed->SetItem(rondo);
        closed->LoanedTo = open->LoanedTo;
        closed->LoanDate = 44000;
        closed->ReturnDate = 44010;

        root.Field(tfTitle)->SetUserName("Book Title");
        root.NextIndex = 3;
    }
};

TEST_F(RootTest, AnEmptyGenericCollectionHasThisExactFile)
{
    auto root = TRootItem::New<TRootItem>();
    const QByteArray expected = QByteArray::fromHex("06 08 51756f7276616e65 06 06 4f626a656374 03 8200 02 64"
                                                    " 0100 0100 0100 02 01 0100");
    EXPECT_EQ(root->SaveToBytes().toHex(' '), expected.toHex(' '));
    EXPECT_EQ(root->GetDisplayText(), "[New Collection]");
    EXPECT_EQ(root->FileFilterCaption(), "Collections (*.col)");
}

TEST_F(RootTest, SaveLoadSaveGivesIdenticalBytes)
{
    Fill(*Root);
    const QString path = Path("a.col");
    ASSERT_TRUE(Root->SaveToFile(path));
    EXPECT_EQ(Root->FileName, path);
    EXPECT_TRUE(Messages.Errors.isEmpty());
    const QByteArray first = ReadAll(path);

    auto loaded = TRootItem::New<TTestRoot>();
    ASSERT_TRUE(loaded->LoadFromFile(path));
    EXPECT_EQ(loaded->FileName, path);
    EXPECT_TRUE(Messages.Infos.isEmpty() && Messages.Errors.isEmpty());
    EXPECT_EQ(loaded->SaveToBytes(), first);

    ASSERT_EQ(loaded->List().Count(), 2);
    TTestItem* hobbit = loaded->List().Item(0);
    TTestItem* rondo = loaded->List().Item(1);
    EXPECT_EQ(rondo->Title, "Ρόντο — 夜曲 🎻");
    EXPECT_EQ(hobbit->Genres.GetText(), "Fantasy; Café société");
    EXPECT_EQ(hobbit->Credits.GetRoleText(tfEditor), "Antonín Dvořák");
    EXPECT_EQ(static_cast<TURLLookupItem*>(hobbit->Publisher)->URL, "http://allen.example");
    EXPECT_EQ(hobbit->Series->GetSortText(), "Middle-earth Books, The");
    EXPECT_EQ(hobbit->Format->DisplayName, "1954");
    auto* tolkien = static_cast<TPersonLookupItem*>(hobbit->Credits.FirstPerson(tfAuthor));
    EXPECT_EQ(tolkien->FirstName, "J.R.R.");
    EXPECT_EQ(tolkien->URL, "https://example.org/tolkien");
    QImage thumbnail;
    hobbit->GetThumbnail(&thumbnail);
    EXPECT_EQ(thumbnail.pixel(0, 0), qRgb(10, 120, 230));
    EXPECT_EQ(thumbnail.pixel(3, 5), qRgb(1, 2, 3));
    EXPECT_FALSE(rondo->HasThumbnail());
    EXPECT_EQ(loaded->Field(tfTitle)->UserName, "Book Title");
    EXPECT_EQ(loaded->NextIndex, 3);

    ASSERT_EQ(loaded->Loans->Count(), 2);
    EXPECT_EQ(hobbit->CurrentLoan, loaded->Loans->Loan(0));
    EXPECT_EQ(rondo->CurrentLoan, nullptr) << "a returned loan is history only";
    EXPECT_EQ(loaded->Loans->Loan(1)->Item, rondo);
    EXPECT_EQ(hobbit->CurrentLoan->Notes, "Handle with care — ünïcode");
    EXPECT_EQ(hobbit->GetValueAsString(loaded->Field(fiLoanedTo)), "Bilbo Baggins");

    int highest = -1;
    for (TDataItem* item : *loaded->Items) {
        highest = std::max(highest, item->ID);
        for (TDataItem* credit : static_cast<TTestItem*>(item)->Credits)
            highest = std::max(highest, credit->ID);
    }
    for (TDataItem* loan : *loaded->Loans)
        highest = std::max(highest, loan->ID);
    for (TDataItem* row : loaded->MetaInfo->LookupLists)
        for (TDataItem* entry : *static_cast<TLookupListInfo*>(row)->List)
            highest = std::max(highest, entry->ID);
    EXPECT_EQ(loaded->NextID, highest + 1);
}

TEST_F(RootTest, IdsNeverAskedForAreGivenDuringTheSave)
{
    auto root = TRootItem::New<TRootItem>();
    TDataItem* a = root->Items->NewItem();
    TDataItem* b = root->Items->NewItem();
    EXPECT_EQ(a->ID, -1);
    root->SaveToBytes();
    EXPECT_GE(a->ID, 0);
    EXPECT_EQ(b->ID, a->ID + 1);
    EXPECT_EQ(root->NextID, b->ID + 1);
}

TEST_F(RootTest, LoadingRebuildsTheCounterAndDropsLoansOfMissingItems)
{
    auto root = TRootItem::New<TRootItem>();
    for (int id : {5, 9, 7})
        root->Items->NewItem()->ID = id;
    auto* orphan = static_cast<TLoanInfo*>(root->Loans->NewItem());
    orphan->ItemID = 1234;
    const QString path = Path("ids.col");
    ASSERT_TRUE(root->SaveToFile(path));
    auto loaded = TRootItem::New<TRootItem>();
    ASSERT_TRUE(loaded->LoadFromFile(path));
    EXPECT_EQ(loaded->NextID, 10);
    EXPECT_EQ(loaded->Loans->Count(), 0);
}

TEST_F(RootTest, HeadersOfOtherFilesAreRefused)
{
    struct Case {
        QByteArray bytes;
        QString message;
    };
    auto header = [](const QString& family, const QString& type) {
        QByteArray bytes;
        TValueWriter writer(bytes);
        writer.WriteText(family);
        writer.WriteText(type);
        writer.WriteInteger(130);
        writer.WriteInteger(100);
        return bytes;
    };
    const Case cases[] = {
        {header("Other", "Test"), "This is not a Quorvane database"},
        {header("Quorvane", "Book"),
         "This is not a Test database, please use Quorvane Book to open this database"},
    };
    for (const Case& c : cases) {
        Messages.Reset();
        Fill(*Root);
        const QString path = Path("other.col");
        WriteAll(path, c.bytes);
        EXPECT_FALSE(Root->LoadFromFile(path));
        EXPECT_EQ(Messages.Errors, QStringList{c.message});
        EXPECT_EQ(Root->Items->Count(), 0);
        EXPECT_EQ(Root->Formats.Count(), 56) << "cleared back to the built-in entries";
        EXPECT_TRUE(Root->FileName.isEmpty());
    }
    Messages.Reset();
    EXPECT_FALSE(Root->LoadFromFile(Path("missing.col")));
    EXPECT_TRUE(Messages.Infos.isEmpty() && Messages.Errors.isEmpty());
}

TEST_F(RootTest, ACutFileYieldsTheItemsBeforeTheCut)
{
    Fill(*Root);
    for (int i = 0; i < 4; ++i)
        Root->AddItem(QStringLiteral("Extra %1").arg(i));
    const QByteArray whole = Root->SaveToBytes();
    const QString path = Path("cut.col");
    const qsizetype signatureEnd = 10;  // tag, length and "Quorvane"
    int previousCount = 0;
    for (qsizetype cut = 0; cut < whole.size(); ++cut) {
        WriteAll(path, whole.left(cut));
        Messages.Reset();
        auto root = TRootItem::New<TTestRoot>();
        const bool loaded = root->LoadFromFile(path);
        ASSERT_EQ(Messages.Errors.size(), 1) << cut;
        if (cut < signatureEnd) {
            EXPECT_FALSE(loaded) << cut;
            EXPECT_EQ(Messages.Errors[0], "This is not a Quorvane database");
            continue;
        }
        ASSERT_TRUE(loaded) << cut;
        const int count = root->Items->Count();
        const QString n = QString::number(count);
        EXPECT_EQ(
            Messages.Errors[0],
            "Error reading from file " + path + ".\r\n" + n
                + " items have been recovered from the corrupted file.\r\nChoose \"File | Save\" from the "
                  "menu to save the "
                + n + " remaining items as a new file.");
        EXPECT_TRUE(root->FileName.isEmpty());
        EXPECT_GE(count, previousCount) << cut;
        previousCount = count;
    }
    EXPECT_EQ(previousCount, 6);
}

TEST_F(RootTest, DamagedValuesAreReadErrorsAndUndecodableThumbnailsCostOnlyTheThumbnail)
{
    Root->AddItem("First")->SetThumbnail(TestPicture(qRgb(5, 5, 5)));
    Root->AddItem("Second");
    const QByteArray whole = Root->SaveToBytes();
    const qsizetype bmp = whole.indexOf("BM");
    ASSERT_GT(bmp, 0);
    struct Case {
        const char* what;
        QByteArray bytes;
        bool salvaged;  // else fully loaded
        bool thumbnail;
    };
    QByteArray garbledPixels = whole;
    garbledPixels[bmp + 18] = 7;  // width 7: not a thumbnail, but the extent is still known
    QByteArray badSignature = whole;
    badSignature[bmp] = 'X';
    QByteArray hugeExtent = whole;
    hugeExtent[bmp + 5] = char(0x7F);
    QByteArray hugeText;
    TValueWriter writer(hugeText);
    writer.WriteText("Quorvane");
    writer.WriteText("Test");
    writer.WriteInteger(130);
    writer.WriteInteger(100);
    for (int list = 0; list < 7; ++list) {
        writer.WriteListBegin();
        writer.WriteListEnd();
    }
    writer.WriteListBegin();
    writer.WriteInteger(1);
    writer.WriteInteger(1);
    hugeText += QByteArray::fromHex("14f0ffff7f616263");  // a UTF-8 text claiming 2 GB
    const Case cases[] = {
        {"undecodable bitmap", garbledPixels, false, false},
        {"no bitmap signature", badSignature, true, false},
        {"bitmap larger than the file", hugeExtent, true, false},
        {"text longer than the file", hugeText, true, false},
    };
    for (const Case& c : cases) {
        Messages.Reset();
        WriteAll(Path("d.col"), c.bytes);
        auto root = TRootItem::New<TTestRoot>();
        ASSERT_TRUE(root->LoadFromFile(Path("d.col"))) << c.what;
        EXPECT_EQ(Messages.Errors.size(), c.salvaged ? 1 : 0) << c.what;
        if (!c.salvaged) {
            ASSERT_EQ(root->Items->Count(), 2) << c.what;
            EXPECT_EQ(root->List().Item(1)->Title, "Second");
            EXPECT_EQ(root->List().Item(0)->HasThumbnail(), c.thumbnail);
        }
    }
}

// ---------------------------------------------------------------------------------------------------
// Older formats, written here value by value as those versions laid them out.

class TOldFileWriter {
public:
    TOldFileWriter(int formatVersion, int dataVersion)
        : FVersion(formatVersion), FDataVersion(dataVersion), W(Bytes)
    {
        W.WriteText("Quorvane");
        W.WriteText("Test");
        W.WriteInteger(formatVersion);
        W.WriteInteger(dataVersion);
    }
    void Scrambled(const QString& text)
    {
        const auto& key = FVersion <= 120 ? OldScrambleKey : CurrentScrambleKey;
        W.WriteText(Win1252::Decode(ScrambleBytes(Win1252::Encode(text), key)));
    }
    void IdPart(int id, int index)
    {
        W.WriteInteger(id);
        if (FVersion >= 100)
            W.WriteInteger(index);
    }
    // Entry layouts of the four classes: 0 plain, 1 sort, 2 URL, 3 person.
    void Entry(int kind, int id, const QString& display, const QString& first = {}, const QString& last = {})
    {
        IdPart(id, 0);
        if (FVersion >= 120) {
            Scrambled(display);
            if (kind >= 1) {
                Scrambled(last);
                Scrambled({});
            }
            if (kind >= 2 && FVersion >= 130)
                Scrambled({});
            if (kind == 3)
                Scrambled(first);
        } else if (FDataVersion == 300) {
            W.WriteText(display);
            W.WriteText(display);
        } else if (kind == 0) {
            Scrambled(display);
            for (int i = 0; i < 3; ++i)
                Scrambled("skipped");
        } else if (FVersion <= 110 && kind == 3) {
            for (const QString& text : {display, first, last, QString()})
                Scrambled(text);
        } else if (FVersion <= 110) {
            Scrambled(display);
            Scrambled(last);
            Scrambled({});
            Scrambled({});
        }
    }
    void List(const std::function<void()>& body)
    {
        W.WriteListBegin();
        body();
        W.WriteListEnd();
    }
    int FVersion;
    int FDataVersion;
    QByteArray Bytes;
    TValueWriter W;
};

struct OldCase {
    int formatVersion;
    int dataVersion;
};

QByteArray OldFile(const OldCase& c)
{
    TOldFileWriter f(c.formatVersion, c.dataVersion);
    if (c.formatVersion < 110)
        f.W.WriteInteger(40);                                              // NextID
    f.List([] {});                                                         // user field names
    f.List([&] { f.Entry(3, 30, "Bilbo Baggins", "Bilbo", "Baggins"); });  // Loaned To
    f.List([&] {
        f.Entry(0, 3, "Fantasy");
        f.Entry(0, 3, "Poetry");  // a duplicate identity, repaired on loading
    });
    f.List([&] { f.Entry(2, 5, "Allen & Unwin", {}, "Allen & Unwin"); });
    f.List([&] { f.Entry(1, 6, "The Rings", {}, "Rings"); });
    f.List([] {});
    f.List([&] { f.Entry(3, 8, "J.R.R. Tolkien", "J.R.R.", "Tolkien"); });
    if (c.formatVersion < 130) {
        f.W.WriteDate(40000);
        f.List([&] {
            f.Scrambled("legacy");
            f.W.WriteInteger(1);
            if (c.formatVersion >= 110)
                f.W.WriteInteger(2);
        });
    }
    f.List([&] {
        f.W.WriteInteger(12);  // item ID, Index
        f.W.WriteInteger(1);
        f.Scrambled("The Hobbit");
        for (int id : {5, 6, -1})
            f.W.WriteInteger(id);
        f.List([&] { f.W.WriteInteger(3); });
        f.List([&] {
            for (int v : {13, 0, int(tfAuthor), 8})
                f.W.WriteInteger(v);
        });
        f.W.WriteBoolean(false);
    });
    if (c.formatVersion >= 110 && c.formatVersion < 130)
        f.W.WriteInteger(2);  // a stored counter lower than the IDs read must not lower it
    if (c.formatVersion >= 110)
        f.W.WriteInteger(7);  // NextIndex
    return f.Bytes;
}

TEST_F(RootTest, OlderFormatsLoadAsConvertedCollections)
{
    const OldCase cases[] = {{90, 100}, {100, 100}, {110, 100}, {120, 100}, {110, 300}, {120, 300}};
    for (const OldCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << c.formatVersion << " data " << c.dataVersion);
        Messages.Reset();
        const QString path = Path(QStringLiteral("old%1.col").arg(c.formatVersion));
        WriteAll(path, OldFile(c));
        auto root = TRootItem::New<TTestRoot>();
        ASSERT_TRUE(root->LoadFromFile(path));
        ASSERT_TRUE(Messages.Errors.isEmpty()) << qPrintable(Messages.Errors.join("|"));
        ASSERT_EQ(Messages.Infos.size(), 1);
        EXPECT_EQ(Messages.Infos[0],
                  "The collection \"" + path
                      + "\" was created with an older version of Object Gatherix.\r\nChoose "
                        "\"File | Save\" from the menu to save the converted collection to a "
                        "NEW file.\r\n(NOTE: The converted collection can NOT be opened in "
                        "older versions of Object Gatherix)");
        EXPECT_TRUE(root->FileName.isEmpty());
        ASSERT_EQ(root->List().Count(), 1);
        TTestItem* item = root->List().Item(0);
        EXPECT_EQ(item->Title, "The Hobbit");
        ASSERT_NE(item->Publisher, nullptr);
        EXPECT_EQ(item->Publisher->DisplayName, "Allen & Unwin");
        ASSERT_NE(item->Series, nullptr);
        EXPECT_EQ(item->Series->DisplayName, "The Rings");
        EXPECT_EQ(item->Genres.Count(), 1);
        auto* author = static_cast<TPersonLookupItem*>(item->Credits.FirstPerson(tfAuthor));
        ASSERT_NE(author, nullptr);
        EXPECT_EQ(author->DisplayName, "J.R.R. Tolkien");
        if (c.dataVersion != 300 && c.formatVersion <= 110) {
            EXPECT_EQ(author->Name, "Tolkien");
        }
        EXPECT_EQ(root->NextIndex, c.formatVersion >= 110 ? 7 : 1);
        // Sort and person entries of format 110 do not raise the counter; their files store it.
        EXPECT_EQ(root->NextID, c.formatVersion < 110 ? 40 : (c.formatVersion < 120 ? 14 : 31));
        EXPECT_EQ(root->Genres.Count(), 2);
        EXPECT_NE(root->Genres.Entry(0)->GetID(), root->Genres.Entry(1)->GetID());
        EXPECT_EQ(root->Loans->Count(), 0);
    }
}

// ---------------------------------------------------------------------------------------------------
// Saving never damages the file that was there

TEST_F(RootTest, AFailedSaveLeavesTheOldFileAndNameAsTheyWere)
{
    Fill(*Root);
    const QString path = Path("safe.col");
    ASSERT_TRUE(Root->SaveToFile(path));
    const QByteArray before = ReadAll(path);
    for (int i = 0; i < 200; ++i)
        Root->AddItem(QStringLiteral("Padding %1").arg(i))->SetThumbnail(TestPicture(qRgb(i, 0, 0)));
    const qint64 size = Root->SaveToBytes().size();
    ASSERT_GT(size, 128000) << "the file must span several blocks";
    const QString expectedMessage =
        "Error writing to file " + path
        + ".\r\nThis is probably caused by a diskspace problem.\r\nChoose \"File | Save "
          "As\" from the menu to save your data to a different location.";
    for (qint64 failAt : {qint64(0), qint64(128000), size}) {
        Messages.Reset();
        TAtomicFile::SetFaultHookForTesting([failAt](qint64 written) { return written < failAt; });
        EXPECT_FALSE(Root->SaveToFile(path)) << failAt;
        TAtomicFile::SetFaultHookForTesting({});
        EXPECT_EQ(ReadAll(path), before) << failAt;
        EXPECT_EQ(Messages.Errors, QStringList{expectedMessage});
        EXPECT_EQ(Root->FileName, path);
        EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files), QStringList{"safe.col"})
            << "no temporary file left";
    }

    Messages.Reset();
    Root->List().Item(1)->FailWrite = true;
    EXPECT_FALSE(Root->SaveToFile(path));
    EXPECT_EQ(Messages.Errors, QStringList{expectedMessage});
    EXPECT_EQ(ReadAll(path), before);
    Root->List().Item(1)->FailWrite = false;

    Messages.Reset();
    const QString unwritable = path + "/inside-a-file.col";
    EXPECT_FALSE(Root->SaveToFile(unwritable));
    EXPECT_EQ(Messages.Errors.size(), 1);
    EXPECT_EQ(Root->FileName, path);
}

TEST_F(RootTest, SavingIntoAReadOnlyFolderFails)
{
    const QString folder = Path("ro");
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QFile probe(folder + "/probe");
    if (probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        GTEST_SKIP() << "permissions are not enforced for this user";
    }
    EXPECT_FALSE(Root->SaveToFile(folder + "/x.col"));
    EXPECT_EQ(Messages.Errors.size(), 1);
    EXPECT_TRUE(Root->FileName.isEmpty());
}

// ---------------------------------------------------------------------------------------------------
// Pictures

TEST_F(RootTest, ResolveImageFileTable)
{
    const QString base = Dir.path();
    WriteAll(Path("cover.jpg"), "x");
    struct Case {
        QString name;
        QString folder;
        bool exists;
        QString path;
    };
    const Case cases[] = {
        {"", base, false, ""},
        {"cover.jpg", base, true, base + "/cover.jpg"},
        {"cover.jpg", base + "/", true, base + "/cover.jpg"},
        {"missing.jpg", base, false, base + "/missing.jpg"},
        {Path("cover.jpg"), "/elsewhere", true, Path("cover.jpg")},
        {"C:\\covers\\a.jpg", base, false, "C:\\covers\\a.jpg"},
        {"\\\\server\\share\\a.jpg", base, false, "\\\\server\\share\\a.jpg"},
    };
    for (const Case& c : cases) {
        const TResolvedFile file = ResolveImageFile(c.name, c.folder);
        EXPECT_EQ(file.Exists, c.exists) << qPrintable(c.name);
        EXPECT_EQ(file.Path, c.path) << qPrintable(c.name);
    }
}

TEST_F(RootTest, ThumbnailsKeepTheAspectRatioOnWhite)
{
    QImage tall(10, 40, QImage::Format_RGB32);
    tall.fill(Qt::black);
    tall.save(Path("tall.png"));
    QImage wide(64, 32, QImage::Format_RGB32);
    wide.fill(Qt::black);
    wide.save(Path("wide.png"));
    WriteAll(Path("broken.png"), "not a picture");

    QImage picture, thumbnail;
    ASSERT_TRUE(MakeThumbnail(Path("tall.png"), &picture, &thumbnail, 32));
    EXPECT_EQ(picture.size(), QSize(10, 40));
    EXPECT_EQ(thumbnail.size(), QSize(32, 32));
    EXPECT_EQ(thumbnail.pixel(16, 16), qRgb(0, 0, 0));
    EXPECT_EQ(thumbnail.pixel(2, 16), qRgb(255, 255, 255)) << "drawn 8 wide, centred";
    ASSERT_TRUE(MakeThumbnail(Path("wide.png"), nullptr, &thumbnail, 32));
    EXPECT_EQ(thumbnail.pixel(16, 2), qRgb(255, 255, 255)) << "drawn 16 high, centred";
    EXPECT_EQ(thumbnail.pixel(16, 16), qRgb(0, 0, 0));
    EXPECT_FALSE(MakeThumbnail(Path("broken.png"), &picture, &thumbnail, 32));
    EXPECT_FALSE(MakeThumbnail(Path("absent.png"), &picture, &thumbnail, 32));
}

class TCoverItem : public TTestItem {
public:
    using TTestItem::TTestItem;
    QString Cover;
    QString GetFrontImage() const override { return Cover; }
};

TEST_F(RootTest, ReloadThumbnailsFollowsTheFrontPictures)
{
    QImage cover(20, 20, QImage::Format_RGB32);
    cover.fill(Qt::red);
    cover.save(Path("red.png"));
    Prefs().ImageBaseFolder = Dir.path() + "/";
    auto* withCover = new TCoverItem(Root->Items.get(), Root->Items.get());
    withCover->Cover = "red.png";
    auto* without = new TCoverItem(Root->Items.get(), Root->Items.get());
    without->SetThumbnail(TestPicture(qRgb(1, 1, 1)));
    Root->Items->Add(withCover);
    Root->Items->Add(without);
    Root->ReloadThumbnails();
    EXPECT_TRUE(withCover->HasThumbnail());
    EXPECT_FALSE(without->HasThumbnail());
    QImage thumbnail;
    withCover->GetThumbnail(&thumbnail);
    EXPECT_EQ(thumbnail.pixel(16, 16), qRgb(255, 0, 0));
    Prefs().ImageBaseFolder.clear();
}

}  // namespace

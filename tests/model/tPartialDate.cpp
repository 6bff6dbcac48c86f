// Partial dates: texts, validity and day numbers, the file record and the XML elements.

#include "model/TestCollection.h"
#include "model/cPartialDate.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

namespace {

const QDate Today(2024, 6, 15);

// A null year text means no year.
void Fill(TPartialDate& date, const char* year, int month, int day)
{
    date.Year = year ? date.YearList->FindOrAdd(year) : nullptr;
    date.Month = month;
    date.Day = day;
}

using TXmlDoc = std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)>;

TXmlDoc ParseXml(const char* text)
{
    return TXmlDoc(xmlReadMemory(text, int(strlen(text)), nullptr, nullptr, XML_PARSE_NONET), &xmlFreeDoc);
}

QString Dump(xmlNode* node)
{
    xmlBufferPtr buffer = xmlBufferCreate();
    xmlNodeDump(buffer, node->doc, node, 0, 0);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(xmlBufferContent(buffer)));
    xmlBufferFree(buffer);
    return text;
}

class PartialDateTest : public ::testing::Test {
protected:
    std::unique_ptr<TTestRoot> Root = TRootItem::New<TTestRoot>();
    TLookupList& Years = Root->Formats;  // holds 1950 to 2005 from the start

    // Mid-afternoon, so a day number that carries the time of day shows.
    void SetUp() override { SetNowForTesting(QDateTime(Today, QTime(15, 30))); }
    void TearDown() override { SetNowForTesting({}); }
};

struct TextCase {
    const char* year;
    int month;
    int day;
    const char* text;
    bool empty;
    bool complete;
    bool valid;
    QDate asDate;
};

TEST_F(PartialDateTest, TextsValidityAndDayNumbers)
{
    const TextCase cases[] = {
        {nullptr, 0, 0, "", true, false, false, QDate(1, 1, 1)},
        {"1998", 3, 15, "3/15/98", false, true, true, QDate(1998, 3, 15)},
        {"1998", 3, 0, "March 1998", false, false, false, QDate(1998, 3, 1)},
        {"1998", 0, 12, "1998", false, false, false, QDate(1998, 1, 12)},
        {"1998", 2, 30, "[Invalid]", false, true, false, Today},
        {nullptr, 5, 1, "", false, false, false, QDate(1, 5, 1)},
        {"1998", 13, 0, "1998", false, false, false, Today},
        {"1998", -1, 5, "1998", false, false, false, Today},
        {"1998", 3, 32, "March 1998", false, false, false, Today},
        {"2000", 2, 29, "2/29/00", false, true, true, QDate(2000, 2, 29)},
        {"1900", 2, 29, "[Invalid]", false, true, false, Today},
        {"1850", 7, 4, "7/4/50", false, true, true, QDate(1850, 7, 4)},
        {"10000", 1, 1, "[Invalid]", false, true, false, Today},
        {"circa 1990", 6, 0, "June circa 1990", false, false, false, QDate(1, 6, 1)},
    };
    for (const TextCase& c : cases) {
        TPartialDate date(Years);
        Fill(date, c.year, c.month, c.day);
        const QString label = QStringLiteral("%1-%2-%3").arg(c.year).arg(c.month).arg(c.day);
        EXPECT_EQ(date.GetText(), c.text) << qPrintable(label);
        EXPECT_EQ(date.IsEmpty(), c.empty) << qPrintable(label);
        EXPECT_EQ(date.IsComplete(), c.complete) << qPrintable(label);
        EXPECT_EQ(date.IsValid(), c.valid) << qPrintable(label);
        EXPECT_EQ(date.AsDate(), DateToDayNumber(c.asDate)) << qPrintable(label);
    }
}

TEST_F(PartialDateTest, RenamedYearEntryIsNoLongerANumber)
{
    TPartialDate date(Years);
    Fill(date, "1990", 3, 1);
    ASSERT_TRUE(date.IsValid());
    date.Year->DisplayName = "circa 1990";
    EXPECT_FALSE(date.IsValid());
    EXPECT_EQ(date.GetText(), "[Invalid]");
    EXPECT_EQ(date.AsDate(), DateToDayNumber(QDate(1, 3, 1)));
}

TEST_F(PartialDateTest, AssignCopiesValuesAndEqualityNeedsTheSameEntry)
{
    auto other = TRootItem::New<TTestRoot>();
    TPartialDate source(Years);
    TPartialDate target(other->Formats);
    Fill(source, "1998", 3, 15);
    Fill(target, "1998", 3, 15);
    EXPECT_FALSE(target.IsEqual(source)) << "the same text in another list is another entry";

    source.AssignTo(target);
    EXPECT_TRUE(target.IsEqual(source));
    EXPECT_EQ(target.YearList, &other->Formats);

    const std::function<void(TPartialDate&)> changes[] = {
        [&](TPartialDate& d) { d.Year = Years.FindOrAdd("1999"); },
        [](TPartialDate& d) { d.Month = 4; },
        [](TPartialDate& d) { d.Day = 16; },
    };
    for (const auto& change : changes) {
        TPartialDate copy(Years);
        source.AssignTo(copy);
        change(copy);
        EXPECT_FALSE(copy.IsEqual(source));
    }

    target.Clear();
    EXPECT_TRUE(target.IsEmpty());
}

TEST_F(PartialDateTest, FileRecordIsYearIdMonthAndDay)
{
    TPartialDate full(Years);
    TPartialDate noYear(Years);
    Fill(full, "1492", 10, 12);  // a new entry: it gets its identity when written
    Fill(noYear, nullptr, 5, 0);
    QByteArray bytes;
    TValueWriter writer(bytes);
    full.Write(writer);
    noYear.Write(writer);
    for (qint32 value : {987654, 4, 1})  // a year that the list lacks
        writer.WriteInteger(value);

    TValueReader raw(bytes);
    EXPECT_NE(full.Year->ID, -1);
    for (qint32 expected : {full.Year->ID, 10, 12, -1, 5, 0})
        EXPECT_EQ(raw.ReadInteger(), expected);

    TValueReader reader(bytes);
    TPartialDate read(Years);
    read.Read(reader);
    EXPECT_TRUE(read.IsEqual(full));
    Fill(read, "1998", 1, 1);
    read.Read(reader);
    EXPECT_TRUE(read.IsEqual(noYear));
    read.Read(reader);
    EXPECT_EQ(read.Year, nullptr);
    EXPECT_EQ(read.Month, 4);
    EXPECT_EQ(read.Day, 1);
}

// An item that keeps a date as the book does: bound to its collection's year list, stored after the
// item's own record.
class TDatedItem : public TTestItem {
public:
    TDatedItem(TDataObject* parent, TDataObject* container)
        : TTestItem(parent, container), Published(*GetRoot()->LookupListForFieldID(tfFormat))
    {}
    TPartialDate Published;

    void Write(TValueWriter& writer) override
    {
        TTestItem::Write(writer);
        Published.Write(writer);
    }
    void Read(TValueReader& reader, int formatVersion, int dataVersion) override
    {
        TTestItem::Read(reader, formatVersion, dataVersion);
        Published.Read(reader);
    }
};

class TDatedItemList : public TTestItemList {
public:
    using TTestItemList::TTestItemList;
    TDataItem* NewItem() override
    {
        auto* item = new TDatedItem(this, this);
        Add(item);
        return item;
    }
};

class TDatedRoot : public TTestRoot {
protected:
    std::unique_ptr<TMainDataList> CreateItems() override
    {
        return std::make_unique<TDatedItemList>(this, this);
    }
};

TEST_F(PartialDateTest, DatesSurviveSavingAndLoadingTheCollection)
{
    auto root = TRootItem::New<TDatedRoot>();
    auto* known = static_cast<TDatedItem*>(root->AddItem("Known"));
    auto* added = static_cast<TDatedItem*>(root->AddItem("Added"));
    Fill(known->Published, "1954", 7, 29);
    Fill(added->Published, "1492", 10, 0);
    const QByteArray bytes = root->SaveToBytes();

    auto loaded = TRootItem::New<TDatedRoot>();
    TValueReader reader(bytes);
    bool converted = false;
    loaded->LoadFromStream(reader, converted);
    ASSERT_EQ(loaded->List().Count(), 2);
    for (int i : {0, 1}) {
        const TPartialDate& date = static_cast<TDatedItem*>(loaded->List().Item(i))->Published;
        const TPartialDate& saved = static_cast<TDatedItem*>(root->List().Item(i))->Published;
        EXPECT_EQ(date.Year, loaded->Formats.FindByName(saved.Year->DisplayName)) << i;
        EXPECT_EQ(date.GetText(), saved.GetText()) << i;
    }
}

struct WriteCase {
    const char* year;
    int month;
    int day;
    const char* xml;
};

TEST_F(PartialDateTest, XmlElementsAndRoundTrip)
{
    const WriteCase cases[] = {
        {"1998", 3, 15, "<d><year>1998</year><month>3</month><day>15</day><date>3/15/98</date></d>"},
        {"1998", 0, 0, "<d><year>1998</year><date>1998</date></d>"},
        {"circa 1990", 6, 0, "<d><year>circa 1990</year><month>6</month><date>June circa 1990</date></d>"},
        {nullptr, 5, 1, "<d><month>5</month><day>1</day></d>"},
        {nullptr, 0, 0, "<d/>"},
    };
    auto other = TRootItem::New<TTestRoot>();
    for (const WriteCase& c : cases) {
        TXmlDoc doc(xmlNewDoc(BAD_CAST "1.0"), &xmlFreeDoc);
        xmlNode* node = xmlNewNode(nullptr, BAD_CAST "d");
        xmlDocSetRootElement(doc.get(), node);
        TPartialDate date(Years);
        Fill(date, c.year, c.month, c.day);
        date.WriteXML(node);
        EXPECT_EQ(Dump(node), c.xml);

        TPartialDate read(other->Formats);  // a list that lacks "circa 1990"
        read.ReadXML(node, false);
        EXPECT_EQ(read.Year, c.year ? other->Formats.FindByName(c.year) : nullptr) << c.xml;
        EXPECT_EQ(read.GetText(), date.GetText()) << c.xml;
        EXPECT_EQ(read.Month, c.month) << c.xml;
        EXPECT_EQ(read.Day, c.day) << c.xml;
    }
    EXPECT_NE(other->Formats.FindByName("circa 1990"), nullptr);
}

struct ReadCase {
    const char* before;  // year text, with month and day below
    int month;
    int day;
    bool overwrite;
    const char* xml;
    const char* year;
    int expectMonth;
    int expectDay;
};

TEST_F(PartialDateTest, ReadingXmlFillsGapsOrOverwrites)
{
    const char* full = "<d><year>2001</year><month>7</month><day>4</day></d>";
    const ReadCase cases[] = {
        {"1998", 0, 12, false, full, "1998", 7, 12},
        {"1998", 3, 15, false, full, "1998", 3, 15},
        {"1998", 3, 15, true, full, "2001", 7, 4},
        {nullptr, 0, 0, false, full, "2001", 7, 4},
        {"1998", 3, 15, true, "<d><month>x</month><day>32</day></d>", nullptr, 0, 0},
        {nullptr, 0, 0, false, "<d><year> 1998 </year><month>13</month><day>99999999999</day></d>", "1998", 0,
         0},
        {nullptr, 0, 0, false, "<d><month>-3</month><day>0</day></d>", nullptr, 0, 0},
        {nullptr, 0, 0, false, "<d><month>12</month><day>31</day></d>", nullptr, 12, 31},
    };
    for (const ReadCase& c : cases) {
        TXmlDoc doc = ParseXml(c.xml);
        ASSERT_TRUE(doc) << c.xml;
        TPartialDate date(Years);
        Fill(date, c.before, c.month, c.day);
        date.ReadXML(xmlDocGetRootElement(doc.get()), c.overwrite);
        const QString label = QStringLiteral("%1 over %2 (%3)").arg(c.xml, c.before).arg(int(c.overwrite));
        EXPECT_EQ(date.Year, c.year ? Years.FindByName(c.year) : nullptr) << qPrintable(label);
        EXPECT_EQ(date.Month, c.expectMonth) << qPrintable(label);
        EXPECT_EQ(date.Day, c.expectDay) << qPrintable(label);
    }
}

}  // namespace

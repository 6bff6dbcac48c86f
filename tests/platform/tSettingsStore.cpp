#include "platform/SettingsStore.h"

#include "platform/AtomicFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <bit>
#include <cmath>
#include <functional>
#include <limits>
#include <ostream>
#include <vector>

static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

using TValueType = TSettingsStore::TValueType;

const QByteArray Header = "Windows Registry Editor Version 5.00\n\n";
const QByteArray Root = "HKEY_CURRENT_USER\\Software\\Quorvane\\Book";
const QByteArray KeyS = "[" + Root + "\\S]\n";

// One readable line per value, so that a table can say what a file must give.
QString Describe(const TSettingsStore& store, const QString& section, const QString& ident)
{
    if (!store.ValueExists(section, ident))
        return QStringLiteral("absent");
    const TValueType type = store.ValueType(section, ident);
    if (type == TValueType::Integer)
        return QStringLiteral("dword:%1").arg(store.ReadInteger(section, ident, 0));
    if (type == TValueType::Binary)
        return QStringLiteral("hex:") + QString::fromLatin1(store.ReadBinary(section, ident).toHex());
    return QStringLiteral("string:") + store.ReadString(section, ident, QString());
}

QByteArray Utf16LEWithBom(const QString& text)
{
    QByteArray bytes("\xFF\xFE");
    for (QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    std::unique_ptr<TSettingsStore> Open() const { return std::make_unique<TSettingsStore>(m_path); }

    std::unique_ptr<TSettingsStore> SaveAndReopen(TSettingsStore& store) const
    {
        QString error;
        EXPECT_TRUE(store.Save(&error)) << error.toStdString();
        EXPECT_FALSE(store.Modified());
        return Open();
    }

    void WriteFile(const QByteArray& bytes) const
    {
        QFile file(m_path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QByteArray FileBytes() const
    {
        QFile file(m_path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir{qEnvironmentVariable("TOMEKEEP_TEST_TMPDIR") + QStringLiteral("/settings-XXXXXX")};
    QString m_path = m_dir.filePath(QStringLiteral("settings.reg"));
};

// --- values keep their content and type through the file ---

TEST_F(SettingsStoreTest, StringsSurviveSaveAndReload)
{
    const struct {
        QString ident;
        QString value;
    } cases[] = {
        {"plain", "text"},
        {"empty", ""},
        {"quote\"d", "say \"hi\""},
        {"back\\slash", "C:\\Data\\"},
        {"Grüße", "Grüße, 日本語, \U0001F600"},
        {"line break", "two\nlines"},
        {"crlf", "first\r\nsecond\r\n"},
        {"tab", "a\tb"},
        {"byte order mark first", QChar(0xFEFF) + QStringLiteral("x")},
        {"inner nul", QStringLiteral("x") + QChar(0) + QStringLiteral("y")},
        {"trailing nul", QStringLiteral("x") + QChar(0)},
        {"lone surrogate", QStringLiteral("x") + QChar(0xD800)},
        {"", "the default value"},
    };
    auto store = Open();
    for (const auto& c : cases)
        store->WriteString("Strings", c.ident, c.value);
    const auto reread = SaveAndReopen(*store);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ident.toStdString());
        EXPECT_EQ(reread->ValueType("Strings", c.ident), TValueType::String);
        EXPECT_TRUE(reread->ValueExists("Strings", c.ident));
        EXPECT_EQ(reread->ReadString("Strings", c.ident, "default"), c.value);
    }
}

TEST_F(SettingsStoreTest, IntegersSurviveSaveAndReload)
{
    const qint32 cases[] = {0, 10, -1, std::numeric_limits<qint32>::min(),
                            std::numeric_limits<qint32>::max()};
    auto store = Open();
    for (qint32 value : cases)
        store->WriteInteger("Integers", QString::number(value), value);
    const auto reread = SaveAndReopen(*store);
    for (qint32 value : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(reread->ValueType("Integers", QString::number(value)), TValueType::Integer);
        EXPECT_EQ(reread->ReadInteger("Integers", QString::number(value), 99), value);
    }
}

TEST_F(SettingsStoreTest, BinaryAndDoublesSurviveSaveAndReload)
{
    QByteArray allBytes;
    for (int i = 0; i < 256; ++i)
        allBytes.append(char(i));
    const QByteArray binaries[] = {QByteArray(), QByteArray(1, '\0'), allBytes};
    const double doubles[] = {0.0,
                              45000.75,
                              -1.5,
                              1e308,
                              std::numeric_limits<double>::denorm_min(),
                              std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::quiet_NaN()};
    auto store = Open();
    for (const QByteArray& bytes : binaries)
        store->WriteBinary("Binary", QString::number(bytes.size()), bytes);
    for (double value : doubles) {
        store->WriteFloat("Float", QString::number(value), value);
        store->WriteDate("Date", QString::number(value), value);
    }
    const auto reread = SaveAndReopen(*store);
    for (const QByteArray& bytes : binaries) {
        EXPECT_EQ(reread->ValueType("Binary", QString::number(bytes.size())), TValueType::Binary);
        EXPECT_EQ(reread->ReadBinary("Binary", QString::number(bytes.size())), bytes);
    }
    for (double value : doubles) {
        SCOPED_TRACE(value);
        const auto bits = std::bit_cast<quint64>(value);
        EXPECT_EQ(std::bit_cast<quint64>(reread->ReadFloat("Float", QString::number(value), 7.0)), bits);
        EXPECT_EQ(std::bit_cast<quint64>(reread->ReadDate("Date", QString::number(value), 7.0)), bits);
        EXPECT_EQ(reread->ReadBinary("Date", QString::number(value)).size(), 8);
    }
}

TEST_F(SettingsStoreTest, WritesTheRegistryExportForm)
{
    {
        TSettingsStore store(m_path);
        store.WriteString("Settings", "Name", "C:\\x \"y\"");
        store.WriteInteger("Settings", "Count", 10);
        store.WriteString("Settings", "Lines", "a\nb");
        store.WriteBinary("Deep\\Sub", "Bytes", QByteArray::fromHex("0102ff"));
    }  // saved by the destructor
    EXPECT_EQ(FileBytes(), Header
                               + "[HKEY_CURRENT_USER\\Software\\Quorvane\\Book]\n"
                                 "\n"
                                 "[HKEY_CURRENT_USER\\Software\\Quorvane\\Book\\Deep]\n"
                                 "\n"
                                 "[HKEY_CURRENT_USER\\Software\\Quorvane\\Book\\Deep\\Sub]\n"
                                 "\"Bytes\"=hex:01,02,ff\n"
                                 "\n"
                                 "[HKEY_CURRENT_USER\\Software\\Quorvane\\Book\\Settings]\n"
                                 "\"Count\"=dword:0000000a\n"
                                 "\"Lines\"=hex(1):61,00,0a,00,62,00,00,00\n"
                                 "\"Name\"=\"C:\\\\x \\\"y\\\"\"\n"
                                 "\n");
}

TEST_F(SettingsStoreTest, LongHexValuesAreWrappedIntoIndentedLines)
{
    auto store = Open();
    store->WriteBinary("S", "Long", QByteArray(300, 'z'));
    store->WriteString("S", "Long text", QString(100, u'x') + u'\n');
    const auto reread = SaveAndReopen(*store);

    const QList<QByteArray> lines = FileBytes().split('\n');
    int continued = 0;
    for (const QByteArray& line : lines) {
        EXPECT_LE(line.size(), 80) << line.toStdString();
        continued += line.startsWith("  ") ? 1 : 0;
    }
    EXPECT_GE(continued, 2 * 3);
    EXPECT_EQ(reread->ReadBinary("S", "Long"), QByteArray(300, 'z'));
    EXPECT_EQ(reread->ReadString("S", "Long text", ""), QString(100, u'x') + u'\n');
}

TEST_F(SettingsStoreTest, WriteReadWriteGivesTheSameBytes)
{
    {
        TSettingsStore store(m_path);
        store.WriteString("", "", "root default");
        store.WriteString("Folders", "Data", "/home/me/Tomekeep Data/");
        store.WriteString("Notes", "Two lines", "one\r\ntwo");
        store.WriteInteger("Settings", "Doubleclick", -3);
        store.WriteBool("Settings", "ConfirmItemRemoval", true);
        store.WriteDate("Settings", "LastUpdateCheck", 45123.5);
        store.WriteBinary("Windows\\fMain", "Placement", QByteArray(44, '\x7f'));
        store.WriteString("Lists\\Recent\\0", "File", "a.tmk");
    }
    const QByteArray first = FileBytes();
    {
        TSettingsStore store(m_path);
        store.WriteInteger("Settings", "Doubleclick", 0);
        store.WriteInteger("Settings", "Doubleclick", -3);
        ASSERT_TRUE(store.Modified());
    }
    EXPECT_EQ(FileBytes(), first);
}

// --- the integer and boolean rules ---

TEST_F(SettingsStoreTest, WriteIntegerKeepsAStringValueAString)
{
    const struct {
        const char* label;
        std::function<void(TSettingsStore&)> before;
        TValueType expected;
    } cases[] = {
        {"string", [](TSettingsStore& s) { s.WriteString("S", "V", "12"); }, TValueType::String},
        {"boolean", [](TSettingsStore& s) { s.WriteBool("S", "V", true); }, TValueType::String},
        {"dword", [](TSettingsStore& s) { s.WriteInteger("S", "V", 12); }, TValueType::Integer},
        {"binary", [](TSettingsStore& s) { s.WriteBinary("S", "V", "1234"); }, TValueType::Integer},
        {"absent", [](TSettingsStore&) {}, TValueType::Integer},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        QFile::remove(m_path);
        auto store = Open();
        c.before(*store);
        store->WriteInteger("S", "V", 13);
        const auto reread = SaveAndReopen(*store);
        EXPECT_EQ(reread->ValueType("S", "V"), c.expected);
        EXPECT_EQ(reread->ReadInteger("S", "V", 99), 13);
        if (c.expected == TValueType::String) {
            EXPECT_EQ(reread->ReadString("S", "V", ""), "13");
        }
    }
}

TEST_F(SettingsStoreTest, IntegerAndBooleanReadsAcceptBothForms)
{
    const struct {
        const char* label;
        std::function<void(TSettingsStore&)> put;
        qint32 integer;  // read with the default 99
        bool boolWhenFalse, boolWhenTrue;
    } cases[] = {
        {"string 1", [](TSettingsStore& s) { s.WriteString("S", "V", "1"); }, 1, true, true},
        {"string 0", [](TSettingsStore& s) { s.WriteString("S", "V", "0"); }, 0, false, false},
        {"string -7", [](TSettingsStore& s) { s.WriteString("S", "V", "-7"); }, -7, true, true},
        {"string abc", [](TSettingsStore& s) { s.WriteString("S", "V", "abc"); }, 99, false, true},
        {"string 12abc", [](TSettingsStore& s) { s.WriteString("S", "V", "12abc"); }, 99, false, true},
        {"empty string", [](TSettingsStore& s) { s.WriteString("S", "V", ""); }, 99, false, true},
        {"too big", [](TSettingsStore& s) { s.WriteString("S", "V", "4294967296"); }, 99, false, true},
        {"dword 5", [](TSettingsStore& s) { s.WriteInteger("S", "V", 5); }, 5, true, true},
        {"dword 0", [](TSettingsStore& s) { s.WriteInteger("S", "V", 0); }, 0, false, false},
        {"dword ffffffff", [](TSettingsStore& s) { s.WriteInteger("S", "V", -1); }, -1, true, true},
        {"bool true", [](TSettingsStore& s) { s.WriteBool("S", "V", true); }, 1, true, true},
        {"bool false", [](TSettingsStore& s) { s.WriteBool("S", "V", false); }, 0, false, false},
        {"binary", [](TSettingsStore& s) { s.WriteBinary("S", "V", QByteArray(4, '\1')); }, 99, false, true},
        {"absent", [](TSettingsStore&) {}, 99, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TSettingsStore store(m_dir.filePath(c.label));
        c.put(store);
        EXPECT_EQ(store.ReadInteger("S", "V", 99), c.integer);
        EXPECT_EQ(store.ReadBool("S", "V", false), c.boolWhenFalse);
        EXPECT_EQ(store.ReadBool("S", "V", true), c.boolWhenTrue);
    }
}

TEST_F(SettingsStoreTest, WriteBoolStoresTheStringsZeroAndOne)
{
    auto store = Open();
    store->WriteBool("S", "On", true);
    store->WriteBool("S", "Off", false);
    EXPECT_EQ(Describe(*store, "S", "On"), "string:1");
    EXPECT_EQ(Describe(*store, "S", "Off"), "string:0");
}

TEST_F(SettingsStoreTest, AbsentValuesAndOtherTypesGiveTheDefault)
{
    auto store = Open();
    store->WriteInteger("S", "Dword", 5);
    store->WriteString("S", "Text", "45000");
    store->WriteBinary("S", "Four", QByteArray(4, '\1'));
    store->WriteBinary("S", "Nine", QByteArray(9, '\1'));
    store->WriteFloat("S", "Eight", 2.5);

    for (const char* section : {"S", "Missing", "S\\Missing"}) {
        SCOPED_TRACE(section);
        EXPECT_EQ(store->ReadString(section, "Missing", "def"), "def");
        EXPECT_EQ(store->ReadInteger(section, "Missing", 42), 42);
        EXPECT_EQ(store->ReadFloat(section, "Missing", 1.5), 1.5);
        EXPECT_TRUE(store->ReadBinary(section, "Missing").isEmpty());
        EXPECT_FALSE(store->ValueExists(section, "Missing"));
        EXPECT_EQ(store->ValueType(section, "Missing"), TValueType::String);
    }
    EXPECT_EQ(store->ReadString("S", "Dword", "def"), "def");
    EXPECT_EQ(store->ReadString("S", "Four", "def"), "def");
    EXPECT_EQ(store->ReadInteger("S", "Eight", 42), 42);
    for (const char* ident : {"Dword", "Text", "Four", "Nine"}) {
        EXPECT_EQ(store->ReadDate("S", ident, 1.5), 1.5) << ident;
        EXPECT_EQ(store->ReadFloat("S", ident, 1.5), 1.5) << ident;
    }
    EXPECT_TRUE(store->ReadBinary("S", "Dword").isEmpty());
    EXPECT_TRUE(store->ReadBinary("S", "Text").isEmpty());
    EXPECT_EQ(store->ReadFloat("S", "Eight", 1.5), 2.5);
}

// --- sections ---

TEST_F(SettingsStoreTest, NamesCompareCaseInsensitivelyAndKeepTheirFirstCase)
{
    auto store = Open();
    store->WriteString("Settings\\Sub", "Value", "first");
    store->WriteString("SETTINGS\\sub", "VALUE", "second");
    EXPECT_EQ(store->ReadString("settings\\SUB", "value", ""), "second");
    EXPECT_TRUE(store->SectionExists("sEtTiNgS"));

    const auto reread = SaveAndReopen(*store);
    EXPECT_EQ(reread->SubSections(""), QStringList{"Settings"});
    EXPECT_EQ(reread->SubSections("settings"), QStringList{"Sub"});
    EXPECT_EQ(reread->ValueNames("SETTINGS\\SUB"), QStringList{"Value"});
    EXPECT_EQ(reread->ReadString("Settings\\Sub", "Value", ""), "second");
}

TEST_F(SettingsStoreTest, SubSectionsListTheKeysDirectlyBelow)
{
    auto store = Open();
    for (const char* section : {"List\\0", "List\\1", "List\\10", "List\\1\\Deeper"})
        store->WriteString(section, "Name", section);
    store->WriteString("Other", "Name", "x");

    const auto reread = SaveAndReopen(*store);
    EXPECT_EQ(reread->SubSections(""), (QStringList{"List", "Other"}));
    EXPECT_EQ(reread->SubSections("List"), (QStringList{"0", "1", "10"}));
    EXPECT_EQ(reread->SubSections("List\\1"), QStringList{"Deeper"});
    EXPECT_TRUE(reread->SubSections("List\\0").isEmpty());
    EXPECT_TRUE(reread->SubSections("Missing").isEmpty());
    EXPECT_TRUE(reread->SectionExists("List"));  // a parent key exists even without values
    EXPECT_TRUE(reread->ValueNames("List").isEmpty());
    EXPECT_EQ(reread->ReadString("List\\1\\Deeper", "Name", ""), "List\\1\\Deeper");
}

TEST_F(SettingsStoreTest, EraseSectionAndDeleteValueRemoveForGood)
{
    auto store = Open();
    for (const char* section : {"A", "A\\B", "A\\B\\C", "AB"})
        store->WriteString(section, "V", "x");
    store->WriteString("Keep", "Gone", "x");
    store->WriteString("Keep", "Stays", "x");
    store->EraseSection("a");
    store->DeleteValue("keep", "GONE");

    const auto reread = SaveAndReopen(*store);
    for (const char* section : {"A", "A\\B", "A\\B\\C"}) {
        EXPECT_FALSE(reread->SectionExists(section)) << section;
        EXPECT_FALSE(reread->ValueExists(section, "V")) << section;
    }
    EXPECT_TRUE(reread->ValueExists("AB", "V"));
    EXPECT_EQ(reread->ValueNames("Keep"), QStringList{"Stays"});
    EXPECT_FALSE(FileBytes().contains("\\A]"));
}

// --- damaged and hand-edited files ---

TEST_F(SettingsStoreTest, DamagedFilesGiveWhatCanBeRead)
{
    struct TExpect {
        QString section, ident, value;
    };
    const QString deepSection = QStringList(600, "a").join(u'\\');
    const struct {
        const char* label;
        QByteArray file;
        std::vector<TExpect> expected;
    } cases[] = {
        {"garbage lines",
         Header + KeyS + "this is no value\n;a comment\n\x01\x02\xff\n=\"x\"\n\"Good\"=\"yes\"\n",
         {{"S", "Good", "string:yes"}}},
        {"bad hex",
         KeyS + "\"Bad\"=hex:01,zz,03\n\"Big\"=hex:100\n\"Good\"=hex:01,02\n",
         {{"S", "Bad", "absent"}, {"S", "Big", "absent"}, {"S", "Good", "hex:0102"}}},
        {"odd digit counts",
         KeyS + "\"Short\"=hex:1,2\n\"Long\"=hex:012\n",
         {{"S", "Short", "hex:0102"}, {"S", "Long", "absent"}}},
        {"bad dwords",
         KeyS + "\"Nine\"=dword:000000001\n\"Word\"=dword:xyz\n\"Empty\"=dword:\n\"Short\"=dword:A\n",
         {{"S", "Nine", "absent"},
          {"S", "Word", "absent"},
          {"S", "Empty", "absent"},
          {"S", "Short", "dword:10"}}},
        {"truncated lines",
         Header + KeyS + "\"Str\"=\"abc\n\"Name\n\"NoData\"=\n\"Cut\"=hex:01,02,\\\n" + "[" + Root
             + "\\T]\n\"After\"=\"x\"\n\"End\"=hex:01,\\",
         {{"S", "Str", "absent"},
          {"S", "NoData", "absent"},
          {"S", "Cut", "absent"},
          {"T", "After", "string:x"},
          {"T", "End", "absent"}}},
        {"missing header", KeyS + "\"Good\"=\"yes\"\n", {{"S", "Good", "string:yes"}}},
        {"values outside the root key",
         "\"Early\"=\"x\"\n" + KeyS + "\"Good\"=\"yes\"\n"
             + "[HKEY_CURRENT_USER\\Software\\Other]\n\"Foreign\"=\"x\"\n" + "[" + Root
             + "X]\n\"Near\"=\"x\"\n" + "[-" + Root + "\\S]\n\"Deleted\"=\"x\"\n" + "[" + Root + "\\"
             + deepSection.toUtf8() + "]\n\"Deep\"=\"x\"\n",
         {{"", "Early", "absent"},
          {"S", "Good", "string:yes"},
          {"S", "Foreign", "absent"},
          {"S", "Near", "absent"},
          {"S", "Deleted", "absent"},
          {deepSection, "Deep", "absent"}}},
        {"duplicate keys and values",
         KeyS + "\"V\"=\"1\"\n[" + Root + "\\T]\n" + KeyS + "\"v\"=\"2\"\n\"W\"=dword:1\n",
         {{"S", "V", "string:2"}, {"S", "W", "dword:1"}}},
        {"hand-written forms",
         "[hkey_current_user\\software\\quorvane\\book\\s]\r\n  \"A\" = \"x\"\r\n\"B\"=DWORD:0000000A\r\n"
         "\"C\"=hex:01,\\\r\n02,\\\r\n   03\r\n@=\"default\"\r\n\"E\"=hex(2):61,00,00,00\r\n"
         "\"M\"=hex(7):61,00,00,00,00,00\r\n\"D\"=-\r\n",
         {{"S", "A", "string:x"},
          {"S", "B", "dword:10"},
          {"S", "C", "hex:010203"},
          {"S", "", "string:default"},
          {"S", "E", "string:a"},
          {"S", "M", "absent"},
          {"S", "D", "absent"}}},
        {"gigantic lines and values",
         KeyS + QByteArray(8 << 20, 'x') + "\n\"Huge\"=\"" + QByteArray(2 << 20, 'y') + "\"\n\"HugeHex\"=hex:"
             + QByteArray(1 << 20, '1').replace("1", "01,") + "01\n\"Good\"=\"yes\"\n",
         {{"S", "Huge", "absent"}, {"S", "HugeHex", "absent"}, {"S", "Good", "string:yes"}}},
        {"UTF-16LE with byte order mark",
         Utf16LEWithBom(QString::fromUtf8(Header + KeyS + "\"Name\"=\"Grüße\"\r\n")),
         {{"S", "Name", "string:Grüße"}}},
        {"UTF-8 with byte order mark",
         "\xEF\xBB\xBF" + Header + KeyS + "\"Name\"=\"Grüße\"\n",
         {{"S", "Name", "string:Grüße"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        WriteFile(c.file);
        const TSettingsStore store(m_path);
        for (const TExpect& e : c.expected)
            EXPECT_EQ(Describe(store, e.section, e.ident), e.value) << e.ident.toStdString();
        EXPECT_FALSE(store.Modified());
    }
}

TEST_F(SettingsStoreTest, ValuesOverOneMegabyteAreNotReadBack)
{
    auto store = Open();
    store->WriteBinary("S", "Limit", QByteArray(1 << 20, 'a'));
    store->WriteBinary("S", "Over", QByteArray((1 << 20) + 1, 'a'));
    store->WriteString("S", "Small", "x");
    const auto reread = SaveAndReopen(*store);
    EXPECT_EQ(reread->ReadBinary("S", "Limit").size(), 1 << 20);
    EXPECT_FALSE(reread->ValueExists("S", "Over"));
    EXPECT_EQ(reread->ReadString("S", "Small", ""), "x");
}

// --- saving ---

TEST_F(SettingsStoreTest, NothingChangedLeavesTheFileAlone)
{
    // Not in the form the store writes, so any rewrite would show.
    const QByteArray handWritten = KeyS + "\"Name\" = \"x\"\r\n\"Count\"=dword:0000000A\r\n\"On\"=\"1\"\r\n";
    WriteFile(handWritten);
    {
        TSettingsStore store(m_path);
        store.WriteString("s", "name", store.ReadString("S", "Name", ""));
        store.WriteInteger("S", "Count", 10);
        store.WriteBool("S", "On", true);
        EXPECT_FALSE(store.Modified());
        EXPECT_TRUE(store.Save());
    }
    EXPECT_EQ(FileBytes(), handWritten);

    {
        TSettingsStore nothing(m_dir.filePath("new.reg"));
    }
    EXPECT_FALSE(QFile::exists(m_dir.filePath("new.reg")));
}

TEST_F(SettingsStoreTest, SavedFileIsReadableByTheOwnerOnly)
{
    const QFileDevice::Permissions notOwnerOnly =
        QFileDevice::ExeOwner | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    WriteFile(KeyS);
    ASSERT_TRUE(QFile::setPermissions(m_path, QFileDevice::Permissions(0x6666)));  // rw for everyone
    const QString paths[] = {m_path, m_dir.filePath("missing/folder/settings.reg")};
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        TSettingsStore store(path);
        store.WriteString("S", "V", "x");
        ASSERT_TRUE(store.Save());
        const QFileDevice::Permissions permissions = QFile::permissions(path);
        EXPECT_TRUE(permissions.testFlags(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        EXPECT_EQ((permissions & notOwnerOnly).toInt(), 0);
    }
}

TEST_F(SettingsStoreTest, FailedSaveReportsAndKeepsTheValues)
{
    WriteFile("not a folder");
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder"));
    const QString paths[] = {m_path + "/settings.reg", m_dir.filePath("folder")};
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        TSettingsStore store(path);
        store.WriteString("S", "V", "kept");
        QString error;
        EXPECT_FALSE(store.Save(&error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(store.Modified());
        EXPECT_EQ(store.ReadString("S", "V", ""), "kept");
    }
}

TEST_F(SettingsStoreTest, FailedWriteKeepsTheOldFileAndALaterSaveSucceeds)
{
    WriteFile(Header + KeyS + "\"V\"=\"old\"\n");
    const QByteArray before = FileBytes();
    auto store = Open();
    store->WriteString("S", "V", "new");

    TAtomicFile::SetFaultHookForTesting([](qint64) { return false; });
    QString error;
    EXPECT_FALSE(store->Save(&error));
    TAtomicFile::SetFaultHookForTesting({});
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(FileBytes(), before);
    EXPECT_TRUE(store->Modified());

    EXPECT_EQ(SaveAndReopen(*store)->ReadString("S", "V", ""), "new");
}

TEST(SettingsStoreDefaultPath, FollowsTheEnvironmentThenTheConfigFolder)
{
    const QByteArray saved = qgetenv("TOMEKEEP_SETTINGS");
    qputenv("TOMEKEEP_SETTINGS", "/somewhere/else.reg");
    EXPECT_EQ(TSettingsStore::DefaultPath(), "/somewhere/else.reg");
    EXPECT_EQ(TSettingsStore().FilePath(), "/somewhere/else.reg");
    qputenv("TOMEKEEP_SETTINGS", "");
    EXPECT_EQ(TSettingsStore::DefaultPath(),
              QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                  + "/tomekeep/settings.reg");
    qputenv("TOMEKEEP_SETTINGS", saved);
}

}  // namespace

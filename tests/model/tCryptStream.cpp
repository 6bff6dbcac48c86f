#include "model/cCryptStream.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <functional>
#include <limits>

namespace {

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

QByteArray Written(const std::function<void(TValueWriter&)>& write)
{
    QByteArray out;
    TValueWriter writer(out);
    write(writer);
    EXPECT_EQ(writer.Size(), out.size());
    return out;
}

// What a scrambled value looks like when some other key scrambled it.
QByteArray ScrambledWith(const QString& text, const std::array<quint8, 8>& key)
{
    return Written(
        [&](TValueWriter& w) { w.WriteText(Win1252::Decode(ScrambleBytes(Win1252::Encode(text), key))); });
}

QString Hex(const QByteArray& bytes) { return QString::fromLatin1(bytes.toHex(' ')); }

// --- integers ---

TEST(ValueStreamInteger, UsesTheSmallestTagAndReadsBack)
{
    const struct {
        qint32 value;
        QByteArray bytes;
    } cases[] = {
        {0, Bytes({2, 0x00})},
        {-1, Bytes({2, 0xFF})},
        {127, Bytes({2, 0x7F})},
        {-128, Bytes({2, 0x80})},
        {128, Bytes({3, 0x80, 0x00})},
        {-129, Bytes({3, 0x7F, 0xFF})},
        {32767, Bytes({3, 0xFF, 0x7F})},
        {-32768, Bytes({3, 0x00, 0x80})},
        {32768, Bytes({4, 0x00, 0x80, 0x00, 0x00})},
        {-32769, Bytes({4, 0xFF, 0x7F, 0xFF, 0xFF})},
        {std::numeric_limits<qint32>::max(), Bytes({4, 0xFF, 0xFF, 0xFF, 0x7F})},
        {std::numeric_limits<qint32>::min(), Bytes({4, 0x00, 0x00, 0x00, 0x80})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const QByteArray out = Written([&](TValueWriter& w) { w.WriteInteger(c.value); });
        EXPECT_EQ(Hex(out), Hex(c.bytes));
        TValueReader reader(out);
        EXPECT_EQ(reader.ReadInteger(), c.value);
        EXPECT_EQ(reader.Remaining(), 0);
    }
}

// --- texts ---

TEST(ValueStreamText, ChoosesTagByLengthAndCharacters)
{
    const struct {
        QString text;
        QByteArray bytes;
    } cases[] = {
        {QString(), Bytes({6, 0})},
        {QString(255, u'a'), Bytes({6, 0xFF}) + QByteArray(255, 'a')},
        {QString(256, u'a'), Bytes({12, 0x00, 0x01, 0x00, 0x00}) + QByteArray(256, 'a')},
        {QStringLiteral("\u00E9"), Bytes({20, 2, 0, 0, 0, 0xC3, 0xA9})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.size());
        const QByteArray out = Written([&](TValueWriter& w) { w.WriteText(c.text); });
        EXPECT_EQ(Hex(out), Hex(c.bytes));
        TValueReader reader(out);
        EXPECT_EQ(reader.ReadText(), c.text);
        EXPECT_EQ(reader.Remaining(), 0);
    }
}

TEST(ValueStreamText, TextsRoundTripPlainAndScrambled)
{
    const QString texts[] = {
        QString(),
        QStringLiteral("Hello, World"),
        QStringLiteral("Caf\u00E9 \u20AC 5 \u2013 \u0152uvre"),  // Windows-1252 beyond ASCII
        QStringLiteral("Dvo\u0159\u00E1k"),
        QStringLiteral("\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC"),
        QStringLiteral("\u6F22\u5B57\u4EEE\u540D"),
        QStringLiteral("smile \U0001F600"),
        QStringLiteral("\u00EF\u00BB\u00BFlooks like a UTF-8 mark"),
        QStringLiteral("\uFEFFstarts with a byte order mark"),
        QStringLiteral("\u0081\u008D\u008F\u0090\u009D"),  // the code page's undefined bytes
        QString(300, u'\u0159'),
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        const QByteArray out = Written([&](TValueWriter& w) {
            w.WriteText(text);
            w.WriteScrambled(text);
        });
        TValueReader reader(out);
        EXPECT_EQ(reader.ReadText(), text);
        EXPECT_EQ(reader.ReadScrambled(), text);
        EXPECT_EQ(reader.Remaining(), 0);
    }
}

TEST(ValueStreamText, ReadsWideAndCodePageTexts)
{
    const struct {
        QByteArray bytes;
        QString text;
    } cases[] = {
        {Bytes({18, 4, 0, 0, 0, 'D', 0, 0x59, 0x01, 0x3D, 0xD8, 0x00, 0xDE}),
         QStringLiteral("D\u0159\U0001F600")},
        {Bytes({18, 0, 0, 0, 0}), QString()},
        {Bytes({6, 3, 0x80, 0xE9, 0x9F}), QStringLiteral("\u20AC\u00E9\u0178")},
        {Bytes({12, 2, 0, 0, 0, 0x81, 0x93}), QStringLiteral("\u0081\u201C")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Hex(c.bytes).toStdString());
        TValueReader reader(c.bytes);
        EXPECT_EQ(reader.ReadText(), c.text);
        EXPECT_EQ(reader.Remaining(), 0);
    }
}

// --- code page ---

TEST(Win1252, AllBytesMapOneToOne)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString chars = Win1252::Decode(all);
    ASSERT_EQ(chars.size(), 256);
    EXPECT_TRUE(Win1252::CanEncode(chars));
    EXPECT_EQ(Win1252::Encode(chars), all);

    EXPECT_EQ(chars[0x80], QChar(0x20AC));
    EXPECT_EQ(chars[0x8A], QChar(0x0160));
    EXPECT_EQ(chars[0x99], QChar(0x2122));
    EXPECT_EQ(chars[0x9F], QChar(0x0178));
    EXPECT_EQ(chars[0x9D], QChar(0x009D));
    EXPECT_EQ(chars[0xE9], QChar(0x00E9));
}

TEST(Win1252, CharactersWithoutAByteBecomeQuestionMarks)
{
    const QString text = QStringLiteral("a\u0159\u0080\u0100z");  // U+0080 is no Windows-1252 character
    EXPECT_FALSE(Win1252::CanEncode(text));
    EXPECT_EQ(Win1252::Encode(text), QByteArray("a???z"));
}

// --- scrambling ---

TEST(ValueStreamScrambled, EveryByteAtEveryKeyPositionRoundTrips)
{
    for (int b = 0; b < 256; ++b) {
        for (int position = 0; position < 8; ++position) {
            const QString text = QString(position, u'x') + Win1252::Decode(QByteArray(1, char(b)));
            const QByteArray out = Written([&](TValueWriter& w) { w.WriteScrambled(text); });
            TValueReader reader(out);
            ASSERT_EQ(reader.ReadScrambled(), text) << "byte " << b << " at " << position;
        }
    }
}

TEST(ValueStreamScrambled, GoldenBytes)
{
    // The first plain byte meets key[1], the next key[2], and so on.
    ASSERT_EQ(CurrentScrambleKey[1], 0x3C);
    ASSERT_EQ(CurrentScrambleKey[2], 0xE1);
    const struct {
        QString text;
        QByteArray bytes;
    } cases[] = {
        // 'A' ^ 3C = 7D stays ASCII: an ordinary short text.
        {QStringLiteral("A"), Bytes({6, 1, 0x7D})},
        // E9 ^ 3C = D5, the character U+00D5, stored as its UTF-8.
        {QStringLiteral("\u00E9"), Bytes({20, 2, 0, 0, 0, 0xC3, 0x95})},
        // BC ^ 3C = 80, the character U+20AC: the code page's character, not U+0080.
        {QStringLiteral("\u00BC"), Bytes({20, 3, 0, 0, 0, 0xE2, 0x82, 0xAC})},
        // Not in the code page: EF BB BF C5 98 ^ 3C E1 58 92 0B = D3 5A E7 57 93.
        {QStringLiteral("\u0158"),
         Bytes({20, 9, 0, 0, 0, 0xC3, 0x93, 0x5A, 0xC3, 0xA7, 0x57, 0xE2, 0x80, 0x9C})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(Hex(Written([&](TValueWriter& w) { w.WriteScrambled(c.text); })), Hex(c.bytes));
    }
}

TEST(ValueStreamScrambled, FormatVersionPicksTheKey)
{
    const QString text = QStringLiteral("Hello, W\u00F6rld");
    const QByteArray old = ScrambledWith(text, OldScrambleKey);
    const QByteArray current = ScrambledWith(text, CurrentScrambleKey);
    const struct {
        int version;
        const QByteArray& data;
    } cases[] = {{100, old}, {120, old}, {121, current}, {130, current}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        TValueReader reader(c.data);
        reader.SetFormatVersion(c.version);
        EXPECT_EQ(reader.ReadScrambled(), text);
        TValueReader other(&c.data == &old ? current : old);
        other.SetFormatVersion(c.version);
        EXPECT_NE(other.ReadScrambled(), text);
    }
    EXPECT_EQ(TValueReader(current).ReadScrambled(), text);  // the current key without a version
}

TEST(ValueStreamScrambled, ReadsAWideText)
{
    const QString scrambled = Win1252::Decode(ScrambleBytes("Caf\xE9", CurrentScrambleKey));
    QByteArray data = Bytes({18, int(scrambled.size()), 0, 0, 0});
    for (QChar c : scrambled)
        data += Bytes({c.unicode() & 0xFF, c.unicode() >> 8});
    EXPECT_EQ(TValueReader(data).ReadScrambled(), QStringLiteral("Caf\u00E9"));
}

// --- tolerant tags ---

TEST(ValueStreamTags, BooleanLeavesOtherTagsUnread)
{
    const struct {
        QByteArray bytes;
        bool value;
        qint64 position;
    } cases[] = {
        {Bytes({9}), true, 1},
        {Bytes({8}), false, 1},
        {Bytes({2, 5}), false, 0},
        {Bytes({0}), false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Hex(c.bytes).toStdString());
        TValueReader reader(c.bytes);
        EXPECT_EQ(reader.ReadBoolean(), c.value);
        EXPECT_EQ(reader.Position(), c.position);
    }
    const QByteArray integer = Bytes({2, 5});
    TValueReader reader(integer);
    reader.ReadBoolean();
    EXPECT_EQ(reader.ReadInteger(), 5);
}

TEST(ValueStreamTags, FloatAndDateAcceptIntegers)
{
    const struct {
        QByteArray bytes;
        double value;
    } cases[] = {
        {Bytes({2, 0xFE}), -2.0},
        {Bytes({3, 0x10, 0x27}), 10000.0},
        {Bytes({4, 0xA0, 0x86, 0x01, 0x00}), 100000.0},
        {Bytes({19, 0, 0, 0, 0, 0, 1, 0, 0}), 1099511627776.0},
        {Bytes({19, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), -1.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Hex(c.bytes).toStdString());
        EXPECT_EQ(TValueReader(c.bytes).ReadFloat(), c.value);
        EXPECT_EQ(TValueReader(c.bytes).ReadDate(), c.value);
    }
}

TEST(ValueStreamTags, FloatDateBooleanAndListsReadBack)
{
    const QByteArray out = Written([](TValueWriter& w) {
        w.WriteListBegin();
        w.WriteFloat(12.34);
        w.WriteDate(45000.25);
        w.WriteBoolean(true);
        w.WriteBoolean(false);
        w.WriteListEnd();
    });
    EXPECT_EQ(out.at(1), 5);
    EXPECT_EQ(out.at(12), 17);
    TValueReader reader(out);
    reader.ReadListBegin();
    EXPECT_FALSE(reader.EndOfList());
    EXPECT_EQ(reader.ReadFloat(), 12.34);
    EXPECT_EQ(reader.ReadDate(), 45000.25);
    EXPECT_TRUE(reader.ReadBoolean());
    EXPECT_FALSE(reader.ReadBoolean());
    EXPECT_TRUE(reader.EndOfList());
    reader.ReadListEnd();
    EXPECT_THROW(reader.EndOfList(), EStreamRead);  // a list cannot end at the end of the data
    EXPECT_EQ(reader.PeekTag(), -1);
}

TEST(ValueStreamRaw, UntaggedBytesBetweenValues)
{
    const QByteArray bitmap = Bytes({'B', 'M', 0, 1, 2, 0xFF});
    const QByteArray out = Written([&](TValueWriter& w) {
        w.WriteBoolean(true);
        w.WriteRaw(bitmap);
        w.WriteInteger(7);
    });
    TValueReader reader(out);
    ASSERT_TRUE(reader.ReadBoolean());
    EXPECT_EQ(reader.PeekRaw(bitmap.size()), bitmap);
    EXPECT_EQ(reader.Position(), 1);
    reader.Skip(bitmap.size());
    EXPECT_EQ(reader.ReadInteger(), 7);
    reader.SetPosition(1);
    EXPECT_EQ(reader.Remaining(), out.size() - 1);
}

// --- 80-bit extended ---

TEST(Extended, DoublesRoundTripBitForBit)
{
    const double values[] = {0.0,
                             -0.0,
                             1.0,
                             -1.0,
                             0.1,
                             12.34,
                             -98765.4321,
                             1e300,
                             1e-300,
                             std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::min(),
                             std::numeric_limits<double>::denorm_min(),
                             3 * std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::min() / 3,
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN(),
                             -std::numeric_limits<double>::quiet_NaN()};
    for (double v : values) {
        SCOPED_TRACE(v);
        const std::array<quint8, 10> extended = DoubleToExtended(v);
        EXPECT_EQ(std::bit_cast<quint64>(ExtendedToDouble(extended.data())), std::bit_cast<quint64>(v));
    }
}

TEST(Extended, GoldenValues)
{
    const std::array<quint8, 10> one = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
    EXPECT_EQ(DoubleToExtended(1.0), one);

    const struct {
        std::array<quint8, 10> bytes;
        double value;
    } cases[] = {
        // 0.1 with the extended format's 64 bits rounds to the nearest double.
        {{0xCD, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F}, 0.1},
        {{0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0}, -2.5},
        {{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F}, std::numeric_limits<double>::infinity()},
        {{0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC4}, -std::numeric_limits<double>::infinity()},
        {{0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x00}, 0.0},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0x00, 0x00}, 0.0},  // extended denormal
        {{0, 0, 0, 0, 0, 0, 0, 0x40, 0x00, 0x40}, 1.0},           // unnormal: no integer bit
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(ExtendedToDouble(c.bytes.data()), c.value);
    }
    const std::array<quint8, 10> nanLowBitsOnly = {1, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F};
    EXPECT_TRUE(std::isnan(ExtendedToDouble(nanLowBitsOnly.data())));
}

// --- malformed data ---

TEST(ValueStreamMalformed, RaisesReadErrors)
{
    using TRead = std::function<void(TValueReader&)>;
    const TRead integer = [](TValueReader& r) { r.ReadInteger(); };
    const TRead text = [](TValueReader& r) { r.ReadText(); };
    const TRead scrambled = [](TValueReader& r) { r.ReadScrambled(); };
    const TRead real = [](TValueReader& r) { r.ReadFloat(); };
    const TRead date = [](TValueReader& r) { r.ReadDate(); };
    const struct {
        const char* name;
        QByteArray bytes;
        TRead read;
    } cases[] = {
        {"empty integer", QByteArray(), integer},
        {"cut tag 2", Bytes({2}), integer},
        {"cut tag 3", Bytes({3, 0}), integer},
        {"cut tag 4", Bytes({4, 0, 0, 0}), integer},
        {"tag 19 as integer", Bytes({19, 0, 0, 0, 0, 0, 0, 0, 0}), integer},
        {"text as integer", Bytes({6, 0}), integer},
        {"cut tag 5", Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF}), real},
        {"cut tag 6 length", Bytes({6}), text},
        {"cut tag 6", Bytes({6, 3, 'a', 'b'}), text},
        {"cut tag 12 length", Bytes({12, 0, 0}), text},
        {"cut tag 12", Bytes({12, 5, 0, 0, 0, 'a'}), text},
        {"cut tag 17", Bytes({17, 0, 0, 0, 0, 0, 0, 0}), date},
        {"cut tag 18", Bytes({18, 1, 0, 0, 0, 'a'}), text},
        {"cut tag 19", Bytes({19, 0, 0, 0, 0, 0, 0, 0}), date},
        {"cut tag 20", Bytes({20, 3, 0, 0, 0, 'a'}), scrambled},
        {"tag 12 length 0x7FFFFFF0", Bytes({12, 0xF0, 0xFF, 0xFF, 0x7F, 'a'}), text},
        {"tag 20 length 0xFFFFFFFF", Bytes({20, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}), scrambled},
        // 2 x 0x80000001 wraps to 2 in 32 bits, and two bytes follow.
        {"tag 18 count 0x80000001", Bytes({18, 0x01, 0, 0, 0x80, 'a', 0}), text},
        {"unknown tag as integer", Bytes({7}), integer},
        {"unknown tag as text", Bytes({7}), text},
        {"unknown tag as float", Bytes({21}), real},
        {"unknown tag as date", Bytes({10}), date},
        {"integer as text", Bytes({2, 1}), scrambled},
        {"boolean at end", QByteArray(), [](TValueReader& r) { r.ReadBoolean(); }},
        {"list begin", Bytes({0}), [](TValueReader& r) { r.ReadListBegin(); }},
        {"list end", Bytes({1}), [](TValueReader& r) { r.ReadListEnd(); }},
        {"skip too far", Bytes({1, 2}), [](TValueReader& r) { r.Skip(3); }},
        {"peek too far", Bytes({1, 2}), [](TValueReader& r) { r.PeekRaw(3); }},
        {"position before start", Bytes({1}), [](TValueReader& r) { r.SetPosition(-1); }},
        {"position after end", Bytes({1}), [](TValueReader& r) { r.SetPosition(2); }},
    };
    for (const auto& c : cases) {
        TValueReader reader(c.bytes);
        EXPECT_THROW(c.read(reader), EStreamRead) << c.name;
    }
}

}  // namespace

#include "model/cCryptStream.h"

#include <QStringDecoder>
#include <QtEndian>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

namespace Tag {
constexpr int ListEnd = 0;
constexpr int List = 1;
constexpr int Int8 = 2;
constexpr int Int16 = 3;
constexpr int Int32 = 4;
constexpr int Extended = 5;
constexpr int ShortText = 6;
constexpr int False = 8;
constexpr int True = 9;
constexpr int LongText = 12;
constexpr int Date = 17;
constexpr int WideText = 18;
constexpr int Int64 = 19;
constexpr int Utf8Text = 20;
}  // namespace Tag

using TKey = std::array<quint8, 8>;

// Marks scrambled plain bytes that hold UTF-8 because Windows-1252 cannot hold the text.
constexpr QByteArrayView Utf8Bom("\xEF\xBB\xBF");

// Characters of the bytes 0x80 to 0x9F; the rest of the code page equals its character code.
constexpr char16_t HighChars[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr std::array<char16_t, 256> MakeDecodeTable()
{
    std::array<char16_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = b >= 0x80 && b < 0xA0 ? HighChars[b - 0x80] : char16_t(b);
    return table;
}
constexpr std::array<char16_t, 256> DecodeTable = MakeDecodeTable();

// The byte of a character, or -1 when the code page has none.
int ByteOf(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    const auto* found = std::find(std::begin(HighChars), std::end(HighChars), c);
    return found == std::end(HighChars) ? -1 : int(0x80 + (found - HighChars));
}

char EncodeChar(char32_t c)
{
    const int b = ByteOf(c);
    return char(b < 0 ? '?' : b);
}

char EncodeQChar(QChar c) { return EncodeChar(c.unicode()); }

void ScrambleInPlace(char* bytes, qsizetype n, const TKey& key)
{
    for (qsizetype i = 0; i < n; ++i)
        bytes[i] = char(quint8(bytes[i]) ^ key[(i + 1) % 8]);
}

bool IsAscii(QStringView s)
{
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c.unicode() < 0x80; });
}

bool IsAscii(QByteArrayView b)
{
    return std::all_of(b.begin(), b.end(), [](char c) { return quint8(c) < 0x80; });
}

// A Windows-1252 text that happens to start with the marker's three characters goes the UTF-8 way,
// so that reading it back cannot mistake it for marked UTF-8.
QByteArray PlainBytes(QStringView s)
{
    if (Win1252::CanEncode(s)) {
        QByteArray bytes = Win1252::Encode(s);
        if (!bytes.startsWith(Utf8Bom))
            return bytes;
    }
    return Utf8Bom.toByteArray() + s.toUtf8();
}

// QString::fromUtf8 drops a leading U+FEFF, which belongs to the text; only then the slower decoder.
QString Utf8ToString(QByteArrayView utf8)
{
    if (!utf8.startsWith(Utf8Bom))
        return QString::fromUtf8(utf8);
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(utf8);
}

QString Utf16LEToString(QByteArrayView bytes)
{
    QString s(bytes.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < s.size(); ++i)
        s.data()[i] = QChar(qFromLittleEndian<quint16>(bytes.data() + 2 * i));
    return s;
}

// Scrambled texts are mostly stored as UTF-8, so they are taken to Windows-1252 bytes in one pass
// instead of through a QString. For valid UTF-8 the result equals Win1252::Encode of the decoded
// text (a character beyond U+FFFF gives two '?', one for each UTF-16 unit); a malformed byte gives
// one '?'. Writes at most utf8.size() bytes to out and returns how many.
qsizetype Utf8ToWin1252(QByteArrayView utf8, char* out)
{
    const auto* in = reinterpret_cast<const quint8*>(utf8.data());
    const auto* end = in + utf8.size();
    char* const start = out;
    while (in < end) {
        const quint8 lead = *in;
        if (lead < 0x80) {
            *out++ = char(lead);
            ++in;
            continue;
        }
        const int length = lead >= 0xF8 ? 0 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        char32_t c = lead & (0x7F >> length);
        int taken = 1;
        while (taken < length && in + taken < end && (in[taken] & 0xC0) == 0x80)
            c = c << 6 | (in[taken++] & 0x3F);
        if (length == 0 || taken < length) {
            *out++ = '?';
            ++in;
            continue;
        }
        in += length;
        if (length == 4)
            *out++ = '?';
        *out++ = EncodeChar(c);
    }
    return out - start;
}

[[noreturn]] void ThrowUnexpectedTag(int tag)
{
    throw EStreamRead("Unexpected tag " + std::to_string(tag) + " in the value stream");
}

constexpr int DoubleBias = 1023;
constexpr int ExtendedBias = 16383;
constexpr int DenormalScale = 1074;  // a denormal double is its fraction times 2^-1074
constexpr quint64 IntegerBit = quint64(1) << 63;
constexpr quint64 FractionMask = (quint64(1) << 52) - 1;

}  // namespace

QString Win1252::Decode(QByteArrayView bytes)
{
    QString s(bytes.size(), Qt::Uninitialized);
    std::transform(bytes.begin(), bytes.end(), s.data(),
                   [](char b) { return QChar(DecodeTable[quint8(b)]); });
    return s;
}

bool Win1252::CanEncode(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return ByteOf(c.unicode()) >= 0; });
}

QByteArray Win1252::Encode(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    std::transform(text.begin(), text.end(), bytes.data(), EncodeQChar);
    return bytes;
}

std::array<quint8, 10> DoubleToExtended(double v)
{
    const quint64 bits = std::bit_cast<quint64>(v);
    const int exponent = int((bits >> 52) & 0x7FF);
    const quint64 fraction = bits & FractionMask;
    quint64 significand = 0;
    int biased = 0;
    if (exponent == 0x7FF) {  // inf and NaN keep their payload
        biased = 0x7FFF;
        significand = IntegerBit | (fraction << 11);
    } else if (exponent != 0) {
        biased = exponent - DoubleBias + ExtendedBias;
        significand = IntegerBit | (fraction << 11);
    } else if (fraction != 0) {  // a denormal double is a normal extended value
        const int shift = std::countl_zero(fraction);
        significand = fraction << shift;
        biased = ExtendedBias + 63 - DenormalScale - shift;
    }
    const quint16 signAndExponent = quint16((bits >> 63) << 15 | quint16(biased));
    std::array<quint8, 10> out{};
    qToLittleEndian(significand, out.data());
    qToLittleEndian(signAndExponent, out.data() + 8);
    return out;
}

double ExtendedToDouble(const quint8* bytes)
{
    const quint64 significand = qFromLittleEndian<quint64>(bytes);
    const quint16 signAndExponent = qFromLittleEndian<quint16>(bytes + 8);
    const bool negative = signAndExponent >> 15;
    const int exponent = signAndExponent & 0x7FFF;
    if (exponent == 0x7FFF && (significand & ~IntegerBit) != 0) {
        quint64 fraction = (significand >> 11) & FractionMask;
        if (fraction == 0)  // payload only in the bits a double lacks: still a NaN
            fraction = quint64(1) << 51;
        return std::bit_cast<double>(quint64(negative) << 63 | quint64(0x7FF) << 52 | fraction);
    }
    // ldexp rounds, overflows to inf and underflows to 0 by itself; denormal extended values use
    // the smallest exponent.
    const double magnitude = exponent == 0x7FFF
                                 ? std::numeric_limits<double>::infinity()
                                 : std::ldexp(double(significand), std::max(exponent, 1) - ExtendedBias - 63);
    return negative ? -magnitude : magnitude;
}

// Several bytes above 0x7F in each key make scrambled texts regularly take the UTF-8 path.
const std::array<quint8, 8> OldScrambleKey = {0x5A, 0xC3, 0x17, 0x9E, 0x41, 0xB8, 0x2D, 0xF0};
const std::array<quint8, 8> CurrentScrambleKey = {0xA7, 0x3C, 0xE1, 0x58, 0x92, 0x0B, 0xD4, 0x6F};

QByteArray ScrambleBytes(QByteArray bytes, const std::array<quint8, 8>& key)
{
    ScrambleInPlace(bytes.data(), bytes.size(), key);
    return bytes;
}

// --- TValueWriter ---

TValueWriter::TValueWriter(QByteArray& out) : m_out(out) {}

void TValueWriter::WriteTag(int tag) { m_out.append(char(tag)); }

template <typename T>
void TValueWriter::WriteLE(T v)
{
    char bytes[sizeof(T)];
    qToLittleEndian(v, bytes);
    m_out.append(bytes, sizeof(T));
}

void TValueWriter::WriteInteger(qint32 v)
{
    if (v >= std::numeric_limits<qint8>::min() && v <= std::numeric_limits<qint8>::max()) {
        WriteTag(Tag::Int8);
        WriteLE(qint8(v));
    } else if (v >= std::numeric_limits<qint16>::min() && v <= std::numeric_limits<qint16>::max()) {
        WriteTag(Tag::Int16);
        WriteLE(qint16(v));
    } else {
        WriteTag(Tag::Int32);
        WriteLE(v);
    }
}

void TValueWriter::WriteText(const QString& s)
{
    if (IsAscii(s))
        WriteAsciiText(Win1252::Encode(s));
    else
        WriteUtf8Text(s.toUtf8());
}

void TValueWriter::WriteScrambled(const QString& s)
{
    const QByteArray scrambled = ScrambleBytes(PlainBytes(s), CurrentScrambleKey);
    if (IsAscii(scrambled))
        WriteAsciiText(scrambled);
    else
        WriteUtf8Text(Win1252::Decode(scrambled).toUtf8());
}

void TValueWriter::WriteBoolean(bool v) { WriteTag(v ? Tag::True : Tag::False); }

void TValueWriter::WriteFloat(double v)
{
    WriteTag(Tag::Extended);
    const std::array<quint8, 10> extended = DoubleToExtended(v);
    WriteRaw(QByteArrayView(extended.data(), qsizetype(extended.size())));
}

void TValueWriter::WriteDate(double dayNumber)
{
    WriteTag(Tag::Date);
    WriteLE(std::bit_cast<quint64>(dayNumber));
}

void TValueWriter::WriteListBegin() { WriteTag(Tag::List); }

void TValueWriter::WriteListEnd() { WriteTag(Tag::ListEnd); }

void TValueWriter::WriteRaw(QByteArrayView bytes) { m_out.append(bytes); }

qint64 TValueWriter::Size() const { return m_out.size(); }

void TValueWriter::WriteAsciiText(QByteArrayView bytes)
{
    if (bytes.size() <= 255) {
        WriteTag(Tag::ShortText);
        WriteLE(quint8(bytes.size()));
    } else {
        WriteLength32(Tag::LongText, bytes.size());
    }
    m_out.append(bytes);
}

void TValueWriter::WriteUtf8Text(QByteArrayView utf8)
{
    WriteLength32(Tag::Utf8Text, utf8.size());
    m_out.append(utf8);
}

void TValueWriter::WriteLength32(int tag, qsizetype n)
{
    if (quint64(n) > std::numeric_limits<quint32>::max())
        throw EStreamWrite("Text too long for the value stream");
    WriteTag(tag);
    WriteLE(quint32(n));
}

// --- TValueReader ---

TValueReader::TValueReader(QByteArrayView data) : m_data(data) {}

void TValueReader::SetFormatVersion(int version)
{
    m_key = version <= 120 ? &OldScrambleKey : &CurrentScrambleKey;
}

qint32 TValueReader::ReadInteger()
{
    const int tag = ReadTag();
    if (tag == Tag::Int64)
        ThrowUnexpectedTag(tag);
    return qint32(ReadIntegerPayload(tag));
}

QString TValueReader::ReadText()
{
    const TTextValue value = ReadTextValue();
    switch (value.Tag) {
    case Tag::Utf8Text:
        return Utf8ToString(value.Payload);
    case Tag::WideText:
        return Utf16LEToString(value.Payload);
    default:
        return Win1252::Decode(value.Payload);
    }
}

QString TValueReader::ReadScrambled()
{
    const TTextValue value = ReadTextValue();
    if (value.Tag == Tag::Utf8Text) {
        m_plain.resize(value.Payload.size());
        m_plain.resize(Utf8ToWin1252(value.Payload, m_plain.data()));
    } else if (value.Tag == Tag::WideText) {
        const QByteArray bytes = Win1252::Encode(Utf16LEToString(value.Payload));
        m_plain.assign(bytes.begin(), bytes.end());
    } else {
        m_plain.assign(value.Payload.begin(), value.Payload.end());
    }
    ScrambleInPlace(m_plain.data(), qsizetype(m_plain.size()), *m_key);
    const QByteArrayView plain(m_plain.data(), qsizetype(m_plain.size()));
    return plain.startsWith(Utf8Bom) ? Utf8ToString(plain.sliced(Utf8Bom.size())) : Win1252::Decode(plain);
}

bool TValueReader::ReadBoolean()
{
    Need(1);
    const int tag = PeekTag();
    if (tag != Tag::True && tag != Tag::False)
        return false;
    ++m_pos;
    return tag == Tag::True;
}

double TValueReader::ReadFloat()
{
    const int tag = ReadTag();
    if (tag != Tag::Extended)
        return double(ReadIntegerPayload(tag));
    const double v = ExtendedToDouble(reinterpret_cast<const quint8*>(PeekRaw(10).data()));
    m_pos += 10;
    return v;
}

double TValueReader::ReadDate()
{
    const int tag = ReadTag();
    return tag == Tag::Date ? std::bit_cast<double>(ReadLE<quint64>()) : double(ReadIntegerPayload(tag));
}

void TValueReader::ReadListBegin() { ExpectTag(Tag::List); }

bool TValueReader::EndOfList()
{
    // A list that runs into the end of the data is damage, not an empty remainder.
    const int tag = PeekTag();
    if (tag < 0)
        throw EStreamRead("list not terminated");
    return tag == Tag::ListEnd;
}

void TValueReader::ReadListEnd() { ExpectTag(Tag::ListEnd); }

int TValueReader::PeekTag() const { return m_pos < m_data.size() ? quint8(m_data[m_pos]) : -1; }

qint64 TValueReader::Position() const { return m_pos; }

void TValueReader::SetPosition(qint64 pos)
{
    if (pos < 0 || pos > m_data.size())
        throw EStreamRead("Position outside the value stream");
    m_pos = pos;
}

qint64 TValueReader::Remaining() const { return m_data.size() - m_pos; }

QByteArrayView TValueReader::PeekRaw(qint64 n) const
{
    Need(n);
    return m_data.sliced(m_pos, n);
}

void TValueReader::Skip(qint64 n)
{
    Need(n);
    m_pos += n;
}

void TValueReader::Need(qint64 n) const
{
    if (n < 0 || n > Remaining())
        throw EStreamRead("Unexpected end of the value stream");
}

int TValueReader::ReadTag()
{
    Need(1);
    return quint8(m_data[m_pos++]);
}

void TValueReader::ExpectTag(int tag)
{
    const int found = ReadTag();
    if (found != tag)
        ThrowUnexpectedTag(found);
}

template <typename T>
T TValueReader::ReadLE()
{
    Need(sizeof(T));
    const T v = qFromLittleEndian<T>(m_data.data() + m_pos);
    m_pos += sizeof(T);
    return v;
}

qint64 TValueReader::ReadIntegerPayload(int tag)
{
    switch (tag) {
    case Tag::Int8:
        return ReadLE<qint8>();
    case Tag::Int16:
        return ReadLE<qint16>();
    case Tag::Int32:
        return ReadLE<qint32>();
    case Tag::Int64:
        return ReadLE<qint64>();
    default:
        ThrowUnexpectedTag(tag);
    }
}

TValueReader::TTextValue TValueReader::ReadTextValue()
{
    const int tag = ReadTag();
    qint64 size = 0;
    switch (tag) {
    case Tag::ShortText:
        size = ReadLE<quint8>();
        break;
    case Tag::LongText:
    case Tag::Utf8Text:
        size = ReadLE<quint32>();
        break;
    case Tag::WideText:
        size = 2 * qint64(ReadLE<quint32>());
        break;
    default:
        ThrowUnexpectedTag(tag);
    }
    const QByteArrayView payload = PeekRaw(size);
    m_pos += size;
    return {tag, payload};
}

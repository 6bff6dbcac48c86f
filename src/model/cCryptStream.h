#pragma once
// The tagged value stream of the collection file: each value is a one-byte tag and a little-endian
// payload; most texts are stored scrambled with an 8-byte XOR key.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <array>
#include <stdexcept>
#include <vector>

// Error of the value stream: running out of bytes, an unexpected tag, an impossible length.
class EStreamRead : public std::runtime_error {
public:
    using runtime_error::runtime_error;
};
// A value the stream cannot hold (a text longer than a 4-byte length).
class EStreamWrite : public std::runtime_error {
public:
    using runtime_error::runtime_error;
};

// The collection file's code page. The five bytes Windows leaves undefined map to the C1 controls of
// the same value, so bytes and characters correspond one to one.
namespace Win1252 {
QString Decode(QByteArrayView bytes);
bool CanEncode(QStringView text);
QByteArray Encode(QStringView text);  // characters without a byte become '?'
}  // namespace Win1252

// 80-bit IEEE extended (tag 5): 64-bit significand with explicit integer bit, then 15-bit exponent
// and sign, little-endian. Converted bit by bit, so it does not depend on the compiler's long double.
std::array<quint8, 10> DoubleToExtended(double v);
double ExtendedToDouble(const quint8* bytes);  // out of double range gives inf or 0, as IEEE rounding would

extern const std::array<quint8, 8> OldScrambleKey;      // files of format version 120 and below
extern const std::array<quint8, 8> CurrentScrambleKey;  // files above 120; always used for writing
QByteArray ScrambleBytes(QByteArray bytes, const std::array<quint8, 8>& key);  // its own inverse

// Appends tagged values to a byte buffer.
class TValueWriter {
public:
    explicit TValueWriter(QByteArray& out);
    void WriteInteger(qint32 v);  // smallest of tag 2, 3, 4
    void WriteText(const QString& s);
    void WriteScrambled(const QString& s);  // always the current key
    void WriteBoolean(bool v);
    void WriteFloat(double v);
    void WriteDate(double dayNumber);
    void WriteListBegin();
    void WriteListEnd();
    void WriteRaw(QByteArrayView bytes);  // untagged bytes (thumbnail bitmaps)
    qint64 Size() const;

private:
    void WriteTag(int tag);
    template <typename T>
    void WriteLE(T v);
    void WriteAsciiText(QByteArrayView bytes);
    void WriteUtf8Text(QByteArrayView utf8);
    void WriteLength32(int tag, qsizetype n);  // tag and 4-byte length

    QByteArray& m_out;
};

// Reads tagged values from a byte buffer held by the caller. Every read checks the remaining bytes
// before it allocates, so damaged or hostile data gives EStreamRead and nothing worse.
class TValueReader {
public:
    explicit TValueReader(QByteArrayView data);
    explicit TValueReader(QByteArray&&) = delete;  // the reader would outlive its bytes
    void SetFormatVersion(int version);            // picks the scrambling key (default: current)
    qint32 ReadInteger();                          // tags 2, 3, 4
    QString ReadText();                            // tags 6, 12 (Windows-1252), 18 (UTF-16LE), 20 (UTF-8)
    QString ReadScrambled();
    bool ReadBoolean();  // true exactly for tag 9; a tag other than 8 or 9 is left unread; raises at end
    double ReadFloat();  // tag 5, or an integer (tags 2, 3, 4, 19)
    double ReadDate();   // tag 17, or an integer (tags 2, 3, 4, 19) of whole days
    void ReadListBegin();
    bool EndOfList();  // the next tag is 0; the end of the data is a read error
    void ReadListEnd();
    int PeekTag() const;  // -1 at end of data
    qint64 Position() const;
    void SetPosition(qint64 pos);
    qint64 Remaining() const;
    QByteArrayView PeekRaw(qint64 n) const;
    void Skip(qint64 n);

private:
    struct TTextValue {
        int Tag;
        QByteArrayView Payload;  // for tag 18 the 2n bytes of UTF-16LE
    };

    void Need(qint64 n) const;
    int ReadTag();
    void ExpectTag(int tag);
    template <typename T>
    T ReadLE();
    qint64 ReadIntegerPayload(int tag);  // tags 2, 3, 4 and 19
    TTextValue ReadTextValue();

    QByteArrayView m_data;
    qint64 m_pos = 0;
    const std::array<quint8, 8>* m_key = &CurrentScrambleKey;
    // Reused between scrambled texts so that reading one costs one allocation (the result).
    std::vector<char> m_plain;
};

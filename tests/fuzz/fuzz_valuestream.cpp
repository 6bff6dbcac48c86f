// Reads arbitrary bytes as a sequence of tagged values, the way a damaged collection file reaches the
// reader. Besides never crashing, every text and float read must survive being written and read again.
// The first byte picks the format version (and so the key) and which read a text or integer gets.

#include "model/cCryptStream.h"

#include <bit>
#include <cstdint>
#include <cstdlib>

namespace {

void CheckTextRoundTrip(const QString& text, bool scrambled)
{
    if (!text.isValidUtf16())  // a lone surrogate from tag 18 has no UTF-8 form
        return;
    try {
        QByteArray out;
        TValueWriter writer(out);
        scrambled ? writer.WriteScrambled(text) : writer.WriteText(text);
        TValueReader reader(out);
        if ((scrambled ? reader.ReadScrambled() : reader.ReadText()) != text || reader.Remaining() != 0)
            std::abort();
    } catch (const EStreamRead&) {
        std::abort();
    }
}

void CheckFloatRoundTrip(double v)
{
    const std::array<quint8, 10> extended = DoubleToExtended(v);
    if (std::bit_cast<quint64>(ExtendedToDouble(extended.data())) != std::bit_cast<quint64>(v))
        std::abort();
}

void ReadValue(TValueReader& reader, bool alternate)
{
    switch (reader.PeekTag()) {
    case 0:
        reader.ReadListEnd();
        break;
    case 1:
        reader.ReadListBegin();
        reader.EndOfList();
        break;
    case 2:
    case 3:
    case 4:
        alternate ? void(reader.ReadFloat()) : void(reader.ReadInteger());
        break;
    case 5:
        CheckFloatRoundTrip(reader.ReadFloat());
        break;
    case 6:
    case 12:
    case 18:
    case 20:
        CheckTextRoundTrip(alternate ? reader.ReadScrambled() : reader.ReadText(), alternate);
        break;
    case 8:
    case 9:
        reader.ReadBoolean();
        break;
    case 17:
    case 19:
        reader.ReadDate();
        break;
    default:  // raises, like any unexpected tag
        reader.ReadInteger();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    TValueReader reader(QByteArrayView(data + 1, qsizetype(size - 1)));
    reader.SetFormatVersion(data[0] & 1 ? 120 : 130);
    bool alternate = data[0] & 2;
    try {
        while (reader.PeekTag() >= 0) {
            ReadValue(reader, alternate);
            alternate = !alternate;
        }
    } catch (const EStreamRead&) {
    }
    return 0;
}

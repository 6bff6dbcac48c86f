// Decodes arbitrary text the way values of a downloaded page reach the program. Besides never crashing
// or hanging, the result must hold no character XML forbids and, for texts short enough, equal the
// literal passes: each one over the whole text, started again at the front.

#include "model/cCryptStream.h"
#include "online/cOnlineQueryBase.h"

#include <QList>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr qsizetype LiteralLimit = 4000;  // the literal passes take quadratic time

bool IsXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
           || (c >= 0x10000 && c <= 0x10FFFF);
}

std::u32string Character(char32_t code)
{
    if (code <= 0xFF)
        code = Win1252::Decode(QByteArray(1, char(code))).at(0).unicode();
    return IsXmlChar(code) ? std::u32string(1, code) : std::u32string();
}

char32_t EntityCode(std::u32string_view digits)
{
    char32_t code = 0;
    for (char32_t c : digits) {
        if (c < U'0' || c > U'9')
            return U' ';
        code = std::min<char32_t>(code * 10 + (c - U'0'), 0x110000);
    }
    return digits.empty() ? U' ' : code;
}

char32_t PercentCode(std::u32string_view hex)
{
    const auto digit = [](char32_t c) { return c < 128 && std::isxdigit(int(c)); };
    if (hex.size() < 2 || !digit(hex[0]) || !digit(hex[1]))
        return U' ';
    return char32_t(std::stoi(std::string{char(hex[0]), char(hex[1])}, nullptr, 16));
}

void ReplaceAll(std::u32string& s, std::u32string_view from, std::u32string_view to)
{
    for (size_t at = s.find(from); at != std::u32string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
}

std::u32string LiteralPasses(std::u32string s, bool& complete)
{
    complete = true;
    for (;;) {
        ReplaceAll(s, U"&amp;", U"&");
        ReplaceAll(s, U"&lt;", U"<");
        ReplaceAll(s, U"&gt;", U">");
        ReplaceAll(s, U"&quot;", U"\"");
        ReplaceAll(s, U"&nbsp;", U" ");
        const size_t start = s.find(U"&#");
        if (start == std::u32string::npos)
            break;
        const size_t end = s.find(U';', start + 2);
        if (end == std::u32string::npos) {
            complete = false;
            return s;
        }
        s.replace(start, end + 1 - start, Character(EntityCode(s.substr(start + 2, end - start - 2))));
    }
    for (size_t at; (at = s.find(U'%')) != std::u32string::npos;) {
        const std::u32string hex = s.substr(at + 1, 2);
        s.replace(at, 1 + hex.size(), Character(PercentCode(hex)));
    }
    return s;
}

std::u32string XmlCodePoints(const QString& text)
{
    std::u32string points;
    for (char32_t c : text.toUcs4())
        if (IsXmlChar(c))
            points += c;
    return points;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    bool complete = false;
    const QString decoded = DecodeWebText(input, &complete);
    if (!decoded.isValidUtf16() || XmlCodePoints(decoded).size() != decoded.toUcs4().size())
        std::abort();
    if (input.size() <= LiteralLimit) {
        bool literalComplete = false;
        const std::u32string literal = LiteralPasses(XmlCodePoints(input), literalComplete);
        if (decoded != QString::fromUcs4(literal.data(), qsizetype(literal.size()))
            || complete != literalComplete)
            std::abort();
    }
    return 0;
}

// Decoding of the texts the parse scripts hand back, and the ISBN form.

#include "model/cIsbn.h"
#include "model/cXmlUtil.h"
#include "online/cOnlineQueryBase.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <memory>
#include <vector>

static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

struct TCase {
    QString Input, Expected;
};

void ExpectDecodes(const std::vector<TCase>& cases)
{
    for (const auto& c : cases) {
        bool complete = false;
        EXPECT_EQ(DecodeWebText(c.Input, &complete), c.Expected) << "input: " << c.Input.toStdString();
        EXPECT_TRUE(complete) << "input: " << c.Input.toStdString();
    }
}

}  // namespace

TEST(DecodeWebText, DocumentedResults)
{
    ExpectDecodes({
        {"Black &amp; White", "Black & White"},
        {"&#65;BC", "ABC"},
        {"%41BC", "ABC"},
        {"&amp;amp;", "&amp;"},  // named entities go again only in a pass that also found "&#"
        {"&amp;#65;", "A"},
        {"100%25", "100 "},  // the decoded "%" has no digits after it
        {"50% off", "50 ff"},
        {"&lt;b&gt; &quot;x&quot;&nbsp;y", "<b> \"x\" y"},
        {"no entities at all", "no entities at all"},
        {"", ""},
    });
}

TEST(DecodeWebText, CodesThatAreNoNumberGiveASpace)
{
    ExpectDecodes({
        {"a&#;b", "a b"},
        {"a&#x41;b", "a b"},
        {"a&#6 5;b", "a b"},
        {"a%4", "a "},
        {"a%", "a "},
        {"a%zz1", "a 1"},
        {"%%%", " "},
    });
}

// Every pass starts at the front again, so what one replacement produces takes part in later passes,
// and a run of "&amp;" loses one level per pass, however many passes there are.
TEST(DecodeWebText, PassesSeeWhatEarlierPassesProduced)
{
    ExpectDecodes({
        {"&amp;amp;&#65;", "&A"},
        {"&amp;amp;amp;#65;&#66;", "&amp;#65;B"},
        {"&amp;amp;#65;&#66;", "AB"},
        {"&&#35;65;", "A"},       // a decoded "#" after an "&"
        {"&#38;#65;", "A"},       // a decoded "&"
        {"&am&#112;;#65;", "A"},  // a decoded letter completes "&amp;"
        {"&l&#116;;", "<"},
        {"&#38;amp;", "&"},
        {"&#38;#38;#38;", "&"},
        {"%2541", "A"},
        {"%252541", "A"},
        {"&#37;41", "A"},      // entity passes come first
        {"%26amp;", "&amp;"},  // and are not run again
        {"&#6&amp;5;", " "},
    });
}

TEST(DecodeWebText, CodesAboveTheCodePageGiveTheirUnicodeCharacter)
{
    ExpectDecodes({
        {"Tolkien&#8217;s", "Tolkien\u2019s"},
        {"&#8364;", "\u20ac"},
        {"&#128218;", "\U0001F4DA"},
        {"&#233;t&#233;", "\u00e9t\u00e9"},
        {"&#150;", "\u2013"},  // low codes read as the collection's code page, as they always were
        {"%E9t%E9", "\u00e9t\u00e9"},
        {"%80", "\u20ac"},
    });
}

TEST(DecodeWebText, CharactersXmlForbidsAreDropped)
{
    ExpectDecodes({
        {"a&#1;b", "ab"},
        {"a&#0;b", "ab"},
        {"a&#55357;b", "ab"},  // a lone surrogate
        {"a&#65535;b", "ab"},
        {"a&#1114112;b", "ab"},
        {"a&#99999999999999999999;b", "ab"},
        {"a%01b%1F", "ab"},
        {QString("a") + QChar(0x01) + "b" + QChar(0x1F), "ab"},
        {QString("a") + QChar(0xD800) + "b", "ab"},  // an unpaired surrogate
        {"&&#1;amp;", "&"},                          // dropped, so the "&" and "amp;" meet
        {"a&#9;&#10;&#13;b", "a\t\n\rb"},
    });
}

TEST(DecodeWebText, HashWithoutSemicolonStopsDecoding)
{
    const struct {
        QString Input, Expected;
        bool Complete;
    } cases[] = {
        {"AT&#T", "AT&#T", false},
        {"&#38", "&#38", false},
        {"&amp; &#65;&#66 %41", "& A&#66 %41", false},  // what was decoded stays, the rest as it stands
        {"AT&T; &", "AT&T; &", true},
    };
    for (const auto& c : cases) {
        bool complete = !c.Complete;
        EXPECT_EQ(DecodeWebText(c.Input, &complete), c.Expected);
        EXPECT_EQ(complete, c.Complete) << c.Input.toStdString();
    }
    EXPECT_EQ(DecodeWebText("AT&#T"), "AT&#T");  // without asking
}

// A page full of escapes must not take one pass over the whole text per escape.
TEST(DecodeWebText, MegabyteTextsDecodeQuickly)
{
    constexpr int Size = 1 << 20;
    const int chain = 100000;
    const struct {
        QString Input, Expected;
    } cases[] = {
        {QString(Size, u'%'), QString((Size + 2) / 3, u' ')},
        {QString("&#38;").repeated(Size / 5), QString(Size / 5, u'&')},
        {QString("&#65;").repeated(Size / 5), QString(Size / 5, u'A')},
        {QString("%2541").repeated(Size / 5),
         QString(Size / 5, u'A')},  // each "%" decoded from "%25" is read again
        // the "&#65;" at the front appears only in the pass that takes the last "amp;"
        {"&" + QString("amp;").repeated(chain) + "#65;" + QString("&#38;").repeated(chain),
         "A" + QString(chain, u'&')},
    };
    for (const auto& c : cases) {
        QElapsedTimer timer;
        timer.start();
        const QString decoded = DecodeWebText(c.Input);
        EXPECT_LT(timer.elapsed(), 2000) << c.Input.left(20).toStdString();
        EXPECT_TRUE(decoded == c.Expected) << c.Input.left(20).toStdString();  // too long to print
    }
}

TEST(DecodeWebText, ElementTextsOfParsedDocumentsAreDecoded)
{
    const char xml[] = "<book><title>Black &amp;amp; White</title><isbn>%30-306</isbn></book>";
    const std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
        xmlReadMemory(xml, int(sizeof xml - 1), nullptr, nullptr, XML_PARSE_NONET), &xmlFreeDoc);
    ASSERT_TRUE(doc);
    xmlNode* root = xmlDocGetRootElement(doc.get());
    EXPECT_EQ(XmlElementText(root, "title"), "Black & White");
    EXPECT_EQ(XmlElementText(root, "isbn"), "0-306");
}

TEST(NormalizeIsbn, KeepsDigitsAndCheckLetter)
{
    const struct {
        QString Input, Expected;
    } cases[] = {
        {"0-306-40615-x", "030640615X"},
        {"978 0 306 40615 7", "9780306406157"},
        {"ISBN 0-8044-2957-X", "080442957X"},
        {"  ", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NormalizeIsbn(c.Input), c.Expected) << c.Input.toStdString();
}

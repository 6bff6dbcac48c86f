// The six store and library sources end to end: an answer of the service's own format (fixtures under
// fixtures/<source>/) goes through the real scripts into hits, and the first hit's details into a book.

#include "book/cBookData.h"
#include "online/OnlineTestSupport.h"
#include "online/cOnlineQueryBook.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace {

QByteArray Fixture(const QString& name)
{
    return ReadAll(QStringLiteral(TOMEKEEP_RESOURCES_DIR "/../tests/online/fixtures/") + name);
}

struct TBookWant {
    QString Title;
    QStringList Authors;
    QString Publisher, Isbn, Format;
    int Year = 0, Pages = 0;
};

struct TCase {
    std::function<std::unique_ptr<TBookInfoSource>()> Make;
    QString SearchAnswer, DetailsAnswer;  // fixture names
    QByteArray DetailsPrefix;             // request target prefix of the details address
    QStringList Ids;                      // the hits, in order
    QString FirstDescription;
    TBookWant Book;
};

template <class T>
std::unique_ptr<TBookInfoSource> Make()
{
    return std::make_unique<T>();
}

QStringList Names(const TCreditList& credits)
{
    QStringList names;
    for (TDataItem* item : credits)
        names << static_cast<TCreditItem*>(item)->Person->GetDisplayText();
    return names;
}

void ExpectSourceEndToEnd(const TCase& c)
{
    const std::unique_ptr<TBookInfoSource> source = c.Make();
    SCOPED_TRACE(source->Name.toStdString());
    TLoopbackServer server;
    SetSourceSetting(source->Name, "BaseURL", server.BaseURL());
    server.On("/", {200, Fixture(c.SearchAnswer)});
    server.On(c.DetailsPrefix, {200, Fixture(c.DetailsAnswer)});
    QStringList log;
    Prepare(*source, log);

    TQueryMatchList matches;
    TBookSearchCriteria criteria;
    criteria.Title = "Kavalier";
    source->Search(criteria, matches);
    matches.RemoveUnidentified();
    QStringList ids;
    for (const auto& match : matches)
        ids << match->Id;
    ASSERT_EQ(ids, c.Ids) << log.join('\n').toStdString();
    EXPECT_EQ(matches[0].Description, c.FirstDescription);

    auto root = TRootItem::New<TBookRoot>();
    auto* book = static_cast<TBook*>(root->Books().NewItem());
    ASSERT_TRUE(source->ImportDetails(matches[0], *book)) << log.join('\n').toStdString();
    EXPECT_EQ(book->Main().Title, c.Book.Title);
    EXPECT_EQ(Names(book->Main().Credits), c.Book.Authors);
    EXPECT_EQ(book->Publisher ? book->Publisher->GetDisplayText() : QString(), c.Book.Publisher);
    EXPECT_EQ(book->Format ? book->Format->GetDisplayText() : QString(), c.Book.Format);
    EXPECT_EQ(book->PublicationDate.Year ? book->PublicationDate.Year->GetDisplayText().toInt() : 0,
              c.Book.Year);
    EXPECT_EQ(book->Main().PageCount, c.Book.Pages);
    EXPECT_EQ(book->ISBN, c.Book.Isbn);
}

TEST(ClassicSources, AnswersBecomeHitsAndBooks)
{
    TLoCBookInfoSource::Session = QStringLiteral("AB12");
    const QString kavalier = QStringLiteral("The Amazing Adventures of Kavalier & Clay");
    const TCase cases[] = {
        {Make<TAmazonUSBookInfoSource>,
         "amazonus/search.xml",
         "amazonus/details.xml",
         "/onca/xml?v=1.0&t=tomekeep-20&dev-t=D3TKQ7M2X9BOOK&AsinSearch=",
         {"0679450041", "0312282990"},
         kavalier + " / Michael Chabon (2000)",
         {kavalier, {"Michael Chabon"}, "Random House", "0679450041", "Hardcover", 2000, 639}},
        {Make<TAmazonUKBookInfoSource>,
         "amazonuk/search.html",
         "amazonuk/details.html",
         "/exec/obidos/ASIN/",
         {"0007119577", "0747571821"},
         "The Amazing Adventures of Kavalier and Clay / Michael Chabon",
         {"The Amazing Adventures of Kavalier and Clay",
          {"Michael Chabon", "Ann Example"},
          "Fourth Estate",
          "0007119577",
          "Paperback",
          2001,
          656}},
        {Make<TAmazonFRBookInfoSource>,
         "amazonfr/search.html",
         "amazonfr/details.html",
         "/exec/obidos/ASIN/",
         {"2264036555", "0747571821"},
         "Les extraordinaires aventures de Kavalier & Clay / Michael Chabon",
         {"Les extraordinaires aventures de Kavalier & Clay",
          {"Michael Chabon", "Ann Example"},
          "Fourth Estate",
          "2264036555",
          "Broch\u00e9",
          2003,
          656}},
        {Make<TAmazonDEBookInfoSource>,
         "amazonde/search.html",
         "amazonde/details.html",
         "/exec/obidos/ASIN/",
         {"3462032011", "0747571821"},
         "Die unglaublichen Abenteuer von Kavalier & Clay / Michael Chabon",
         {"Die unglaublichen Abenteuer von Kavalier & Clay",
          {"Michael Chabon", "Ann Example"},
          "Fourth Estate",
          "3462032011",
          "Taschenbuch",
          2004,
          656}},
        {Make<TBoeknetBookInfoSource>,
         "boeknet/search.html",
         "boeknet/details.html",
         "/servlet/book?id=",
         {"1045332", "2210987"},
         "De wonderbaarlijke avonturen van Kavalier & Clay / Michael Chabon",
         {"De wonderbaarlijke avonturen van Kavalier & Clay",
          {"Michael Chabon", "Ann Example"},
          "Ambo",
          "9026317697",
          "Paperback",
          2002,
          704}},
        // The second record has no ISBN and so cannot be fetched again.
        {Make<TLoCBookInfoSource>,
         "loc/search.html",
         "loc/search.html",
         "/cgi-bin/zgate?ACTION=SEARCH&ESNAME=F&TERM_1=0679450041",
         {"0679450041"},
         "The amazing adventures of Kavalier and Clay: a novel / Michael Chabon (2000)",
         {"The amazing adventures of Kavalier and Clay",
          {"Michael Chabon"},
          "Random House",
          "0679450041",
          "",
          2000,
          639}},
    };
    for (const TCase& c : cases)
        ExpectSourceEndToEnd(c);
    TLoCBookInfoSource::Session.clear();
}

// A store that answers a search with the page of a single book gives that book as the one hit.
TEST(ClassicSources, ADetailsPageAnswerIsOneHit)
{
    for (const auto& [make, page, id] :
         {std::tuple{&Make<TAmazonUKBookInfoSource>, "amazonuk/details.html", "0007119577"},
          std::tuple{&Make<TBoeknetBookInfoSource>, "boeknet/details.html", "1045332"}}) {
        const std::unique_ptr<TBookInfoSource> source = make();
        TLoopbackServer server;
        SetSourceSetting(source->Name, "BaseURL", server.BaseURL());
        server.On("/", {200, Fixture(page)});
        QStringList log;
        Prepare(*source, log);
        TQueryMatchList matches;
        TBookSearchCriteria criteria;
        criteria.ISBN = "1";
        source->Search(criteria, matches);
        ASSERT_EQ(matches.Count(), 1) << page;
        EXPECT_EQ(matches[0].Id, id);
    }
}

}  // namespace

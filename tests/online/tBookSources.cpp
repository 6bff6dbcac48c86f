// The book sources: their requests byte for byte, page classification, the gateway session, and the
// real recorded answers of the live services run through the real scripts and merged into a book.

#include "book/cBookData.h"
#include "model/cIsbn.h"
#include "online/OnlineTestSupport.h"
#include "online/cOnlineQueryBook.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

TBookSearchCriteria Criteria(const QString& isbn, const QString& title, const QString& author)
{
    TBookSearchCriteria c;
    c.ISBN = isbn;
    c.Title = title;
    c.Author = author;
    return c;
}

// Runs a search against the loopback server and returns the request targets it sent.
QList<QByteArray> Requests(TBookInfoSource& source, const TBookSearchCriteria& criteria)
{
    TLoopbackServer server;
    SetSourceSetting(source.Name, "BaseURL", server.BaseURL());
    QStringList log;
    Prepare(source, log);
    TQueryMatchList matches;
    source.Search(criteria, matches);
    return server.Targets;
}

TEST(BookSources, RequestsCarryTheCriteriaEscaped)
{
    TAmazonUSBookInfoSource us;
    TAmazonUKBookInfoSource uk;
    TBoeknetBookInfoSource boeknet;
    TOpenLibraryBookInfoSource openLibrary;
    TGoogleBooksBookInfoSource google;
    TLoCSruBookInfoSource sru;
    SetSourceSetting(openLibrary.Name, "MinInterval", "0");
    const QByteArray usService = "/onca/xml?v=1.0&t=tomekeep-20&dev-t=D3TKQ7M2X9BOOK&";
    struct TCase {
        TBookInfoSource* Source;
        TBookSearchCriteria Criteria;
        QByteArray Target;
    } cases[] = {
        {&us, Criteria("0679450041", "Night Train", "Amis"),
         usService + "AsinSearch=0679450041&mode=books&type=lite&f=xml"},
        {&us, Criteria("", "Night Train", ""),
         usService + "KeywordSearch=Night%20Train&mode=books&type=lite&f=xml"},
        {&us, Criteria("", "Night Train", "Amis"),
         usService + "KeywordSearch=Amis%20Night%20Train&mode=books&type=lite&f=xml"},
        {&us, Criteria("", "", ""), usService + "KeywordSearch=%20&mode=books&type=lite&f=xml"},
        {&us, Criteria("", "", "Tom & Jerry #2"),
         usService + "AuthorSearch=Tom%20%26%20Jerry%20%232&mode=books&type=lite&f=xml"},
        {&us, Criteria("", "Caf\u00e9", ""), usService + "KeywordSearch=Caf%E9&mode=books&type=lite&f=xml"},
        {&uk, Criteria("", "Night Train", ""),
         "/exec/obidos/search-handle-url/"
         "index=books-uk&rank=+salesrank&tag=tomekeep-21&fqp=title%01Night%20Train"
         "&sz=50&pg=1/ref=s_b_np/"},
        {&uk, Criteria("", "T", "A"),
         "/exec/obidos/search-handle-url/"
         "index=books-uk&rank=+salesrank&tag=tomekeep-21&fqp=author-like%01A%02title%01T"
         "&sz=50&pg=1/ref=s_b_np/"},
        {&boeknet, Criteria("9789023", "Titel", "Auteur"),
         "/servlet/search.MultiArticle?template=shop&searchType=MultiArticle&searchQuery=9789023"},
        {&openLibrary, Criteria("0-679-45004-1", "", ""),
         "/api/books?bibkeys=ISBN:0679450041&format=json&jscmd=data"},
        {&openLibrary, Criteria("", "Caf\u00e9 & Co", ""),
         "/search.json?title=Caf%C3%A9%20%26%20Co&fields=key,title,subtitle,author_name,first_publish_year,"
         "isbn,"
         "edition_key&limit=20"},
        {&google, Criteria("", "Dune", "Herbert"),
         "/volumes?q=inauthor:Herbert%20intitle:Dune&maxResults=20"},
        {&sru, Criteria("", "Night \"Train\"", ""),
         "/?version=1.1&operation=searchRetrieve&query=bath.title%3D%22Night%20Train%22&maximumRecords=20"
         "&recordSchema=marcxml"},
    };
    for (TCase& c : cases)
        EXPECT_EQ(Requests(*c.Source, c.Criteria).join('\n').toStdString(), c.Target.toStdString());
}

TEST(BookSources, DetailsAndViewAddresses)
{
    TAmazonUSBookInfoSource us;
    TBoeknetBookInfoSource boeknet;
    TLoCBookInfoSource loc;
    TGoogleBooksBookInfoSource google;
    for (const TInfosource* source : std::initializer_list<const TInfosource*>{&us, &boeknet, &loc, &google})
        Prefs().Settings().EraseSection(source->SettingsSection());
    SetSourceSetting(us.Name, "BaseURL", "http://ws");
    SetSourceSetting(google.Name, "APIKey", "k&y");
    EXPECT_EQ(us.GetDetailsURL("123&x=1"),
              "http://ws/onca/"
              "xml?v=1.0&t=tomekeep-20&dev-t=D3TKQ7M2X9BOOK&AsinSearch=123%26x%3D1&type=heavy&f=xml");
    EXPECT_EQ(us.GetViewURL("0679450041"), "http://www.amazon.com/exec/obidos/ASIN/0679450041");
    EXPECT_EQ(boeknet.GetViewURL("42"), "http://www.boeknet.nl/servlet/book?id=42");
    EXPECT_EQ(loc.GetViewURL("0679450041"), "");
    EXPECT_EQ(google.GetDetailsURL("Z1s_AQAAIAAJ"),
              "https://www.googleapis.com/books/v1/volumes/Z1s_AQAAIAAJ?key=k%26y");
}

template <class T>
struct TExposed : T {
    using T::Classify;
};

TEST(BookSources, PagesAreClassified)
{
    TExposed<TAmazonUKBookInfoSource> uk;
    TExposed<TAmazonFRBookInfoSource> fr;
    TExposed<TAmazonDEBookInfoSource> de;
    TExposed<TBoeknetBookInfoSource> boeknet;
    TExposed<TLoCBookInfoSource> loc;
    EXPECT_EQ(uk.Classify("Search Results ... At a glance"), pkDetails);
    EXPECT_EQ(uk.Classify("Search Results"), pkResultList);
    EXPECT_EQ(uk.Classify("at a glance"), pkNone);
    EXPECT_EQ(fr.Classify("<title>Amazon.fr&nbsp;: Livres"), pkDetails);
    EXPECT_EQ(fr.Classify("R\xc3\xa9sultats de la recherche"), pkResultList);
    EXPECT_EQ(de.Classify("Suchergebnisse"), pkResultList);
    EXPECT_EQ(de.Classify("Detailseite"), pkDetails);
    EXPECT_EQ(boeknet.Classify("1 t/m 10 article"), pkResultList);
    EXPECT_EQ(boeknet.Classify("article"), pkDetails);
    EXPECT_EQ(boeknet.Classify("t/m"), pkNone);
    EXPECT_EQ(loc.Classify("Query Results"), pkResultList);
}

TEST(BookSources, GatewaySessionIsRenewedOnceWhenExpired)
{
    TLoopbackServer server;
    TLoCBookInfoSource loc;
    SetSourceSetting(loc.Name, "BaseURL", server.BaseURL());
    QStringList log;
    Prepare(loc, log);
    TLoCBookInfoSource::Session = QStringLiteral("OLD123");
    server.On("/cgi-bin/zgate?ACTION=SEARCH", {200, "Your session has expired"});
    server.On("/cgi-bin/zgate?ACTION=INIT", {200, "<form>no session here</form>"});
    TQueryMatchList matches;
    loc.Search(Criteria("0679450041", "", ""), matches);
    ASSERT_EQ(server.Targets.size(), 2);
    EXPECT_EQ(server.Targets[0],
              "/cgi-bin/zgate?ACTION=SEARCH&ESNAME=F&TERM_1=0679450041&USE_1=7&DBNAME=VOYAGER"
              "&MAXRECORDS=50&RECSYNTAX=1.2.840.10003.5.10&SESSION_ID=OLD123");
    EXPECT_EQ(server.Targets[1], "/cgi-bin/zgate?ACTION=INIT&FORM_HOST_PORT=/prod/www/data/z3950/locils.html,"
                                 "z3950.loc.gov,7090");
    EXPECT_EQ(log, QStringList({"Establishing session...", "No session available; search not executed."}));
    EXPECT_TRUE(TLoCBookInfoSource::Session.isEmpty());

    // A fresh session: the search is sent again with it, and the script gets both pages in order.
    log.clear();
    TLoopbackServer second;
    SetSourceSetting(loc.Name, "BaseURL", second.BaseURL());
    second.On("/cgi-bin/zgate?ACTION=INIT", {200, "<INPUT NAME=\"SESSION_ID\" VALUE=\"AB12\">"});
    second.On("/cgi-bin/zgate?ACTION=SEARCH", {200, "Query Results"});
    loc.Search(Criteria("", "T", "A"), matches);
    ASSERT_EQ(second.Targets.size(), 2);
    EXPECT_TRUE(
        second.Targets[1].endsWith("TERM_1=A&USE_1=1003&TERM_2=T&USE_2=4&OPERATOR_2=AND&DBNAME=VOYAGER"
                                   "&MAXRECORDS=50&RECSYNTAX=1.2.840.10003.5.10&SESSION_ID=AB12"));
    EXPECT_EQ(log, QStringList({"Establishing session...", "Session established, searching..."}));
    TLoCBookInfoSource::Session.clear();
}

TEST(BookSources, OpenLibraryIsAskedAtMostOnceASecond)
{
    TLoopbackServer server;
    TOpenLibraryBookInfoSource openLibrary;
    SetSourceSetting(openLibrary.Name, "BaseURL", server.BaseURL());
    SetSourceSetting(openLibrary.Name, "MinInterval", "1000");
    server.On("/search.json", {200, R"({"docs":[]})"});
    QStringList log;
    Prepare(openLibrary, log);
    TQueryMatchList matches;
    openLibrary.Search(Criteria("", "Flatland", ""), matches);
    openLibrary.Search(Criteria("", "Summerland", ""), matches);
    SetSourceSetting(openLibrary.Name, "MinInterval", "0");
    ASSERT_EQ(server.Arrivals.size(), 2);
    // A second between the requests leaving; their arrivals may differ by a little of the server's jitter.
    EXPECT_GE(server.Arrivals[1] - server.Arrivals[0], 980);
}

TEST(BookSources, QuotaAnswerSuggestsAKey)
{
    TLoopbackServer server;
    TGoogleBooksBookInfoSource google;
    SetSourceSetting(google.Name, "BaseURL", server.BaseURL());
    SetSourceSetting(google.Name, "APIKey", "");
    server.On("/volumes", {429, "{}"});
    QStringList log;
    Prepare(google, log);
    TQueryMatchList matches;
    google.Search(Criteria("1", "", ""), matches);
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].contains("API key")) << log[0].toStdString();
}

// ---------------------------------------------------------------------------------------------------
// Real answers

struct TExpected {
    QString Title, Publisher, Isbn;
    QStringList Authors;
    int Year = 0, Pages = 0;
};

QString TestData(const QString& name)
{
    return QString::fromLocal8Bit(qgetenv("TOMEKEEP_TESTDATA")) + '/' + name;
}

#define SKIP_WITHOUT_TESTDATA()                                                                              \
    if (!QFile::exists(TestData(".")))                                                                       \
    GTEST_SKIP() << "the shared test data is absent"

// Searches through `source` with the answer served for every request, imports the first hit and checks the
// book.
void ExpectLookup(TBookInfoSource& source, const QByteArray& answer, const QByteArray& details,
                  const TExpected& want, const std::string& what)
{
    TLoopbackServer server;
    SetSourceSetting(source.Name, "BaseURL", server.BaseURL());
    SetSourceSetting(source.Name, "MinInterval", "0");
    server.On("/", {200, answer});
    server.On("/volumes/", {200, details});
    QStringList log;
    Prepare(source, log);
    TQueryMatchList matches;
    source.Search(Criteria(want.Isbn, want.Isbn.isEmpty() ? want.Title : QString(), ""), matches);
    matches.RemoveUnidentified();
    ASSERT_GE(matches.Count(), 1) << what << log.join('\n').toStdString();
    auto root = TRootItem::New<TBookRoot>();
    auto* book = static_cast<TBook*>(root->Books().NewItem());
    ASSERT_TRUE(source.ImportDetails(matches[0], *book)) << what << log.join('\n').toStdString();
    EXPECT_EQ(book->Main().Title, want.Title) << what;
    QStringList authors;
    for (TDataItem* item : book->Main().Credits)
        authors << static_cast<TCreditItem*>(item)->Person->GetDisplayText();
    EXPECT_EQ(authors, want.Authors) << what;
    EXPECT_EQ(book->Publisher ? book->Publisher->GetDisplayText() : QString(), want.Publisher) << what;
    EXPECT_EQ(book->PublicationDate.Year ? book->PublicationDate.Year->GetDisplayText().toInt() : 0,
              want.Year)
        << what;
    EXPECT_EQ(book->Main().PageCount, want.Pages) << what;
    EXPECT_EQ(NormalizeIsbn(book->ISBN), NormalizeIsbn(want.Isbn)) << what;
}

TEST(RecordedAnswers, OpenLibrary)
{
    SKIP_WITHOUT_TESTDATA();
    const QDir folder(TestData("openlibrary"));
    for (const QString& name : folder.entryList({"api-books_jscmd-data_*.json"})) {
        const QByteArray answer = ReadAll(folder.filePath(name));
        const QJsonObject all = QJsonDocument::fromJson(answer).object();
        if (all.isEmpty())
            continue;
        const QString key = all.keys().first();
        const QJsonObject book = all[key].toObject();
        TExpected want{book["title"].toString(), book["publishers"][0]["name"].toString(), key.mid(5), {}};
        for (const QJsonValue& author : book["authors"].toArray())
            want.Authors << author["name"].toString();
        want.Year = QRegularExpression("\\d{4}").match(book["publish_date"].toString()).captured().toInt();
        want.Pages = book["number_of_pages"].toInt();
        TOpenLibraryBookInfoSource source;
        ExpectLookup(source, answer, answer, want, name.toStdString());
    }
}

TEST(RecordedAnswers, GoogleBooks)
{
    SKIP_WITHOUT_TESTDATA();
    const QDir folder(TestData("googlebooks"));
    for (const QString& name : folder.entryList({"volumes_q-isbn_*.json"})) {
        const QByteArray answer = ReadAll(folder.filePath(name));
        const QJsonArray items = QJsonDocument::fromJson(answer).object()["items"].toArray();
        if (items.isEmpty())
            continue;
        const QJsonObject volume = items[0].toObject();
        const QJsonObject info = volume["volumeInfo"].toObject();
        QString isbn;
        for (const QJsonValue& id : info["industryIdentifiers"].toArray())
            if (id["type"].toString() == "ISBN_13" || (isbn.isEmpty() && id["type"].toString() == "ISBN_10"))
                isbn = id["identifier"].toString();
        if (isbn.isEmpty())
            continue;  // a hit without ISBN cannot be asked for by one
        TExpected want{info["title"].toString(), info["publisher"].toString(), isbn, {}};
        for (const QJsonValue& author : info["authors"].toArray())
            want.Authors << author.toString();
        want.Year = info["publishedDate"].toString().left(4).toInt();
        want.Pages = info["pageCount"].toInt();
        TGoogleBooksBookInfoSource source;
        // The details of a volume have the form of one entry of the list.
        ExpectLookup(source, answer, QJsonDocument(volume).toJson(), want, name.toStdString());
    }
}

TEST(RecordedAnswers, LibraryOfCongressRecords)
{
    SKIP_WITHOUT_TESTDATA();
    const struct {
        const char* File;
        TExpected Want;
    } cases[] = {
        {"lc-sandburg-arithmetic.marcxml.xml",
         {"Arithmetic", "Harcourt Brace Jovanovich", "0152038655", {"Carl Sandburg", "Ted Rand"}, 1993, 0}},
        {"lc-chabon-2-records.marcxml.xml",
         {"The amazing adventures of Kavalier and Clay",
          "Random House",
          "0679450041",
          {"Michael Chabon"},
          2000,
          639}},
        {"lc-summerland.mods.xml",
         {"Summerland",
          "Miramax Books/Hyperion Books for Children",
          "0786808772",
          {"Michael Chabon"},
          2002,
          500}},
        {"ia-flatland.marcxml.xml", {"Flatland", "Seeley and Co.", "", {"Edwin Abbott Abbott"}, 1884, 100}},
        {"sru-searchRetrieve_bath-lccn-54009698_mods.xml",
         {"Elements of radio servicing", "McGraw Hill", "", {"William Marcus", "Alex Levy"}, 1955, 566}},
    };
    for (const auto& c : cases) {
        TLoCSruBookInfoSource source;
        ExpectLookup(source, ReadAll(TestData("loc/") + c.File), QByteArray(), c.Want, c.File);
    }
}

}  // namespace

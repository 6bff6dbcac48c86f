#include "online/cOnlineQueryBook.h"

#include "app/cGatherixPrefs.h"
#include "app/cGlobal.h"
#include "app/cInternetConnection.h"
#include "model/cCryptStream.h"
#include "model/cIsbn.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QUrl>

TSearchKind SearchKindOf(const TBookSearchCriteria& criteria)
{
    if (!criteria.ISBN.isEmpty())
        return TSearchKind::Isbn;
    if (!criteria.Title.isEmpty() && criteria.Author.isEmpty())
        return TSearchKind::Title;
    if (!criteria.Author.isEmpty() && criteria.Title.isEmpty())
        return TSearchKind::Author;
    return TSearchKind::Combined;
}

QString EscapeAnsi(const QString& text)
{
    return QString::fromLatin1(Win1252::Encode(text).toPercentEncoding());
}

QString EscapeUtf8(const QString& text) { return QString::fromLatin1(QUrl::toPercentEncoding(text)); }

// ---------------------------------------------------------------------------------------------------
// Common search steps

void TBookInfoSource::Search(const TSearchCriteria& criteria, TQueryMatchList& matches)
{
    const auto* book = dynamic_cast<const TBookSearchCriteria*>(&criteria);
    if (!book)
        return;
    try {
        const QByteArray page = Fetch(*book);
        ParsePage(Classify(page), page, matches);
    } catch (const std::exception& error) {
        SearchFailed(error, *book);
    }
}

QByteArray TBookInfoSource::Fetch(const TBookSearchCriteria& criteria)
{
    return PreparePageText(Download(SearchURL(criteria)));
}

// ---------------------------------------------------------------------------------------------------
// Amazon's web service (US store)

TAmazonUSBookInfoSource::TAmazonUSBookInfoSource()
    : TBookInfoSource(QStringLiteral("Amazon US"), QStringLiteral("amazonussearch.pl"),
                      QStringLiteral("amazonusdetails.pl"))
{}

QString TAmazonUSBookInfoSource::ServiceQuery() const
{
    return QStringLiteral("v=1.0&t=%1&dev-t=%2")
        .arg(Setting(QStringLiteral("AssociateTag"), QStringLiteral("tomekeep-20")),
             Setting(QStringLiteral("DeveloperToken"), QStringLiteral("D3TKQ7M2X9BOOK")));
}

QString TAmazonUSBookInfoSource::SearchURL(const TBookSearchCriteria& c)
{
    QString search;
    switch (SearchKindOf(c)) {
    case TSearchKind::Isbn:
        search = QStringLiteral("AsinSearch=") + Escape(c.ISBN);
        break;
    case TSearchKind::Title:
        search = QStringLiteral("KeywordSearch=") + Escape(c.Title);
        break;
    case TSearchKind::Author:
        search = QStringLiteral("AuthorSearch=") + Escape(c.Author);
        break;
    case TSearchKind::Combined:
        search =
            QStringLiteral("KeywordSearch=") + Escape(c.Author) + QStringLiteral("%20") + Escape(c.Title);
        break;
    }
    return BaseURL(QStringLiteral("http://xml.amazon.com")) + QStringLiteral("/onca/xml?") + ServiceQuery()
           + QLatin1Char('&') + search + QStringLiteral("&mode=books&type=lite&f=xml");
}

QString TAmazonUSBookInfoSource::GetDetailsURL(const QString& id)
{
    return BaseURL(QStringLiteral("http://xml.amazon.com")) + QStringLiteral("/onca/xml?") + ServiceQuery()
           + QStringLiteral("&AsinSearch=") + Escape(id) + QStringLiteral("&type=heavy&f=xml");
}

QString TAmazonUSBookInfoSource::GetViewURL(const QString& id)
{
    return Setting(QStringLiteral("StoreURL"), QStringLiteral("http://www.amazon.com"))
           + QStringLiteral("/exec/obidos/ASIN/") + Escape(id);
}

// ---------------------------------------------------------------------------------------------------
// Amazon's UK, French and German stores

namespace {

const TAmazonStoreBookInfoSource::TStore UKStore{
    "Amazon UK",   "amazonuk",    "books-uk",      "http://www.amazon.co.uk",
    "tomekeep-21", "At a glance", "Search Results"};
const TAmazonStoreBookInfoSource::TStore FRStore{
    "Amazon France",          "amazonfr",      "books-fr",
    "http://www.amazon.fr",   "tomekeep0e-21", "Amazon.fr&nbsp;: ",
    "sultats de la recherche"};
const TAmazonStoreBookInfoSource::TStore DEStore{"Amazon Deutschland",   "amazonde",      "books-de",
                                                 "http://www.amazon.de", "tomekeep03-21", "Detailseite",
                                                 "Suchergebnisse"};

}  // namespace

TAmazonStoreBookInfoSource::TAmazonStoreBookInfoSource(const TStore& store)
    : TBookInfoSource(QLatin1String(store.Name), QLatin1String(store.Prefix) + QStringLiteral("search.pl"),
                      QLatin1String(store.Prefix) + QStringLiteral("details.pl")),
      Store(store)
{}

TAmazonUKBookInfoSource::TAmazonUKBookInfoSource() : TAmazonStoreBookInfoSource(UKStore) {}
TAmazonFRBookInfoSource::TAmazonFRBookInfoSource() : TAmazonStoreBookInfoSource(FRStore) {}
TAmazonDEBookInfoSource::TAmazonDEBookInfoSource() : TAmazonStoreBookInfoSource(DEStore) {}

QString TAmazonStoreBookInfoSource::SearchURL(const TBookSearchCriteria& c)
{
    // "%01" and "%02" separate the field names from the terms, as the store expects.
    QString query;
    switch (SearchKindOf(c)) {
    case TSearchKind::Isbn:
        query = QStringLiteral("asin%01") + Escape(c.ISBN);
        break;
    case TSearchKind::Title:
        query = QStringLiteral("title%01") + Escape(c.Title);
        break;
    case TSearchKind::Author:
        query = QStringLiteral("author-like%01") + Escape(c.Author);
        break;
    case TSearchKind::Combined:
        query = QStringLiteral("author-like%01") + Escape(c.Author) + QStringLiteral("%02title%01")
                + Escape(c.Title);
        break;
    }
    return BaseURL(QLatin1String(Store.BaseURL)) + QStringLiteral("/exec/obidos/search-handle-url/index=")
           + QLatin1String(Store.Index) + QStringLiteral("&rank=+salesrank&tag=")
           + Setting(QStringLiteral("AffiliateTag"), QLatin1String(Store.AffiliateTag))
           + QStringLiteral("&fqp=") + query + QStringLiteral("&sz=50&pg=1/ref=s_b_np/");
}

TPageKind TAmazonStoreBookInfoSource::Classify(const QByteArray& page) const
{
    if (page.contains(Store.DetailsMarker))
        return pkDetails;
    return page.contains(Store.ListMarker) ? pkResultList : pkNone;
}

QString TAmazonStoreBookInfoSource::GetDetailsURL(const QString& id)
{
    return BaseURL(QLatin1String(Store.BaseURL)) + QStringLiteral("/exec/obidos/ASIN/") + Escape(id);
}

// ---------------------------------------------------------------------------------------------------
// Boeknet

TBoeknetBookInfoSource::TBoeknetBookInfoSource()
    : TBookInfoSource(QStringLiteral("Boeknet"), QStringLiteral("boeknetsearch.pl"),
                      QStringLiteral("boeknetdetails.pl"))
{}

namespace {

QString BoeknetQuery(const TBookSearchCriteria& c)
{
    if (!c.ISBN.isEmpty())
        return c.ISBN;
    return c.Title.isEmpty() ? c.Author : c.Title;
}

const QString BoeknetHome = QStringLiteral("http://www.boeknet.nl");

}  // namespace

QString TBoeknetBookInfoSource::SearchURL(const TBookSearchCriteria& criteria)
{
    return BaseURL(BoeknetHome)
           + QStringLiteral("/servlet/search.MultiArticle?template=shop&searchType=MultiArticle&searchQuery=")
           + Escape(BoeknetQuery(criteria));
}

TPageKind TBoeknetBookInfoSource::Classify(const QByteArray& page) const
{
    if (page.contains(" t/m"))
        return pkResultList;
    return page.contains("article") ? pkDetails : pkNone;
}

void TBoeknetBookInfoSource::SearchFailed(const std::exception& error, const TBookSearchCriteria& criteria)
{
    if (BoeknetQuery(criteria).isEmpty())
        Log(QStringLiteral("Please enter ISBN or title to search for."));
    else
        LogError(error);
}

QString TBoeknetBookInfoSource::GetDetailsURL(const QString& id)
{
    return BaseURL(BoeknetHome) + QStringLiteral("/servlet/book?id=") + Escape(id);
}

// ---------------------------------------------------------------------------------------------------
// Library of Congress, Z39.50 web gateway

QString TLoCBookInfoSource::Session;

TLoCBookInfoSource::TLoCBookInfoSource()
    : TBookInfoSource(QStringLiteral("Library of Congress"), QStringLiteral("locsearch.pl"),
                      QStringLiteral("locdetails.pl"))
{}

QString TLoCBookInfoSource::Gateway() const
{
    return BaseURL(QStringLiteral("http://lcweb.loc.gov")) + QStringLiteral("/cgi-bin/zgate");
}

void TLoCBookInfoSource::OpenSession(QByteArray& received)
{
    Log(QStringLiteral("Establishing session..."));
    try {
        const QByteArray page = Download(
            Gateway() + QStringLiteral("?ACTION=INIT&FORM_HOST_PORT=/prod/www/data/z3950/locils.html,")
            + Setting(QStringLiteral("Z3950Host"), QStringLiteral("z3950.loc.gov"))
            + QStringLiteral(",7090"));
        received += page;
        // Looked for in this page only: an expiry page before it may name the old session.
        const QByteArray prepared = PreparePageText(page);
        static const QByteArray field = "<INPUT NAME=\"SESSION_ID\" VALUE=\"";
        const qsizetype at = prepared.indexOf(field);
        if (at < 0) {
            Log(QStringLiteral("No session available; search not executed."));
            return;
        }
        const QByteArray id = prepared.mid(at + field.size(), 6);
        Session = QString::fromUtf8(id.left(id.indexOf('"') < 0 ? id.size() : id.indexOf('"')));
        Log(QStringLiteral("Session established, searching..."));
    } catch (const std::exception& error) {
        LogError(error);
    }
}

QString TLoCBookInfoSource::SearchURL(const TBookSearchCriteria& c)
{
    QString terms;
    switch (SearchKindOf(c)) {
    case TSearchKind::Isbn:
        terms = QStringLiteral("TERM_1=%1&USE_1=7").arg(Escape(c.ISBN));
        break;
    case TSearchKind::Title:
        terms = QStringLiteral("TERM_1=%1&USE_1=4").arg(Escape(c.Title));
        break;
    case TSearchKind::Author:
        terms = QStringLiteral("TERM_1=%1&USE_1=1003").arg(Escape(c.Author));
        break;
    case TSearchKind::Combined:
        terms = QStringLiteral("TERM_1=%1&USE_1=1003&TERM_2=%2&USE_2=4&OPERATOR_2=AND")
                    .arg(Escape(c.Author), Escape(c.Title));
        break;
    }
    return Gateway() + QStringLiteral("?ACTION=SEARCH&ESNAME=F&") + terms
           + QStringLiteral("&DBNAME=VOYAGER&MAXRECORDS=50&RECSYNTAX=1.2.840.10003.5.10&SESSION_ID=")
           + Escape(Session);
}

QByteArray TLoCBookInfoSource::Fetch(const TBookSearchCriteria& criteria)
{
    // One buffer for the whole search: the scripts get every page of it, in arrival order.
    QByteArray received;
    if (Session.isEmpty())
        OpenSession(received);
    if (Session.isEmpty())
        return PreparePageText(received);
    received += Download(SearchURL(criteria));
    if (PreparePageText(received).contains("Your session has expired")) {
        Session.clear();
        OpenSession(received);
        if (!Session.isEmpty())
            received += Download(SearchURL(criteria));
    }
    return PreparePageText(received);
}

TPageKind TLoCBookInfoSource::Classify(const QByteArray& page) const
{
    return page.contains("Query Results") ? pkResultList : pkNone;
}

QString TLoCBookInfoSource::GetDetailsURL(const QString& id)
{
    return Gateway()
           + QStringLiteral("?ACTION=SEARCH&ESNAME=F&TERM_1=%1&USE_1=7&SESSION_ID=%2")
                 .arg(Escape(id), Escape(Session));
}

// ---------------------------------------------------------------------------------------------------
// Open Library

namespace {

const QString OpenLibraryHome = QStringLiteral("https://openlibrary.org");

// An Open Library edition key ("OL22951843M") rather than an ISBN.
bool IsEditionKey(const QString& id)
{
    return id.startsWith(QStringLiteral("OL")) && id.endsWith(QLatin1Char('M'));
}

}  // namespace

TOpenLibraryBookInfoSource::TOpenLibraryBookInfoSource()
    : TBookInfoSource(QStringLiteral("Open Library"), QStringLiteral("openlibrarysearch.pl"),
                      QStringLiteral("openlibrarydetails.pl"))
{}

QString TOpenLibraryBookInfoSource::BooksURL(const QString& bibkey) const
{
    return BaseURL(OpenLibraryHome) + QStringLiteral("/api/books?bibkeys=") + bibkey
           + QStringLiteral("&format=json&jscmd=data");
}

QString TOpenLibraryBookInfoSource::SearchURL(const TBookSearchCriteria& c)
{
    const QString search = BaseURL(OpenLibraryHome) + QStringLiteral("/search.json?");
    const QString fields =
        QStringLiteral("&fields=key,title,subtitle,author_name,first_publish_year,isbn,edition_key&limit=20");
    switch (SearchKindOf(c)) {
    case TSearchKind::Isbn:
        return BooksURL(QStringLiteral("ISBN:") + Escape(NormalizeIsbn(c.ISBN)));
    case TSearchKind::Title:
        return search + QStringLiteral("title=") + Escape(c.Title) + fields;
    case TSearchKind::Author:
        return search + QStringLiteral("author=") + Escape(c.Author) + fields;
    case TSearchKind::Combined:
        break;
    }
    return search + QStringLiteral("author=%1&title=%2").arg(Escape(c.Author), Escape(c.Title)) + fields;
}

QString TOpenLibraryBookInfoSource::GetDetailsURL(const QString& id)
{
    return BooksURL((IsEditionKey(id) ? QStringLiteral("OLID:") : QStringLiteral("ISBN:")) + Escape(id));
}

QString TOpenLibraryBookInfoSource::GetViewURL(const QString& id)
{
    return BaseURL(OpenLibraryHome)
           + (IsEditionKey(id) ? QStringLiteral("/books/") : QStringLiteral("/isbn/")) + Escape(id);
}

QByteArray TOpenLibraryBookInfoSource::Download(const QString& url)
{
    static QElapsedTimer lastRequest;
    const int interval = Setting(QStringLiteral("MinInterval"), QStringLiteral("1000")).toInt();
    if (lastRequest.isValid() && lastRequest.elapsed() < interval) {
        QEventLoop loop;
        QTimer::singleShot(int(interval - lastRequest.elapsed()), Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
    }
    lastRequest.start();
    THttpClient& client = HttpClient();
    client.ApplyProxy(Prefs().Proxy);
    const QString agent =
        QStringLiteral("Tomekeep/%1 (%2)")
            .arg(VersionText(), Setting(QStringLiteral("Contact"), QStringLiteral("books@quorvane.com")));
    return client.Get(url, {{"User-Agent", agent.toUtf8()}});
}

// ---------------------------------------------------------------------------------------------------
// Google Books

namespace {

const QString GoogleBooksHome = QStringLiteral("https://www.googleapis.com/books/v1");

}  // namespace

TGoogleBooksBookInfoSource::TGoogleBooksBookInfoSource()
    : TBookInfoSource(QStringLiteral("Google Books"), QStringLiteral("googlebookssearch.pl"),
                      QStringLiteral("googlebooksdetails.pl"))
{}

QString TGoogleBooksBookInfoSource::KeyParameter(QChar separator) const
{
    const QString key = Setting(QStringLiteral("APIKey"), QString());
    return key.isEmpty() ? QString() : separator + QStringLiteral("key=") + Escape(key);
}

QString TGoogleBooksBookInfoSource::SearchURL(const TBookSearchCriteria& c)
{
    QString query;
    switch (SearchKindOf(c)) {
    case TSearchKind::Isbn:
        query = QStringLiteral("isbn:") + Escape(NormalizeIsbn(c.ISBN));
        break;
    case TSearchKind::Title:
        query = QStringLiteral("intitle:") + Escape(c.Title);
        break;
    case TSearchKind::Author:
        query = QStringLiteral("inauthor:") + Escape(c.Author);
        break;
    case TSearchKind::Combined:
        query =
            QStringLiteral("inauthor:") + Escape(c.Author) + QStringLiteral("%20intitle:") + Escape(c.Title);
        break;
    }
    return BaseURL(GoogleBooksHome) + QStringLiteral("/volumes?q=") + query + QStringLiteral("&maxResults=20")
           + KeyParameter(QLatin1Char('&'));
}

QString TGoogleBooksBookInfoSource::GetDetailsURL(const QString& id)
{
    return BaseURL(GoogleBooksHome) + QStringLiteral("/volumes/") + Escape(id)
           + KeyParameter(QLatin1Char('?'));
}

QString TGoogleBooksBookInfoSource::GetViewURL(const QString& id)
{
    return QStringLiteral("https://books.google.com/books?id=") + Escape(id);
}

void TGoogleBooksBookInfoSource::LogError(const std::exception& error)
{
    const auto* http = dynamic_cast<const EHttp*>(&error);
    if (http && http->Status == 429)
        Log(QStringLiteral(
                "The daily quota of requests is used up; an API key of your own, entered as \"APIKey\" in "
                "the settings section \"%1\", lifts it.")
                .arg(SettingsSection()));
    else
        TBookInfoSource::LogError(error);
}

// ---------------------------------------------------------------------------------------------------
// Library of Congress, SRU

TLoCSruBookInfoSource::TLoCSruBookInfoSource()
    : TBookInfoSource(QStringLiteral("Library of Congress (SRU)"), QStringLiteral("locsrusearch.pl"),
                      QStringLiteral("locsrudetails.pl"))
{}

namespace {

// A CQL term in quotes; quotes and backslashes in it would end or escape it.
QString CqlTerm(QString text)
{
    return QLatin1Char('"') + text.remove(QLatin1Char('"')).remove(QLatin1Char('\\')) + QLatin1Char('"');
}

}  // namespace

QString TLoCSruBookInfoSource::QueryURL(const QString& cql) const
{
    return BaseURL(QStringLiteral("http://lx2.loc.gov:210/LCDB"))
           + QStringLiteral("?version=1.1&operation=searchRetrieve&query=") + Escape(cql)
           + QStringLiteral("&maximumRecords=20&recordSchema=marcxml");
}

QString TLoCSruBookInfoSource::SearchURL(const TBookSearchCriteria& c)
{
    switch (SearchKindOf(c)) {
    case TSearchKind::Isbn:
        return QueryURL(QStringLiteral("bath.isbn=") + CqlTerm(NormalizeIsbn(c.ISBN)));
    case TSearchKind::Title:
        return QueryURL(QStringLiteral("bath.title=") + CqlTerm(c.Title));
    case TSearchKind::Author:
        return QueryURL(QStringLiteral("bath.author=") + CqlTerm(c.Author));
    case TSearchKind::Combined:
        break;
    }
    return QueryURL(QStringLiteral("bath.author=") + CqlTerm(c.Author) + QStringLiteral(" and bath.title=")
                    + CqlTerm(c.Title));
}

QString TLoCSruBookInfoSource::GetDetailsURL(const QString& id)
{
    // Hits without an ISBN are known by their control number.
    if (id.startsWith(QStringLiteral("lccn:")))
        return QueryURL(QStringLiteral("bath.lccn=") + CqlTerm(id.mid(5)));
    return QueryURL(QStringLiteral("bath.isbn=") + CqlTerm(id));
}

// ---------------------------------------------------------------------------------------------------

std::vector<std::unique_ptr<TBookInfoSource>> CreateBookInfoSources()
{
    std::vector<std::unique_ptr<TBookInfoSource>> sources;
    sources.push_back(std::make_unique<TOpenLibraryBookInfoSource>());
    sources.push_back(std::make_unique<TGoogleBooksBookInfoSource>());
    sources.push_back(std::make_unique<TLoCSruBookInfoSource>());
    sources.push_back(std::make_unique<TAmazonUSBookInfoSource>());
    sources.push_back(std::make_unique<TAmazonUKBookInfoSource>());
    sources.push_back(std::make_unique<TLoCBookInfoSource>());
    sources.push_back(std::make_unique<TAmazonFRBookInfoSource>());
    sources.push_back(std::make_unique<TAmazonDEBookInfoSource>());
    sources.push_back(std::make_unique<TBoeknetBookInfoSource>());
    return sources;
}

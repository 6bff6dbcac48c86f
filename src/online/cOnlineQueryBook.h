#pragma once
// The book sources: where each one sends its searches, how it tells a list of hits from the page of a
// single book, and where the details and the public page of a hit are. Host names, tokens and tags are
// values of the source's settings section, with the defaults below.

#include "online/cOnlineQueryBase.h"

#include <QString>
#include <memory>
#include <vector>

class TBookSearchCriteria : public TSearchCriteria {
public:
    QString Title;
    QString ISBN;
    QString Author;
};

enum class TSearchKind { Isbn, Title, Author, Combined };
// An ISBN wins; a title or an author alone searches for it; anything else searches for both.
TSearchKind SearchKindOf(const TBookSearchCriteria& criteria);

// Percent-encodes all but the unreserved characters, so that no criteria text or hit id can add
// parameters to a request or cut it; a space becomes "%20". The six classic services take the
// collection's code page, the others UTF-8.
QString EscapeAnsi(const QString& text);
QString EscapeUtf8(const QString& text);

class TBookInfoSource : public TInfosource {
public:
    using TInfosource::TInfosource;
    void Search(const TSearchCriteria& criteria, TQueryMatchList& matches) override;

protected:
    virtual QString SearchURL(const TBookSearchCriteria& criteria) = 0;
    // The prepared answer to a search.
    virtual QByteArray Fetch(const TBookSearchCriteria& criteria);
    virtual TPageKind Classify(const QByteArray&) const { return pkResultList; }
    virtual void SearchFailed(const std::exception& error, const TBookSearchCriteria&) { LogError(error); }
    virtual QString Escape(const QString& text) const { return EscapeAnsi(text); }
    QString BaseURL(const QString& def) const { return Setting(QStringLiteral("BaseURL"), def); }
};

class TAmazonUSBookInfoSource : public TBookInfoSource {
public:
    TAmazonUSBookInfoSource();
    QString GetDetailsURL(const QString& id) override;
    QString GetViewURL(const QString& id) override;

protected:
    QString SearchURL(const TBookSearchCriteria& criteria) override;

private:
    QString ServiceQuery() const;  // "v=1.0&t=" tag "&dev-t=" token
};

// The UK, French and German stores' own pages.
class TAmazonStoreBookInfoSource : public TBookInfoSource {
public:
    struct TStore {
        const char* Name;
        const char* Prefix;  // of the script names
        const char* Index;
        const char* BaseURL;
        const char* AffiliateTag;
        const char* DetailsMarker;
        const char* ListMarker;
    };
    explicit TAmazonStoreBookInfoSource(const TStore& store);
    QString GetDetailsURL(const QString& id) override;

protected:
    QString SearchURL(const TBookSearchCriteria& criteria) override;
    TPageKind Classify(const QByteArray& page) const override;

private:
    const TStore& Store;
};

class TAmazonUKBookInfoSource : public TAmazonStoreBookInfoSource {
public:
    TAmazonUKBookInfoSource();
};
class TAmazonFRBookInfoSource : public TAmazonStoreBookInfoSource {
public:
    TAmazonFRBookInfoSource();
};
class TAmazonDEBookInfoSource : public TAmazonStoreBookInfoSource {
public:
    TAmazonDEBookInfoSource();
};

class TBoeknetBookInfoSource : public TBookInfoSource {
public:
    TBoeknetBookInfoSource();
    QString GetDetailsURL(const QString& id) override;

protected:
    QString SearchURL(const TBookSearchCriteria& criteria) override;
    TPageKind Classify(const QByteArray& page) const override;
    void SearchFailed(const std::exception& error, const TBookSearchCriteria& criteria) override;
};

// The library's Z39.50 web gateway, which works in sessions.
class TLoCBookInfoSource : public TBookInfoSource {
public:
    TLoCBookInfoSource();
    QString GetDetailsURL(const QString& id) override;
    QString GetViewURL(const QString&) override { return QString(); }
    // Shared by every instance for the whole run.
    static QString Session;

protected:
    QString SearchURL(const TBookSearchCriteria& criteria) override;
    QByteArray Fetch(const TBookSearchCriteria& criteria) override;
    TPageKind Classify(const QByteArray& page) const override;

private:
    // Asks the gateway for a session; the page is appended to `received`.
    void OpenSession(QByteArray& received);
    QString Gateway() const;
};

class TOpenLibraryBookInfoSource : public TBookInfoSource {
public:
    TOpenLibraryBookInfoSource();
    QString GetDetailsURL(const QString& id) override;
    QString GetViewURL(const QString& id) override;

protected:
    QString SearchURL(const TBookSearchCriteria& criteria) override;
    // The service asks for a User-Agent with a contact address and at most one request a second.
    QByteArray Download(const QString& url) override;
    QString Escape(const QString& text) const override { return EscapeUtf8(text); }

private:
    QString BooksURL(const QString& bibkey) const;
};

class TGoogleBooksBookInfoSource : public TBookInfoSource {
public:
    TGoogleBooksBookInfoSource();
    QString GetDetailsURL(const QString& id) override;
    QString GetViewURL(const QString& id) override;

protected:
    QString SearchURL(const TBookSearchCriteria& criteria) override;
    void LogError(const std::exception& error) override;
    QString Escape(const QString& text) const override { return EscapeUtf8(text); }

private:
    QString KeyParameter(QChar separator) const;
};

// The library's SRU server, answering in MARCXML.
class TLoCSruBookInfoSource : public TBookInfoSource {
public:
    TLoCSruBookInfoSource();
    QString GetDetailsURL(const QString& id) override;
    QString GetViewURL(const QString&) override { return QString(); }

protected:
    QString SearchURL(const TBookSearchCriteria& criteria) override;
    QString Escape(const QString& text) const override { return EscapeUtf8(text); }

private:
    QString QueryURL(const QString& cql) const;
};

// Every book source, in the order the query dialog first lists them.
std::vector<std::unique_ptr<TBookInfoSource>> CreateBookInfoSources();

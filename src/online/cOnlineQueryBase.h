#pragma once
// The online query engine: a source downloads a page, a parse script turns it into a small XML file,
// and the engine reads hits or a book record from it. Knows nothing of any particular source.

#include "model/cXmlDocument.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

class QTemporaryDir;
class TDataItem;
class TSettingsStore;
struct _xmlNode;
typedef struct _xmlNode xmlNode;

// Decodes a text value of a parsed web page. Entity passes come first: each replaces every "&amp;",
// "&lt;", "&gt;", "&quot;" and "&nbsp;", then the first "&#n;", and they repeat while a pass finds an
// "&#". Then "%xx" passes, each replacing the first "%" and the two characters after it (a space when
// those are no hexadecimal byte), until no "%" is left. Every pass starts again at the front, so a
// decoded "&" or "%" takes part in the passes that follow; scripts and stored data rely on these
// results. The work stays linear in the length of the text.
// "&#n;" gives the Windows-1252 character for n up to 255 and the Unicode character above; "%xx" a
// Windows-1252 character. Characters that XML does not allow are dropped, from the input as well.
// An "&#" without a ";" after it stops decoding: the text comes back as the entity passes so far left
// it, "%" escapes included, and *complete (when given) is set false so the caller can report it.
QString DecodeWebText(const QString& text, bool* complete = nullptr);

// An error of a source, logged as "Error occurred: %s".
class EOnlineQuery : public std::runtime_error {
public:
    explicit EOnlineQuery(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// The base of every source's search criteria.
class TSearchCriteria {
public:
    virtual ~TSearchCriteria() = default;
};

class TInfosource;

// One hit of a search.
struct TQueryMatch {
    QString Description;
    QString Id;  // the source's own identifier, handed to GetDetailsURL and GetViewURL
    bool Selected = false;
    TInfosource* Source = nullptr;  // not owned
};

// The hits of one search, in order. Holds them until the caller takes them over.
class TQueryMatchList {
public:
    // Appends the match unless one from the same source with the same Id is listed; true (and the match
    // freed) when it was such a duplicate.
    bool AddUnique(std::unique_ptr<TQueryMatch> match);
    // Drops every match without an Id, keeping the order of the rest.
    void RemoveUnidentified();
    std::vector<std::unique_ptr<TQueryMatch>> TakeAll();

    int Count() const { return int(Items.size()); }
    TQueryMatch& operator[](int i) const { return *Items[size_t(i)]; }
    auto begin() const { return Items.begin(); }
    auto end() const { return Items.end(); }

private:
    std::vector<std::unique_ptr<TQueryMatch>> Items;
};

// What a downloaded answer is.
enum TPageKind { pkNone = 0, pkResultList = 1, pkDetails = 2 };

// The fixed names of the files exchanged with the parse scripts, in their working folder.
extern const char* const SearchResultFile;   // "searchresult.html"
extern const char* const SearchDetailsFile;  // "searchdetails.html"
extern const char* const ParsedResultsFile;  // "parsedresults.xml"
extern const char* const ParsedDetailsFile;  // "parseddetails.xml"

// The received bytes as the scripts get them: lines ended by CR LF, Windows-1252 turned into UTF-8.
QByteArray PreparePageText(const QByteArray& received);

// One online source.
class TInfosource {
public:
    using TLogEvent = std::function<void(TInfosource& source, const QString& message)>;

    TInfosource(const QString& name, const QString& searchScript, const QString& detailsScript);
    virtual ~TInfosource();
    TInfosource(const TInfosource&) = delete;
    TInfosource& operator=(const TInfosource&) = delete;

    QString Name;
    QString SearchScript;  // file name in the script folder
    QString DetailsScript;
    bool Selected = true;
    int Sequence = -1;
    TLogEvent OnLog;
    // Where the parse scripts are: the program folder's "Scripts/" unless set.
    QString ScriptFolder;

    virtual QString GetDetailsURL(const QString& id) = 0;
    // Opened by the View command and stored in imported books; empty when the source has no such page.
    virtual QString GetViewURL(const QString& id) { return GetDetailsURL(id); }
    // Appends the hits for `criteria`; errors are logged, not thrown.
    virtual void Search(const TSearchCriteria& criteria, TQueryMatchList& matches) = 0;
    // Fetches the details of `match` and merges them into `item` without overwriting what it holds.
    // False (and logged) when nothing could be merged.
    bool ImportDetails(const TQueryMatch& match, TDataItem& item);
    // Adds the program's own elements to a parsed details document: the view address as `url`.
    virtual void AddDetailsExtras(const TQueryMatch& match, xmlNode* root);

    // Runs the parse script for `kind` on the prepared page and offers the hits to `matches`.
    void ParsePage(TPageKind kind, const QByteArray& page, TQueryMatchList& matches);
    // What the engine does with a script's output: offers its hits to `matches`, or merges the book
    // record into `item`. Throw EOnlineQuery on output that is no usable document.
    void ReadParsedResults(TPageKind kind, const QByteArray& output, TQueryMatchList& matches);
    void MergeParsedDetails(const TQueryMatch& match, const QByteArray& output, TDataItem& item);
    void Log(const QString& message);
    void LoadSettings(const TSettingsStore& store);
    void SaveSettings(TSettingsStore& store) const;
    QString SettingsSection() const;  // "OnlineQuery\<Name>"

    // The scripts' working folder: set by the owner so that its sources share one; otherwise a private
    // temporary folder of this source.
    void SetWorkFolder(const QString& folder) { FWorkFolder = folder; }
    QString WorkFolder();

protected:
    // A value of this source's settings section, or `def`.
    QString Setting(const QString& ident, const QString& def) const;
    // GET through the shared client with the user's proxy; throws on failure.
    virtual QByteArray Download(const QString& url);
    // Logs "Error occurred: %s".
    virtual void LogError(const std::exception& error);

private:
    // Runs `script` on `page` written as `inputName`; its output, or none when it wrote none. Throws
    // when the script fails or its output cannot be read.
    std::optional<QByteArray> RunScript(const QString& script, const char* inputName, const char* outputName,
                                        const QByteArray& page);
    void ReadMatches(xmlNode* root, TQueryMatchList& matches);
    void ReadDetailsMatch(xmlNode* root, TQueryMatchList& matches);

    QString FWorkFolder;
    std::unique_ptr<QTemporaryDir> FOwnWorkFolder;
};

// The sources of a query, in order (not owned).
class TInfoSourceList : public std::vector<TInfosource*> {
public:
    void LoadSettings(const TSettingsStore& store);
    void SaveSettings(TSettingsStore& store) const;
};

// Downloads a picture to `target`. False when the download fails, is 1024 bytes or smaller, or is no
// GIF, JPEG, PNG or BMP picture. A GIF or JFIF picture gets the extension ".gif" or ".jpg", and
// `target` is changed to match.
bool DownloadFile(const QString& address, QString& target);

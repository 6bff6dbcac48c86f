#pragma once
// The program's one HTTP client, the connection test before the automatic update check, and the
// download and comparison of the version information.

#include <QByteArray>
#include <QList>
#include <QNetworkProxy>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <stdexcept>

class QNetworkReply;
class TProxySettings;

// A request that failed: no connection, a time-out, a stop, or an answer with a bad status.
class EHttp : public std::runtime_error {
public:
    EHttp(const QString& message, int status = 0);
    int Status;  // the HTTP status of the answer; 0 when there was none
};

using THttpHeaders = QList<QPair<QByteArray, QByteArray>>;

class THttpClient {
public:
    QByteArray UserAgent = "Mozilla/3.0 (compatible)";
    QByteArray Accept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
    // A server that accepts the connection and never answers must not hold the program for good.
    int TimeLimit = 60000;                // milliseconds for the whole transfer
    qint64 SizeLimit = 20 * 1024 * 1024;  // bytes; larger answers fail

    // Requests go through the proxy when a server is set, otherwise directly.
    void ApplyProxy(const TProxySettings& settings, QNetworkProxy::ProxyType type = QNetworkProxy::HttpProxy);
    // GET with redirects followed; the event loop keeps running so that Abort can end it. Throws EHttp.
    QByteArray Get(const QString& url, const THttpHeaders& headers = {});
    // Ends the request in progress; its Get throws.
    void Abort();

private:
    QNetworkProxy Proxy{QNetworkProxy::NoProxy};
    QNetworkReply* Current = nullptr;
    bool Aborted = false;
};

// The client the whole program shares.
THttpClient& HttpClient();

// Whether the machine is online, asked before the automatic update check.
class TInternetConnection {
public:
    virtual ~TInternetConnection() = default;
    // Whether the system can tell; false leaves the automatic check undone.
    virtual bool Open();
    // Whether the system reports a connection; without a way to tell, assumed so (the request's time
    // limit covers the rest).
    virtual bool Connected() const;
    virtual void Close();

private:
    bool Opened = false;
};

// Result of an update check.
enum TVersionCheckResult { vcNoInformation = 0, vcSameVersion = 1, vcNewVersion = 2, vcNewBuild = 3 };

// The lines of a downloaded version information file (UTF-8; any line break; empty lines dropped).
QStringList ParseVersionInfo(const QByteArray& answer);

// The address of the version information file; setting "Update"/"VersionInfoURL" overrides it.
QString VersionInfoURL();
// Fills `info` with the name=value lines of the version information file and compares them with this
// program's version and build. Errors give vcNoInformation; LastUpdateCheck becomes today unless the
// download failed or brought something other than version information (a portal's login page). The
// request is held to at most 15 seconds and 64 KB, less when the client's own limits are lower.
int FetchVersionInfo(QStringList& info, THttpClient& client = HttpClient());
// The comparison alone: exact text differences count, an older version on the server too. A list
// without "LatestVersion" is no version information.
int CompareVersionInfo(const QStringList& info, const QString& version, const QString& build);
// The value of `name` in the name=value lines; empty when missing.
QString VersionInfoValue(const QStringList& info, const QString& name);
// Whether the automatic check at start is due.
bool UpdateCheckDue(double today);

// What a link of the version information may point to.
enum class TVersionInfoLink { Web, Mail };
// The address a link of the version information opens, or an empty URL when it must stay plain text.
// Web: absolute http and https addresses with a host only; scripts, local files, shares and relative
// targets are refused. Mail: a plain address (a leading "mailto:" is allowed), opened as "mailto:"
// plus the address, without any of the headers a "?" could add.
QUrl VersionInfoLink(const QString& value, TVersionInfoLink kind);

// Shows the fetched version information and its result to the user.
using TShowVersionInfo = std::function<void(const QStringList& info, int result)>;
// The question asked at start when a newer version or build exists.
QString NewVersionQuestion();
// The automatic check at start: when it is due, the connection test opens and reports a connection, the
// version information is fetched; for a newer version or build the user is asked whether to see more,
// and Yes calls `show`. The connection test is closed in every case. Returns the result of the fetch,
// vcNoInformation when there was none.
int RunStartUpdateCheck(TInternetConnection& connection, const TShowVersionInfo& show,
                        THttpClient& client = HttpClient());

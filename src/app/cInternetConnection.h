#pragma once
// The program's one HTTP client, the connection test before the automatic update check, and the
// download and comparison of the version information.

#include <QByteArray>
#include <QList>
#include <QNetworkProxy>
#include <QPair>
#include <QString>
#include <QStringList>
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
    // Whether the system can tell; false leaves the automatic check undone.
    bool Open();
    // Whether the system reports a connection; without a way to tell, assumed so (the request's time
    // limit covers the rest).
    bool Connected() const;
    void Close();

private:
    bool Opened = false;
};

// Result of an update check.
enum TVersionCheckResult { vcNoInformation = 0, vcSameVersion = 1, vcNewVersion = 2, vcNewBuild = 3 };

// The address of the version information file; setting "Update"/"VersionInfoURL" overrides it.
QString VersionInfoURL();
// Fills `info` with the name=value lines of the version information file and compares them with this
// program's version and build. Errors give vcNoInformation; LastUpdateCheck becomes today unless the
// download failed.
int FetchVersionInfo(QStringList& info, THttpClient& client = HttpClient());
// The comparison alone: exact text differences count, an older version on the server too.
int CompareVersionInfo(const QStringList& info, const QString& version, const QString& build);
// Whether the automatic check at start is due.
bool UpdateCheckDue(double today);

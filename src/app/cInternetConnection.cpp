#include "app/cInternetConnection.h"

#include "app/cGatherixPrefs.h"
#include "app/cGlobal.h"
#include "model/cData.h"
#include "platform/Messenger.h"
#include "platform/SettingsStore.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkInformation>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <utility>

EHttp::EHttp(const QString& message, int status) : std::runtime_error(message.toStdString()), Status(status)
{}

// ---------------------------------------------------------------------------------------------------
// THttpClient

void THttpClient::ApplyProxy(const TProxySettings& settings, QNetworkProxy::ProxyType type)
{
    Proxy = QNetworkProxy(settings.Server.isEmpty() ? QNetworkProxy::NoProxy : type);
    settings.ApplyTo(Proxy);
}

namespace {

constexpr int MaxRedirects = 10;

QNetworkRequest MakeRequest(const QUrl& url, const THttpClient& client, const THttpHeaders& headers)
{
    QNetworkRequest request(url);
    request.setRawHeader("User-Agent", client.UserAgent);
    request.setRawHeader("Accept", client.Accept);
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(MaxRedirects);
    return request;
}

// "404 Not Found" for an answer with a bad status; empty for a good one.
QString StatusError(QNetworkReply& reply)
{
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 400)
        return QString();
    const QString reason = reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    return QStringLiteral("%1 %2").arg(status).arg(reason).trimmed();
}

}  // namespace

QByteArray THttpClient::Get(const QString& url, const THttpHeaders& headers)
{
    const QUrl address = QUrl::fromEncoded(url.toUtf8(), QUrl::StrictMode);
    if (!address.isValid() || (address.scheme() != u"http" && address.scheme() != u"https"))
        throw EHttp(QStringLiteral("Invalid address: %1").arg(url));
    QNetworkAccessManager manager;
    manager.setProxy(Proxy);
    QNetworkReply* reply = manager.get(MakeRequest(address, *this, headers));
    Current = reply;
    Aborted = false;
    QByteArray body;
    QString failure;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, reply, [&] {
        failure = QStringLiteral("The server did not answer in time");
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [&] {
        if (reply->isOpen())
            body += reply->readAll();
        if (body.size() > SizeLimit) {
            failure = QStringLiteral("The answer is too large");
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(TimeLimit);
    if (!reply->isFinished())
        loop.exec();
    if (reply->isOpen())
        body += reply->readAll();
    Current = nullptr;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString statusError = StatusError(*reply);
    const bool failed = reply->error() != QNetworkReply::NoError;
    const QString networkError = reply->errorString();
    delete reply;
    if (Aborted)
        throw EHttp(QStringLiteral("Stopped"));
    if (!failure.isEmpty())
        throw EHttp(failure);
    if (!statusError.isEmpty())
        throw EHttp(statusError, status);
    if (failed)
        throw EHttp(networkError);
    return body;
}

void THttpClient::Abort()
{
    if (!Current)
        return;
    Aborted = true;
    Current->abort();
}

THttpClient& HttpClient()
{
    static THttpClient client;
    return client;
}

// ---------------------------------------------------------------------------------------------------
// TInternetConnection

bool TInternetConnection::Open()
{
    Opened = true;
    QNetworkInformation::loadDefaultBackend();
    return true;
}

bool TInternetConnection::Connected() const
{
    const QNetworkInformation* info = QNetworkInformation::instance();
    if (!Opened || !info || !info->supports(QNetworkInformation::Feature::Reachability))
        return Opened;
    const auto reach = info->reachability();
    return reach == QNetworkInformation::Reachability::Online
           || reach == QNetworkInformation::Reachability::Unknown;
}

void TInternetConnection::Close() { Opened = false; }

// ---------------------------------------------------------------------------------------------------
// Update check

namespace {

const QString UpdateSection = QStringLiteral("Update");
const QString LatestVersionName = QStringLiteral("LatestVersion");
// The version file is small; a captive portal's page or a stalled server must not hold the start.
constexpr int VersionInfoTimeLimit = 15000;
constexpr qint64 VersionInfoSizeLimit = 64 * 1024;

bool HasValue(const QStringList& info, const QString& name)
{
    const QString prefix = name + QLatin1Char('=');
    return std::any_of(info.begin(), info.end(),
                       [&](const QString& line) { return line.startsWith(prefix); });
}

}  // namespace

QStringList ParseVersionInfo(const QByteArray& answer)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return QString::fromUtf8(answer).split(lineBreak, Qt::SkipEmptyParts);
}

QString VersionInfoValue(const QStringList& info, const QString& name)
{
    const QString prefix = name + QLatin1Char('=');
    for (const QString& line : info)
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    return QString();
}

QString VersionInfoURL()
{
    return Prefs().Settings().ReadString(UpdateSection, QStringLiteral("VersionInfoURL"),
                                         MakerWebPage(QStringLiteral("book/versioninfo.txt")));
}

int CompareVersionInfo(const QStringList& info, const QString& version, const QString& build)
{
    if (!HasValue(info, LatestVersionName))
        return vcNoInformation;
    if (VersionInfoValue(info, LatestVersionName) != version)
        return vcNewVersion;
    if (VersionInfoValue(info, QStringLiteral("LatestBuild")) != build)
        return vcNewBuild;
    return vcSameVersion;
}

int FetchVersionInfo(QStringList& info, THttpClient& client)
{
    TBusyCursor busy;
    info.clear();
    client.ApplyProxy(Prefs().Proxy);
    const int timeLimit = std::exchange(client.TimeLimit, std::min(client.TimeLimit, VersionInfoTimeLimit));
    const qint64 sizeLimit =
        std::exchange(client.SizeLimit, std::min(client.SizeLimit, VersionInfoSizeLimit));
    int result = vcNoInformation;
    try {
        info = ParseVersionInfo(client.Get(VersionInfoURL()));
        result = CompareVersionInfo(info, VersionText(), BuildText());
        // Some other page (a portal's login page, an error page sent with a good status) did not come
        // from the version file: the check is tried again at the next start.
        if (!info.isEmpty() && result == vcNoInformation)
            info.clear();
        else
            Prefs().LastUpdateCheck = DateToDayNumber(Now().date());
    } catch (const EHttp&) {
        info.clear();
    }
    client.TimeLimit = timeLimit;
    client.SizeLimit = sizeLimit;
    return result;
}

bool UpdateCheckDue(double today)
{
    const qint32 days = Prefs().NrDaysBetweenUpdateChecks;
    return days != -1 && today - Prefs().LastUpdateCheck >= days;
}

QUrl VersionInfoLink(const QString& value, TVersionInfoLink kind)
{
    const QString text = value.trimmed();
    if (kind == TVersionInfoLink::Mail) {
        static const QRegularExpression plainAddress(
            QStringLiteral("^(?:mailto:)?([A-Za-z0-9._+-]+@[A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?"
                           "(?:\\.[A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?)+)$"),
            QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch match = plainAddress.match(text);
        return match.hasMatch() ? QUrl(QStringLiteral("mailto:") + match.captured(1)) : QUrl();
    }
    const QUrl url(text, QUrl::StrictMode);
    const bool web = url.scheme() == u"http" || url.scheme() == u"https";
    return url.isValid() && web && !url.host().isEmpty() ? url : QUrl();
}

QString NewVersionQuestion()
{
    return QStringLiteral("A newer version of %1 is available, would you like more info about this?")
        .arg(QStringLiteral("Tomekeep"));
}

int RunStartUpdateCheck(TInternetConnection& connection, const TShowVersionInfo& show, THttpClient& client)
{
    if (!UpdateCheckDue(DateToDayNumber(Now().date())))
        return vcNoInformation;
    struct TCloser {
        TInternetConnection& Connection;
        ~TCloser() { Connection.Close(); }
    } closer{connection};
    if (!connection.Open() || !connection.Connected())
        return vcNoInformation;
    QStringList info;
    const int result = FetchVersionInfo(info, client);
    if ((result == vcNewVersion || result == vcNewBuild)
        && Messenger().AskYesNo(NewVersionQuestion()) == TMessageAnswer::Yes)
        show(info, result);
    return result;
}

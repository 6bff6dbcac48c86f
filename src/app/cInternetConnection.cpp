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
// The version file is small; a captive portal's page or a stalled server must not hold the start.
constexpr int VersionInfoTimeLimit = 15000;
constexpr qint64 VersionInfoSizeLimit = 64 * 1024;

QString InfoValue(const QStringList& info, const QString& name)
{
    const QString prefix = name + QLatin1Char('=');
    for (const QString& line : info)
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    return QString();
}

}  // namespace

QString VersionInfoURL()
{
    return Prefs().Settings().ReadString(UpdateSection, QStringLiteral("VersionInfoURL"),
                                         QStringLiteral("https://www.quorvane.com/book/versioninfo.txt"));
}

int CompareVersionInfo(const QStringList& info, const QString& version, const QString& build)
{
    if (info.isEmpty())
        return vcNoInformation;
    if (InfoValue(info, QStringLiteral("LatestVersion")) != version)
        return vcNewVersion;
    if (InfoValue(info, QStringLiteral("LatestBuild")) != build)
        return vcNewBuild;
    return vcSameVersion;
}

int FetchVersionInfo(QStringList& info, THttpClient& client)
{
    TBusyCursor busy;
    info.clear();
    client.ApplyProxy(Prefs().Proxy);
    const int timeLimit = std::exchange(client.TimeLimit, VersionInfoTimeLimit);
    const qint64 sizeLimit = std::exchange(client.SizeLimit, VersionInfoSizeLimit);
    int result = vcNoInformation;
    try {
        const QString text = QString::fromUtf8(client.Get(VersionInfoURL()));
        if (!text.isEmpty())
            info = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")), Qt::SkipEmptyParts);
        result = CompareVersionInfo(info, VersionText(), BuildText());
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

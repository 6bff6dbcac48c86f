#include "app/cProxySettings.h"

#include "platform/SettingsStore.h"

#include <QNetworkProxy>

namespace {

const QString Section = QStringLiteral("Proxy");
const QString DefaultPort = QStringLiteral("8080");

}  // namespace

void TProxySettings::Load(const TSettingsStore& settings)
{
    Server = settings.ReadString(Section, QStringLiteral("Server"), QString());
    if (Server.isEmpty())
        return;
    Port = settings.ReadString(Section, QStringLiteral("Port"), DefaultPort);
    UserID = settings.ReadString(Section, QStringLiteral("UserID"), QString());
    Password = settings.ReadString(Section, QStringLiteral("Password"), QString());
}

void TProxySettings::Save(TSettingsStore& settings) const
{
    settings.WriteString(Section, QStringLiteral("Server"), Server);
    settings.WriteString(Section, QStringLiteral("Port"), Port);
    settings.WriteString(Section, QStringLiteral("UserID"), UserID);
    settings.WriteString(Section, QStringLiteral("Password"), Password);
}

void TProxySettings::ApplyTo(QNetworkProxy& proxy) const
{
    if (Server.isEmpty())
        return;
    bool ok = false;
    const quint16 port = Port.trimmed().toUShort(&ok);
    // A proxy without a type would be ignored; a SOCKS5 proxy chosen by the caller stays one.
    if (proxy.type() == QNetworkProxy::DefaultProxy || proxy.type() == QNetworkProxy::NoProxy)
        proxy.setType(QNetworkProxy::HttpProxy);
    proxy.setHostName(Server);
    proxy.setPort(ok && port != 0 ? port : DefaultPort.toUShort());
    proxy.setUser(UserID);
    proxy.setPassword(Password);
}

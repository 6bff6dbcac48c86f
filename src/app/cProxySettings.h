#pragma once
// The proxy every web request goes through, as the user entered it (section "Proxy").

#include <QString>

class QNetworkProxy;
class TSettingsStore;

class TProxySettings {
public:
    QString Server;
    QString Port;
    QString UserID;
    QString Password;  // kept in clear text, as typed

    // Reads the port and the credentials only when a server is set.
    void Load(const TSettingsStore& settings);
    void Save(TSettingsStore& settings) const;
    // Points `proxy` at the server when one is set; otherwise leaves it alone.
    void ApplyTo(QNetworkProxy& proxy) const;
};

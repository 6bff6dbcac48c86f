#include "app/cInstanceChecker.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

const QByteArray ActivateRequest = "activate\n";

QString UserName()
{
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? qEnvironmentVariable("USERNAME") : user;
}

// Socket names may not hold every character a product or user name can; a digest of both can.
QString SafeName(const QString& name)
{
    const QByteArray digest =
        QCryptographicHash::hash((name + QLatin1Char('/') + UserName()).toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("tomekeep-") + QString::fromLatin1(digest.toHex().left(16));
}

QString LockFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

}  // namespace

TInstanceChecker::TInstanceChecker(const QString& name, QObject* parent)
    : QObject(parent), FServerName(SafeName(name))
{
    connect(&FServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = FServer.nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, &TInstanceChecker::ReadRequest);
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (socket->bytesAvailable() > 0)
                ReadRequest();
        }
    });
}

TInstanceChecker::~TInstanceChecker() = default;

bool TInstanceChecker::IsFirstInstance()
{
    FLock =
        std::make_unique<QLockFile>(LockFolder() + QLatin1Char('/') + FServerName + QStringLiteral(".lock"));
    FLock->setStaleLockTime(0);
    if (!FLock->tryLock(0) && FLock->error() == QLockFile::LockFailedError)
        return false;
    // A socket left behind by a program that crashed would stop the server from listening.
    QLocalServer::removeServer(FServerName);
    FServer.setSocketOptions(QLocalServer::UserAccessOption);
    FServer.listen(FServerName);
    return true;
}

bool TInstanceChecker::ActivateRunningInstance(int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(FServerName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(ActivateRequest);
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return sent;
}

void TInstanceChecker::ReadRequest()
{
    auto* socket = qobject_cast<QLocalSocket*>(sender());
    if (!socket)
        return;
    // Only a complete request counts; anything else on the socket is ignored.
    if (socket->canReadLine() && socket->readLine(64) == ActivateRequest)
        emit ActivationRequested();
}

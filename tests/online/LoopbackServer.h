#pragma once
// A web server on 127.0.0.1 that answers from a table of recorded answers and notes every request line.

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

class TLoopbackServer : public QObject {
public:
    struct TAnswer {
        int Status = 200;
        QByteArray Body;
        bool Stall = false;  // accept the request and never answer
    };

    TLoopbackServer()
    {
        Server.listen(QHostAddress::LocalHost, 0);
        Clock.start();
        connect(&Server, &QTcpServer::newConnection, this, &TLoopbackServer::Accept);
    }

    QString BaseURL() const { return QStringLiteral("http://127.0.0.1:%1").arg(Server.serverPort()); }
    // Answers requests whose target starts with `prefix`; the longest prefix wins. Several answers for one
    // prefix are given in turn, the last one again and again.
    void On(const QByteArray& prefix, const TAnswer& answer) { Answers[prefix] << answer; }
    QList<QByteArray> Targets;  // the request targets, byte for byte
    QList<QByteArray> UserAgents;
    QList<qint64> Arrivals;  // when each request was complete, in ms since the server started

private:
    void Accept()
    {
        while (QTcpSocket* socket = Server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
        }
    }

    void Read(QTcpSocket* socket)
    {
        QByteArray& request = Pending[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QByteArray target = request.split(' ').value(1);
        Targets << target;
        Arrivals << Clock.elapsed();
        for (const QByteArray& line : request.split('\n'))
            if (line.toLower().startsWith("user-agent:"))
                UserAgents << line.mid(11).trimmed();
        Pending.remove(socket);
        const TAnswer answer = Find(target);
        if (answer.Stall)
            return;
        socket->write("HTTP/1.1 " + QByteArray::number(answer.Status)
                      + (answer.Status == 200 ? " OK" : " Failed")
                      + "\r\nContent-Length: " + QByteArray::number(answer.Body.size())
                      + "\r\nConnection: close\r\n\r\n" + answer.Body);
        socket->disconnectFromHost();
    }

    TAnswer Find(const QByteArray& target)
    {
        QByteArray best;
        for (auto it = Answers.begin(); it != Answers.end(); ++it)
            if (target.startsWith(it.key()) && it.key().size() >= best.size())
                best = it.key();
        if (!Answers.contains(best))
            return {404, "not found"};
        QList<TAnswer>& queue = Answers[best];
        return queue.size() > 1 ? queue.takeFirst() : queue.first();
    }

    QTcpServer Server;
    QElapsedTimer Clock;
    QHash<QByteArray, QList<TAnswer>> Answers;
    QHash<QTcpSocket*, QByteArray> Pending;
};

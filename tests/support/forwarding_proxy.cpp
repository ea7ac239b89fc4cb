#include "forwarding_proxy.h"

#include <QTcpSocket>
#include <QUrl>

ForwardingProxy::ForwardingProxy() {
    connect(&m_server, &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket* client = m_server.nextPendingConnection())
            onConnection(client);
    });
    m_server.listen(QHostAddress::LocalHost);
}

QString ForwardingProxy::address() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
}

void ForwardingProxy::onConnection(QTcpSocket* client) {
    client->setParent(this);
    connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    connect(client, &QTcpSocket::readyRead, this, [this, client] {
        if (!client->peek(client->bytesAvailable()).contains("\r\n\r\n"))
            return;
        disconnect(client, &QTcpSocket::readyRead, this, nullptr);
        forward(client, client->readAll());
    });
}

void ForwardingProxy::forward(QTcpSocket* client, const QByteArray& request) {
    QList<QByteArray> lines = request.left(request.indexOf("\r\n\r\n")).split('\n');
    const QList<QByteArray> requestLine = lines.takeFirst().trimmed().split(' ');
    const QUrl target(QString::fromLatin1(requestLine.value(1)));
    if (requestLine.size() != 3 || target.scheme() != u"http" || target.host().isEmpty()) {
        client->write("HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        client->disconnectFromHost();
        return;
    }
    m_forwarded << target.toString();
    QByteArray onward =
        requestLine[0] + ' ' + target.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority) + " HTTP/1.1\r\n";
    for (const QByteArray& line : lines) {
        const QByteArray name = line.left(line.indexOf(':')).trimmed().toLower();
        if (name != "connection" && name != "proxy-connection" && name != "keep-alive")
            onward += line.trimmed() + "\r\n";
    }
    onward += "Connection: close\r\n\r\n";

    auto* upstream = new QTcpSocket(client);
    connect(upstream, &QTcpSocket::connected, upstream, [upstream, onward] { upstream->write(onward); });
    connect(upstream, &QTcpSocket::readyRead, client,
            [upstream, client] { client->write(upstream->readAll()); });
    connect(upstream, &QTcpSocket::disconnected, client, [upstream, client] {
        client->write(upstream->readAll());
        client->disconnectFromHost();
    });
    connect(upstream, &QTcpSocket::errorOccurred, client,
            [upstream, client](QAbstractSocket::SocketError error) {
                if (error != QAbstractSocket::RemoteHostClosedError &&
                    upstream->state() != QAbstractSocket::ConnectedState)
                    client->disconnectFromHost();
            });
    const bool testName = target.host().endsWith(u".test");
    upstream->connectToHost(testName ? QStringLiteral("127.0.0.1") : target.host(), quint16(target.port(80)));
}

SystemProxyOverride::SystemProxyOverride(const ForwardingProxy& proxy) {
    qputenv("http_proxy", proxy.address().toUtf8());
    qunsetenv("no_proxy");
}

SystemProxyOverride::~SystemProxyOverride() {
    m_savedProxy.isNull() ? qunsetenv("http_proxy") : qputenv("http_proxy", m_savedProxy);
    if (!m_savedNoProxy.isNull())
        qputenv("no_proxy", m_savedNoProxy);
}

#pragma once
// A plain HTTP forwarding proxy on 127.0.0.1, on the test's thread: each request in absolute form ("GET
// http://host:port/path HTTP/1.1") is counted and sent on to its host in origin form over a connection of
// its own, and the answer relayed back until the host closes. One request per client connection. Names under
// ".test" (reserved for testing) are served from 127.0.0.1: only a client that goes through the proxy
// reaches them, and no client skips the proxy for them as it may for a local address.

#include <QObject>
#include <QStringList>
#include <QTcpServer>

class ForwardingProxy : public QObject {
    Q_OBJECT
public:
    ForwardingProxy();

    bool isListening() const { return m_server.isListening(); }
    QString address() const;                              // "http://127.0.0.1:<port>", as http_proxy names it
    QStringList forwarded() const { return m_forwarded; } // the absolute addresses, in the order received

private:
    void onConnection(QTcpSocket* client);
    void forward(QTcpSocket* client, const QByteArray& request);

    QTcpServer m_server;
    QStringList m_forwarded;
};

// While it lives, the process's system proxy configuration names `proxy` (http_proxy set, no_proxy unset);
// both come back as they were when it goes.
class SystemProxyOverride {
public:
    explicit SystemProxyOverride(const ForwardingProxy& proxy);
    ~SystemProxyOverride();
    SystemProxyOverride(const SystemProxyOverride&) = delete;
    SystemProxyOverride& operator=(const SystemProxyOverride&) = delete;

private:
    QByteArray m_savedProxy = qgetenv("http_proxy");
    QByteArray m_savedNoProxy = qgetenv("no_proxy");
};

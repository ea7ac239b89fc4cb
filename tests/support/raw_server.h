#pragma once
// A server on 127.0.0.1 that misbehaves as broken or hostile sites do, written on raw sockets since a real
// HTTP library would not: it trickles a page out byte by byte, sends a small gzip body that inflates far
// past any cap, drops or resets the connection before answering, or offers a self-signed certificate.
// It runs on the test's thread: the test's waits turn its event loop.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

class QTcpServer;
class QTcpSocket;

class RawServer : public QObject {
    Q_OBJECT
public:
    enum class Behaviour {
        Trickle,       // the headers, then one body byte every 100 ms, without end
        Gzip,          // the page gzip-compressed
        GzipBomb,      // a gzip body that inflates to 128 MiB of zeros
        CloseOnce,     // the first connection closed once the request is read; then the page
        ResetOnce,     // the first connection reset (RST) once the request is read; then the page
        CloseAlways,   // every connection closed once the request is read
        SelfSignedTls, // TLS with a certificate made for the occasion, signed by itself
    };
    Q_ENUM(Behaviour)
    explicit RawServer(Behaviour behaviour, const QByteArray& page = "<html><a href=\"x.mp3\">x</a></html>");
    ~RawServer() override;

    bool isListening() const;
    QString error() const { return m_error; } // why it is not listening
    QString url(const QString& target) const; // "http(s)://127.0.0.1:<port>" + target
    int connections() const { return m_connections; }

private:
    void onConnection(QTcpSocket* socket);
    void answer(QTcpSocket* socket);

    Behaviour m_behaviour;
    QByteArray m_page;
    std::unique_ptr<QTcpServer> m_server;
    QString m_error;
    int m_connections = 0;
};

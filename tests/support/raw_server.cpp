#include "raw_server.h"

#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/socket.h>
#include <zlib.h>

namespace {

// `data` as a gzip stream, or `zeros` zero bytes when data is empty.
QByteArray gzip(const QByteArray& data, qint64 zeros = 0) {
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    const QByteArray zeroChunk(1 << 20, '\0');
    QByteArray out;
    char buffer[1 << 16];
    const auto pump = [&](const QByteArray& in, int flush) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
        stream.avail_in = uInt(in.size());
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, flush);
            out.append(buffer, qsizetype(sizeof buffer - stream.avail_out));
        } while (stream.avail_out == 0);
    };
    if (!data.isEmpty())
        pump(data, Z_NO_FLUSH);
    for (qint64 left = zeros; left > 0; left -= zeroChunk.size())
        pump(zeroChunk.left(qsizetype(std::min<qint64>(left, zeroChunk.size()))), Z_NO_FLUSH);
    pump({}, Z_FINISH);
    deflateEnd(&stream);
    return out;
}

QByteArray headers(qint64 length, const QByteArray& extra = {}) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + QByteArray::number(length) +
           "\r\nConnection: close\r\n" + extra + "\r\n";
}

// A key and a certificate for 127.0.0.1 from the openssl command; empty on failure.
std::pair<QSslKey, QSslCertificate> selfSigned(QString& error) {
    QTemporaryDir dir;
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                   "-days", "1", "-subj", "/CN=127.0.0.1", "-keyout", dir.filePath("key.pem"), "-out",
                   dir.filePath("cert.pem")});
    if (!openssl.waitForFinished(20000) || openssl.exitCode() != 0) {
        error = QStringLiteral("openssl: ") + openssl.errorString() +
                QString::fromLocal8Bit(openssl.readAllStandardError());
        return std::pair<QSslKey, QSslCertificate>();
    }
    QFile keyFile(dir.filePath("key.pem")), certFile(dir.filePath("cert.pem"));
    if (!keyFile.open(QIODevice::ReadOnly) || !certFile.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("openssl wrote no key or certificate");
        return std::pair<QSslKey, QSslCertificate>();
    }
    return {QSslKey(keyFile.readAll(), QSsl::Ec), QSslCertificate(certFile.readAll())};
}

} // namespace

RawServer::RawServer(Behaviour behaviour, const QByteArray& page) : m_behaviour(behaviour), m_page(page) {
    if (behaviour == Behaviour::SelfSignedTls) {
        const auto [key, certificate] = selfSigned(m_error);
        if (key.isNull() || certificate.isNull()) {
            if (m_error.isEmpty())
                m_error = QStringLiteral("the key or certificate cannot be read");
            return;
        }
        auto server = std::make_unique<QSslServer>();
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setPrivateKey(key);
        tls.setLocalCertificate(certificate);
        tls.setPeerVerifyMode(QSslSocket::VerifyNone);
        server->setSslConfiguration(tls);
        connect(server.get(), &QSslServer::startedEncryptionHandshake, this, [this] { ++m_connections; });
        m_server = std::move(server);
    } else {
        m_server = std::make_unique<QTcpServer>();
    }
    connect(m_server.get(), &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket* socket = m_server->nextPendingConnection())
            onConnection(socket);
    });
    if (!m_server->listen(QHostAddress::LocalHost))
        m_error = m_server->errorString();
}

RawServer::~RawServer() = default;

bool RawServer::isListening() const {
    return m_server && m_server->isListening();
}

QString RawServer::url(const QString& target) const {
    return QStringLiteral("%1://127.0.0.1:%2%3")
        .arg(m_behaviour == Behaviour::SelfSignedTls ? "https" : "http")
        .arg(m_server ? m_server->serverPort() : 0)
        .arg(target);
}

void RawServer::onConnection(QTcpSocket* socket) {
    if (m_behaviour != Behaviour::SelfSignedTls) // counted as its handshake starts
        ++m_connections;
    socket->setParent(this);
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
        // The request is read whole (it has no body) before anything is answered.
        if (!socket->peek(socket->bytesAvailable()).contains("\r\n\r\n"))
            return;
        socket->readAll();
        disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
        answer(socket);
    });
}

void RawServer::answer(QTcpSocket* socket) {
    const bool first = m_connections == 1;
    switch (m_behaviour) {
    case Behaviour::CloseAlways:
    case Behaviour::CloseOnce:
    case Behaviour::ResetOnce:
        if (m_behaviour == Behaviour::CloseAlways || first) {
            if (m_behaviour == Behaviour::ResetOnce) {
                const linger reset{1, 0}; // closing then sends RST rather than FIN
                setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
                socket->abort();
            } else {
                socket->disconnectFromHost();
            }
            return;
        }
        break;
    case Behaviour::Trickle: {
        socket->write(headers(1024 * 1024));
        auto* timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket, [socket] { socket->write(" "); });
        timer->start(100);
        return;
    }
    case Behaviour::Gzip:
    case Behaviour::GzipBomb: {
        const QByteArray body = m_behaviour == Behaviour::Gzip ? gzip(m_page) : gzip({}, 128 << 20);
        socket->write(headers(body.size(), "Content-Encoding: gzip\r\n") + body);
        socket->disconnectFromHost();
        return;
    }
    case Behaviour::SelfSignedTls:
        break;
    }
    socket->write(headers(m_page.size()) + m_page);
    socket->disconnectFromHost();
}

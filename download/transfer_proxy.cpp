#include "transfer_proxy.h"

#include <QUrl>

namespace vorlane::download {

QNetworkProxy transferProxy(const QUrl& address) {
    const QList<QNetworkProxy> proxies =
        QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(address));
    if (!proxies.isEmpty() && proxies.first().type() == QNetworkProxy::HttpProxy)
        return proxies.first();
    return QNetworkProxy(QNetworkProxy::NoProxy);
}

QString aria2ProxyAddress(const QNetworkProxy& proxy) {
    if (proxy.type() != QNetworkProxy::HttpProxy || proxy.hostName().isEmpty())
        return {};
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(proxy.hostName());
    url.setPort(proxy.port());
    url.setUserName(proxy.user());
    url.setPassword(proxy.password());
    return url.toString(QUrl::FullyEncoded);
}

} // namespace vorlane::download

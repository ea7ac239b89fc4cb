#include "crawl_policy_settings.h"

#include <QCoreApplication>
#include <QSettings>

namespace {

QSettings open() {
    return QSettings(QStringLiteral("Vorlane"), QStringLiteral("Vorlane"));
}

bool readBool(const QSettings& settings, const QString& key, bool fallback) {
    const QString text = settings.value(key).toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("0"))
        return false;
    return fallback;
}

int readInt(const QSettings& settings, const QString& key, int fallback) {
    bool ok = false;
    const int value = settings.value(key).toString().trimmed().toInt(&ok);
    return ok ? value : fallback;
}

} // namespace

CrawlPolicy LoadCrawlPolicy() {
    QSettings settings = open();
    settings.beginGroup(QStringLiteral("Crawling"));
    CrawlPolicy policy;
    policy.sameSiteOnly = readBool(settings, QStringLiteral("SameSite"), policy.sameSiteOnly);
    policy.obeyRobots = readBool(settings, QStringLiteral("ObeyRobots"), policy.obeyRobots);
    policy.maxPerHost = readInt(settings, QStringLiteral("MaxPerHost"), policy.maxPerHost);
    policy.delayMsPerHost = readInt(settings, QStringLiteral("HostDelayMs"), policy.delayMsPerHost);
    policy.honourRetryAfter = readBool(settings, QStringLiteral("RetryAfter"), policy.honourRetryAfter);
    return policy.clamped();
}

QString SaveCrawlPolicy(const CrawlPolicy& policy) {
    const CrawlPolicy kept = policy.clamped();
    QSettings settings = open();
    settings.beginGroup(QStringLiteral("Crawling"));
    settings.setValue(QStringLiteral("SameSite"), kept.sameSiteOnly);
    settings.setValue(QStringLiteral("ObeyRobots"), kept.obeyRobots);
    settings.setValue(QStringLiteral("MaxPerHost"), kept.maxPerHost);
    settings.setValue(QStringLiteral("HostDelayMs"), kept.delayMsPerHost);
    settings.setValue(QStringLiteral("RetryAfter"), kept.honourRetryAfter);
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return QCoreApplication::translate("CrawlPolicySettings",
                                           "The crawling settings could not be saved to %1.")
            .arg(settings.fileName());
    return {};
}

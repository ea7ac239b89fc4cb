#include "settings/crawling_options.h"

#include "app/session.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vorlane::settings {

namespace {

QCheckBox* makeCheck(const char* objectName, const QString& caption) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(QString::fromLatin1(objectName));
    box->setAccessibleName(caption);
    return box;
}

QSpinBox* makeSpin(const char* objectName, const QString& accessibleName, int maximum, const QString& zero) {
    auto* spin = new QSpinBox;
    spin->setObjectName(QString::fromLatin1(objectName));
    spin->setAccessibleName(accessibleName);
    spin->setRange(0, maximum);
    spin->setSpecialValueText(zero);
    return spin;
}

QLabel* makeLabel(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

} // namespace

CrawlingOptions::CrawlingOptions(QWidget* parent) : QGroupBox(tr("Crawling"), parent) {
    m_sameSite = makeCheck("SameSite", tr("Stay on the start address's site"));
    m_obeyRobots = makeCheck("ObeyRobots", tr("Obey robots.txt"));
    m_maxPerHost =
        makeSpin("MaxPerHost", tr("Requests at once per site"), store::kMaxRequestsPerHost, tr("No limit"));
    m_hostDelay =
        makeSpin("HostDelay", tr("Pause between requests to a site"), store::kMaxHostDelayMs, tr("None"));
    m_hostDelay->setSuffix(tr(" ms"));
    m_hostDelay->setSingleStep(100);
    m_retryAfter = makeCheck("RetryAfter", tr("When a site asks to wait (Retry-After), wait and retry once"));
    m_maxQueued = makeSpin("MaxQueued", tr("Pages queued at most"), store::kMaxQueuedPagesLimit, {});
    m_maxQueued->setMinimum(1);
    m_maxQueued->setGroupSeparatorShown(true);

    auto* numbers = new QFormLayout;
    numbers->addRow(makeLabel(tr("Requests at once per site:"), m_maxPerHost), m_maxPerHost);
    numbers->addRow(makeLabel(tr("Pause between requests to a site:"), m_hostDelay), m_hostDelay);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_sameSite);
    layout->addWidget(m_obeyRobots);
    layout->addLayout(numbers);
    layout->addWidget(m_retryAfter);
    auto* queue = new QFormLayout;
    queue->addRow(makeLabel(tr("Pages queued at most:"), m_maxQueued), m_maxQueued);
    layout->addLayout(queue);
}

void CrawlingOptions::setPolicy(const store::CrawlPolicy& policy) {
    m_sameSite->setChecked(policy.sameSiteOnly);
    m_obeyRobots->setChecked(policy.obeyRobots);
    m_maxPerHost->setValue(policy.maxPerHost);
    m_hostDelay->setValue(policy.delayMsPerHost);
    m_retryAfter->setChecked(policy.honourRetryAfter);
    m_maxQueued->setValue(policy.maxQueuedPages);
}

store::CrawlPolicy CrawlingOptions::policy() const {
    store::CrawlPolicy policy;
    policy.sameSiteOnly = m_sameSite->isChecked();
    policy.obeyRobots = m_obeyRobots->isChecked();
    policy.maxPerHost = m_maxPerHost->value();
    policy.delayMsPerHost = m_hostDelay->value();
    policy.honourRetryAfter = m_retryAfter->isChecked();
    policy.maxQueuedPages = m_maxQueued->value();
    return policy;
}

QList<QWidget*> CrawlingOptions::tabChain() const {
    return {m_sameSite, m_obeyRobots, m_maxPerHost, m_hostDelay, m_retryAfter, m_maxQueued};
}

} // namespace vorlane::settings

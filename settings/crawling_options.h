#pragma once
// The Crawling group of the Settings dialog: how politely a crawl treats each site and how many pages it
// queues at most, shown from a CrawlPolicy and read back into one.

#include <QGroupBox>
#include <QList>

namespace vorlane::store {
struct CrawlPolicy;
}
class QCheckBox;
class QSpinBox;

namespace vorlane::settings {

class CrawlingOptions : public QGroupBox {
    Q_OBJECT
public:
    explicit CrawlingOptions(QWidget* parent = nullptr);

    void setPolicy(const store::CrawlPolicy& policy);
    store::CrawlPolicy policy() const;
    // The controls in their tab order.
    QList<QWidget*> tabChain() const;

private:
    QCheckBox* m_sameSite = nullptr;
    QCheckBox* m_obeyRobots = nullptr;
    QSpinBox* m_maxPerHost = nullptr;
    QSpinBox* m_hostDelay = nullptr;
    QCheckBox* m_retryAfter = nullptr;
    QSpinBox* m_maxQueued = nullptr;
};

} // namespace vorlane::settings

#pragma once
// An opener for tests: records each address instead of handing it to the system.

#include "ui/url_opener.h"
#include <QList>

class RecordingOpener final : public vorlane::ui::UrlOpener {
public:
    bool open(const QUrl& url) override
    {
        m_opened.append(url);
        return true;
    }
    const QList<QUrl>& opened() const { return m_opened; }

private:
    QList<QUrl> m_opened;
};

#pragma once
// Hands an address to the system's "open" action. Injected, so tests record instead of opening.

#include <QUrl>

namespace vorlane::ui {

class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual bool open(const QUrl& url) = 0;
};

class DesktopUrlOpener final : public UrlOpener {
public:
    bool open(const QUrl& url) override;
};

} // namespace vorlane::ui

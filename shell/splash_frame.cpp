#include "splash_frame.h"

#include "app_icon.h"
#include "twips.h"
#include "ui/message_facade.h"
#include "version.h"
#include <QFrame>
#include <QGridLayout>
#include <QLabel>

namespace vorlane::shell {

QString versionText() {
    return QStringLiteral("Version ") + applicationVersion();
}

namespace {

QFont face(const char* family, qreal points, bool bold) {
    QFont font(QString::fromLatin1(family));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, const QFont& font) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setAccessibleName(text);
    l->setFont(font);
    l->setTextFormat(Qt::PlainText);
    return l;
}

} // namespace

SplashFrame buildSplashFrame(QWidget* host) {
    host->setFixedSize(twipsToPixelsX(host, 7380), twipsToPixelsY(host, 4245));
    SplashFrame parts;
    auto* outer = new QGridLayout(host);
    outer->setContentsMargins(6, 6, 6, 6);
    parts.frame = new QFrame(host);
    parts.frame->setObjectName(QStringLiteral("Frame1"));
    parts.frame->setFrameShape(QFrame::Box);
    parts.frame->setAccessibleName(QString::fromLatin1(ui::kApplicationTitle));
    outer->addWidget(parts.frame);

    auto* grid = new QGridLayout(parts.frame);
    grid->setContentsMargins(18, 18, 18, 12);
    parts.logo = new QLabel(parts.frame);
    parts.logo->setObjectName(QStringLiteral("imgLogo"));
    parts.logo->setAccessibleName(QStringLiteral("Logo"));
    parts.logo->setPixmap(applicationLogo(96));
    parts.logo->setFixedSize(96, 96);
    parts.productName = label(parts.frame, "lblProductName", QString::fromLatin1(ui::kApplicationTitle),
                              face("Arial", 32.25, true));
    parts.version = label(parts.frame, "lblVersion", versionText(), face("Arial", 12, true));
    parts.copyright = label(parts.frame, "lblCopyright",
                            QStringLiteral("Finds the audio, video and pictures that web pages link to.\n"
                                           "Free software, without warranty."),
                            face("Arial", 8.25, false));
    parts.copyright->setWordWrap(true);

    grid->addWidget(parts.logo, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(parts.productName, 0, 1, Qt::AlignLeft | Qt::AlignBottom);
    grid->addWidget(parts.version, 1, 1, Qt::AlignLeft | Qt::AlignTop);
    grid->setRowStretch(2, 1);
    grid->addWidget(parts.copyright, 3, 0, 1, 2, Qt::AlignLeft | Qt::AlignBottom);
    grid->setColumnStretch(1, 1);
    grid->setHorizontalSpacing(18);
    return parts;
}

} // namespace vorlane::shell

#include "settings/settings_dialog.h"

#include "app/session.h"
#include "settings/crawling_options.h"
#include "settings/download_options.h"
#include "settings/media_types_editor.h"
#include "settings/search_engines_editor.h"
#include "settings/url_filter_group.h"
#include "ui/dialog_controls.h"
#include "ui/message_facade.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorlane::settings {

Settings::Settings(app::Session& session, ui::MessageFacade& messages, QWidget* parent)
    : QDialog(parent), m_session(session), m_messages(messages) {
    setObjectName(QStringLiteral("Settings"));
    setWindowTitle(tr("Settings"));
    setAccessibleName(tr("Settings"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon());

    m_mediaTypes = new MediaTypesEditor(session, messages);
    m_engines = new SearchEnginesEditor(session, messages);
    m_filter = new UrlFilterGroup(messages);
    QGroupBox* connection = buildConnection();
    m_crawling = new CrawlingOptions;
    m_downloads = new DownloadOptions;

    m_ok = ui::makeDialogButton("Command1", tr("OK"), nullptr);
    m_cancel = ui::makeDialogButton("Command2", tr("Cancel"), nullptr);
    connect(m_ok, &QPushButton::clicked, this, &Settings::confirm);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_mediaTypes, 0, 0);
    grid->addWidget(m_engines, 0, 1);
    grid->addWidget(m_filter, 1, 0);
    auto* lowerRight = new QVBoxLayout;
    lowerRight->addWidget(connection);
    lowerRight->addWidget(m_crawling);
    lowerRight->addStretch();
    grid->addLayout(lowerRight, 1, 1);
    grid->addWidget(m_downloads, 2, 0, 1, 2);
    grid->addLayout(buttons, 3, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder();
    load();
}

Settings::~Settings() = default;

QGroupBox* Settings::buildConnection() {
    m_connection = new QComboBox;
    m_connection->setObjectName(QStringLiteral("Connex"));
    m_connection->setAccessibleName(tr("Choose One:"));
    m_connection->setEditable(false);
    m_connection->addItems(app::Session::connectionTypes());
    auto* label = new QLabel(tr("Choose One:"));
    label->setBuddy(m_connection);

    auto* group = new QGroupBox(tr("Connection"));
    auto* layout = new QHBoxLayout(group);
    layout->addWidget(label);
    layout->addWidget(m_connection, 1);
    return group;
}

void Settings::setTabOrder() {
    const QList<QWidget*> order = m_mediaTypes->tabChain() + m_engines->tabChain() + m_filter->tabChain() +
                                  QList<QWidget*>{m_connection} + m_crawling->tabChain() +
                                  m_downloads->tabChain() + QList<QWidget*>{m_ok, m_cancel};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

// Fills every control from the database. A group whose content could not be read is disabled, and OK with
// it: writing an unread filter list back would wipe the stored one.
void Settings::load() {
    QString firstError;
    const auto note = [&firstError](const QString& error) {
        if (firstError.isEmpty())
            firstError = error;
    };

    const auto stored = m_session.storedSettings();
    m_crawling->setPolicy(m_session.crawlSettings().policy);
    m_downloads->setSettings(m_session.downloads().settings());
    if (stored) {
        // A stored text that is none of the entries shows as "Unknown", the first entry.
        m_connection->setCurrentIndex(
            std::max<int>(0, app::Session::connectionTypes().indexOf(stored->connectionType)));
        m_filter->setWords(stored->filters);
    } else {
        note(stored.error());
        m_connection->parentWidget()->setEnabled(false);
        m_filter->setEnabled(false);
        m_ok->setEnabled(false);
    }

    const auto fill = [&note](ui::NamedListEditor* editor, const auto& names) {
        if (names) {
            editor->setNames(names.value());
        } else {
            note(names.error());
            editor->setEnabled(false);
        }
    };
    fill(m_mediaTypes, m_session.mediaTypes());
    fill(m_engines, m_session.searchEngines());

    if (!firstError.isEmpty())
        m_messages.critical(parentWidget(), firstError);
}

void Settings::keyPressEvent(QKeyEvent* event) {
    // Escape does not cancel by itself: the dialog closes only by its buttons or its close box.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Settings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_centred)
        return;
    m_centred = true;
    if (QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr) {
        adjustSize();
        const QRect frame = frameGeometry();
        move(owner->frameGeometry().center() - QPoint(frame.width() / 2, frame.height() / 2));
    }
}

void Settings::confirm() {
    // On failure the old settings stay whole and the dialog stays open with the edits, so nothing is lost.
    const auto status =
        m_session.saveSettings({m_connection->currentText(), m_filter->words(), m_crawling->policy()});
    if (!status)
        return m_messages.critical(this, status.error());
    if (const auto saved = m_session.saveDownloadSettings(m_downloads->settings()); !saved)
        return m_messages.critical(this, saved.error());
    accept();
}

} // namespace vorlane::settings

#include "settings/download_options.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace vorlane::settings {

namespace {
constexpr qint64 kMegabyte = 1024 * 1024;
constexpr int kMaxSizeMegabytes = 1024 * 1024;

template <typename Control>
Control* named(Control* control, const char* objectName, const QString& accessible) {
    control->setObjectName(QString::fromLatin1(objectName));
    control->setAccessibleName(accessible);
    return control;
}
} // namespace

DownloadOptions::DownloadOptions(QWidget* parent) : QGroupBox(tr("Downloads"), parent) {
    m_folder = named(new QLineEdit, "DownloadFolder", tr("Download folder"));
    m_folder->setPlaceholderText(QDir::toNativeSeparators(app::Downloads::defaultFolder()));
    m_browse =
        named(new QPushButton(tr("Browse…")), "BrowseDownloadFolder", tr("Choose the download folder"));
    m_browse->setAutoDefault(false); // Enter in a box never opens the folder dialog
    connect(m_browse, &QPushButton::clicked, this, [this] {
        const QString chosen =
            QFileDialog::getExistingDirectory(this, tr("Download folder"), m_folder->text());
        if (!chosen.isEmpty())
            m_folder->setText(QDir::toNativeSeparators(chosen));
    });
    m_perCampaign = named(new QCheckBox(tr("A sub-folder per campaign")), "FolderPerCampaign",
                          tr("A sub-folder per campaign"));
    m_filesAtOnce = named(new QSpinBox, "FilesAtOnce", tr("Files at once"));
    m_filesAtOnce->setRange(0, store::kMaxFilesAtOnce);
    m_filesAtOnce->setSpecialValueText(tr("As the connection allows"));
    m_connections = named(new QSpinBox, "ConnectionsPerFile", tr("Connections per file"));
    m_connections->setRange(1, store::kMaxConnectionsPerFile);
    m_maxSize = named(new QSpinBox, "MaxFileSize", tr("Maximum file size"));
    m_maxSize->setRange(0, kMaxSizeMegabytes);
    m_maxSize->setSuffix(tr(" MB"));
    m_maxSize->setSpecialValueText(tr("No limit"));

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(m_browse);
    auto* form = new QFormLayout(this);
    const auto label = [](const QString& text, QWidget* buddy) {
        auto* label = new QLabel(text);
        label->setBuddy(buddy);
        return label;
    };
    form->addRow(label(tr("Folder:"), m_folder), folderRow);
    form->addRow(m_perCampaign);
    form->addRow(label(tr("Files at once:"), m_filesAtOnce), m_filesAtOnce);
    form->addRow(label(tr("Connections per file:"), m_connections), m_connections);
    form->addRow(label(tr("Maximum file size:"), m_maxSize), m_maxSize);
}

void DownloadOptions::setSettings(const app::DownloadSettings& settings) {
    m_folder->setText(QDir::toNativeSeparators(settings.folder));
    m_perCampaign->setChecked(settings.folderPerCampaign);
    m_filesAtOnce->setValue(settings.filesAtOnce);
    m_connections->setValue(settings.connectionsPerServer);
    m_maxSize->setValue(
        int(std::min<qint64>(kMaxSizeMegabytes, (settings.maxFileSize + kMegabyte - 1) / kMegabyte)));
}

app::DownloadSettings DownloadOptions::settings() const {
    app::DownloadSettings settings;
    settings.folder = QDir::fromNativeSeparators(m_folder->text().trimmed());
    settings.folderPerCampaign = m_perCampaign->isChecked();
    settings.filesAtOnce = m_filesAtOnce->value();
    settings.connectionsPerServer = m_connections->value();
    settings.maxFileSize = qint64(m_maxSize->value()) * kMegabyte;
    return settings;
}

QList<QWidget*> DownloadOptions::tabChain() const {
    return {m_folder, m_browse, m_perCampaign, m_filesAtOnce, m_connections, m_maxSize};
}

} // namespace vorlane::settings

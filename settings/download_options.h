#pragma once
// The Downloads group of the Settings dialog: the folder files go to, a sub-folder per campaign, files at
// once, connections per file and the largest file fetched; shown from DownloadSettings and read back.

#include "app/downloads.h"
#include <QGroupBox>
#include <QList>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vorlane::settings {

class DownloadOptions : public QGroupBox {
    Q_OBJECT
public:
    explicit DownloadOptions(QWidget* parent = nullptr);

    void setSettings(const app::DownloadSettings& settings);
    app::DownloadSettings settings() const;
    // The controls in their tab order.
    QList<QWidget*> tabChain() const;

private:
    QLineEdit* m_folder = nullptr;
    QPushButton* m_browse = nullptr;
    QCheckBox* m_perCampaign = nullptr;
    QSpinBox* m_filesAtOnce = nullptr;
    QSpinBox* m_connections = nullptr;
    QSpinBox* m_maxSize = nullptr; // MB
};

} // namespace vorlane::settings

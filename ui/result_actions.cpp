#include "result_actions.h"

#include "message_facade.h"
#include "result_list.h"
#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>

namespace vorlane::ui {

ExportFileChooser saveDialogChooser() {
    return [](QWidget* parent, const QString& caption, const QString& filters) {
        ExportTarget target;
        target.path = QFileDialog::getSaveFileName(parent, caption, QString(), filters, &target.filter);
        return target;
    };
}

ResultActions::ResultActions(ResultList& list, MessageFacade& messages)
    : QObject(&list), m_list(list), m_messages(messages), m_chooser(saveDialogChooser()) {
    auto make = [this](const QString& text, const char* name, QList<QKeySequence> keys) {
        auto* action = new QAction(text, &m_list);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcuts(keys);
        // Each of the three lists has the same keys; only the one with the focus answers.
        action->setShortcutContext(Qt::WidgetShortcut);
        m_list.addAction(action);
        return action;
    };
    m_open = make(QStringLiteral("Open"), "OpenResult",
                  {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    m_copyAddress = make(QStringLiteral("Copy address"), "CopyAddress", {QKeySequence(Qt::CTRL | Qt::Key_C)});
    m_copyAll = make(QStringLiteral("Copy all addresses"), "CopyAllAddresses",
                     {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)});
    m_export = make(QStringLiteral("Export…"), "ExportResults", {QKeySequence(Qt::CTRL | Qt::Key_E)});
    m_download = make(QStringLiteral("Download"), "DownloadResult", {QKeySequence(Qt::CTRL | Qt::Key_D)});
    m_downloadAll = make(QStringLiteral("Download all shown"), "DownloadAllShown", {});
    connect(m_open, &QAction::triggered, &m_list, &ResultList::openSelectedResult);
    connect(m_download, &QAction::triggered, this, [this] {
        if (const QString address = m_list.selectedAddress(); !address.isEmpty())
            emit downloadRequested({address});
    });
    connect(m_downloadAll, &QAction::triggered, this, [this] {
        QStringList addresses;
        for (const ExportRow& row : shownRows())
            addresses.append(row.url);
        if (!addresses.isEmpty())
            emit downloadRequested(addresses);
    });
    connect(m_copyAddress, &QAction::triggered, this, &ResultActions::copyAddress);
    connect(m_copyAll, &QAction::triggered, this, &ResultActions::copyAllAddresses);
    connect(m_export, &QAction::triggered, this, &ResultActions::exportShownRows);
    updateEnabled();
}

ResultActions::~ResultActions() = default;

QList<ExportRow> ResultActions::shownRows() const {
    const QList<ResultRow> rows = m_list.rows().rows();
    const QString campaign = m_list.campaignLabel();
    QList<ExportRow> out;
    out.reserve(rows.size());
    for (const ResultRow& row : rows)
        out.append(ExportRow{row.fileName, row.url, campaign, row.foundOn});
    return out;
}

void ResultActions::copyAddress() {
    const QString address = m_list.selectedAddress();
    if (!address.isNull())
        QGuiApplication::clipboard()->setText(address);
}

void ResultActions::copyAllAddresses() {
    if (m_list.rowCount() > 0)
        QGuiApplication::clipboard()->setText(copyText(shownRows()));
}

void ResultActions::exportShownRows() {
    if (m_list.rowCount() == 0 || !m_chooser)
        return;
    const ExportTarget target = m_chooser(&m_list, QStringLiteral("Export results"), exportFilters());
    if (target.path.isEmpty())
        return;
    QString path = target.path;
    std::optional<ExportFormat> format = exportFormatForFile(path);
    if (!format) {
        format = exportFormatForFilter(target.filter);
        if (!format)
            format = ExportFormat::PlainList;
        if (QFileInfo(path).suffix().isEmpty())
            path += QLatin1Char('.') + exportSuffix(*format);
    }
    // The rows are taken once the dialog is closed: a running search may have added some meanwhile.
    QString error;
    if (!writeExport(path, shownRows(), *format, &error))
        m_messages.critical(&m_list, error);
}

void ResultActions::updateEnabled() {
    const bool selected = !m_list.selectedAddress().isNull();
    const bool any = m_list.rowCount() > 0;
    m_open->setEnabled(selected);
    m_copyAddress->setEnabled(selected);
    m_copyAll->setEnabled(any);
    m_export->setEnabled(any);
    m_download->setEnabled(selected);
    m_downloadAll->setEnabled(any);
}

bool ResultActions::handleKey(QKeyEvent* event) {
    const QKeySequence pressed(event->keyCombination());
    for (QAction* action : {m_open, m_copyAddress, m_copyAll, m_export, m_download})
        if (action->shortcuts().contains(pressed)) {
            if (action->isEnabled())
                action->trigger();
            return true;
        }
    return false;
}

} // namespace vorlane::ui

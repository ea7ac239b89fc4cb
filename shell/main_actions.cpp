#include "main_actions.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <optional>

namespace vorlane::shell {

namespace {

struct ToolbarEntry {
    MainAction action;
    const char* name;
    const char* caption;
    const char* themeIcon;
    QStyle::StandardPixmap fallback;
};

constexpr ToolbarEntry kToolbar[] = {
    {MainAction::WebSearch, "One", "Web Search", "system-search", QStyle::SP_FileDialogContentsView},
    {MainAction::UrlSearch, "Two", "URL Search", "applications-internet", QStyle::SP_DriveNetIcon},
    {MainAction::Campaigns, "Three", "Campaigns", "folder-open", QStyle::SP_DirOpenIcon},
    {MainAction::Settings, "Four", "Settings", "preferences-system", QStyle::SP_FileDialogDetailedView},
    {MainAction::Help, "Five", "Help", "help-contents", QStyle::SP_DialogHelpButton},
    {MainAction::About, "Six", "About", "help-about", QStyle::SP_MessageBoxInformation},
    // Last, so that at the designed width the six buttons above keep their places; where the window is
    // too narrow for it, it waits in the toolbar's overflow menu (and the Actions menu has it too).
    {MainAction::Downloads, "Downloads", "Downloads", "folder-download", QStyle::SP_ArrowDown},
};

struct MenuEntry {
    const char* name;
    const char* caption; // nullptr: a separator
    std::optional<MainAction> action;
};

} // namespace

MainActions::MainActions(QMainWindow& window) : QObject(&window) {
    buildToolbar(window);
    buildMenus(window);
}

void MainActions::buildToolbar(QMainWindow& window) {
    auto* toolbar = window.addToolBar(QStringLiteral("Toolbar"));
    toolbar->setObjectName(QStringLiteral("Toolbar1"));
    toolbar->setAccessibleName(QStringLiteral("Toolbar"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar->toggleViewAction()->setEnabled(false);
    for (const ToolbarEntry& entry : kToolbar) {
        const QString caption = QString::fromLatin1(entry.caption);
        const QIcon icon = QIcon::fromTheme(QString::fromLatin1(entry.themeIcon),
                                            window.style()->standardIcon(entry.fallback));
        QAction* button = toolbar->addAction(icon, caption);
        button->setObjectName(QString::fromLatin1(entry.name));
        button->setToolTip(caption);
        if (QWidget* widget = toolbar->widgetForAction(button))
            widget->setAccessibleName(caption);
        add(entry.action, button);
    }
}

void MainActions::buildMenus(QMainWindow& window) {
    QMenuBar* bar = window.menuBar();
    auto addMenu = [this, bar](const char* name, const char* title,
                               std::initializer_list<MenuEntry> entries) {
        QMenu* menu = bar->addMenu(QString::fromLatin1(title));
        menu->setObjectName(QString::fromLatin1(name));
        menu->setAccessibleName(menu->title());
        for (const MenuEntry& entry : entries) {
            QAction* item =
                entry.caption ? menu->addAction(QString::fromLatin1(entry.caption)) : menu->addSeparator();
            item->setObjectName(QString::fromLatin1(entry.name));
            if (entry.action)
                add(*entry.action, item);
        }
    };
    bar->setAccessibleName(QStringLiteral("Menu bar"));
    addMenu("Actions", "Actions",
            {{"WSearch", "Web Search", MainAction::WebSearch},
             {"USearch", "URL Search", MainAction::UrlSearch},
             {"mLine1", nullptr, std::nullopt},
             {"Camps", "Campaigns", MainAction::Campaigns},
             {"Dnlds", "Downloads", MainAction::Downloads},
             {"ShowLog", "Show Log...", MainAction::ShowLog}});
    addMenu("Options", "Options", {{"Stings", "Settings", MainAction::Settings}});
    addMenu("Help", "Help",
            {{"Helptopics", "Help topics", MainAction::Help},
             {"mLine2", nullptr, std::nullopt},
             {"Abt", "About", MainAction::About}});
}

void MainActions::add(MainAction action, QAction* entry) {
    connect(entry, &QAction::triggered, this, [this, action] { emit triggered(action); });
    m_entries[std::size_t(action)].append(entry);
}

void MainActions::setEnabled(MainAction action, bool enabled) {
    for (QAction* entry : m_entries[std::size_t(action)])
        entry->setEnabled(enabled);
}

} // namespace vorlane::shell

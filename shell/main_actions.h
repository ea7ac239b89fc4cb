#pragma once
// The main window's actions as the user finds them: the toolbar Toolbar1, left to right the buttons
// "One" to "Three", "Downloads", "Four" to "Six", with a theme icon (or a built-in one) over the caption, and
// the Actions, Options and Help menus, whose entries do what the button of the same action does. Both report
// through triggered(); the window carries the action out.

#include <QList>
#include <QObject>
#include <array>

class QAction;
class QMainWindow;

namespace vorlane::shell {

// ShowLog is a menu entry only.
enum class MainAction { WebSearch, UrlSearch, Campaigns, Settings, Help, About, Downloads, ShowLog };

class MainActions : public QObject {
    Q_OBJECT
public:
    // Adds the toolbar and then the menus to `window`.
    explicit MainActions(QMainWindow& window);

    // The button and the menu entry together.
    void setEnabled(MainAction action, bool enabled);

signals:
    void triggered(MainAction action);

private:
    static constexpr std::size_t kActionCount = 8;
    static_assert(std::size_t(MainAction::ShowLog) + 1 == kActionCount);

    void buildToolbar(QMainWindow& window);
    void buildMenus(QMainWindow& window);
    void add(MainAction action, QAction* entry);

    std::array<QList<QAction*>, kActionCount> m_entries; // per action, its button and its menu entry
};

} // namespace vorlane::shell

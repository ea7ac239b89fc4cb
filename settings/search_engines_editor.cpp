#include "settings/search_engines_editor.h"

#include "app/session.h"

namespace vorlane::settings {

ui::NamedListEditor::Setup SearchEnginesEditor::setup() {
    Setup setup;
    setup.title = tr("Search Engines");
    setup.values = Values::One;
    setup.names = {"SE", tr("Search Engines")};
    setup.newName = {"SENG", tr("New search engine")};
    setup.addName = {"Add3", tr("Add")};
    setup.deleteName = {"Delete", tr("Delete")};
    setup.valueList = {"SELink", tr("Search link")};
    setup.newValue = {"AddSELink",
                      tr("Enter a search engine search link, replacing the keyword in the URL with <!KW!>")};
    setup.addValue = {"Edit", tr("Update Link")};
    setup.nameExists = tr("The Search Engine you entered already exists.");
    setup.nameMissing = tr("Please enter a new Search Engine.");
    setup.noNameToDelete = tr("Please select a Search Engine to delete.");
    setup.confirmNameDeletion = tr("Are you sure you want to completely delete the selected Search Engine?");
    return setup;
}

SearchEnginesEditor::SearchEnginesEditor(app::Session& session, ui::MessageFacade& messages, QWidget* parent)
    : ui::NamedListEditor(setup(), messages, parent), m_session(session) {
    connect(this, &ui::NamedListEditor::nameSelected, this, &SearchEnginesEditor::showLink);
    connect(this, &ui::NamedListEditor::addNameRequested, this, &SearchEnginesEditor::addEngine);
    connect(this, &ui::NamedListEditor::deleteNameRequested, this, &SearchEnginesEditor::deleteEngine);
    connect(this, &ui::NamedListEditor::addValueRequested, this, &SearchEnginesEditor::updateLink);
}

void SearchEnginesEditor::showLink(const QString& engine) {
    const auto link = m_session.searchLink(engine);
    if (!link)
        return refuse(link.error());
    showValues(link->isEmpty() ? QStringList() : QStringList{link.value()});
}

void SearchEnginesEditor::addEngine(const QString& name) {
    if (auto status = m_session.addSearchEngine(name); !status)
        return refuse(status.error(), Box::NewName);
    acceptName(name);
}

void SearchEnginesEditor::deleteEngine(const QString& name) {
    if (auto status = m_session.deleteSearchEngine(name); !status)
        return refuse(status.error());
    const auto names = m_session.searchEngines();
    setNames(names ? names.value() : QStringList());
    if (!names)
        refuse(names.error());
}

// The link is taken as typed: blanks are part of the link the web search will fill in.
void SearchEnginesEditor::updateLink(const QString& engine, const QString& link) {
    if (link.isEmpty())
        return refuse(tr("Please enter a link to update the Search Engine."), Box::NewValue);
    if (!link.contains(app::Session::keywordPlaceholder()))
        return refuse(tr("You must replace the keyword in the URL with <!KW!>."), Box::NewValue);
    if (!link.contains(QLatin1String("https://")) && !link.contains(QLatin1String("http://")))
        return refuse(tr("You must include the protocol (http:// or https://) in the URL."), Box::NewValue);

    if (auto status = m_session.setSearchLink(engine, link); !status)
        return refuse(status.error(), Box::NewValue);
    acceptValue(link);
}

} // namespace vorlane::settings

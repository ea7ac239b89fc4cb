#include "settings/media_types_editor.h"

#include "app/session.h"

namespace vorlane::settings {

namespace {

// A stored FILEEXT as the list shows it: none for a NULL or empty text; otherwise the pieces between the
// commas, empty ones kept, so a damaged text like ".a,,.b" shows as stored and can be repaired item by item.
QStringList extensionItems(const QString& stored) {
    if (stored.isEmpty())
        return {};
    return stored.split(QLatin1Char(','), Qt::KeepEmptyParts);
}

QString joined(const QStringList& extensions) {
    return extensions.join(QLatin1Char(','));
}

} // namespace

ui::NamedListEditor::Setup MediaTypesEditor::setup() {
    Setup setup;
    setup.title = tr("Media Types");
    setup.values = Values::Several;
    setup.names = {"MT", tr("Media Types")};
    setup.newName = {"SearchCat", tr("New media type")};
    setup.addName = {"Add2", tr("Add")};
    setup.deleteName = {"Delete2", tr("Delete")};
    setup.valueList = {"FileExt", tr("File Ext.:")};
    setup.newValue = {"Ext", tr("New file extension")};
    setup.addValue = {"AddExt", tr("Add Ext")};
    setup.deleteValue = {"DelExt", tr("Delete Ext")};
    setup.nameExists = tr("The Category you entered already exists.");
    setup.nameMissing = tr("Please enter a new Category.");
    setup.noNameToDelete = tr("Please select a category to delete.");
    setup.confirmNameDeletion = tr("Are you sure you want to completely delete the selected Category?");
    setup.noValueToDelete = tr("Please select a file extension first.");
    setup.confirmValueDeletion = tr("Are you sure you want to permanently delete the selected extension?");
    return setup;
}

MediaTypesEditor::MediaTypesEditor(app::Session& session, ui::MessageFacade& messages, QWidget* parent)
    : ui::NamedListEditor(setup(), messages, parent), m_session(session) {
    connect(this, &ui::NamedListEditor::nameSelected, this, &MediaTypesEditor::showExtensions);
    connect(this, &ui::NamedListEditor::addNameRequested, this, &MediaTypesEditor::addType);
    connect(this, &ui::NamedListEditor::deleteNameRequested, this, &MediaTypesEditor::deleteType);
    connect(this, &ui::NamedListEditor::addValueRequested, this, &MediaTypesEditor::addExtension);
    connect(this, &ui::NamedListEditor::deleteValueRequested, this, &MediaTypesEditor::deleteExtension);
}

void MediaTypesEditor::showExtensions(const QString& type) {
    const auto stored = m_session.mediaTypeExtensions(type);
    if (!stored)
        return refuse(stored.error());
    showValues(extensionItems(stored.value()));
}

void MediaTypesEditor::addType(const QString& name) {
    if (auto status = m_session.addMediaType(name); !status)
        return refuse(status.error(), Box::NewName);
    acceptName(name);
}

void MediaTypesEditor::deleteType(const QString& name) {
    if (auto status = m_session.deleteMediaType(name); !status)
        return refuse(status.error());
    const auto names = m_session.mediaTypes();
    setNames(names ? names.value() : QStringList());
    if (!names)
        refuse(names.error());
}

void MediaTypesEditor::addExtension(const QString& type, const QString& typed) {
    if (!typed.contains(QLatin1Char('.')))
        return refuse(tr("The file extension must have the \".\" in it and must not be empty."),
                      Box::NewValue);
    const QString extension = typed.trimmed();
    QStringList extensions = values();
    if (extensions.contains(extension))
        return refuse(tr("The file extension you entered already exists for the selected Category."),
                      Box::NewValue);

    // Written before the list changes, so the list never shows an extension the database does not hold.
    extensions << extension;
    if (auto status = m_session.setMediaTypeExtensions(type, joined(extensions)); !status)
        return refuse(status.error(), Box::NewValue);
    acceptValue(extension);
}

void MediaTypesEditor::deleteExtension(const QString& type, int row) {
    QStringList extensions = values();
    extensions.removeAt(row);
    if (auto status = m_session.setMediaTypeExtensions(type, joined(extensions)); !status)
        return refuse(status.error());
    removeValue(row);
}

} // namespace vorlane::settings

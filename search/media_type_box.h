#pragma once
// The media-type box both search dialogs share: filled with the stored media types, and the extensions of
// the one picked read back for the search.

namespace vorlane::ui {
class MessageFacade;
}
class QComboBox;
class QString;
class QWidget;
namespace vorlane::app {
class Session;
}

namespace vorlane::search {

// Refills `box` with the stored media types, leaving it without a selection; a failure is shown.
void fillMediaTypeBox(app::Session& session, ui::MessageFacade& messages, QComboBox* box, QWidget* dialog);
// The extensions of the media type picked at `index` into `extensions`. A type without extensions yields
// an empty text: keeping the previous type's would find the wrong files under this type's name. A failure
// is shown and leaves `extensions` as it was.
void readMediaExtensions(app::Session& session, ui::MessageFacade& messages, QComboBox* box, int index,
                         QString& extensions, QWidget* dialog);

} // namespace vorlane::search

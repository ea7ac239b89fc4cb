#include "search/media_type_box.h"

#include "app/session.h"
#include "ui/message_facade.h"

#include <QComboBox>

namespace vorlane::search {

void fillMediaTypeBox(app::Session& session, ui::MessageFacade& messages, QComboBox* box, QWidget* dialog) {
    const store::DbResult<QStringList> names = session.mediaTypes();
    box->clear();
    if (names)
        box->addItems(names.value());
    box->setCurrentIndex(-1);
    if (!names)
        messages.critical(dialog, names.error());
}

void readMediaExtensions(app::Session& session, ui::MessageFacade& messages, QComboBox* box, int index,
                         QString& extensions, QWidget* dialog) {
    const store::DbResult<QString> stored = session.mediaTypeExtensions(box->itemText(index));
    if (!stored) {
        messages.critical(dialog, stored.error());
        return;
    }
    extensions = stored.value().isNull() ? QString() : stored.value();
}

} // namespace vorlane::search

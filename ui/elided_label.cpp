#include "ui/elided_label.h"

#include <QResizeEvent>

namespace vorlane::ui {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText); // text from the web is never markup
}

void ElidedLabel::setFullText(const QString& text) {
    m_fullText = text;
    // Assistive technology reads the whole text, not what fits; an empty label reads as what it is for.
    setAccessibleName(text.isEmpty() ? accessibleDescription() : text);
    elide();
    updateGeometry();
}

QSize ElidedLabel::sizeHint() const {
    const QMargins margins = contentsMargins();
    const int whole = fontMetrics().horizontalAdvance(m_fullText) + margins.left() + margins.right() +
                      2 * margin() + 2 * std::max(0, indent());
    return {std::max(whole, minimumWidth()), QLabel::sizeHint().height()};
}

QSize ElidedLabel::minimumSizeHint() const {
    return {minimumWidth(), QLabel::sizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::elide() {
    const int room = contentsRect().width() - 2 * margin() - 2 * std::max(0, indent());
    setText(fontMetrics().elidedText(m_fullText, Qt::ElideRight, std::max(0, room)));
}

} // namespace vorlane::ui

#pragma once
// A one-line plain-text label that shows as much of its text as fits, with "…" where it is cut. It asks for
// room for the whole text but can shrink to its minimum width; fullText() is the text whole, and it is
// also what assistive technology reads.

#include <QLabel>

namespace vorlane::ui {

class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    void setFullText(const QString& text);
    const QString& fullText() const { return m_fullText; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();

    QString m_fullText;
};

} // namespace vorlane::ui

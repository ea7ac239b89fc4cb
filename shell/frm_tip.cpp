#include "frm_tip.h"

#include "twips.h"
#include "user_options.h"
#include <QCheckBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace vorlane::shell {

namespace {

QRect twipsRect(const QWidget* w, int left, int top, int width, int height) {
    return QRect(twipsToPixelsX(w, left), twipsToPixelsY(w, top), twipsToPixelsX(w, width),
                 twipsToPixelsY(w, height));
}

} // namespace

frmTip::frmTip(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmTip"));
    setWindowTitle(QStringLiteral("Important Information"));
    setAccessibleName(windowTitle());
    setFixedSize(twipsToPixelsX(this, 4680), twipsToPixelsY(this, 3915));

    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::Box);
    frame->setGeometry(twipsRect(this, 120, 240, 4455, 2655));

    auto* label =
        new QLabel(QStringLiteral("Please take time to update your Internet connection and read Help "
                                  "thoroghly starting with the Quick Tutorial!"),
                   frame);
    label->setObjectName(QStringLiteral("Label1"));
    label->setAccessibleName(label->text());
    label->setWordWrap(true);
    QFont labelFont = label->font();
    labelFont.setPointSizeF(13.5);
    label->setFont(labelFont);
    label->setGeometry(twipsRect(this, 240, 600, 4095, 1575));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    frame->setAccessibleName(label->text());

    m_startNoShow = new QCheckBox(QStringLiteral("Do not show this information again"), this);
    m_startNoShow->setObjectName(QStringLiteral("StartNoShow"));
    m_startNoShow->setAccessibleName(m_startNoShow->text());
    m_startNoShow->setGeometry(twipsRect(this, 120, 3000, 4335, 255));

    QFont buttonFont = font();
    buttonFont.setBold(true);
    struct TipButton {
        const char* name;
        const char* caption;
        int left;
        Choice choice;
    };
    const TipButton tipButtons[] = {{"SetConn", "Update Connection", 240, Choice::UpdateConnection},
                                    {"ReadHelp", "Read Help", 1680, Choice::ReadHelp},
                                    {"Cancel", "Cancel", 3120, Choice::Cancel}};
    // The buttons keep their designed places while their bold captions fit; with a larger desktop font each
    // widens to its caption, the ones after it move along and the dialog grows to hold them.
    const int gap = twipsToPixelsX(this, 105);
    int nextLeft = 0;
    QWidget* previous = m_startNoShow;
    for (const TipButton& entry : tipButtons) {
        auto* button = new QPushButton(QString::fromLatin1(entry.caption), this);
        button->setObjectName(QString::fromLatin1(entry.name));
        button->setAccessibleName(button->text());
        button->setFont(buttonFont);
        button->setAutoDefault(false); // Enter does not press any of them
        QRect place = twipsRect(this, entry.left, 3360, 1335, 495);
        place.moveLeft(std::max(place.left(), nextLeft));
        place.setWidth(std::max(place.width(), button->sizeHint().width()));
        place.setHeight(std::max(place.height(), button->sizeHint().height()));
        button->setGeometry(place);
        nextLeft = place.right() + 1 + gap;
        const Choice choice = entry.choice;
        connect(button, &QPushButton::clicked, this, [this, choice] { choose(choice); });
        setTabOrder(previous, button);
        previous = button;
    }
    const int neededWidth = previous->geometry().right() + 1 + twipsToPixelsX(this, 105);
    if (neededWidth > width())
        setFixedSize(neededWidth, height());
    m_startNoShow->setFocus();
}

void frmTip::saveStartInfoChoice() {
    if (m_startNoShow->isChecked())
        UserOptions::setShowStartInfoOff();
}

void frmTip::choose(Choice choice) {
    saveStartInfoChoice();
    m_choice = choice;
    accept();
}

void frmTip::keyPressEvent(QKeyEvent* event) {
    // Neither Escape nor Enter stands for a button here.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace vorlane::shell

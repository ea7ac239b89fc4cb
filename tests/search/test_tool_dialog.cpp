// The behaviour all modeless tool windows share: hiding when another window of the program becomes
// active unless the keep-shown flag asks to stay once, and the first placement centred on the owner at a
// fixed size. (Close requests hiding instead of closing are covered by the search dialogs' Pause test.)

#include "search/tool_dialog.h"

#include <QMessageBox>
#include <QVBoxLayout>
#include <QtTest>
#include <memory>

class TestToolDialog : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QWidget> m_owner;
    bool m_keepShown = false;
    ToolDialog* m_dialog = nullptr;

    void activate(QWidget* window) {
        window->show();
        window->activateWindow();
        // Activation arrives asynchronously, and a tool window may count as active before it has focus.
        QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::focusWindow(), window->windowHandle(), 5000);
    }

private slots:
    void init() {
        m_owner = std::make_unique<QWidget>();
        m_owner->setGeometry(100, 100, 900, 700);
        activate(m_owner.get());
        m_keepShown = false;
        m_dialog = new ToolDialog(m_keepShown, m_owner.get());
        auto* layout = new QVBoxLayout(m_dialog);
        layout->addWidget(new QWidget(m_dialog));
        m_dialog->resize(300, 120);
        activate(m_dialog);
    }
    void cleanup() { m_owner.reset(); }

    void anotherWindowBecomesActive_data() {
        QTest::addColumn<QString>("other");
        QTest::addColumn<bool>("keepShown");
        QTest::addColumn<bool>("visibleAfter");
        QTest::addColumn<bool>("keepShownAfter");
        QTest::newRow("owner, flag clear: hides") << "owner" << false << false << false;
        QTest::newRow("owner, flag set: stays once") << "owner" << true << true << false;
        QTest::newRow("another dialog: hides") << "dialog" << false << false << false;
        QTest::newRow("another dialog, flag set: stays once") << "dialog" << true << true << false;
        QTest::newRow("message box does not count") << "message box" << false << true << false;
        QTest::newRow("message box leaves the flag") << "message box" << true << true << true;
    }

    void anotherWindowBecomesActive() {
        QFETCH(QString, other);
        QFETCH(bool, keepShown);
        QFETCH(bool, visibleAfter);
        QFETCH(bool, keepShownAfter);
        m_keepShown = keepShown;
        QWidget* window = m_owner.get();
        if (other == QLatin1String("dialog")) {
            window = new QDialog(m_owner.get());
            window->resize(200, 100);
        } else if (other == QLatin1String("message box")) {
            window = new QMessageBox(QMessageBox::Critical, "Vorlane", "text", QMessageBox::Ok, m_dialog);
        }
        activate(window);
        QCOMPARE(m_dialog->isVisible(), visibleAfter);
        QCOMPARE(m_keepShown, keepShownAfter);
    }

    void firstShowIsCentredOnTheOwner() {
        const QPoint offset = m_dialog->frameGeometry().center() - m_owner->frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 4,
                 qPrintable(QStringLiteral("off by %1,%2").arg(offset.x()).arg(offset.y())));
        QCOMPARE(m_dialog->minimumSize(), m_dialog->maximumSize());
    }
};

QTEST_MAIN(TestToolDialog)
#include "test_tool_dialog.moc"

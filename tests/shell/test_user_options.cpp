// How stored option texts read, and that each writer stores exactly its text.

#include "shell/user_options.h"
#include "tests/support/temp_user_options.h"
#include <QTest>

class TestUserOptions : public QObject {
    Q_OBJECT
private slots:
    void init() { m_options.clear(); }
    void numbersCompareWithOne_data();
    void numbersCompareWithOne();
    void truthValues_data();
    void truthValues();
    void writersStoreText();

private:
    TempUserOptions m_options;
};

void TestUserOptions::numbersCompareWithOne_data() {
    QTest::addColumn<QString>("stored"); // null: absent
    QTest::addColumn<bool>("isOne");
    QTest::newRow("absent: default 1") << QString() << true;
    QTest::newRow("1") << "1" << true;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("2") << "2" << false;
    QTest::newRow("1 with blanks") << " 1 " << true;
    QTest::newRow("1.0") << "1.0" << true;
    QTest::newRow("empty text: default") << "" << true;
    QTest::newRow("word: default") << "never" << true;
    QTest::newRow("True is not a number: default") << "True" << true;
}

void TestUserOptions::numbersCompareWithOne() {
    QFETCH(QString, stored);
    QFETCH(bool, isOne);
    for (const char* key : {"ShowStartInfo", "ShowAskTrayExit"}) {
        m_options.clear();
        if (!stored.isNull())
            m_options.set(key, stored);
        const bool read = QByteArray(key) == "ShowStartInfo" ? UserOptions::showStartInfo()
                                                             : UserOptions::showAskTrayExit();
        QCOMPARE(read, isOne);
    }
}

void TestUserOptions::truthValues_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("exit");
    QTest::newRow("absent: default false") << QString() << false;
    QTest::newRow("True") << "True" << true;
    QTest::newRow("False") << "False" << false;
    QTest::newRow("TRUE") << "TRUE" << true;
    QTest::newRow("number -1") << "-1" << true;
    QTest::newRow("number 0") << "0" << false;
    QTest::newRow("word: default") << "yes" << false;
    QTest::newRow("empty: default") << "" << false;
}

void TestUserOptions::truthValues() {
    QFETCH(QString, stored);
    QFETCH(bool, exit);
    if (!stored.isNull())
        m_options.set("Exit", stored);
    QCOMPARE(UserOptions::exitOnClose(), exit);
}

void TestUserOptions::writersStoreText() {
    UserOptions::setExitOnClose(true);
    QCOMPARE(m_options.get("Exit"), QStringLiteral("True"));
    QVERIFY(!m_options.has("ShowAskTrayExit"));
    QVERIFY(!m_options.has("ShowStartInfo"));
    UserOptions::setExitOnClose(false);
    QCOMPARE(m_options.get("Exit"), QStringLiteral("False"));
    UserOptions::setShowAskTrayExitOff();
    QCOMPARE(m_options.get("ShowAskTrayExit"), QStringLiteral("0"));
    QVERIFY(!m_options.has("ShowStartInfo"));
    UserOptions::setShowStartInfoOff();
    QCOMPARE(m_options.get("ShowStartInfo"), QStringLiteral("0"));
    // Read back through the program's own readers, afresh.
    QVERIFY(!UserOptions::showStartInfo());
    QVERIFY(!UserOptions::showAskTrayExit());
    QVERIFY(!UserOptions::exitOnClose());
}

QTEST_MAIN(TestUserOptions)
#include "test_user_options.moc"

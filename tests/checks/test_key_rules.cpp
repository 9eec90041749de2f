// What the typing filters let into a text box: each rule by name, the tax
// id's character-by-character rule, and text pasted at once as if typed.
// Backspace and Enter close every character set.
#include "checks/key_rules.h"
#include "test_registry.h"

#include <QTest>

using KeyRules::Rule;

Q_DECLARE_METATYPE(KeyRules::Rule)

namespace {

constexpr int kBackspace = 8;
constexpr int kEnter = 13;

int key(char c) { return int(static_cast<unsigned char>(c)); }

} // namespace

class TestKeyRules : public QObject {
    Q_OBJECT
private slots:
    void rules_data()
    {
        QTest::addColumn<Rule>("rule");
        QTest::addColumn<int>("keyAscii");
        QTest::addColumn<int>("expected");
        QTest::newRow("free letter") << Rule::Free << key('x') << key('x');
        QTest::newRow("digits digit") << Rule::Digits << key('7') << key('7');
        QTest::newRow("digits point") << Rule::Digits << key('.') << 0;
        QTest::newRow("digits letter") << Rule::Digits << key('a') << 0;
        QTest::newRow("digits backspace") << Rule::Digits << kBackspace << kBackspace;
        QTest::newRow("digits enter") << Rule::Digits << kEnter << kEnter;
        QTest::newRow("digits tab") << Rule::Digits << 9 << 0;
        QTest::newRow("decimal point") << Rule::Decimal << key('.') << key('.');
        QTest::newRow("decimal comma") << Rule::Decimal << key(',') << 0;
        QTest::newRow("decimal arabic-indic digit") << Rule::Decimal << 0x0663 << 0;
        QTest::newRow("show-only digit") << Rule::ShowOnly << key('1') << 0;
        QTest::newRow("show-only backspace") << Rule::ShowOnly << kBackspace << 0;
        QTest::newRow("show-only enter") << Rule::ShowOnly << kEnter << kEnter;
    }
    void rules()
    {
        QFETCH(Rule, rule);
        QFETCH(int, keyAscii);
        QFETCH(int, expected);
        // These rules do not depend on where the character lands.
        for (int position : {1, 5, 13, 30})
            QCOMPARE(KeyRules::filterKey(rule, keyAscii, position), expected);
    }

    // The position is where the character lands (1 = the first character).
    void taxId_data()
    {
        QTest::addColumn<int>("keyAscii");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("1: blank") << key(' ') << 1 << true;
        QTest::newRow("1: letter") << key('A') << 1 << false;
        QTest::newRow("2: letter") << key('A') << 2 << true;
        QTest::newRow("2: ampersand") << key('&') << 2 << false;
        QTest::newRow("2: N with tilde") << 0x00D1 << 2 << false;
        QTest::newRow("3: ampersand") << key('&') << 3 << true;
        QTest::newRow("3: digit") << key('5') << 3 << false;
        QTest::newRow("4: ampersand") << key('&') << 4 << false;
        QTest::newRow("5: digit") << key('0') << 5 << true;
        QTest::newRow("10: letter") << key('A') << 10 << false;
        QTest::newRow("11: letter") << key('A') << 11 << true;
        QTest::newRow("12: ampersand") << key('&') << 12 << false;
        QTest::newRow("13: small a") << key('a') << 13 << true;
        QTest::newRow("13: B") << key('B') << 13 << false;
        QTest::newRow("14: sign") << key('!') << 14 << true;
        QTest::newRow("1: backspace") << kBackspace << 1 << true;
        QTest::newRow("5: enter") << kEnter << 5 << true;
    }
    void taxId()
    {
        QFETCH(int, keyAscii);
        QFETCH(int, position);
        QFETCH(bool, accepted);
        // The key is never changed, only let through or swallowed: the box
        // upper-cases its text afterwards.
        QCOMPARE(KeyRules::filterKey(Rule::TaxId, keyAscii, position), accepted ? keyAscii : 0);
    }

    void inserted_data()
    {
        QTest::addColumn<Rule>("rule");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("expected");
        QTest::newRow("quantity with a letter") << Rule::Decimal << "12a.5" << 1 << "12.5";
        QTest::newRow("digits across lines") << Rule::Digits << "12\r\n34\n" << 1 << "1234";
        QTest::newRow("pasted backspace") << Rule::Free << QString("ab\bc") << 1 << "abc";
        QTest::newRow("show-only") << Rule::ShowOnly << "123\r\n" << 1 << "";
        QTest::newRow("whole tax id") << Rule::TaxId << " abc010203xy1" << 1 << " abc010203xy1";
        // A refused character does not move the position on.
        QTest::newRow("tax id, refused digit") << Rule::TaxId << " A1&" << 1 << " A&";
        QTest::newRow("tax id, homonymy and check") << Rule::TaxId << "XYB9" << 11 << "XY9";
        // An emoji is one character of two units: refused or kept whole.
        QTest::newRow("digits and an emoji") << Rule::Digits << QStringLiteral("1\U0001F6002") << 1 << "12";
        QTest::newRow("free emoji") << Rule::Free << QStringLiteral("a\U0001F600") << 1
                                    << QStringLiteral("a\U0001F600");
        QTest::newRow("tax id, emoji at the check") << Rule::TaxId << QStringLiteral("\U0001F600A") << 13 << "A";
    }
    void inserted()
    {
        QFETCH(Rule, rule);
        QFETCH(QString, text);
        QFETCH(int, position);
        QFETCH(QString, expected);
        QCOMPARE(KeyRules::filterInserted(rule, text, position), expected);
    }
};

QUELVAR_TEST_CLASS(TestKeyRules)
#include "test_key_rules.moc"

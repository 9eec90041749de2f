// Which keys type text, and the codes the key handlers see for them: every
// key a line edit would insert text for must reach the handlers.
#include "test_registry.h"
#include "platform/typed_key.h"

#include <QKeyEvent>
#include <QTest>

using Codes = QList<int>;

class TestTypedKey : public QObject {
    Q_OBJECT
private slots:
    void codes_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Codes>("codes");
        const int none = Qt::NoModifier, alt = Qt::AltModifier, ctrl = Qt::ControlModifier;
        const int altGr = Qt::ControlModifier | Qt::AltModifier, shift = Qt::ShiftModifier;
        QTest::newRow("letter") << int(Qt::Key_A) << none << "a" << Codes{'a'};
        QTest::newRow("letter with Alt") << int(Qt::Key_E) << alt << "e" << Codes{'e'};
        QTest::newRow("AltGr as Ctrl+Alt") << int(Qt::Key_At) << altGr << "@" << Codes{'@'};
        QTest::newRow("emoji") << int(Qt::Key_unknown) << none << QStringLiteral("\U0001F600") << Codes{0x1F600};
        QTest::newRow("two characters") << int(Qt::Key_unknown) << none << "\u00b4a" << Codes{0xB4, 'a'};
        QTest::newRow("Ctrl shortcut") << int(Qt::Key_C) << ctrl << "c" << Codes{};
        QTest::newRow("Ctrl+Shift shortcut") << int(Qt::Key_C) << (ctrl | shift) << "C" << Codes{};
        QTest::newRow("control character") << int(Qt::Key_V) << ctrl << "\x16" << Codes{};
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << none << "\b" << Codes{8};
        QTest::newRow("Return") << int(Qt::Key_Return) << none << "\r" << Codes{13};
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "\r" << Codes{13};
        QTest::newRow("Escape") << int(Qt::Key_Escape) << none << "\x1b" << Codes{};
        QTest::newRow("Tab") << int(Qt::Key_Tab) << none << "\t" << Codes{};
        QTest::newRow("Delete") << int(Qt::Key_Delete) << none << "\x7f" << Codes{};
    }
    void codes()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(Codes, codes);
        const QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers::fromInt(modifiers), text);
        QCOMPARE(typedKeyCodes(&event), codes);
        QCOMPARE(typedKeyCode(&event), codes.size() == 1 ? codes.first() : 0);
    }
};

QUELVAR_TEST_CLASS(TestTypedKey)
#include "test_typed_key.moc"

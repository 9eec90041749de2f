// Which keys type text, and the codes the key handlers see for them: every
// key a line edit would insert text for reaches the handlers. And Qt's own
// texts in Spanish, whatever the desktop's language.

#include "test_registry.h"

#include "platform/spanish_translation.h"
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
        QTest::newRow("AltGr as Ctrl+Alt") << int(Qt::Key_At) << (ctrl | alt) << "@" << Codes{'@'};
        QTest::newRow("two characters") << int(Qt::Key_unknown) << none << "\u00b4\U0001F600" << Codes{0xB4, 0x1F600};
        QTest::newRow("Ctrl shortcut") << int(Qt::Key_C) << ctrl << "c" << Codes{};
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << none << "\b" << Codes{8};
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "\r" << Codes{13};
        QTest::newRow("Escape") << int(Qt::Key_Escape) << none << "\x1b" << Codes{};
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

    void qtSpeaksSpanish()
    {
        QVERIFY(SpanishTranslation::install());
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancelar"));
        QCOMPARE(QLocale().name(), QStringLiteral("es_MX"));
    }
};

QUELVAR_TEST_CLASS(TestTypedKey)
#include "test_typed_key.moc"

// Which keys type text, and the codes the key handlers see for them: every
// key a line edit would insert text for reaches the handlers. And Qt's own
// texts in Spanish, whatever the desktop's language.

#include "test_registry.h"

#include "platform/spanish_translation.h"
#include "platform/typed_key.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

using Codes = QList<int>;

class TestTypedKey : public QObject {
    Q_OBJECT

    static QString yes()
    {
        QMessageBox box(QMessageBox::Question, "QUELVAR", "¿Borrar?", QMessageBox::Yes | QMessageBox::No);
        return box.button(QMessageBox::Yes)->text().remove(u'&');
    }

private slots:
    void codes_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Codes>("codes");
        const int none = Qt::NoModifier, alt = Qt::AltModifier, ctrl = Qt::ControlModifier;
        QTest::newRow("letter") << int(Qt::Key_A) << none << "a" << Codes{'a'};
        QTest::newRow("letter with Alt") << int(Qt::Key_E) << alt << "e" << Codes{'e'};
        QTest::newRow("AltGr as Ctrl+Alt") << int(Qt::Key_At) << (ctrl | alt) << "@" << Codes{'@'};
        QTest::newRow("emoji") << int(Qt::Key_unknown) << none << QStringLiteral("\U0001F600") << Codes{0x1F600};
        QTest::newRow("two characters") << int(Qt::Key_unknown) << none << "\u00b4a" << Codes{0xB4, 'a'};
        QTest::newRow("Ctrl shortcut") << int(Qt::Key_C) << ctrl << "c" << Codes{};
        QTest::newRow("Ctrl+Shift shortcut") << int(Qt::Key_C) << (ctrl | int(Qt::ShiftModifier)) << "C" << Codes{};
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

    // Without its translation file Qt stays in English; the locale is Mexico's either way.
    void qtSpeaksSpanish()
    {
        QLocale::setDefault(QLocale::c());
        QTemporaryDir empty;
        QVERIFY(!SpanishTranslation::install(empty.path()));
        QCOMPARE(yes(), QStringLiteral("Yes"));
        QCOMPARE(QLocale().name(), QStringLiteral("es_MX"));
        QVERIFY(SpanishTranslation::install());
        QVERIFY(SpanishTranslation::install()); // a second call changes nothing
        QCOMPARE(yes(), QStringLiteral("Sí"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancelar"));
        QCOMPARE(QCoreApplication::translate("QLineEdit", "&Copy").remove(u'&'), QStringLiteral("Copiar"));
    }
};

QUELVAR_TEST_CLASS(TestTypedKey)
#include "test_typed_key.moc"

// Qt's own texts in Spanish whatever the desktop language.

#include "test_registry.h"
#include "platform/spanish_translation.h"

#include <QAbstractButton>
#include <QLocale>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

class TestSpanishTranslation : public QObject {
    Q_OBJECT

    static QString yesButtonText()
    {
        QMessageBox box(QMessageBox::Question, QStringLiteral("QUELVAR"), QStringLiteral("¿Borrar?"),
                        QMessageBox::Yes | QMessageBox::No);
        return box.button(QMessageBox::Yes)->text().remove(u'&');
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        QCOMPARE(yesButtonText(), QStringLiteral("Yes"));
    }

    void withoutTheTranslationFileQtStaysInEnglish()
    {
        QTemporaryDir empty;
        QVERIFY(!SpanishTranslation::install(empty.path()));
        QCOMPARE(yesButtonText(), QStringLiteral("Yes"));
        QCOMPARE(QLocale().name(), QStringLiteral("es_MX"));
    }

    void qtSpeaksSpanish()
    {
        QVERIFY(SpanishTranslation::install());
        QCOMPARE(yesButtonText(), QStringLiteral("Sí"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancelar"));
        QCOMPARE(QCoreApplication::translate("QLineEdit", "&Copy").remove(u'&'), QStringLiteral("Copiar"));
        QCOMPARE(QLocale().name(), QStringLiteral("es_MX"));
        QVERIFY(SpanishTranslation::install()); // a second call changes nothing
        QCOMPARE(yesButtonText(), QStringLiteral("Sí"));
    }
};

QUELVAR_TEST_CLASS(TestSpanishTranslation)
#include "test_spanish_translation.moc"

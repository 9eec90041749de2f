// The command bar's icons are compiled into the widget library.

#include "test_registry.h"
#include <QImage>
#include <QTest>

class TestCommandIcons : public QObject {
    Q_OBJECT

private slots:
    void everyCommandHasItsIcon()
    {
        for (const char *name : {"consideraciones", "borrar_todo", "borrar_solicitud", "generar_disco", "imprimir",
                                 "grabar", "recuperar", "acerca"}) {
            const QImage icon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(name)));
            QVERIFY2(!icon.isNull(), name);
            QCOMPARE(icon.size(), QSize(32, 32));
            QVERIFY2(icon.hasAlphaChannel(), name);
        }
    }
};

QUELVAR_TEST_CLASS(TestCommandIcons)
#include "test_command_icons.moc"

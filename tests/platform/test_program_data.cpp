// Where an installed program finds its data and its request templates, and
// where a program run from its build folder finds them.

#include "test_registry.h"

#include "platform/program_data.h"
#include "store/request_folder.h"

#include <QTemporaryDir>
#include <QTest>

class TestProgramData : public QObject {
    Q_OBJECT

    static QString sourceData() { return QStringLiteral(QUELVAR_DATA_DIR); }

private slots:
    void dataOfAnInstalledProgram()
    {
        QTemporaryDir prefix;
        const QString bin = prefix.filePath(QStringLiteral("bin"));
        QVERIFY(QDir().mkpath(bin));
        QCOMPARE(ProgramData::dataDir(bin), sourceData());

        const QString share = prefix.filePath(QStringLiteral("share/quelvar"));
        QVERIFY(QDir().mkpath(share));
        QCOMPARE(ProgramData::dataDir(bin), sourceData()); // no catalogues there
        QVERIFY(QFile::copy(QDir(sourceData()).filePath(QStringLiteral("estados.csv")),
                            QDir(share).filePath(QStringLiteral("estados.csv"))));
        QCOMPARE(ProgramData::dataDir(bin), share);
    }

    // The templates serve only when they hold every table, in any case.
    void templatesOfAnInstalledProgram_data()
    {
        QTest::addColumn<bool>("made");
        QTest::addColumn<QString>("removed"); // a table taken out of them
        QTest::addColumn<QString>("renamed"); // a table renamed to this
        QTest::addColumn<bool>("served");
        QTest::newRow("ninguna") << false << QString() << QString() << false;
        QTest::newRow("todas") << true << QString() << QString() << true;
        QTest::newRow("en mayúsculas") << true << QString() << QStringLiteral("IMPTLC.DBF") << true;
        QTest::newRow("falta una de la solicitud") << true << QStringLiteral("factura.dbf") << QString() << false;
        QTest::newRow("falta un catálogo") << true << QStringLiteral("Paises.dbf") << QString() << false;
    }
    void templatesOfAnInstalledProgram()
    {
        QFETCH(bool, made);
        QFETCH(QString, removed);
        QFETCH(QString, renamed);
        QFETCH(bool, served);
        QTemporaryDir prefix;
        const QString bin = prefix.filePath(QStringLiteral("bin"));
        QVERIFY(QDir().mkpath(bin));
        const QString templates = prefix.filePath(QStringLiteral("share/quelvar/plantillas"));
        if (made)
            RequestFolder::create(templates, sourceData());
        const QDir dir(templates);
        if (!removed.isEmpty())
            QVERIFY(QFile::remove(dir.filePath(removed)));
        if (!renamed.isEmpty())
            QVERIFY(QFile::rename(dir.filePath(QStringLiteral("impTLC.dbf")), dir.filePath(renamed)));
        QCOMPARE(ProgramData::templates(bin), served ? templates : QString());
    }
};

QUELVAR_TEST_CLASS(TestProgramData)
#include "test_program_data.moc"

// Every *.scn file of this folder is one test, run by ScenarioRunner
// (scenario_runner.h, which describes the format).
#include "scenario_runner.h"
#include "test_registry.h"

class TestScenarios : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!RequestFixture::haveTools())
            QFAIL("python3-dbf is not installed (bash scripts/test.sh installs it)");
    }
    void scenario_data()
    {
        QTest::addColumn<QString>("file");
        const QDir dir(QStringLiteral(SCENARIO_DIR));
        for (const QString &f : dir.entryList({QStringLiteral("*.scn")}, QDir::Files, QDir::Name))
            QTest::newRow(qPrintable(QFileInfo(f).completeBaseName())) << dir.filePath(f);
    }
    void scenario()
    {
        QFETCH(QString, file);
        ScenarioRunner runner;
        if (!runner.runFile(file))
            QFAIL(qPrintable(runner.error()));
    }
};

QUELVAR_TEST_CLASS(TestScenarios)
#include "scenarios.moc"

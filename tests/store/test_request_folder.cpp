// The request folder a deployment ships: table layouts, catalogues and the
// quelvar-tablas tool.

#include "test_registry.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/request_folder.h"
#include "store/request_schema.h"
#include "store/store_error.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestRequestFolder : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString folder_;

    std::unique_ptr<Recordset> open(const QString &file)
    {
        return std::make_unique<Recordset>(DbfTable::open(QDir(folder_).filePath(file)));
    }

    static QString tool() { return QStringLiteral(QUELVAR_TOOLS_DIR "/quelvar-tablas"); }

private slots:
    void initTestCase()
    {
        folder_ = dir_.filePath(QStringLiteral("solicitud"));
        RequestFolder::create(folder_, QStringLiteral(QUELVAR_DATA_DIR));
        QVERIFY(RequestFolder::holdsRequest(folder_));
    }

    void fieldsSitWhereTheProgramAddressesThem()
    {
        const QList<std::pair<QString, QStringList>> positions{
            {QStringLiteral("insunit.dbf"), {"FRACCION", "TASA_ADVAL", "COSTO_UNIT", "DESCRIP"}},
            {QStringLiteral("insupedi.dbf"),
             {"TIPO", "NUM_DOCUME", "FEC_PAGO", "FRACCION", "TASA_ADVAL", "PU_MIMP", "PAIS_IMPOR", "CAN_MIMP",
              "CAN_MRETSO", "VAL_TOT_IN", "VALINCREAL", "VAL_MREP", "MONT_SOLIC", "COSTO_UNIT", "SALDO_CAN", "SALDO_VAL"}},
            {QStringLiteral("exporped.dbf"),
             {"NO_PEDIMEN", "FECHA_PEDI", "PAIS_EXPOR", "CANT_TOTAL", "CANT_UTIL", "VAL_TOTPED", "VALOR_UTI", "SDO_DOCU"}},
            {QStringLiteral("factura.dbf"),
             {"NODOC", "FECHADOC", "CANT_TOTAL", "CANT_UTIL", "VALTOTNP", "VALREPNP", "VALTOTDLL", "VALREPDLL", "NOM_EXPIDE"}},
            {QStringLiteral("impTLC.dbf"),
             {"PAIS_IMPOR", "FRACCION", "FECHA", "CAN_MIMP", "PU_MIMP", "VAL_TOT_IN", "TASA_ADVAL", "MONT_SOLIC"}},
        };
        for (const auto &[file, fields] : positions) {
            auto rs = open(file);
            QStringList names;
            for (int i = 0; i < rs->fieldCount(); ++i)
                names.append(rs->fieldName(i));
            QCOMPARE(names, fields);
        }
        auto empresas = open(QStringLiteral("empresas.dbf"));
        QCOMPARE(empresas->table()->field(4).type, 'N'); // the state code
        auto solicitu = open(QStringLiteral("solicitu.dbf"));
        // The program writes these names in mixed case.
        for (const char *name : {"OTipoExpor", "Tipo_Expor", "Mer_Ret", "tsol", "folio", "Unidad", "Depre_Maq"})
            QVERIFY2(solicitu->fieldIndex(QLatin1String(name)) >= 0, name);
        for (const char *flag : {"REPORTE", "APENDICE8", "ANEXOB", "ANEXOC"})
            QCOMPARE(solicitu->table()->field(solicitu->fieldIndex(QLatin1String(flag))).type, 'L');
    }

    void everyFieldHoldsWhatTheWindowAccepts()
    {
        auto empresas = open(QStringLiteral("empresas.dbf"));
        empresas->AddNew();
        empresas->Fields(QStringLiteral("RFC")).setValue(QStringLiteral(" ABC010101XY1"));
        empresas->Fields(QStringLiteral("BANCO")).setValue(QStringLiteral("UNION DE CREDITO AGRO INDUSTRIAL P."));
        empresas->Fields(4).setValue(32);
        empresas->Fields(QStringLiteral("Sector")).setValue(30);
        auto solicitu = open(QStringLiteral("solicitu.dbf"));
        solicitu->AddNew();
        solicitu->Fields(QStringLiteral("folio")).setValue(QStringLiteral("12342026"));
        solicitu->Fields(QStringLiteral("Unidad")).setValue(QStringLiteral("METRO CUADRADO"));
        for (const char *cost : {"MAT_PRI_NA", "DEPRE_MAQ", "DEVOL_SOL", "PRE_VEN_SO"})
            solicitu->Fields(QLatin1String(cost)).setValue(QStringLiteral("99,999,999,999.12345"));
        solicitu->Fields(QStringLiteral("VALOR_FOB")).setValue(QStringLiteral("123456789012"));
        solicitu->Fields(QStringLiteral("CANTIDAD")).setValue(QStringLiteral("99999999"));
        solicitu->Fields(QStringLiteral("PORCENTAJE")).setValue(100);
        solicitu->Fields(QStringLiteral("OTipoExpor")).setValue(1);
        auto insupedi = open(QStringLiteral("insupedi.dbf"));
        insupedi->AddNew();
        insupedi->Fields(QStringLiteral("NUM_DOCUME")).setValue(QStringLiteral("123456789012345"));
        insupedi->Fields(QStringLiteral("PAIS_IMPOR")).setValue(QStringLiteral("ESTADOS UNIDOS DE AMERICA"));
        insupedi->Fields(QStringLiteral("Pu_Mimp")).setValue(QStringLiteral("123456.12345"));
        insupedi->Fields(QStringLiteral("Costo_unit")).setValue(0.00001);
        insupedi->Fields(QStringLiteral("VAL_TOT_IN")).setValue(QStringLiteral("9999999999999"));
        insupedi->Update();
        QCOMPARE(insupedi->Fields(QStringLiteral("PU_MIMP")).Value(), QVariant(123456.12345));
    }

    void cataloguesAreInOrder()
    {
        auto estados = open(QStringLiteral("Estados.dbf"));
        QCOMPARE(estados->RecordCount(), 32L);
        int code = 0;
        for (estados->MoveFirst(); !estados->Eof(); estados->MoveNext())
            QCOMPARE(estados->Fields(0).Value().toInt(), ++code);
        estados->moveToRow(8);
        QCOMPARE(estados->Fields(1).Value(), QVariant(QStringLiteral("CIUDAD DE MEXICO")));

        auto sectores = open(QStringLiteral("Sectores.dbf"));
        QVERIFY(sectores->RecordCount() > 10);
        code = 0;
        for (sectores->MoveFirst(); !sectores->Eof(); sectores->MoveNext())
            QCOMPARE(sectores->Fields(0).Value().toInt(), ++code);

        auto paises = open(QStringLiteral("Paises.dbf"));
        QCOMPARE(paises->fieldName(1), QStringLiteral("DESCRIPCIO"));
        for (const char *country : {"ESTADOS UNIDOS DE AMERICA", "CANADA", "MEXICO"}) {
            paises->FindFirst(QStringLiteral("descripcio Like '%1*'").arg(QLatin1String(country)));
            QVERIFY2(!paises->NoMatch() && paises->Fields(1).Value() == QLatin1String(country), country);
        }
        auto pedimentos = open(QStringLiteral("Pedimentos.dbf"));
        QCOMPARE(pedimentos->fieldName(0), QStringLiteral("CLAVE"));
        pedimentos->FindFirst(QStringLiteral("clave Like 'v1*'"));
        QCOMPARE(pedimentos->Fields(0).Value(), QVariant(QStringLiteral("V1")));
    }

    void cataloguesHoldTheirSourcesExactly()
    {
        // Shown back as CSV, each catalogue table is its UTF-8 source line for line.
        for (const TableSchema &t : RequestSchema::catalogueTables()) {
            QFile source(QDir(QStringLiteral(QUELVAR_DATA_DIR)).filePath(t.source));
            QVERIFY(source.open(QIODevice::ReadOnly));
            QCOMPARE(RequestFolder::toCsv(QDir(folder_).filePath(t.file)), QString::fromUtf8(source.readAll()));
        }
    }

    void existingTablesAreNeverOverwritten()
    {
        const QByteArray before = [&] {
            QFile f(QDir(folder_).filePath(QStringLiteral("Estados.dbf")));
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        QVERIFY_THROWS_EXCEPTION(StoreError, RequestFolder::create(folder_, QStringLiteral(QUELVAR_DATA_DIR)));
        const QString estados = QDir(folder_).filePath(QStringLiteral("Estados.dbf"));
        QVERIFY_THROWS_EXCEPTION(StoreError, DbfTable::create(estados, {charField(QStringLiteral("X"), 1)}));
        QFile f(estados);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        QCOMPARE(QDir(folder_).entryList(QDir::Files | QDir::Hidden).size(), 11); // no scratch file left

        // One table of another case is enough to refuse, and nothing is added.
        const QString other = dir_.filePath(QStringLiteral("otra"));
        QDir().mkpath(other);
        DbfTable::create(QDir(other).filePath(QStringLiteral("IMPTLC.DBF")), {charField(QStringLiteral("X"), 1)});
        QVERIFY_THROWS_EXCEPTION(StoreError, RequestFolder::create(other, QStringLiteral(QUELVAR_DATA_DIR)));
        QCOMPARE(QDir(other).entryList(QDir::Files | QDir::Hidden | QDir::AllDirs | QDir::NoDotAndDotDot).size(), 1);

        // A broken catalogue source leaves no table behind.
        const QString empty = dir_.filePath(QStringLiteral("sin-datos"));
        QVERIFY_THROWS_EXCEPTION(StoreError, RequestFolder::create(empty, dir_.filePath(QStringLiteral("nada"))));
        QCOMPARE(QDir(empty).entryList(QDir::Files | QDir::AllDirs | QDir::Hidden | QDir::NoDotAndDotDot).size(), 0);
    }

    void toolMakesAndShowsTables()
    {
        const QString made = dir_.filePath(QStringLiteral("hecha"));
        QProcess p;
        p.start(tool(), {QStringLiteral("crear"), made});
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitCode(), 0);
        p.start(tool(), {QStringLiteral("crear"), made});
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(QLatin1String("no se sobrescriben")));

        // A record with a leading blank, an accent, a comma, a null and a
        // deleted neighbour.
        {
            Recordset rs(DbfTable::open(QDir(made).filePath(QStringLiteral("empresas.dbf"))));
            for (const char *name : {"BORRADA", "PEÑA, S.A."}) {
                rs.AddNew();
                rs.Fields(QStringLiteral("NOMBRE")).setValue(QString::fromUtf8(name));
                rs.Fields(QStringLiteral("RFC")).setValue(QStringLiteral(" PEN010101AB1"));
                rs.Fields(4).setValue(9);
                rs.Update();
            }
            rs.MoveFirst();
            rs.Delete();
        }
        p.start(tool(), {QStringLiteral("mostrar"), QDir(made).filePath(QStringLiteral("empresas.dbf"))});
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitCode(), 0);
        const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].startsWith(QLatin1String("NOMBRE,RFC,DIRECCION1,COLONIA,ESTADO,")));
        QVERIFY2(lines[1].startsWith(QStringLiteral("\"PEÑA, S.A.\",\" PEN010101AB1\",,,9,")), qPrintable(lines[1]));

        p.start(tool(), {QStringLiteral("mostrar"), QDir(made).filePath(QStringLiteral("nada.dbf"))});
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitCode(), 1);
        p.start(tool(), {QStringLiteral("otra-cosa")});
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitCode(), 2);
    }
};

QUELVAR_TEST_CLASS(TestRequestFolder)
#include "test_request_folder.moc"

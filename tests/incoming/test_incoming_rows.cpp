// Rows that come into a grid: each judged as if typed, and written (or
// taken back) as one step that a dead program never leaves half done.
#include "exchange/unfinished_work.h"
#include "incoming/incoming_rows.h"
#include "rules/export_documents.h"
#include "rules/fraction_line.h"
#include "rules/grid_cell_rules.h"
#include "rules/imported_goods.h"
#include "rules/window_texts.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/request_folder.h"
#include "store/store_error.h"
#include "test_registry.h"

#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

const QMap<QString, QString> kTables{
    {"dbMI", "insupedi"}, {"dbED", "exporped"}, {"dbEI", "factura"}, {"dbITLC", "impTLC"}, {"dbCU", "insunit"}};

IncomingRows::Context contextFor(const QString &grid, quint8 opcDT)
{
    IncomingRows::Context c;
    c.grid = grid;
    c.opcDT = opcDT;
    c.today = QDate(2026, 6, 15);
    c.lengthMessages = WindowTexts::gridLengthMessages();
    c.documentKeys = {"A1", "A3", "V1"};
    c.fractionLines = {FractionLine::build("73181500", 5, 2.25), FractionLine::build("84713001", 10, QVariant())};
    c.countryCatalogue = {"ALEMANIA", "CANADA", "ESPAÑA", "ESTADOS UNIDOS DE AMERICA", "JAPON", "JAMAICA",
                          "ISLAS VIRGENES DE LOS ESTADOS UNIDOS"};
    c.countries = {"CANADA", "ESPAÑA", "ESTADOS UNIDOS DE AMERICA", "JAPON"};
    return c;
}

} // namespace

class TestIncomingRows : public QObject {
    Q_OBJECT
private slots:
    // A row as the grid's columns take it ("~": a cell not given, "!": a
    // cell its file could not give, "#": a spreadsheet's number) and what
    // comes of it: the fields
    // stored, or the first refusal; "flag" rows are stored and say what was
    // not found in a list. Figures are read in the style their texts make.
    void rows_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<int>("opcDT");
        QTest::addColumn<QString>("cells");
        QTest::addColumn<QString>("outcome");
        const auto row = [](const char *name, const char *grid, int opc, const QString &cells, const QString &out) {
            QTest::newRow(name) << QString(grid) << opc << cells << out;
        };
        const QString good = "a1|260123456789012|2026-03-02|7318|~|~|jap|1 000|0|4,500.50|800";
        row("typed and derived", "dbMI", 1, good,
            "TIPO=A1 FEC_PAGO=2026-03-02 FRACCION=73181500 TASA_ADVAL=5 PU_MIMP=2.25 COSTO_UNIT=2.25 "
            "PAIS_IMPOR=JAPON CAN_MIMP=1000 VAL_TOT_IN=4500.5 SALDO_VAL=3700.5 MONT_SOLIC=40");
        row("no cost in a returns mode", "dbMI", 3, "A1|260123456789012|02/03/2026|8471|~|7|~|5", "PU_MIMP=7 TASA_ADVAL=10");
        row("cost kept out of an undated row", "dbMI", 2, "A1|260123456789012|~|7318", "PU_MIMP=2.25 COSTO_UNIT=");
        row("cost of a dated row", "dbMI", 2, "A1|260123456789012|01/03/2026|7318", "COSTO_UNIT=2.25");
        row("blank cells of a new row typed not", "dbITLC", 0, "japon|73181500|01/02/2026|4|2.5|5| |1", "VAL_TOT_IN=10");
        row("unknown codes kept", "dbMI", 1, "ZZ|260123456789012|01/01/2026|9999|~|~|PERU", "flag TIPO=ZZ FRACCION=9999 PAIS_IMPOR=PERU");
        row("a country the request lacks", "dbMI", 1, "A1|260123456789012|01/01/2026|~|~|~|jam", "flag PAIS_IMPOR=JAM");
        row("every country in mode 2", "dbMI", 2, "A1|260123456789012|01/01/2026|~|~|~|jam", "PAIS_IMPOR=JAMAICA");
        row("key V1 emptied", "dbMI", 1, "v1|260123456789012|01/01/2026", "flag TIPO=");
        row("short pedimento", "dbMI", 1, "A1|26012345678901", GridCellRules::kPedimentoLength);
        row("date of another year", "dbMI", 1, "A1|260123456789012|01/01/2024", "El año que has introducido");
        row("incorporated above total", "dbMI", 1, "A1|260123456789012|~|~|~|~|~|~|~|100|100.5",
            ImportedGoods::kIncorporatedTooHigh);
        row("not a number", "dbMI", 1, "A1|260123456789012|~|~|~|~|~|12a", "No es un número");
        const QString head = "A1|260123456789012|01/03/2026|";
        row("country given whole", "dbMI", 1, head + "~|~|~|Estados Unidos de América", "PAIS_IMPOR=ESTADOS UNIDOS DE AMERICA");
        row("accents and blanks", "dbMI", 1, head + "~|~|~| espana ", "PAIS_IMPOR=ESPAÑA");
        row("two countries begin so", "dbMI", 2, head + "~|~|~|ja", "flag PAIS_IMPOR=JA");
        row("unknown country kept whole", "dbMI", 1, head + "~|~|~|Nueva Zelanda", "flag PAIS_IMPOR=NUEVA ZELANDA");
        row("tariff item with dots", "dbMI", 1, head + "7318.15.00", "FRACCION=73181500 TASA_ADVAL=5");
        row("decimal comma", "dbMI", 1, head + "~|~|~|~|1,5|~|1234,56", "CAN_MIMP=1.5 VAL_TOT_IN=1234.56");
        row("blanks and a comma", "dbED", 0, "260123456789012|~|~|2 000,50", "CANT_TOTAL=2000.5");
        row("a column told by the others", "dbMI", 1, head + "~|~|~|~|1.000|~|1.234,56", "CAN_MIMP=1000");
        row("a spreadsheet's number beside texts", "dbMI", 1, head + "~|~|~|~|#1.234|~|1.234,5", "CAN_MIMP=1.234 VAL_TOT_IN=1234.5");
        row("value too long", "dbMI", 1, head + "~|~|~|~|~|~|12345678901234567890", "El número que indica el valor");
        row("negative", "dbMI", 1, head + "~|~|~|~|-100", "Es negativo");
        row("in parentheses", "dbEI", 0, "F-1|~|(2000)", "Es negativo");
        row("exponent", "dbITLC", 0, "japon|73181500|01/02/2026|1E5", "Está en notación científica");
        row("a cell the file could not give", "dbED", 0, "260123456789012|~|~|!", "La celda");
        row("locked column ignored", "dbMI", 1, "A1|260123456789012|~|~|~|~|~|~|~|~|~|~|~|~|99", "MONT_SOLIC=");
        row("export balance", "dbED", 0, "260123456789012|5/3/2026|ja|100|60|5000|3000",
            "FECHA_PEDI=2026-03-05 PAIS_EXPOR=JAPON CANT_UTIL=60 SDO_DOCU=2000");
        row("export used above total", "dbED", 0, "260123456789012|~|~|100|101", ExportDocuments::kQuantityTooHigh);
        row("indirect in pesos zeroes dollars", "dbEI", 0, "F-1|~|10|5|100|50|7|3|acme", "VALTOTDLL=0 VALREPDLL=0 NOM_EXPIDE=ACME");
        row("tlcan total", "dbITLC", 0, "japon|73181500|01/02/2026|4|2.5|5", "VAL_TOT_IN=10");
        row("unit cost item of 7 digits", "dbCU", 0, "7318150|x|1", GridCellRules::kFractionDigits);
        row("unit cost too long", "dbCU", 0, "73181500|x|1234567890123", GridCellRules::kCostLength);
    }
    void rows()
    {
        QFETCH(QString, grid);
        QFETCH(int, opcDT);
        QFETCH(QString, cells);
        QFETCH(QString, outcome);
        QTemporaryDir dir;
        RequestFolder::create(dir.path(), QStringLiteral(QUELVAR_DATA_DIR));
        const auto table = DbfTable::open(dir.filePath(kTables[grid] + ".dbf"));
        IncomingRows::Context context = contextFor(grid, quint8(opcDT));
        if (grid == "dbMI")
            context.locked = "000000000000001"; // the amount, as the modes lock it
        QStringList given = cells.split(u'|');
        IncomingRows::Source source;
        source.numbers.append(QBitArray(given.size()));
        for (int c = 0; c < given.size(); ++c) {
            if (given[c] == "!")
                source.faults.append({0, c, "Hoja1!D2", "La celda Hoja1!D2 tiene una fórmula sin resultado."});
            if (given[c].startsWith(u'#'))
                source.numbers[0].setBit(c), given[c].remove(0, 1);
            given[c] = given[c] == "~" || given[c] == "!" ? QString() : given[c];
        }
        source.decimals = IncomingRows::decimalStyles(context, *table, {given}, source);
        const IncomingRows::Checked checked = IncomingRows::check(context, *table, {given}, {}, {}, source);
        const IncomingRows::RowResult &result = checked.rows.value(0);
        const bool stored = outcome.contains(u'=');
        // Each reason is said once.
        QStringList said;
        for (const IncomingRows::Remark &r : result.refusals + result.flags)
            said.append(QString::number(r.column) + r.message);
        QCOMPARE(QSet<QString>(said.cbegin(), said.cend()).size(), said.size());
        if (!stored) {
            QVERIFY(!result.refusals.isEmpty());
            QVERIFY2(result.refusals[0].message.contains(outcome), qPrintable(result.refusals[0].message));
            QVERIFY(result.record.isEmpty());
            return;
        }
        QVERIFY2(result.accepted(), qPrintable(result.refusals.value(0).message));
        QCOMPARE(!result.flags.isEmpty(), outcome.startsWith("flag "));
        for (QString pair : outcome.split(QRegularExpression(" (?=[A-Z_]+=)")).filter(QStringLiteral("="))) {
            pair.remove(QLatin1String("flag "));
            const QString field = pair.section(u'=', 0, 0), want = pair.section(u'=', 1);
            const QVariant v = table->value(result.record.constData(), table->fieldIndex(field));
            const QString got = v.typeId() == QMetaType::QDate ? v.toDate().toString(Qt::ISODate)
                                : v.isValid() ? v.toString() : QString();
            QCOMPARE(got + u' ' + field, want + u' ' + field);
        }
        if (grid == "dbEI")
            QCOMPARE(checked.locked.mid(6, 2), QStringLiteral("11"));
    }

    // A write rewrites the rows given a record and adds the others; what a
    // dead program leaves with its note is taken back at the next start,
    // exactly as an undo does. A write that fails puts the table back at
    // once.
    void writeIsOneStep()
    {
        QTemporaryDir dir;
        RequestFolder::create(dir.path(), QStringLiteral(QUELVAR_DATA_DIR));
        Recordset rs(DbfTable::open(dir.filePath("exporped.dbf")));
        const IncomingRows::Context context = contextFor("dbED", 0);
        const QList<QStringList> first{{"260000000000001", "", "", "5"}, {"260000000000002", "", "", "6"}};
        IncomingRows::write(dir.path(), rs, IncomingRows::check(context, *rs.table(), first));
        const QByteArray before(rs.table()->record(0), rs.table()->recordLength());
        const IncomingRows::Checked next = IncomingRows::check(
            context, *rs.table(), {{QString(), QString(), QString(), "7"}, {"260000000000003"}, {"1"}, {" ", ""}}, {before});
        // The first row changes record 0, the last (blank) adds nothing.
        QCOMPARE(next.refused, 1);
        // Told to stop, the check says the rows are partial.
        QVERIFY(IncomingRows::check(context, *rs.table(), first, {}, [](int) { return false; }).cancelled);
        const IncomingRows::Written written = IncomingRows::write(dir.path(), rs, next, {0});
        QCOMPARE(rs.RecordCount(), 3L);
        QCOMPARE(rs.valueAt(0, 3).toDouble(), 7.0);
        QVERIFY(!QFile::exists(UnfinishedWork::noteFile(dir.path())));

        {
            // The disk full as the rows are added: what was rewritten is
            // put back through another handle, and read so.
            const QByteArray kept(rs.table()->record(0), rs.table()->recordLength());
            rlimit was{}, full{};
            getrlimit(RLIMIT_FSIZE, &was);
            full = {rlim_t(QFileInfo(rs.table()->path()).size()), was.rlim_max};
            const auto ignored = std::signal(SIGXFSZ, SIG_IGN);
            const auto back = qScopeGuard([&] { setrlimit(RLIMIT_FSIZE, &was), std::signal(SIGXFSZ, ignored); });
            setrlimit(RLIMIT_FSIZE, &full);
            const QList<QStringList> more{{QString(), QString(), QString(), "8"}, {"260000000000004"}};
            QVERIFY_THROWS_EXCEPTION(
                StoreError,
                IncomingRows::write(dir.path(), rs, IncomingRows::check(context, *rs.table(), more, {kept}), {0}));
            QCOMPARE(rs.RecordCount(), 3L);
            QCOMPARE(QByteArray(rs.table()->record(0), rs.table()->recordLength()), kept);
        }
        for (const bool byStart : {true, false}) {
            if (byStart) {
                // The note and its records as the write left them before dying.
                UnfinishedWork::noteRows(dir.path(), written.table, written.count, written.replaced);
                UnfinishedWork::finish(dir.path());
                rs.tableChanged();
            } else {
                IncomingRows::write(dir.path(), rs, next, {0});
                IncomingRows::undo(dir.path(), rs, written);
            }
            QCOMPARE(rs.RecordCount(), 2L);
            QCOMPARE(QByteArray(rs.table()->record(0), rs.table()->recordLength()), before);
            QCOMPARE(QDir(dir.path()).entryList({".quelvar.*"}, QDir::Hidden | QDir::Files), QStringList());
        }
    }
};

QUELVAR_TEST_CLASS(TestIncomingRows)
#include "test_incoming_rows.moc"

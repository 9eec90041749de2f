// The figures the window derives as the request is typed: the cost
// structure's totals, an imported-goods row's balances and amount, and the
// totals of the unit costs and of the imported goods over stored records.
#include "rules/cost_structure.h"
#include "rules/grid_totals.h"
#include "rules/imported_goods.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/request_schema.h"
#include "table_files.h"
#include "test_registry.h"

#include "checks/number_text.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Texts = QMap<QString, QString>;
using Changes = QList<QPair<QString, QString>>;

// The cost fields as the window holds them: each change typed runs its rule
// and the totals it writes take their place.
Texts typeCosts(Texts fields, const Changes &changes)
{
    for (const auto &[field, text] : changes) {
        fields[field] = text;
        const auto textOf = [&fields](const QString &name) { return fields.value(name); };
        for (const CostStructure::Write &w : CostStructure::changed(field, textOf))
            fields[w.field] = w.text;
    }
    return fields;
}

const Texts kNationalZeros{{"txtCIN", "0"}, {"txtCNIN", "0"}, {"txtEN", "0"}, {"txtSN", "0"}, {"txtDN", "0"}};

Texts with(Texts base, const Texts &more)
{
    for (auto it = more.begin(); it != more.end(); ++it)
        base.insert(it.key(), it.value());
    return base;
}

using Cells = QMap<ImportCol, QString>;

ImportedGoods::CellText cellsOf(const Cells &cells)
{
    return [cells](ImportCol c) { return cells.value(c); };
}

std::unique_ptr<Recordset> scratchTable(const QTemporaryDir &dir, const QString &table)
{
    const QString path = dir.filePath(table + QStringLiteral(".dbf"));
    DbfTable::create(path, RequestSchema::find(table)->fields);
    return std::make_unique<Recordset>(DbfTable::open(path));
}

// An imported-goods record: its amount (none when invalid) and country.
struct Imported {
    QVariant amount;
    QString country;
};

// A table of one numeric field holding each text as written, by any writer.
std::unique_ptr<Recordset> amountsTable(const QTemporaryDir &dir, const QStringList &amounts)
{
    const QString path = dir.filePath(QStringLiteral("importes.dbf"));
    QFile::remove(path);
    DbfTable::create(path, {numField(QStringLiteral("MONTO"), 20, 5)});
    QByteArray file = readAll(path);
    file.chop(1); // the end-of-file mark
    for (const QString &a : amounts)
        file += ' ' + a.toLatin1().rightJustified(20);
    file += char(0x1A);
    putLe32(file, 4, quint32(amounts.size()));
    writeAll(path, file);
    return std::make_unique<Recordset>(DbfTable::open(path));
}

} // namespace

Q_DECLARE_METATYPE(Texts)
Q_DECLARE_METATYPE(Changes)
Q_DECLARE_METATYPE(Cells)
Q_DECLARE_METATYPE(QList<ImportedGoods::CellWrite>)
Q_DECLARE_METATYPE(QList<Imported>)

class TestTotals : public QObject {
    Q_OBJECT
private slots:
    void costStructure_data()
    {
        QTest::addColumn<Texts>("start");
        QTest::addColumn<Changes>("typed");
        QTest::addColumn<Texts>("totals"); // the totals checked, "" for one never written
        QTest::newRow("imported total waits for its second operand")
            << kNationalZeros << Changes{{"txtMPN", "100"}, {"txtMPE", "50"}}
            << Texts{{"txtMPT", "150"}, {"txtTN", "100"}, {"txtTE", ""}, {"txtTT", ""}, {"txtCNIT", "0"}};
        QTest::newRow("then every total")
            << kNationalZeros << Changes{{"txtMPN", "100"}, {"txtMPE", "50"}, {"txtCIE", "0"}}
            << Texts{{"txtMPT", "150"}, {"txtTN", "100"}, {"txtTE", "50"}, {"txtTT", "150"}, {"txtCIT", "0"}};
        QTest::newRow("separators of a field left")
            << with(kNationalZeros, {{"txtMPN", "0"}}) << Changes{{"txtEN", "1234.5"}, {"txtEN", "1,234.5"}}
            << Texts{{"txtET", "1234.5"}, {"txtTN", "1234.5"}};
        QTest::newRow("an empty national field keeps the national total")
            << with(kNationalZeros, {{"txtSN", ""}, {"txtTN", "7"}}) << Changes{{"txtMPN", "5"}, {"txtDN", "9"}}
            << Texts{{"txtTN", "7"}, {"txtDT", "9"}};
        QTest::newRow("15 significant digits")
            << Texts{} << Changes{{"txtMPE", "0.1"}, {"txtMPN", "0.2"}, {"txtCIE", "1234.5"}, {"txtCIN", "0.25"}}
            << Texts{{"txtMPT", "0.3"}, {"txtCIT", "1234.75"}, {"txtTE", "1234.6"}};
        QTest::newRow("a field that is no number keeps its totals")
            << Texts{{"txtMPT", "3"}, {"txtMPN", "1"}} << Changes{{"txtMPE", "1.2.3"}} << Texts{{"txtMPT", "3"}};
        QTest::newRow("the imported total counts leading numbers")
            << Texts{{"txtTN", "5"}} << Changes{{"txtTE", "7x"}} << Texts{{"txtTT", "12"}};
        QTest::newRow("national total counts a text only when numeric")
            << Texts{{"txtTE", "7x"}} << Changes{{"txtTN", "5"}} << Texts{{"txtTT", ""}};
    }
    void costStructure()
    {
        QFETCH(Texts, start);
        QFETCH(Changes, typed);
        QFETCH(Texts, totals);
        const Texts shown = typeCosts(start, typed);
        for (auto it = totals.begin(); it != totals.end(); ++it)
            QCOMPARE(shown.value(it.key()), it.value());
    }

    // A total written is itself a change: the grand total follows the
    // national one at once, before the rest of the rule.
    void costWritesInOrder()
    {
        const Texts fields = with(kNationalZeros, {{"txtMPN", "100"}, {"txtMPE", "50"}, {"txtTE", "50"}});
        const auto writes = CostStructure::changed(QStringLiteral("txtMPN"),
                                                   [&fields](const QString &name) { return fields.value(name); });
        const QList<CostStructure::Write> expected{
            {"txtTN", "100"}, {"txtTT", "150"}, {"txtCNIT", "0"}, {"txtMPT", "150"}};
        QCOMPARE(writes, expected);
    }

    void importedRow_data()
    {
        QTest::addColumn<Cells>("cells");
        QTest::addColumn<int>("committed");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QList<ImportedGoods::CellWrite>>("writes");
        const Cells row{{ImportCol::PrecioUnitario, "10"}, {ImportCol::CantidadRetornada, "3"},
                        {ImportCol::CantidadImportada, "5"}, {ImportCol::ValorTotal, "100"},
                        {ImportCol::AdValorem, "15"}};
        using W = ImportedGoods::CellWrite;
        QTest::newRow("returned quantity")
            << row << int(ImportCol::CantidadRetornada) << false
            << QList<W>{{ImportCol::ValorRetornado, "30"}, {ImportCol::SaldoCantidad, "2"},
                        {ImportCol::SaldoValor, "70"}, {ImportCol::MontSolic, "4.5"}};
        Cells noPrice = row;
        noPrice[ImportCol::PrecioUnitario] = "";
        noPrice[ImportCol::ValorRetornado] = "20";
        QTest::newRow("no price: the value returned held counts")
            << noPrice << int(ImportCol::CantidadRetornada) << false
            << QList<W>{{ImportCol::SaldoCantidad, "2"}, {ImportCol::SaldoValor, "80"}, {ImportCol::MontSolic, "3"}};
        Cells grouped = row;
        grouped[ImportCol::PrecioUnitario] = "1,234.5";
        grouped[ImportCol::ValorTotal] = "";
        grouped[ImportCol::AdValorem] = "abc";
        QTest::newRow("grouped price, no total value, no rate")
            << grouped << int(ImportCol::ValorTotal) << false
            << QList<W>{{ImportCol::ValorRetornado, "3703.5"}, {ImportCol::SaldoCantidad, "2"}};
        Cells incorporated{{ImportCol::ValorTotal, "100"}, {ImportCol::ValorIncorporado, "80"},
                           {ImportCol::AdValorem, "10"}};
        QTest::newRow("incorporated value") << incorporated << int(ImportCol::ValorIncorporado) << false
                                            << QList<W>{{ImportCol::SaldoValor, "20"}, {ImportCol::MontSolic, "8"}};
        incorporated[ImportCol::ValorIncorporado] = "100";
        QTest::newRow("incorporated equal to the total")
            << incorporated << int(ImportCol::ValorIncorporado) << false
            << QList<W>{{ImportCol::SaldoValor, "0"}, {ImportCol::MontSolic, "10"}};
        incorporated[ImportCol::ValorIncorporado] = "120";
        QTest::newRow("incorporated above the total")
            << incorporated << int(ImportCol::ValorIncorporado) << true << QList<W>{};
        QTest::newRow("incorporated before the total")
            << Cells{{ImportCol::ValorIncorporado, "5"}} << int(ImportCol::ValorIncorporado) << true << QList<W>{};
    }
    void importedRow()
    {
        QFETCH(Cells, cells);
        QFETCH(int, committed);
        QFETCH(bool, refused);
        QFETCH(QList<ImportedGoods::CellWrite>, writes);
        if (ImportCol(committed) == ImportCol::ValorIncorporado) {
            const ImportedGoods::IncorporatedCheck check = ImportedGoods::afterIncorporatedValue(cellsOf(cells));
            QCOMPARE(check.refused, refused);
            QCOMPARE(check.writes, writes);
        } else {
            QCOMPARE(ImportedGoods::afterReturnedQuantity(cellsOf(cells)), writes);
        }
    }

    void importedCellKeys()
    {
        for (int key : {int('/'), int('.'), int('7'), int('a'), int('Z'), 8, 13})
            QCOMPARE(ImportedGoods::cellKey(key), key);
        for (int key : {int(' '), int(','), int('-'), int('$'), 0xF1 /* ñ */, 0xD1 /* Ñ */, 0x131 /* dotless i */})
            QCOMPARE(ImportedGoods::cellKey(key), 0);
    }

    void importedGoods_data()
    {
        QTest::addColumn<int>("mDev");
        QTest::addColumn<bool>("transfer");
        QTest::addColumn<bool>("appendix8");
        QTest::addColumn<QList<Imported>>("rows");
        QTest::addColumn<QString>("originating");
        QTest::addColumn<QString>("nonOriginating");
        QTest::addColumn<QString>("requested"); // "-": none, the table is empty
        const QString usa = QStringLiteral("ESTADOS UNIDOS DE AMERICA");
        const QList<Imported> mixed{{1000.0, QStringLiteral("JAPON")}, {200.0, usa},
                                    {30.0, QStringLiteral("CANADA")},  {4.0, QStringLiteral("Canada")},
                                    {QVariant(), QStringLiteral("JAPON")}};
        QTest::newRow("mode 0: all originating") << 0 << true << false << mixed << "1234" << "0" << "1234";
        QTest::newRow("mode 1: all originating") << 1 << false << false << mixed << "1234" << "0" << "1234";
        QTest::newRow("mode 2: by exact TLCAN name") << 2 << false << false << mixed << "230" << "1004" << "1234";
        QTest::newRow("mode 2: transfer under appendix 8, 40 %")
            << 2 << true << true << mixed << "230" << "602.4" << "832.4";
        QTest::newRow("mode 2: appendix 8 of a direct request counts whole")
            << 2 << false << true << mixed << "230" << "1004" << "1234";
        QTest::newRow("mode 3: TLCAN only") << 3 << true << false << mixed << "230" << "0" << "230";
        QTest::newRow("mode 4: nothing") << 4 << true << false << mixed << "0" << "0" << "0";
        QTest::newRow("mode of no meaning") << 7 << false << false << mixed << "0" << "0" << "0";
        QTest::newRow("sums of 15 digits")
            << 1 << false << false << QList<Imported>{{0.1, usa}, {0.2, usa}} << "0.3" << "0" << "0.3";
        QTest::newRow("no record") << 1 << false << false << QList<Imported>{} << "0" << "0" << "-";
    }
    void importedGoods()
    {
        QFETCH(int, mDev);
        QFETCH(bool, transfer);
        QFETCH(bool, appendix8);
        QFETCH(QList<Imported>, rows);
        QFETCH(QString, originating);
        QFETCH(QString, nonOriginating);
        QFETCH(QString, requested);
        QTemporaryDir dir;
        auto insupedi = scratchTable(dir, QStringLiteral("insupedi"));
        for (const Imported &r : rows) {
            insupedi->AddNew();
            insupedi->Fields(QStringLiteral("PAIS_IMPOR")).setValue(r.country);
            insupedi->Fields(QStringLiteral("MONT_SOLIC")).setValue(r.amount);
            insupedi->Update();
        }
        const GridTotals::ImportTotals totals =
            GridTotals::importedGoods(*insupedi, {mDev, transfer, appendix8, 40});
        QCOMPARE(totals.originating, originating);
        QCOMPARE(totals.nonOriginating, nonOriginating);
        QCOMPARE(totals.requested.value_or(QStringLiteral("-")), requested);
        QVERIFY(insupedi->Eof()); // the walk ends past the last record
    }

    // Each addition is rounded to 15 significant digits, as the window
    // adds: the sum is the one that rounding gives, however the amounts are
    // written.
    void sumsRoundEachAddition_data()
    {
        QTest::addColumn<QStringList>("amounts");
        QTest::addColumn<QString>("sum");
        QTest::newRow("tenths") << QStringList{"0.1", "0.2"} << "0.3";
        QTest::newRow("signs, blanks, zeros") << QStringList{"+5.25", "  -1.50000", "", "-0", "007"} << "10.75";
        QTest::newRow("past ten thousand million")
            << QStringList{"9999999999.99999", "0.00001", "0.00001", "-0.5"} << "9999999999.5";
        QTest::newRow("six places") << QStringList{"0.123456", "0.1"} << "0.223456";
        QTest::newRow("more digits than 15") << QStringList{"0.1234567890123456", "1"} << "1.12345678901235";
        QTest::newRow("fifteen whole digits") << QStringList{"123456789012345", "1", "0.4"} << "123456789012346";
        QTest::newRow("not numbers") << QStringList{"1.2.3", "*****", "- 5", "7"} << "7";
    }
    void sumsRoundEachAddition()
    {
        QFETCH(QStringList, amounts);
        QFETCH(QString, sum);
        QTemporaryDir dir;
        QCOMPARE(GridTotals::fieldSums(*amountsTable(dir, amounts), {QStringLiteral("MONTO")}), QStringList{sum});
    }

    void sumsOfManyAmountsRoundEachAddition_data()
    {
        QTest::addColumn<int>("maxPlaces");
        QTest::addColumn<int>("maxFactor");
        QTest::newRow("up to five places, under a million") << 5 << 2;
        QTest::newRow("any places and sizes") << 7 << 100000;
    }
    void sumsOfManyAmountsRoundEachAddition()
    {
        // Thousands of amounts, in and out of the ranges where the sum is
        // kept exactly, totalled against the rule itself: each addition
        // rounded to 15 digits.
        QFETCH(int, maxPlaces);
        QFETCH(int, maxFactor);
        QRandomGenerator random(20260301);
        QStringList amounts;
        for (int i = 0; i < 4000; ++i) {
            const int places = random.bounded(maxPlaces + 1);
            const qint64 digits = qint64(random.bounded(500000)) * random.bounded(1, maxFactor);
            const QString text = QString::number(double(digits) / std::pow(10.0, places), 'f', places);
            amounts.append(random.bounded(10) == 0 ? u'-' + text : text);
        }
        QTemporaryDir dir;
        const auto table = amountsTable(dir, amounts);
        double expected = 0;
        table->forEachRecord([&](const RecordView &record) {
            bool isNull = false;
            const double amount = record.number(0, &isNull);
            if (!isNull)
                expected = decimalRounded(expected + amount);
        });
        QCOMPARE(GridTotals::fieldSums(*table, {QStringLiteral("MONTO")}), QStringList{decimalText(expected)});
    }

    void unitCosts()
    {
        QTemporaryDir dir;
        auto insunit = scratchTable(dir, QStringLiteral("insunit"));
        QCOMPARE(GridTotals::unitCosts(*insunit, 1), QStringLiteral("0"));
        for (const QVariant &cost : {QVariant(0.1), QVariant(), QVariant(0.2), QVariant(1234.5)}) {
            insunit->AddNew();
            insunit->Fields(QStringLiteral("COSTO_UNIT")).setValue(cost);
            insunit->Update();
        }
        insunit->moveToRow(1);
        QCOMPARE(GridTotals::unitCosts(*insunit, 4), QStringLiteral("1234.8"));
        QCOMPARE(insunit->currentRow(), 1); // the grid's row stays where it was
        for (int returnedGoods : {3, 5})
            QVERIFY(!GridTotals::unitCosts(*insunit, returnedGoods));
    }
};

QUELVAR_TEST_CLASS(TestTotals)
#include "test_totals.moc"

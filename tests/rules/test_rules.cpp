// The plain rules of the request: the header's choices as stored, what each
// combination makes of the window, the figures derived as boxes and cells
// are committed, the totals over stored records and the tariff-item
// picker's line read back.
#include "rules/cost_structure.h"
#include "rules/export_documents.h"
#include "rules/fraction_line.h"
#include "rules/grid_totals.h"
#include "rules/imported_goods.h"
#include "rules/request_mode.h"
#include "store/request_choices.h"
#include "store/request_schema.h"
#include "table_files.h"
#include "test_registry.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

using namespace Qt::StringLiterals;
using Ints = QList<int>;
using Cells = QMap<int, QString>;
using ImportCells = QMap<ImportCol, QString>;
using ImportWrites = QList<ImportedGoods::CellWrite>;
template <class E> int c(E column) { return columnIndex(column); }

// "FIELD=text FIELD=text", in order.
QList<std::pair<QString, QString>> pairs(const QString &text)
{
    QList<std::pair<QString, QString>> out;
    for (const QString &pair : text.split(u' ', Qt::SkipEmptyParts))
        out.append({pair.section(u'=', 0, 0), pair.section(u'=', 1)});
    return out;
}

// The sum of amounts held as written, by any writer, in a field N(19,5).
QString sumOf(const QStringList &amounts)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("importes.dbf"));
    DbfTable::create(path, {numField(QStringLiteral("MONTO"), 19, 5)});
    QByteArray file = readAll(path).chopped(1); // without its end-of-file mark
    for (const QString &a : amounts)
        file += ' ' + a.toLatin1().rightJustified(19);
    putLe32(file, 4, quint32(amounts.size()));
    writeAll(path, file + char(0x1A));
    Recordset table(DbfTable::open(path));
    return GridTotals::fieldSums(table, {QStringLiteral("MONTO")}).value(0);
}

struct Combination {
    bool direct;
    int refund, exportType;
    QString masks; // tabs, unit-cost columns, import columns, import locks ("" kept): one digit each
    int opcDT, mDev;
};
struct Committed {
    QString grid;
    int column;
    Cells values;
    QString refusal;
    Cells writes; // column, text
    Ints lock, unlock;
};

} // namespace

Q_DECLARE_METATYPE(RequestChoices::Choices)
Q_DECLARE_METATYPE(Combination)
Q_DECLARE_METATYPE(Committed)
Q_DECLARE_METATYPE(ImportCells)
Q_DECLARE_METATYPE(ImportWrites)

class TestRules : public QObject {
    Q_OBJECT
private slots:
    // The header's choices go into the request record and come back.
    void choiceCodes_data()
    {
        QTest::addColumn<RequestChoices::Choices>("choices");
        QTest::addColumn<QString>("stored"); // OTipoExpor Tipo_Expor Mer_Ret tsol folio | kept
        using C = RequestChoices::Choices;
        QTest::newRow("directa originarios") << C{0, 0, 0, 0, {}, {}} << "0 M O N - | M";
        QTest::newRow("directa mezcla") << C{0, 0, 1, 0, {}, {}} << "0 M N N - | M";
        QTest::newRow("directa retorno") << C{0, 1, -1, 0, {}, {}} << "0 R - N - | R";
        QTest::newRow("directa reparación") << C{0, 2, -1, 0, {}, {}} << "0 P - N - | P";
        QTest::newRow("transf. constancia") << C{1, 0, 0, 0, {}, {}} << "1 T C N - | M";
        QTest::newRow("transf. retorno virtual") << C{1, 1, 1, 0, {}, {}} << "1 T P N - | R";
        QTest::newRow("desahogo") << C{0, 2, -1, 1, "0012", "2024"} << "0 P - R 00122024 | P";
        QTest::newRow("desahogo sin folio") << C{1, 0, 1, 1, {}, {}} << "1 T P R  | M";
        QTest::newRow("nothing chosen") << C{-1, -1, -1, 1, {}, {}} << "- - - R  | ";
    }
    void choiceCodes()
    {
        QFETCH(RequestChoices::Choices, choices);
        QFETCH(QString, stored);
        const RequestChoices::Codes codes = RequestChoices::encode(choices);
        const auto show = [](const QVariant &v) { return v.isNull() ? QStringLiteral("-") : v.toString(); };
        QCOMPARE(QStringList({show(codes.oTipoExpor), show(codes.tipoExpor), show(codes.merRet), show(codes.tsol),
                              show(codes.folio), "|", codes.keptRefundType}).join(u' '), stored);
        QCOMPARE(RequestChoices::decode(codes), choices);
        // As another program may store them: any case, blanks after; a
        // transfer from a medium keeps no refund type; a direct request has
        // an export type for transformed goods only, none without a type.
        QCOMPARE(RequestChoices::decode({0.0, "m ", "n", "n", {}, ""}), (RequestChoices::Choices{0, 0, 1, 0, {}, {}}));
        QCOMPARE(RequestChoices::decode({1.0, "T", "C", "N", {}, ""}), (RequestChoices::Choices{1, -1, 0, 0, {}, {}}));
        QCOMPARE(RequestChoices::decode({0.0, "R", "O", "N", {}, ""}).exportType, -1);
        QCOMPARE(RequestChoices::decode({{}, "M", "O", "N", {}, ""}).exportType, -1);
    }

    // The window of each combination of the header's choices, before the
    // transfer boxes are touched.
    void requestMode_data()
    {
        QTest::addColumn<Combination>("c");
        const QString t = " 1111 111110100110011 ", r = " 1101 111111111101111 ";
        const QString lt = "000010000000011", lr = "000010000001111";
        QTest::newRow("directa originarios") << Combination{true, 0, 0, "111111100" + t + lt, 1, 1};
        QTest::newRow("directa mezcla") << Combination{true, 0, 1, "111111101" + t + lt, 2, 2};
        QTest::newRow("directa retorno") << Combination{true, 1, -1, "111011100" + r + lr, 3, 1};
        QTest::newRow("directa reparación") << Combination{true, 2, 0, "111011100" + r + lr, 3, 1};
        QTest::newRow("transf. constancia") << Combination{false, 0, 0, "111111010" + t, 4, 4};
        QTest::newRow("transf. virtual") << Combination{false, 0, 1, "111111100" + t, 4, 3};
        QTest::newRow("transf. otro constancia") << Combination{false, 1, 0, "111011010" + r, 5, 0};
        QTest::newRow("transf. otro virtual") << Combination{false, 2, 1, "111011100" + r, 5, 0};
    }
    void requestMode()
    {
        QFETCH(Combination, c);
        const RequestMode::Mode m = RequestMode::decide({c.direct, c.refund, c.exportType});
        QCOMPARE(QStringList({m.tabs.value(), m.unitCostColumns.value(), m.importColumns.value(),
                              m.importLocks.value_or("")}).join(u' '),
                 c.masks);
        QCOMPARE(QList<int>({m.opcDT.value(), m.mDev.value()}), QList<int>({c.opcDT, c.mDev}));
        // The unit-cost items and the cost tab go together.
        QCOMPARE(m.goods->transformed, c.refund == 0);
        QCOMPARE(m.goods->unitCostTitle(),
                 c.refund == 0 ? "COSTOS UNITARIOS DE IMPORTACIÓN." : "FRACCIONES DE IMPORTACIÓN.");
        // Returned goods take the export type away; a transfer always has one.
        QCOMPARE(m.exportTypeEnabled.value(), !c.direct || c.refund == 0);
        QCOMPARE(m.exportTypeCleared, c.direct && c.refund != 0);
        // The transfer boxes stand under a transfer of transformed goods.
        QCOMPARE(m.appendixShown, !c.direct && c.refund == 0);
        QCOMPARE(m.directGridHeight, !c.direct && c.refund == 0 ? 1815 : 2205);
        QCOMPARE(m.directTitle, c.direct ? "DATOS GENERALES DE EXPORTACIÓN" : "EXPORTACIÓN VIRTUAL");
    }
    // The cost structure as the window holds it: each change typed runs its
    // rule and the totals it writes take their place ("=": never written).
    void costStructure_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("totals");
        const QString z = "txtCIN=0 txtCNIN=0 txtEN=0 txtSN=0 txtDN=0 ";
        QTest::newRow("imported total waits for its second operand")
            << z << "txtMPN=100 txtMPE=50" << "txtMPT=150 txtTN=100 txtTE= txtTT= txtCNIT=0";
        QTest::newRow("then every total")
            << z << "txtMPN=100 txtMPE=50 txtCIE=0" << "txtMPT=150 txtTN=100 txtTE=50 txtTT=150 txtCIT=0";
        QTest::newRow("an empty national field keeps the national total")
            << z + "txtSN= txtTN=7" << "txtMPN=5 txtDN=9" << "txtTN=7 txtDT=9";
        QTest::newRow("a field that is no number keeps its totals")
            << "txtMPT=3 txtMPN=1" << "txtMPE=1.2.3" << "txtMPT=3";
        QTest::newRow("the imported total counts leading numbers") << "txtTN=5" << "txtTE=7x" << "txtTT=12";
        QTest::newRow("national total counts a text only when numeric") << "txtTE=7x" << "txtTN=5" << "txtTT=";
    }
    void costStructure()
    {
        QFETCH(QString, start);
        QFETCH(QString, typed);
        QFETCH(QString, totals);
        QMap<QString, QString> fields;
        for (const auto &[field, text] : pairs(start))
            fields[field] = text;
        const auto textOf = [&fields](const QString &field) { return fields.value(field); };
        for (const auto &[field, text] : pairs(typed)) {
            fields[field] = text;
            for (const CostStructure::Write &w : CostStructure::changed(field, textOf))
                fields[w.field] = w.text;
        }
        for (const auto &[field, text] : pairs(totals))
            QCOMPARE(fields.value(field), text);
    }
    // An imported-goods row after its returned quantity or its incorporated
    // value is committed (refused: the value is above the total).
    void importedRow_data()
    {
        QTest::addColumn<ImportCells>("cells");
        QTest::addColumn<bool>("incorporated");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<ImportWrites>("writes");
        using I = ImportCol;
        const ImportCells row{{I::PrecioUnitario, "10"}, {I::CantidadRetornada, "3"}, {I::CantidadImportada, "5"},
                              {I::ValorTotal, "100"}, {I::AdValorem, "15"}};
        const auto with = [](ImportCells cells, const ImportCells &more) { return cells.insert(more), cells; };
        QTest::newRow("returned quantity") << row << false << false << ImportWrites{
            {I::ValorRetornado, "30"}, {I::SaldoCantidad, "2"}, {I::SaldoValor, "70"}, {I::MontSolic, "4.5"}};
        QTest::newRow("no price: the value returned held counts")
            << with(row, {{I::PrecioUnitario, ""}, {I::ValorRetornado, "20"}}) << false << false
            << ImportWrites{{I::SaldoCantidad, "2"}, {I::SaldoValor, "80"}, {I::MontSolic, "3"}};
        QTest::newRow("grouped price, no total value, no rate")
            << with(row, {{I::PrecioUnitario, "1,234.5"}, {I::ValorTotal, ""}, {I::AdValorem, "abc"}}) << false
            << false << ImportWrites{{I::ValorRetornado, "3703.5"}, {I::SaldoCantidad, "2"}};
        const ImportCells in{{I::ValorTotal, "100"}, {I::AdValorem, "10"}};
        QTest::newRow("incorporated value") << with(in, {{I::ValorIncorporado, "80"}}) << true << false
                                            << ImportWrites{{I::SaldoValor, "20"}, {I::MontSolic, "8"}};
        QTest::newRow("incorporated equal to the total") << with(in, {{I::ValorIncorporado, "100"}}) << true << false
                                                         << ImportWrites{{I::SaldoValor, "0"}, {I::MontSolic, "10"}};
        QTest::newRow("incorporated above the total")
            << with(in, {{I::ValorIncorporado, "120"}}) << true << true << ImportWrites{};
    }
    void importedRow()
    {
        QFETCH(ImportCells, cells);
        QFETCH(bool, incorporated);
        QFETCH(bool, refused);
        QFETCH(ImportWrites, writes);
        const auto cell = [&cells](ImportCol c) { return cells.value(c); };
        const ImportedGoods::IncorporatedCheck check = incorporated ? ImportedGoods::afterIncorporatedValue(cell)
            : ImportedGoods::IncorporatedCheck{false, ImportedGoods::afterReturnedQuantity(cell)};
        QCOMPARE(check.refused, refused);
        QCOMPARE(check.writes, writes);
    }
    // An export document's or TLCAN import's figure committed: the refusal,
    // the figures derived and the columns locked or freed in every row.
    void exportDocument_data()
    {
        QTest::addColumn<Committed>("x");
        using D = DirectExportCol;
        using I = IndirectExportCol;
        using T = TlcanCol;
        const QString q = ExportDocuments::kQuantityTooHigh, v = ExportDocuments::kValueTooHigh;
        const int dt = c(I::ValorTotalDls), du = c(I::ValorUtilizadoDls);
        const int pt = c(I::ValorTotal), pu = c(I::ValorUtilizado);
        QTest::newRow("ed balance") << Committed{"dbED", c(D::ValorUtilizado),
            {{c(D::ValorTotal), "100"}, {c(D::ValorUtilizado), "40"}}, "", {{c(D::SaldoDocumento), "60"}}, {}, {}};
        QTest::newRow("ed used value above the total") << Committed{"dbED", c(D::ValorUtilizado),
            {{c(D::ValorTotal), "100"}, {c(D::ValorUtilizado), "120"}}, v, {}, {}, {}};
        QTest::newRow("ed used quantity above the total") << Committed{"dbED", c(D::CantidadExportada),
            {{c(D::CantidadTotal), "5"}, {c(D::CantidadExportada), "5.5"}}, q, {}, {}, {}};
        QTest::newRow("ei pesos zero and lock the dollars")
            << Committed{"dbEI", pt, {{pt, "100"}}, "", {{dt, "0"}, {du, "0"}}, {dt, du}, {}};
        QTest::newRow("ei pesos emptied free the dollars")
            << Committed{"dbEI", pu, {{pt, "100"}}, "", {}, {}, {dt, du}};
        QTest::newRow("ei used dollars above the total, still locking")
            << Committed{"dbEI", du, {{dt, "10"}, {du, "11"}}, v, {{pt, "0"}, {pu, "0"}}, {pt, pu}, {}};
        QTest::newRow("tlc value at the rate") << Committed{"dbITLC", c(T::AdValorem),
            {{c(T::CantidadImportada), "10"}, {c(T::PrecioUnitario), "2.5"}}, "", {{c(T::ValorTotal), "25"}}, {}, {}};
        QTest::newRow("tlc value without a price is emptied") << Committed{"dbITLC", c(T::AdValorem),
            {{c(T::CantidadImportada), "10"}}, "", {{c(T::ValorTotal), ""}}, {}, {}};
    }
    void exportDocument()
    {
        QFETCH(Committed, x);
        const auto result = ExportDocuments::committed(x.grid, x.column, [&x](int col) { return x.values.value(col); });
        QList<ExportDocuments::CellWrite> writes;
        for (auto it = x.writes.begin(); it != x.writes.end(); ++it)
            writes.append({it.key(), it.value()});
        QCOMPARE(result.refusal, x.refusal);
        QCOMPARE(result.writes, writes);
        QCOMPARE(result.lock, x.lock);
        QCOMPARE(result.unlock, x.unlock);
        // The TLCAN duties cap the non-originating total (230 originating).
        for (const auto &[nonOriginating, duties, capped] :
             {std::tuple{"1,000", "600", "600 830"}, {"600", "600", ""}, {"400", "600", ""}, {"0.5", "0", "0 230"}}) {
            const auto cap = GridTotals::capNonOriginating(nonOriginating, QStringLiteral("230"), duties);
            QCOMPARE(cap ? cap->nonOriginating + u' ' + cap->requested : QString(), capped);
        }
    }

    // Totals of the imported goods (1234 in all, 230 of them by the exact
    // TLCAN names) by refund mode: all, by origin, the appendix 8 share of a
    // transfer's, TLCAN only, or nothing; none for no record.
    void importedGoods_data()
    {
        QTest::addColumn<QList<int>>("how"); // mode, transfer, appendix 8, records
        QTest::addColumn<QString>("totals"); // originating, non-originating, requested
        QTest::newRow("mode 0 or 1: all originating") << QList<int>{1, 0, 0, 5} << "1234 0 1234";
        QTest::newRow("mode 2: by exact TLCAN name") << QList<int>{2, 0, 0, 5} << "230 1004 1234";
        QTest::newRow("mode 2: transfer under appendix 8, 40 %") << QList<int>{2, 1, 1, 5} << "230 602.4 832.4";
        QTest::newRow("mode 2: appendix 8 of a direct request, whole") << QList<int>{2, 0, 1, 5} << "230 1004 1234";
        QTest::newRow("mode 3: TLCAN only") << QList<int>{3, 1, 0, 5} << "230 0 230";
        QTest::newRow("mode 4: nothing") << QList<int>{4, 1, 0, 5} << "0 0 0";
        QTest::newRow("sums of 15 digits") << QList<int>{1, 0, 0, 7} << "1234.3 0 1234.3";
        QTest::newRow("no record") << QList<int>{1, 0, 0, 0} << "0 0 0";
    }
    void importedGoods()
    {
        QFETCH(QList<int>, how);
        QFETCH(QString, totals);
        QTemporaryDir dir;
        const TableSchema *schema = RequestSchema::find(QStringLiteral("insupedi"));
        DbfTable::create(dir.filePath(schema->file), schema->fields);
        auto insupedi = std::make_unique<Recordset>(DbfTable::open(dir.filePath(schema->file)));
        const QList<std::pair<QVariant, QString>> rows{{1000.0, "JAPON"}, {200.0, "ESTADOS UNIDOS DE AMERICA"},
            {30.0, "CANADA"}, {4.0, "Canada"}, {QVariant(), "JAPON"}, {0.1, "JAPON"}, {0.2, "JAPON"}};
        for (const auto &[amount, country] : rows.mid(0, how[3])) {
            insupedi->AddNew();
            insupedi->Fields(QStringLiteral("PAIS_IMPOR")).setValue(country);
            insupedi->Fields(QStringLiteral("MONT_SOLIC")).setValue(amount);
            insupedi->Update();
        }
        const auto t = GridTotals::importedGoods(*insupedi, {how[0], how[1] != 0, how[2] != 0, 40});
        QCOMPARE(t.originating + u' ' + t.nonOriginating + u' ' + t.requested, totals);
        QVERIFY(insupedi->Eof()); // the walk ends past the last record
    }

    // The sums kept beside the table follow each record the program writes,
    // and the table is read again after a change made behind its back: the
    // totals are those of the table opened anew.
    void keptSums_data()
    {
        // row:amount:country, "-row" deleted, "+amount:country" appended; "*"
        // and "%" before one of those: through another handle of the table;
        // "=record:amount": another program's bytes, the same size.
        QTest::addColumn<QString>("changes");
        QTest::addColumn<QString>("totals");
        QTest::newRow("amount and origin changed") << "0:7.5:CANADA 2:1.25:JAPON" << "237.5 1.45 238.95";
        QTest::newRow("deleted, appended") << "-1 +0.00001:JAPON -3" << "0 1000.30001 1000.30001";
        QTest::newRow("appended by another handle") << "*+9:JAPON +5:CANADA 0:1:JAPON"
                                                    << "235 10.3 245.3";
        QTest::newRow("rewritten by another program") << "=0:7 2:1.25:JAPON"
                                                      << "230 8.45 238.45";
        QTest::newRow("rewritten, deleted by another handle") << "%0:5:CANADA %-1 2:1:JAPON"
                                                              << "35 1.1 36.1";
    }
    void keptSums()
    {
        QFETCH(QString, changes);
        QFETCH(QString, totals);
        QTemporaryDir dir;
        const TableSchema *schema = RequestSchema::find(QStringLiteral("insupedi"));
        const QString path = dir.filePath(schema->file);
        DbfTable::create(path, schema->fields);
        Recordset rs(DbfTable::open(path));
        Recordset other(DbfTable::open(path));
        const auto put = [](Recordset &to, const QString &amount, const QString &country) {
            to.Fields(QStringLiteral("MONT_SOLIC")).setValue(amount.toDouble());
            to.Fields(QStringLiteral("PAIS_IMPOR")).setValue(country);
            to.Update();
        };
        for (const QString &row : QStringList{"1000:JAPON", "200:CANADA", "0.1:JAPON", "0.2:JAPON", "30:CANADA"}) {
            rs.AddNew();
            put(rs, row.section(u':', 0, 0), row.section(u':', 1));
        }
        const GridTotals::Totalling mode2{2, false, false, 0};
        GridTotals::importedGoods(rs, mode2);
        for (QString change : changes.split(u' ')) {
            Recordset &by = change[0] == u'*' || change[0] == u'%' ? other : rs;
            if (&by == &other)
                change.remove(0, 1);
            const QStringList p = change.mid(1).split(u':');
            if (change[0] == u'=') {
                const FieldDef &f = rs.table()->field(rs.fieldIndex(QStringLiteral("MONT_SOLIC")));
                QByteArray file = readAll(path);
                const int at = quint8(file[8]) + quint8(file[9]) * 256 + p[0].toInt() * rs.table()->recordLength();
                file.replace(at + f.offset, f.length, p[1].toLatin1().rightJustified(f.length));
                writeAll(path, file);
            } else if (change[0] == u'-') {
                by.moveToRow(p[0].toInt());
                by.Delete();
            } else if (change[0] == u'+') {
                by.AddNew();
                put(by, p[0], p[1]);
            } else {
                const QStringList q = change.split(u':');
                by.moveToRow(q[0].toInt());
                by.Edit();
                put(by, q[1], q[2]);
            }
        }
        Recordset fresh(DbfTable::open(path));
        const auto kept = GridTotals::importedGoods(rs, mode2);
        const auto walked = GridTotals::importedGoods(fresh, mode2);
        QCOMPARE(walked.originating + u' ' + walked.nonOriginating + u' ' + walked.requested, totals);
        QCOMPARE(kept.originating + u' ' + kept.nonOriginating + u' ' + kept.requested, totals);
    }

    // The sums and the deleted records kept for the next start are taken when
    // the table is as it was left, and the table is read when anyone wrote it
    // since.
    void sumsKeptForTheNextStart()
    {
        QTemporaryDir dir;
        const TableSchema *schema = RequestSchema::find(QStringLiteral("insupedi"));
        const QString path = dir.filePath(schema->file);
        DbfTable::create(path, schema->fields);
        const auto opened = [&] {
            auto rs = std::make_unique<Recordset>(DbfTable::open(path));
            GridTotals::follow(*rs);
            return rs;
        };
        const auto shown = [](Recordset &rs) {
            const auto t = GridTotals::importedGoods(rs, {2, false, false, 0});
            QStringList rows;
            for (int row = 0; row < rs.rowCount(); ++row)
                rows.append(rs.valueAt(row, rs.fieldIndex(QStringLiteral("MONT_SOLIC"))).toString());
            return t.originating + u' ' + t.nonOriginating + u" / "_s + rows.join(u' ');
        };
        const auto rewriteKept = [&](const QString &from, const QString &to) {
            QFile kept(dir.filePath(QStringLiteral(".quelvar.sumas")));
            QVERIFY(kept.open(QIODevice::ReadWrite));
            QString text = QString::fromLatin1(kept.readAll());
            const QRegularExpression pattern(from, QRegularExpression::MultilineOption);
            QVERIFY2(text.contains(pattern), qPrintable(text));
            kept.resize(0);
            kept.write(text.replace(pattern, to).toLatin1());
        };
        {
            auto rs = opened();
            for (const auto &[amount, country] : {std::pair{12.5, "CANADA"}, {7.0, "CANADA"}, {0.25, "JAPON"}}) {
                rs->AddNew();
                rs->Fields(QStringLiteral("MONT_SOLIC")).setValue(amount);
                rs->Fields(QStringLiteral("PAIS_IMPOR")).setValue(QString::fromLatin1(country));
                rs->Update();
            }
            rs->moveToRow(1);
            rs->Delete();
            QCOMPARE(shown(*rs), u"12.5 0.25 / 12.5 0.25"_s);
            GridTotals::keepForNextStart(dir.path(), {rs.get()});
        }
        QCOMPARE(shown(*opened()), u"12.5 0.25 / 12.5 0.25"_s);
        // What the file says is taken as it is (here, made up)...
        rewriteKept("e5:0:1250000,", "e5:0:1300000,");
        rewriteKept("\t3\t1", "\t3\t0,1");
        rewriteKept("^reloj\t\\d+", "reloj\t0");
        QCOMPARE(shown(*opened()), u"13 0.25 / 0.25"_s);
        // ...unless the table changed within a tick of the file system's
        // clock before it was kept (two seconds, as on FAT)...
        rewriteKept("^reloj\t0", "reloj\t2000000000");
        QCOMPARE(shown(*opened()), u"12.5 0.25 / 12.5 0.25"_s);
        // ...or is written by anyone since.
        rewriteKept("^reloj\t\\d+", "reloj\t0");
        Recordset other(DbfTable::open(path));
        other.AddNew();
        other.Fields(QStringLiteral("MONT_SOLIC")).setValue(1);
        other.Fields(QStringLiteral("PAIS_IMPOR")).setValue(u"CANADA"_s);
        other.Update();
        QCOMPARE(shown(*opened()), u"13.5 0.25 / 12.5 0.25 1"_s);
    }

    // The exact sum of the amounts however they are written, rounded once
    // to 15 significant digits.
    void sums_data()
    {
        QTest::addColumn<QString>("amounts"); // split at blanks, or at '|' when one holds blanks
        QTest::addColumn<QString>("sum");
        QTest::newRow("signs, blanks, zeros") << "+5.25|  -1.50000||-0|007" << "10.75";
        QTest::newRow("more digits than 15") << "0.1234567890123456 1" << "1.12345678901235";
        QTest::newRow("not numbers") << "1.2.3|*****|- 5|7" << "7";
        // Rounded at each step, the small amounts were lost in the large one.
        QTest::newRow("small after large") << "10000000000 " + QString("0.00001 ").repeated(10) << "10000000000.0001";
        QTest::newRow("rounded once, up") << "99999999999999.96 0.05" << "100000000000000";
        QTest::newRow("past 64 bits") << "9999999999999999999 9999999999999999999 -0.00001" << "20000000000000000000";
        QTest::newRow("fixed point, as written") << "-12.50000|    0.00001|  .50000|-.50000" << "-12.49999";
    }
    void sums()
    {
        QFETCH(QString, amounts);
        QFETCH(QString, sum);
        QCOMPARE(sumOf(amounts.split(amounts.contains(u'|') ? u'|' : u' ')), sum);
    }

    // The tariff-item picker's line read back: the cost stands before the rate.
    void fractionLine()
    {
        const auto figures = FractionLine::read(QStringLiteral("01020304        15.5          10"));
        QCOMPARE(QList<double>({figures.cost.value_or(-1), figures.rate}), QList<double>({15.5, 10}));
    }
};

QUELVAR_TEST_CLASS(TestRules)
#include "test_rules.moc"

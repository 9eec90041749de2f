// The plain rules of the request: the header's choices as stored, what each
// combination makes of the window, the figures derived as cells and boxes
// are committed, the totals over stored records, the tariff-item picker's
// line, the completeness review's order and texts, and the considerations.
#include "checks/number_text.h"
#include "rules/completeness_review.h"
#include "rules/considerations.h"
#include "rules/cost_structure.h"
#include "rules/export_documents.h"
#include "rules/fraction_line.h"
#include "rules/grid_cell_rules.h"
#include "rules/grid_totals.h"
#include "rules/imported_goods.h"
#include "rules/request_mode.h"
#include "rules/window_texts.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/request_choices.h"
#include "store/request_schema.h"
#include "table_files.h"
#include "test_registry.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Texts = QMap<QString, QString>;
using Ints = QList<int>;
using ExportWrites = QList<ExportDocuments::CellWrite>;
using ImportWrites = QList<ImportedGoods::CellWrite>;
using Cells = QMap<ImportCol, QString>;
template <class E> int c(E column) { return columnIndex(column); }

std::unique_ptr<Recordset> scratchTable(const QTemporaryDir &dir, const QString &table)
{
    const QString path = dir.filePath(RequestSchema::find(table)->file);
    DbfTable::create(path, RequestSchema::find(table)->fields);
    return std::make_unique<Recordset>(DbfTable::open(path));
}

// A table of one numeric field N(20,5) holding each text as written, by
// any writer.
std::unique_ptr<Recordset> amountsTable(const QTemporaryDir &dir, const QStringList &amounts)
{
    const QString path = dir.filePath(QStringLiteral("importes.dbf"));
    DbfTable::create(path, {numField(QStringLiteral("MONTO"), 20, 5)});
    QByteArray file = readAll(path);
    file.chop(1); // the end-of-file mark
    for (const QString &a : amounts)
        file += ' ' + a.toLatin1().rightJustified(20);
    putLe32(file, 4, quint32(amounts.size()));
    writeAll(path, file + char(0x1A));
    return std::make_unique<Recordset>(DbfTable::open(path));
}

QString sumOf(const QStringList &amounts)
{
    QTemporaryDir dir;
    return GridTotals::fieldSums(*amountsTable(dir, amounts), {QStringLiteral("MONTO")}).value(0);
}

const CompletenessReview::Section &section(const QString &grid)
{
    for (const CompletenessReview::Section &s : CompletenessReview::sections())
        if (s.grid == grid)
            return s;
    qFatal("no section %s", qPrintable(grid));
}

} // namespace

Q_DECLARE_METATYPE(RequestChoices::Choices)
Q_DECLARE_METATYPE(Texts)
Q_DECLARE_METATYPE(ExportWrites)
Q_DECLARE_METATYPE(ImportWrites)
Q_DECLARE_METATYPE(Cells)

class TestRules : public QObject {
    Q_OBJECT
private slots:
    // The header's choices go into the request record and come back.
    void choiceCodes_data()
    {
        QTest::addColumn<RequestChoices::Choices>("choices");
        QTest::addColumn<QString>("stored"); // OTipoExpor Tipo_Expor Mer_Ret tsol folio | kept
        QTest::newRow("directa originarios") << RequestChoices::Choices{0, 0, 0, 0, {}, {}} << "0 M O N - | M";
        QTest::newRow("directa mezcla") << RequestChoices::Choices{0, 0, 1, 0, {}, {}} << "0 M N N - | M";
        QTest::newRow("directa terceros") << RequestChoices::Choices{0, 0, 2, 0, {}, {}} << "0 M T N - | M";
        QTest::newRow("directa retorno") << RequestChoices::Choices{0, 1, -1, 0, {}, {}} << "0 R - N - | R";
        QTest::newRow("directa reparación") << RequestChoices::Choices{0, 2, -1, 0, {}, {}} << "0 P - N - | P";
        QTest::newRow("transf. constancia") << RequestChoices::Choices{1, 0, 0, 0, {}, {}} << "1 T C N - | M";
        QTest::newRow("transf. retorno virtual") << RequestChoices::Choices{1, 1, 1, 0, {}, {}} << "1 T P N - | R";
        QTest::newRow("desahogo") << RequestChoices::Choices{0, 2, -1, 1, "0012", "2024"} << "0 P - R 00122024 | P";
        QTest::newRow("desahogo sin folio") << RequestChoices::Choices{1, 0, 1, 1, {}, {}} << "1 T P R  | M";
        QTest::newRow("nothing chosen") << RequestChoices::Choices{-1, -1, -1, 1, {}, {}} << "- - - R  | ";
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
    }
    void choiceCodesAsAnotherProgramStores()
    {
        using C = RequestChoices::Choices;
        // Any case, blanks after; a transfer from a medium keeps no refund
        // type; a direct request has an export type only for transformed
        // goods, and none without a request type.
        QCOMPARE(RequestChoices::decode({0.0, "m ", "n", "n", {}, ""}), (C{0, 0, 1, 0, {}, {}}));
        QCOMPARE(RequestChoices::decode({1.0, "T", "C", "N", {}, ""}), (C{1, -1, 0, 0, {}, {}}));
        QCOMPARE(RequestChoices::decode({0.0, "R", "O", "N", {}, ""}).exportType, -1);
        QCOMPARE(RequestChoices::decode({{}, "M", "O", "N", {}, ""}).exportType, -1);
    }

    // The window of each combination of the header's choices, before the
    // transfer boxes are touched (masks: one digit a tab or column).
    void requestMode_data()
    {
        QTest::addColumn<bool>("direct");
        QTest::addColumn<int>("refund");
        QTest::addColumn<int>("exportType");
        QTest::addColumn<QString>("masks"); // tabs, unit-cost columns, import columns, import locks ("" kept)
        QTest::addColumn<int>("opcDT");
        QTest::addColumn<int>("mDev");
        const QString t = " 1111 111110100110011 000010000000011", r = " 1101 111111111101111 000010000001111";
        const QString tt = " 1111 111110100110011 ", rt = " 1101 111111111101111 ";
        QTest::newRow("directa originarios") << true << 0 << 0 << "111111100" + t << 1 << 1;
        QTest::newRow("directa mezcla") << true << 0 << 1 << "111111101" + t << 2 << 2;
        QTest::newRow("directa terceros") << true << 0 << 2 << "111111100" + t << 1 << 1;
        QTest::newRow("directa retorno") << true << 1 << -1 << "111011100" + r << 3 << 1;
        QTest::newRow("directa reparación") << true << 2 << 0 << "111011100" + r << 3 << 1;
        QTest::newRow("transf. constancia") << false << 0 << 0 << "111111010" + tt << 4 << 4;
        QTest::newRow("transf. virtual") << false << 0 << 1 << "111111100" + tt << 4 << 3;
        QTest::newRow("transf. otro constancia") << false << 1 << 0 << "111011010" + rt << 5 << 0;
        QTest::newRow("transf. otro virtual") << false << 2 << 1 << "111011100" + rt << 5 << 0;
    }
    void requestMode()
    {
        QFETCH(bool, direct);
        QFETCH(int, refund);
        QFETCH(int, exportType);
        QFETCH(QString, masks);
        QFETCH(int, opcDT);
        QFETCH(int, mDev);
        const RequestMode::Mode m = RequestMode::decide({direct, refund, exportType});
        QCOMPARE(QStringList({m.tabs.value(), m.unitCostColumns.value(), m.importColumns.value(),
                              m.importLocks.value_or(QString())}).join(u' '), masks);
        QCOMPARE(int(m.opcDT.value()), opcDT);
        QCOMPARE(int(m.mDev.value()), mDev);
        // The unit-cost items and the cost tab go together.
        QCOMPARE(m.goods->transformed, refund == 0);
        QCOMPARE(m.goods->unitCostTitle(), refund == 0 ? QStringLiteral("COSTOS UNITARIOS DE IMPORTACIÓN.")
                                                       : QStringLiteral("FRACCIONES DE IMPORTACIÓN."));
        // Returned goods take the export type away; a transfer always has one.
        QCOMPARE(m.exportTypeEnabled.value(), !direct || refund == 0);
        QCOMPARE(m.exportTypeCleared, direct && refund != 0);
        // The transfer boxes stand under a transfer of transformed goods.
        QCOMPARE(m.appendixShown, !direct && refund == 0);
        QCOMPARE(m.directGridHeight, !direct && refund == 0 ? 1815 : 2205);
        QCOMPARE(m.directTitle, direct ? QStringLiteral("DATOS GENERALES DE EXPORTACIÓN") : QStringLiteral("EXPORTACIÓN VIRTUAL"));
    }
    void requestModeRest()
    {
        // A direct request without a refund type leaves the rest as it was.
        const RequestMode::Mode m = RequestMode::decide({true, -1, 1});
        QVERIFY(!m.tabs && !m.opcDT && !m.mDev && !m.goods && !m.importLocks && !m.exportTypeEnabled);
        QVERIFY(!m.appendixShown && !m.annexesShown);
        QCOMPARE(m.directTab, "Exp. Directa");
        QCOMPARE(RequestMode::decide({false, 0, 0}).indirectTitle.value(), "TRANSFERENCIA CON CONSTANCIA");
        QCOMPARE(RequestMode::decide({true, 0, 2}).exportTypeTip.value(),
                 "Indica si los bienes de la solicitud son de terceros países");
        // The appendix and annex boxes of a transfer (annex C decides).
        QCOMPARE(QList<int>({RequestMode::appendixMDev(true), RequestMode::appendixMDev(false),
                             RequestMode::annexMDev(false, false), RequestMode::annexMDev(true, false),
                             RequestMode::annexMDev(true, true)}), (QList<int>{2, 3, 4, 2, 3}));
    }

    // The cost structure as the window holds it: each change typed runs its
    // rule and the totals it writes take their place ("" never written).
    void costStructure_data()
    {
        QTest::addColumn<Texts>("start");
        QTest::addColumn<QStringList>("typed"); // field, text, field, text...
        QTest::addColumn<Texts>("totals");
        const Texts zeros{{"txtCIN", "0"}, {"txtCNIN", "0"}, {"txtEN", "0"}, {"txtSN", "0"}, {"txtDN", "0"}};
        const auto with = [zeros](const Texts &more) { Texts t = zeros; t.insert(more); return t; };
        QTest::newRow("imported total waits for its second operand")
            << zeros << QStringList{"txtMPN", "100", "txtMPE", "50"}
            << Texts{{"txtMPT", "150"}, {"txtTN", "100"}, {"txtTE", ""}, {"txtTT", ""}, {"txtCNIT", "0"}};
        QTest::newRow("then every total") << zeros << QStringList{"txtMPN", "100", "txtMPE", "50", "txtCIE", "0"}
            << Texts{{"txtMPT", "150"}, {"txtTN", "100"}, {"txtTE", "50"}, {"txtTT", "150"}, {"txtCIT", "0"}};
        QTest::newRow("separators of a field left") << with({{"txtMPN", "0"}})
            << QStringList{"txtEN", "1234.5", "txtEN", "1,234.5"} << Texts{{"txtET", "1234.5"}, {"txtTN", "1234.5"}};
        QTest::newRow("an empty national field keeps the national total") << with({{"txtSN", ""}, {"txtTN", "7"}})
            << QStringList{"txtMPN", "5", "txtDN", "9"} << Texts{{"txtTN", "7"}, {"txtDT", "9"}};
        QTest::newRow("15 significant digits") << Texts{}
            << QStringList{"txtMPE", "0.1", "txtMPN", "0.2", "txtCIE", "1234.5", "txtCIN", "0.25"}
            << Texts{{"txtMPT", "0.3"}, {"txtCIT", "1234.75"}, {"txtTE", "1234.6"}};
        QTest::newRow("a field that is no number keeps its totals")
            << Texts{{"txtMPT", "3"}, {"txtMPN", "1"}} << QStringList{"txtMPE", "1.2.3"} << Texts{{"txtMPT", "3"}};
        QTest::newRow("the imported total counts leading numbers")
            << Texts{{"txtTN", "5"}} << QStringList{"txtTE", "7x"} << Texts{{"txtTT", "12"}};
        QTest::newRow("national total counts a text only when numeric")
            << Texts{{"txtTE", "7x"}} << QStringList{"txtTN", "5"} << Texts{{"txtTT", ""}};
    }
    void costStructure()
    {
        QFETCH(Texts, start);
        QFETCH(QStringList, typed);
        QFETCH(Texts, totals);
        Texts fields = start;
        for (qsizetype i = 0; i < typed.size(); i += 2) {
            fields[typed[i]] = typed[i + 1];
            for (const CostStructure::Write &w : CostStructure::changed(typed[i], [&](const QString &f) { return fields.value(f); }))
                fields[w.field] = w.text;
        }
        for (auto it = totals.begin(); it != totals.end(); ++it)
            QCOMPARE(fields.value(it.key()), it.value());
    }
    void costWritesInOrder()
    {
        // A total written is itself a change: the grand total follows the
        // national one at once, before the rest of the rule.
        const Texts f{{"txtCIN", "0"}, {"txtCNIN", "0"}, {"txtEN", "0"}, {"txtSN", "0"}, {"txtDN", "0"},
                      {"txtMPN", "100"}, {"txtMPE", "50"}, {"txtTE", "50"}};
        QCOMPARE(CostStructure::changed("txtMPN", [&f](const QString &name) { return f.value(name); }),
                 (QList<CostStructure::Write>{{"txtTN", "100"}, {"txtTT", "150"}, {"txtCNIT", "0"}, {"txtMPT", "150"}}));
    }

    // An imported-goods row after its returned quantity or its incorporated
    // value is committed (refused: the value is above the total).
    void importedRow_data()
    {
        QTest::addColumn<Cells>("cells");
        QTest::addColumn<bool>("incorporated");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<ImportWrites>("writes");
        using I = ImportCol;
        const Cells row{{I::PrecioUnitario, "10"}, {I::CantidadRetornada, "3"}, {I::CantidadImportada, "5"},
                        {I::ValorTotal, "100"}, {I::AdValorem, "15"}};
        QTest::newRow("returned quantity") << row << false << false << ImportWrites{
            {I::ValorRetornado, "30"}, {I::SaldoCantidad, "2"}, {I::SaldoValor, "70"}, {I::MontSolic, "4.5"}};
        Cells other = row;
        other.insert({{I::PrecioUnitario, ""}, {I::ValorRetornado, "20"}});
        QTest::newRow("no price: the value returned held counts") << other << false << false
            << ImportWrites{{I::SaldoCantidad, "2"}, {I::SaldoValor, "80"}, {I::MontSolic, "3"}};
        other = row;
        other.insert({{I::PrecioUnitario, "1,234.5"}, {I::ValorTotal, ""}, {I::AdValorem, "abc"}});
        QTest::newRow("grouped price, no total value, no rate") << other << false << false
            << ImportWrites{{I::ValorRetornado, "3703.5"}, {I::SaldoCantidad, "2"}};
        const auto incorporated = [](const char *value) {
            return Cells{{I::ValorTotal, "100"}, {I::ValorIncorporado, value}, {I::AdValorem, "10"}};
        };
        QTest::newRow("incorporated value") << incorporated("80") << true << false
                                            << ImportWrites{{I::SaldoValor, "20"}, {I::MontSolic, "8"}};
        QTest::newRow("incorporated equal to the total") << incorporated("100") << true << false
                                                         << ImportWrites{{I::SaldoValor, "0"}, {I::MontSolic, "10"}};
        QTest::newRow("incorporated above the total") << incorporated("120") << true << true << ImportWrites{};
        QTest::newRow("incorporated before the total") << Cells{{I::ValorIncorporado, "5"}} << true << true
                                                       << ImportWrites{};
    }
    void importedRow()
    {
        QFETCH(Cells, cells);
        QFETCH(bool, incorporated);
        QFETCH(bool, refused);
        QFETCH(ImportWrites, writes);
        const auto cell = [&cells](ImportCol c) { return cells.value(c); };
        const ImportedGoods::IncorporatedCheck check = incorporated ? ImportedGoods::afterIncorporatedValue(cell)
                                                                    : ImportedGoods::IncorporatedCheck{false, ImportedGoods::afterReturnedQuantity(cell)};
        QCOMPARE(check.refused, refused);
        QCOMPARE(check.writes, writes);
    }
    void importedCellKeys()
    {
        for (int key : {int('/'), int('.'), int('7'), int('a'), int('Z'), 8, 13})
            QCOMPARE(ImportedGoods::cellKey(key), key);
        for (int key : {int(' '), int(','), int('-'), int('$'), 0xF1 /* ñ */, 0xD1 /* Ñ */, 0x131 /* dotless i */})
            QCOMPARE(ImportedGoods::cellKey(key), 0);
    }

    // An export document's or TLCAN import's figure committed: the refusal,
    // the figures derived and the columns locked or freed in every row.
    void exportDocument_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<int>("column");
        QTest::addColumn<QMap<int, QString>>("values");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<ExportWrites>("writes");
        QTest::addColumn<Ints>("lock");
        QTest::addColumn<Ints>("unlock");
        using D = DirectExportCol;
        using I = IndirectExportCol;
        using T = TlcanCol;
        const QString q = ExportDocuments::kQuantityTooHigh, v = ExportDocuments::kValueTooHigh;
        const auto row = [](const char *name, const char *grid, int column, const QMap<int, QString> &values,
                            const QString &refusal, const ExportWrites &writes, const Ints &lock = {}, const Ints &unlock = {}) {
            QTest::newRow(name) << grid << column << values << refusal << writes << lock << unlock;
        };
        row("ed balance", "dbED", c(D::ValorUtilizado), {{c(D::ValorTotal), "100"}, {c(D::ValorUtilizado), "40"}}, "",
            {{c(D::SaldoDocumento), "60"}});
        row("ed used value above the total", "dbED", c(D::ValorUtilizado),
            {{c(D::ValorTotal), "100"}, {c(D::ValorUtilizado), "120"}}, v, {});
        row("ed used value before the total", "dbED", c(D::ValorUtilizado), {{c(D::ValorUtilizado), "120"}}, "", {});
        row("ed used quantity above the total", "dbED", c(D::CantidadExportada),
            {{c(D::CantidadTotal), "5"}, {c(D::CantidadExportada), "5.5"}}, q, {});
        row("ed used quantity equal, by leading numbers", "dbED", c(D::CantidadExportada),
            {{c(D::CantidadTotal), "5x"}, {c(D::CantidadExportada), "5"}}, "", {});
        row("ei pesos zero and lock the dollars", "dbEI", c(I::ValorTotal), {{c(I::ValorTotal), "100"}}, "",
            {{c(I::ValorTotalDls), "0"}, {c(I::ValorUtilizadoDls), "0"}}, {c(I::ValorTotalDls), c(I::ValorUtilizadoDls)});
        row("ei pesos emptied free the dollars", "dbEI", c(I::ValorUtilizado), {{c(I::ValorTotal), "100"}}, "", {}, {},
            {c(I::ValorTotalDls), c(I::ValorUtilizadoDls)});
        row("ei used dollars above the total, still locking", "dbEI", c(I::ValorUtilizadoDls),
            {{c(I::ValorTotalDls), "10"}, {c(I::ValorUtilizadoDls), "11"}}, v,
            {{c(I::ValorTotal), "0"}, {c(I::ValorUtilizado), "0"}}, {c(I::ValorTotal), c(I::ValorUtilizado)});
        row("ei used quantity above the total", "dbEI", c(I::CantidadUtilizada),
            {{c(I::CantidadTotal), "1"}, {c(I::CantidadUtilizada), "2"}}, q, {});
        row("tlc value at the rate", "dbITLC", c(T::AdValorem),
            {{c(T::CantidadImportada), "10"}, {c(T::PrecioUnitario), "2.5"}}, "", {{c(T::ValorTotal), "25"}});
        row("tlc value without a price is emptied", "dbITLC", c(T::AdValorem), {{c(T::CantidadImportada), "10"}}, "",
            {{c(T::ValorTotal), ""}});
        row("tlc price alone changes nothing", "dbITLC", c(T::PrecioUnitario),
            {{c(T::CantidadImportada), "10"}, {c(T::PrecioUnitario), "3"}}, "", {});
    }
    void exportDocument()
    {
        QFETCH(QString, grid);
        QFETCH(int, column);
        using Values = QMap<int, QString>;
        QFETCH(Values, values);
        QFETCH(QString, refusal);
        QFETCH(ExportWrites, writes);
        QFETCH(Ints, lock);
        QFETCH(Ints, unlock);
        const auto result = ExportDocuments::committed(grid, column, [&values](int col) { return values.value(col); });
        QCOMPARE(result.refusal, refusal);
        QCOMPARE(result.writes, writes);
        QCOMPARE(result.lock, lock);
        QCOMPARE(result.unlock, unlock);
    }

    // The TLCAN duties cap the non-originating total (230 originating).
    void capNonOriginating()
    {
        for (const auto &[nonOriginating, duties, requested] :
             {std::tuple{"1,000", "600", "830"}, {"600", "600", ""}, {"400", "600", ""}, {"0.5", "0", "230"}}) {
            const auto cap = GridTotals::capNonOriginating(nonOriginating, QStringLiteral("230"), duties);
            QCOMPARE(cap ? cap->nonOriginating + u' ' + cap->requested : QString(),
                     *requested ? duties + QStringLiteral(" ") + requested : QString());
        }
    }

    // Totals of the imported goods by refund mode: all, by the exact TLCAN
    // name, the appendix 8 share of a transfer's, TLCAN only, or nothing.
    void importedGoods_data()
    {
        QTest::addColumn<int>("mDev");
        QTest::addColumn<bool>("transfer");
        QTest::addColumn<bool>("appendix8");
        QTest::addColumn<bool>("empty");
        QTest::addColumn<QString>("totals"); // originating, non-originating, requested ("-": none)
        QTest::newRow("mode 0: all originating") << 0 << true << false << false << "1234 0 1234";
        QTest::newRow("mode 1: all originating") << 1 << false << false << false << "1234 0 1234";
        QTest::newRow("mode 2: by exact TLCAN name") << 2 << false << false << false << "230 1004 1234";
        QTest::newRow("mode 2: transfer under appendix 8, 40 %") << 2 << true << true << false << "230 602.4 832.4";
        QTest::newRow("mode 2: appendix 8 of a direct request, whole") << 2 << false << true << false << "230 1004 1234";
        QTest::newRow("mode 3: TLCAN only") << 3 << true << false << false << "230 0 230";
        QTest::newRow("mode 4: nothing") << 4 << true << false << false << "0 0 0";
        QTest::newRow("mode of no meaning") << 7 << false << false << false << "0 0 0";
        QTest::newRow("no record") << 1 << false << false << true << "0 0 -";
    }
    void importedGoods()
    {
        QFETCH(int, mDev);
        QFETCH(bool, transfer);
        QFETCH(bool, appendix8);
        QFETCH(bool, empty);
        QFETCH(QString, totals);
        QTemporaryDir dir;
        auto insupedi = scratchTable(dir, QStringLiteral("insupedi"));
        const QVariant none;
        for (const auto &[amount, country] : {std::pair{QVariant(1000.0), "JAPON"}, {QVariant(200.0), "ESTADOS UNIDOS DE AMERICA"},
                                              {QVariant(30.0), "CANADA"}, {QVariant(4.0), "Canada"}, {none, "JAPON"}}) {
            if (empty)
                break;
            insupedi->AddNew();
            insupedi->Fields(QStringLiteral("PAIS_IMPOR")).setValue(QString::fromLatin1(country));
            insupedi->Fields(QStringLiteral("MONT_SOLIC")).setValue(amount);
            insupedi->Update();
        }
        const GridTotals::ImportTotals t = GridTotals::importedGoods(*insupedi, {mDev, transfer, appendix8, 40});
        QCOMPARE(t.originating + u' ' + t.nonOriginating + u' ' + t.requested.value_or("-"), totals);
        QVERIFY(insupedi->Eof()); // the walk ends past the last record
    }

    // Each addition is rounded to 15 significant digits, as the window
    // adds, however the amounts are written.
    void sums_data()
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
    void sums()
    {
        QFETCH(QStringList, amounts);
        QFETCH(QString, sum);
        QCOMPARE(sumOf(amounts), sum);
    }
    void sumsOfManyAmounts()
    {
        // Thousands of amounts, in and out of the range kept exactly, against
        // the rule itself: each addition written and read back.
        QRandomGenerator random(20260301);
        for (const auto &[maxPlaces, maxFactor] : {std::pair{5, 2}, {7, 100000}}) {
            QStringList amounts;
            double expected = 0;
            for (int i = 0; i < 3000; ++i) {
                const int places = random.bounded(maxPlaces + 1);
                const qint64 digits = qint64(random.bounded(500000)) * random.bounded(1, maxFactor);
                const QString text = QString::number(double(digits) / std::pow(10.0, places), 'f', places);
                amounts.append(random.bounded(10) == 0 ? u'-' + text : text);
                expected = decimalNumber(decimalText(expected + amounts.last().toDouble())).value();
                // The quick rounding of the totals, on values of every size.
                const double any = (random.generateDouble() - 0.5) * std::pow(10.0, random.bounded(-9, 17));
                for (const double value : {any, expected / 3, expected * 0.15})
                    QCOMPARE(decimalRounded(value), decimalNumber(decimalText(value)).value());
            }
            QCOMPARE(sumOf(amounts), decimalText(expected));
        }
    }

    // Sums of stored fields, and kept sums that follow every write.
    void storedSums()
    {
        QTemporaryDir dir;
        auto factura = scratchTable(dir, QStringLiteral("factura"));
        const QStringList pesos = GridTotals::indirectExportFields(true), dollars = GridTotals::indirectExportFields(false);
        QCOMPARE(GridTotals::fieldSums(*factura, pesos), (QStringList{"0", "0", "0", "0"}));
        for (const auto &[total, inDollars] : {std::pair{QVariant(0.1), QVariant()}, {QVariant(0.2), QVariant(7.5)}}) {
            factura->AddNew();
            factura->Fields(QStringLiteral("CANT_TOTAL")).setValue(total);
            factura->Fields(QStringLiteral("VALTOTDLL")).setValue(inDollars);
            factura->Update();
        }
        QCOMPARE(GridTotals::fieldSums(*factura, dollars), (QStringList{"0.3", "0", "7.5", "0"}));
        GridTotals::StoredSums kept;
        QCOMPARE(kept.of(*factura, dollars).value(2), "7.5");
        factura->MoveFirst();
        factura->Edit();
        factura->Fields(QStringLiteral("VALTOTDLL")).setValue(1);
        factura->Update();
        QCOMPARE(kept.of(*factura, dollars).value(2), "8.5");
        factura->Delete();
        QCOMPARE(kept.of(*factura, dollars).value(2), "7.5");
        QCOMPARE(kept.of(*factura, pesos).value(2), "0");
        Recordset reopened(DbfTable::open(dir.filePath(RequestSchema::find(QStringLiteral("factura"))->file)));
        QCOMPARE(kept.of(reopened, dollars).value(0), "0.2");

        // The unit costs' total: none for returned goods, the grid's row kept.
        auto insunit = scratchTable(dir, QStringLiteral("insunit"));
        QCOMPARE(GridTotals::unitCosts(*insunit, 1), "0");
        for (const QVariant &cost : {QVariant(0.1), QVariant(), QVariant(0.2), QVariant(1234.5)}) {
            insunit->AddNew();
            insunit->Fields(QStringLiteral("COSTO_UNIT")).setValue(cost);
            insunit->Update();
        }
        insunit->moveToRow(1);
        QCOMPARE(GridTotals::unitCosts(*insunit, 4), "1234.8");
        QCOMPARE(insunit->currentRow(), 1);
        QVERIFY(!GridTotals::unitCosts(*insunit, 3) && !GridTotals::unitCosts(*insunit, 5));
    }

    // The tariff-item picker's line of a unit-cost record (item, cost,
    // rate), and the figures read back from a line when it is confirmed.
    void fractionLine_data()
    {
        QTest::addColumn<bool>("built"); // the line is the one built of the figures
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QVariant>("rate");
        QTest::addColumn<QVariant>("cost"); // read back: none without a cost column
        const QString b8(8, u' '), b10(10, u' ');
        const QVariant none;
        QTest::newRow("cost and rate") << true << "01020304" + b8 + "15.5" + b10 + "10" << "01020304" << QVariant(10.0) << QVariant(15.5);
        QTest::newRow("no cost") << true << "01020304" + b10 + "10" << "01020304" << QVariant(10.0) << none;
        QTest::newRow("cost 0 is a cost") << true << "01020304" + QString(11, u' ') + "0" + b10 + "10" << "01020304" << QVariant(10.0) << QVariant(0.0);
        QTest::newRow("no rate") << true << "01020304" + b8 + "15.5" + QString(12, u' ') << "01020304" << none << QVariant(15.5);
        QTest::newRow("short item") << true << "0102" + QString(12, u' ') + "2.25" + QString(11, u' ') + "5" << "0102" << QVariant(5.0) << QVariant(2.25);
        QTest::newRow("no exponent") << true << "01020304  1000000000      0.0001" << "01020304" << QVariant(1e-4) << QVariant(1e9);
        QTest::newRow("negative cost") << true << "01020304" + QString(8, u' ') + "-2.5" + QString(11, u' ') + "3" << "01020304" << QVariant(3.0) << QVariant(-2.5);
        QTest::newRow("cost wider than its column") << true << "0102030498765432109876.5" + b10 + "16" << "01020304" << QVariant(16.0) << QVariant(98765432109876.5);
        QTest::newRow("item alone") << false << "01020304" << "01020304" << none << none;
        QTest::newRow("empty") << false << "" << "" << none << none;
        QTest::newRow("garbage") << false << "hello world" << "hello wo" << none << none;
        QTest::newRow("words in the columns") << false << "01020304" + QString(9, u' ') + "abc" + QString(9, u' ') + "xyz" << "01020304" << none << QVariant(0.0);
    }
    void fractionLine()
    {
        QFETCH(bool, built);
        QFETCH(QString, line);
        QFETCH(QString, item);
        QFETCH(QVariant, rate);
        QFETCH(QVariant, cost);
        if (built)
            QCOMPARE(FractionLine::build(item, rate, cost), line);
        const FractionLine::Parts parts = FractionLine::read(line);
        QCOMPARE(parts.item, item);
        QCOMPARE(parts.cost.has_value(), cost.isValid());
        QCOMPARE(parts.cost.value_or(0), cost.toDouble());
        QCOMPARE(parts.rate, rate.toDouble());
    }

    // A grid cell's length complaint: its own rule's message, past its
    // limit only (entry 0 is a message too).
    void cellLength()
    {
        const QStringList messages = WindowTexts::gridLengthMessages();
        const auto complaint = [&](const char *grid, auto column, int length) {
            return GridCellRules::lengthComplaint(grid, columnIndex(column), QString(length, u'1'), messages);
        };
        QCOMPARE(complaint("dbEI", IndirectExportCol::ExportadorFinal, 21), messages[9] + " Rectifica por favor");
        QCOMPARE(complaint("dbEI", IndirectExportCol::ExportadorFinal, 20), QString());
        QCOMPARE(complaint("dbITLC", TlcanCol::Fraccion, 9), messages[0] + " Rectifica por favor");
        QCOMPARE(complaint("dbCU", UnitCostCol::CostoUnit, 13) + complaint("dbMI", ImportCol::Clave, 30)
                     + complaint("dbXX", ImportCol::FechaPago, 11), QString()); // no limit, no grid
    }

    // The review's first blank cell of a row: grid order, hidden columns
    // passed over, the indirect exports' pesos or dollars (-1: complete).
    void reviewFirstBlank_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<Ints>("filled");
        QTest::addColumn<Ints>("hidden");
        QTest::addColumn<int>("blank");
        using I = IndirectExportCol;
        const int vt = c(I::ValorTotal), vu = c(I::ValorUtilizado), dt = c(I::ValorTotalDls), du = c(I::ValorUtilizadoDls);
        const Ints common{0, 1, 2, 3, c(I::ExportadorFinal)};
        QTest::newRow("ei pesos only") << "dbEI" << common + Ints{vt, vu} << Ints{} << -1;
        QTest::newRow("ei dollars only") << "dbEI" << common + Ints{dt, du} << Ints{} << -1;
        QTest::newRow("ei dollar total alone") << "dbEI" << common + Ints{dt} << Ints{} << du;
        QTest::newRow("ei neither") << "dbEI" << common << Ints{} << vt;
        QTest::newRow("ei pesos without the used") << "dbEI" << common + Ints{vt} << Ints{} << vu;
        QTest::newRow("ei exporter last") << "dbEI" << Ints{0, 1, 2, 3, vt, vu} << Ints{} << 8;
        QTest::newRow("mi hidden column passed over") << "dbMI" << Ints{0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14} << Ints{8} << -1;
        QTest::newRow("mi first blank in grid order") << "dbMI" << Ints{0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13} << Ints{} << 2;
        QTest::newRow("ed balance not reviewed") << "dbED" << Ints{0, 1, 2, 3, 4, 5, 6} << Ints{} << -1;
        QTest::newRow("tlc duties") << "dbITLC" << Ints{0, 1, 2, 3, 4, 5, 6} << Ints{} << 7;
    }
    void reviewFirstBlank()
    {
        QFETCH(QString, grid);
        QFETCH(Ints, filled);
        QFETCH(Ints, hidden);
        QFETCH(int, blank);
        const CompletenessReview::ColumnCheck *found = CompletenessReview::firstBlank(
            section(grid), [&](int c) { return !filled.contains(c); }, [&](int c) { return !hidden.contains(c); });
        QCOMPARE(found ? found->column : -1, blank);
    }
    void reviewMessages()
    {
        using namespace CompletenessReview;
        const Section &imports = section("dbMI"), &unitCosts = section("dbCU");
        QCOMPARE(missingIn(imports, imports.columns.at(6), "Merc. Importadas"),
                 "Debes de completar la solicitud. Falta especificar  el páis de orígen mostrado por el pedimento en la "
                 "sección Merc. Importadas.");
        QCOMPARE(missingIn(unitCosts, unitCosts.columns.at(0), "Fracciones"),
                 "Debes de completar la solicitud. Falta especificar  una fracción en la sección costos unitarios.");
        QCOMPARE(emptySection("Merc. Importadas"),
                 "Debes de completar la solicitud. No has colocado ningún dato en la sección Merc. Importadas.");
        QCOMPARE(amountQuestion("1,274.57"),
                 "El monto aproximado a devolver por esta solicitud es de $1,274.57. Esta de acuerdo?");
    }

    // The considerations: UTF-8 or Windows-1252 bytes, which file is shown
    // (the request folder's own copy wins), and the shipped texts print
    // without a wrapped line at 8.5 points (100 characters).
    void considerations()
    {
        for (const auto &[bytes, text] : {std::pair{QByteArray("Informaci\xc3\xb3n\n"), QStringLiteral("Información\n")},
                                          {QByteArray("\xef\xbb\xbf" "A\xc3\xb1o"), QStringLiteral("Año")},
                                          {QByteArray("Informaci\xf3n \x93" "cita\x94 \x80"), QStringLiteral("Información “cita” €")},
                                          {QByteArray("uno\r\ndos\rtres"), QStringLiteral("uno\ndos\ntres")},
                                          {QByteArray("a\xc3"), QStringLiteral("aÃ")}})
            QCOMPARE(Considerations::decode(bytes), text);
        QTemporaryDir request, program;
        const auto path = [&](int refundType) { return Considerations::path(request.path(), program.path(), refundType); };
        QCOMPARE(QStringList({path(0), path(-1), path(2)}),
                 QStringList({program.filePath("consider.txt"), program.filePath("consideret.txt"), program.filePath("consideret.txt")}));
        writeAll(request.filePath("consider.txt"), "");
        QCOMPARE(QStringList({path(0), path(1)}), QStringList({request.filePath("consider.txt"), program.filePath("consideret.txt")}));
        const Considerations::Loaded missing = Considerations::load(program.filePath("consider.txt"));
        QVERIFY(missing.text.isEmpty() && missing.error.contains(program.filePath("consider.txt")));
        QVERIFY(!Considerations::load(program.path()).error.isEmpty()); // a folder is no text
        for (const char *name : {"consider.txt", "consideret.txt"}) {
            const Considerations::Loaded shipped = Considerations::load(QStringLiteral(QUELVAR_DATA_DIR "/") + name);
            QVERIFY2(shipped.error.isEmpty() && shipped.text.count(u'\n') > 50, name);
            for (const QString &line : shipped.text.split(u'\n'))
                QVERIFY2(line.size() <= 100 && !line.contains(u'\t'), qPrintable(line));
        }
    }
};

QUELVAR_TEST_CLASS(TestRules)
#include "test_rules.moc"

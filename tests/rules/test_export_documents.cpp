// What committing a figure of an export document or a TLCAN import brings,
// the sums of their stored rows, and the TLCAN duties' cap on the
// non-originating total.
#include "rules/export_documents.h"
#include "rules/grid_totals.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/request_schema.h"
#include "test_registry.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

using Values = QMap<int, QString>;
using Writes = QList<ExportDocuments::CellWrite>;
using Columns = QList<int>;

template <class E> int c(E column) { return columnIndex(column); }

} // namespace

Q_DECLARE_METATYPE(Values)
Q_DECLARE_METATYPE(Writes)

class TestExportDocuments : public QObject {
    Q_OBJECT
private slots:
    void committed_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<int>("column");
        QTest::addColumn<Values>("values");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<Writes>("writes");
        QTest::addColumn<Columns>("lock");
        QTest::addColumn<Columns>("unlock");
        using D = DirectExportCol;
        using I = IndirectExportCol;
        using T = TlcanCol;
        const QString q = ExportDocuments::kQuantityTooHigh;
        const QString v = ExportDocuments::kValueTooHigh;
        QTest::newRow("ed balance") << "dbED" << c(D::ValorUtilizado)
                                    << Values{{c(D::ValorTotal), "100"}, {c(D::ValorUtilizado), "40"}} << ""
                                    << Writes{{c(D::SaldoDocumento), "60"}} << Columns{} << Columns{};
        QTest::newRow("ed used value above the total")
            << "dbED" << c(D::ValorUtilizado) << Values{{c(D::ValorTotal), "100"}, {c(D::ValorUtilizado), "120"}} << v
            << Writes{} << Columns{} << Columns{};
        QTest::newRow("ed used value before the total")
            << "dbED" << c(D::ValorUtilizado) << Values{{c(D::ValorUtilizado), "120"}} << "" << Writes{} << Columns{}
            << Columns{};
        QTest::newRow("ed used quantity above the total")
            << "dbED" << c(D::CantidadExportada) << Values{{c(D::CantidadTotal), "5"}, {c(D::CantidadExportada), "5.5"}}
            << q << Writes{} << Columns{} << Columns{};
        QTest::newRow("ed used quantity equal, by leading numbers")
            << "dbED" << c(D::CantidadExportada) << Values{{c(D::CantidadTotal), "5x"}, {c(D::CantidadExportada), "5"}}
            << "" << Writes{} << Columns{} << Columns{};
        QTest::newRow("ei pesos zero and lock the dollars")
            << "dbEI" << c(I::ValorTotal) << Values{{c(I::ValorTotal), "100"}} << ""
            << Writes{{c(I::ValorTotalDls), "0"}, {c(I::ValorUtilizadoDls), "0"}}
            << Columns{c(I::ValorTotalDls), c(I::ValorUtilizadoDls)} << Columns{};
        QTest::newRow("ei pesos emptied free the dollars")
            << "dbEI" << c(I::ValorUtilizado) << Values{{c(I::ValorTotal), "100"}} << "" << Writes{} << Columns{}
            << Columns{c(I::ValorTotalDls), c(I::ValorUtilizadoDls)};
        QTest::newRow("ei used dollars above the total, still locking")
            << "dbEI" << c(I::ValorUtilizadoDls) << Values{{c(I::ValorTotalDls), "10"}, {c(I::ValorUtilizadoDls), "11"}}
            << v << Writes{{c(I::ValorTotal), "0"}, {c(I::ValorUtilizado), "0"}}
            << Columns{c(I::ValorTotal), c(I::ValorUtilizado)} << Columns{};
        QTest::newRow("ei used quantity above the total")
            << "dbEI" << c(I::CantidadUtilizada) << Values{{c(I::CantidadTotal), "1"}, {c(I::CantidadUtilizada), "2"}}
            << q << Writes{} << Columns{} << Columns{};
        QTest::newRow("tlc value at the rate")
            << "dbITLC" << c(T::AdValorem) << Values{{c(T::CantidadImportada), "10"}, {c(T::PrecioUnitario), "2.5"}}
            << "" << Writes{{c(T::ValorTotal), "25"}} << Columns{} << Columns{};
        QTest::newRow("tlc value without a price is emptied")
            << "dbITLC" << c(T::AdValorem) << Values{{c(T::CantidadImportada), "10"}} << ""
            << Writes{{c(T::ValorTotal), ""}} << Columns{} << Columns{};
        QTest::newRow("tlc price alone changes nothing")
            << "dbITLC" << c(T::PrecioUnitario) << Values{{c(T::CantidadImportada), "10"}, {c(T::PrecioUnitario), "3"}}
            << "" << Writes{} << Columns{} << Columns{};
    }
    void committed()
    {
        QFETCH(QString, grid);
        QFETCH(int, column);
        QFETCH(Values, values);
        QFETCH(QString, refusal);
        QFETCH(Writes, writes);
        QFETCH(Columns, lock);
        QFETCH(Columns, unlock);
        const ExportDocuments::Committed result =
            ExportDocuments::committed(grid, column, [&values](int col) { return values.value(col); });
        QCOMPARE(result.refusal, refusal);
        QCOMPARE(result.writes, writes);
        QCOMPARE(result.lock, lock);
        QCOMPARE(result.unlock, unlock);
    }

    void fieldSums()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("factura.dbf"));
        DbfTable::create(path, RequestSchema::find(QStringLiteral("factura"))->fields);
        Recordset factura(DbfTable::open(path));
        QCOMPARE(GridTotals::fieldSums(factura, GridTotals::indirectExportFields(true)),
                 (QStringList{"0", "0", "0", "0"}));
        for (const auto &[total, dollars] : {std::pair{QVariant(0.1), QVariant()}, std::pair{QVariant(0.2), QVariant(7.5)}}) {
            factura.AddNew();
            factura.Fields(QStringLiteral("CANT_TOTAL")).setValue(total);
            factura.Fields(QStringLiteral("VALTOTDLL")).setValue(dollars);
            factura.Update();
        }
        QCOMPARE(GridTotals::fieldSums(factura, GridTotals::indirectExportFields(false)),
                 (QStringList{"0.3", "0", "7.5", "0"}));

        // Kept sums follow every write to the table, and its reopening.
        GridTotals::StoredSums kept;
        QCOMPARE(kept.of(factura, GridTotals::indirectExportFields(false)).value(2), "7.5");
        factura.MoveFirst();
        factura.Edit();
        factura.Fields(QStringLiteral("VALTOTDLL")).setValue(1);
        factura.Update();
        QCOMPARE(kept.of(factura, GridTotals::indirectExportFields(false)).value(2), "8.5");
        factura.Delete();
        QCOMPARE(kept.of(factura, GridTotals::indirectExportFields(false)).value(2), "7.5");
        QCOMPARE(kept.of(factura, GridTotals::indirectExportFields(true)).value(2), "0");
        Recordset reopened(DbfTable::open(path));
        QCOMPARE(kept.of(reopened, GridTotals::indirectExportFields(false)).value(0), "0.2");
    }

    void capNonOriginating_data()
    {
        QTest::addColumn<QString>("nonOriginating");
        QTest::addColumn<QString>("duties");
        QTest::addColumn<bool>("capped");
        QTest::addColumn<QString>("requested"); // with 230 originating
        QTest::newRow("above the duties") << "1,000" << "600" << true << "830";
        QTest::newRow("equal to the duties") << "600" << "600" << false << "";
        QTest::newRow("below the duties") << "400" << "600" << false << "";
        QTest::newRow("no duties") << "0.5" << "0" << true << "230";
    }
    void capNonOriginating()
    {
        QFETCH(QString, nonOriginating);
        QFETCH(QString, duties);
        QFETCH(bool, capped);
        QFETCH(QString, requested);
        const auto cap = GridTotals::capNonOriginating(nonOriginating, QStringLiteral("230"), duties);
        QCOMPARE(cap.has_value(), capped);
        if (capped) {
            QCOMPARE(cap->nonOriginating, duties);
            QCOMPARE(cap->requested, requested);
        }
    }
};

QUELVAR_TEST_CLASS(TestExportDocuments)
#include "test_export_documents.moc"

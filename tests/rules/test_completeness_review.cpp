// The order of the completeness review's grid checks within a row (the
// peso and dollar alternatives of the indirect exports, hidden columns) and
// its messages. The single checks are tried on the real window
// (tests/window/test_review.cpp).
#include "rules/completeness_review.h"
#include "test_registry.h"

#include <QTest>

namespace {

const CompletenessReview::Section &section(const char *grid)
{
    for (const CompletenessReview::Section &s : CompletenessReview::sections())
        if (s.grid == QLatin1String(grid))
            return s;
    qFatal("no section %s", grid);
}

} // namespace

class TestCompletenessReview : public QObject {
    Q_OBJECT
private slots:
    void firstBlank_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<QList<int>>("filled");
        QTest::addColumn<QList<int>>("hidden");
        QTest::addColumn<int>("blank"); // -1: complete
        using I = IndirectExportCol;
        const int vt = columnIndex(I::ValorTotal), vu = columnIndex(I::ValorUtilizado);
        const int dt = columnIndex(I::ValorTotalDls), du = columnIndex(I::ValorUtilizadoDls);
        const QList<int> common{0, 1, 2, 3, columnIndex(I::ExportadorFinal)};
        QTest::newRow("ei pesos only") << "dbEI" << (common + QList<int>{vt, vu}) << QList<int>{} << -1;
        QTest::newRow("ei dollars only") << "dbEI" << (common + QList<int>{dt, du}) << QList<int>{} << -1;
        QTest::newRow("ei dollar total alone") << "dbEI" << (common + QList<int>{dt}) << QList<int>{} << du;
        QTest::newRow("ei neither") << "dbEI" << common << QList<int>{} << vt;
        QTest::newRow("ei pesos without the used") << "dbEI" << (common + QList<int>{vt}) << QList<int>{} << vu;
        QTest::newRow("ei exporter last") << "dbEI" << QList<int>{0, 1, 2, 3, vt, vu} << QList<int>{} << 8;
        QTest::newRow("mi hidden column passed over")
            << "dbMI" << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14} << QList<int>{8} << -1;
        QTest::newRow("mi first blank in grid order")
            << "dbMI" << QList<int>{0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13} << QList<int>{} << 2;
        QTest::newRow("ed balance not reviewed") << "dbED" << QList<int>{0, 1, 2, 3, 4, 5, 6} << QList<int>{} << -1;
        QTest::newRow("tlc duties") << "dbITLC" << QList<int>{0, 1, 2, 3, 4, 5, 6} << QList<int>{} << 7;
    }
    void firstBlank()
    {
        QFETCH(QString, grid);
        QFETCH(QList<int>, filled);
        QFETCH(QList<int>, hidden);
        QFETCH(int, blank);
        const CompletenessReview::ColumnCheck *found = CompletenessReview::firstBlank(
            section(grid.toLatin1().constData()), [&](int c) { return !filled.contains(c); },
            [&](int c) { return !hidden.contains(c); });
        QCOMPARE(found ? found->column : -1, blank);
    }

    void messages()
    {
        const CompletenessReview::Section &imports = section("dbMI");
        QCOMPARE(CompletenessReview::missingIn(imports, imports.columns.at(6), QStringLiteral("Merc. Importadas")),
                 QStringLiteral("Debes de completar la solicitud. Falta especificar  el páis de orígen mostrado por "
                                "el pedimento en la sección Merc. Importadas."));
        const CompletenessReview::Section &unitCosts = section("dbCU");
        QCOMPARE(CompletenessReview::missingIn(unitCosts, unitCosts.columns.at(0), QStringLiteral("Fracciones")),
                 QStringLiteral("Debes de completar la solicitud. Falta especificar  una fracción en la sección "
                                "costos unitarios."));
        QCOMPARE(CompletenessReview::emptySection(QStringLiteral("Merc. Importadas")),
                 QStringLiteral("Debes de completar la solicitud. No has colocado ningún dato en la sección "
                                "Merc. Importadas."));
        QCOMPARE(CompletenessReview::amountQuestion(QStringLiteral("1,274.57")),
                 QStringLiteral("El monto aproximado a devolver por esta solicitud es de $1,274.57. Esta de acuerdo?"));
    }
};

QUELVAR_TEST_CLASS(TestCompletenessReview)
#include "test_completeness_review.moc"

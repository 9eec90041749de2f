#include "test_registry.h"
#include "store/request_choices.h"

#include <QtTest>

using RequestChoices::Choices;
using RequestChoices::Codes;

Q_DECLARE_METATYPE(Choices)

// The header's choices go into the request record and come back the same.
class TestChoiceCodes : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        QTest::addColumn<Choices>("choices");
        QTest::addColumn<QString>("stored"); // OTipoExpor Tipo_Expor Mer_Ret tsol folio | kept
        QTest::newRow("directa originarios") << Choices{0, 0, 0, 0, {}, {}} << "0 M O N - | M";
        QTest::newRow("directa mezcla") << Choices{0, 0, 1, 0, {}, {}} << "0 M N N - | M";
        QTest::newRow("directa terceros") << Choices{0, 0, 2, 0, {}, {}} << "0 M T N - | M";
        QTest::newRow("directa retorno") << Choices{0, 1, -1, 0, {}, {}} << "0 R - N - | R";
        QTest::newRow("directa reparación") << Choices{0, 2, -1, 0, {}, {}} << "0 P - N - | P";
        QTest::newRow("transferencia constancia") << Choices{1, 0, 0, 0, {}, {}} << "1 T C N - | M";
        QTest::newRow("transferencia retorno virtual") << Choices{1, 1, 1, 0, {}, {}} << "1 T P N - | R";
        QTest::newRow("desahogo") << Choices{0, 2, -1, 1, "0012", "2024"} << "0 P - R 00122024 | P";
        QTest::newRow("desahogo sin folio") << Choices{1, 0, 1, 1, {}, {}} << "1 T P R  | M";
        QTest::newRow("nothing chosen") << Choices{-1, -1, -1, 1, {}, {}} << "- - - R  | ";
    }
    void roundTrip()
    {
        QFETCH(Choices, choices);
        QFETCH(QString, stored);
        const Codes codes = RequestChoices::encode(choices);
        const auto show = [](const QVariant &v) { return v.isNull() ? QStringLiteral("-") : v.toString(); };
        QCOMPARE(QStringList({show(codes.oTipoExpor), show(codes.tipoExpor), show(codes.merRet), show(codes.tsol),
                              show(codes.folio), QStringLiteral("|"), codes.keptRefundType})
                     .join(u' '),
                 stored);
        QCOMPARE(RequestChoices::decode(codes), choices);
    }

    void decodeAsStored()
    {
        // Codes in any case and with blanks after them, as another program
        // may have written them.
        Codes codes{0.0, "m ", "n", "n", QVariant(), ""};
        QCOMPARE(RequestChoices::decode(codes), (Choices{0, 0, 1, 0, {}, {}}));
        // A transfer read from a medium has no refund type kept.
        codes = {1.0, "T", "C", "N", QVariant(), ""};
        QCOMPARE(RequestChoices::decode(codes), (Choices{1, -1, 0, 0, {}, {}}));
        // A direct request names its export type only for transformed goods.
        codes = {0.0, "R", "O", "N", QVariant(), ""};
        QCOMPARE(RequestChoices::decode(codes).exportType, -1);
        // Without a request type no export type is read.
        codes = {QVariant(), "M", "O", "N", QVariant(), ""};
        QCOMPARE(RequestChoices::decode(codes).exportType, -1);
    }
};

QUELVAR_TEST_CLASS(TestChoiceCodes)
#include "test_choice_codes.moc"

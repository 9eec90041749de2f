// The printed request's text, compared line by line with texts written by
// hand for each refund option and export type (report/*.txt, over the
// request of report/requests.json: the window's texts, the five tables with
// a first row of field names, and each case's own texts), and the requests
// that print nothing.
#include "rules/request_report.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/request_schema.h"
#include "test_registry.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString fromReportDir(const QString &name)
{
    QFile file(QStringLiteral(QUELVAR_TEST_SOURCE_DIR "/rules/report/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(file.fileName()));
    return QString::fromUtf8(file.readAll());
}

// The request of a case, its tables written by our engine in a scratch
// folder: the window's texts with the case's own, no records when empty,
// and a table left out if named.
struct Request {
    QVariantMap window;
    QTemporaryDir dir;
    std::map<QString, std::unique_ptr<Recordset>> sets;

    Request(const QString &name, bool empty, const QString &leftOut = {})
    {
        const QJsonObject all = QJsonDocument::fromJson(fromReportDir("requests.json").toUtf8()).object();
        window = all["window"].toObject().toVariantMap();
        window.insert(all["cases"][name].toObject().toVariantMap());
        const QJsonObject tables = all["tables"].toObject();
        for (auto it = tables.begin(); it != tables.end(); ++it) {
            const TableSchema *schema = RequestSchema::find(it.key());
            DbfTable::create(dir.filePath(schema->file), schema->fields);
            auto &rs = sets[it.key()] = std::make_unique<Recordset>(DbfTable::open(dir.filePath(schema->file)));
            const QJsonArray rows = it.value().toArray();
            const QJsonArray fields = rows.first().toArray();
            for (qsizetype r = 1; r < (empty ? 1 : rows.size()); ++r) {
                rs->AddNew();
                for (qsizetype f = 0; f < fields.size(); ++f) {
                    const int index = rs->fieldIndex(fields[f].toString());
                    QVariant value = rows[r][f].toVariant();
                    if (schema->fields[index].type == 'D' && !value.isNull())
                        value = QDate::fromString(value.toString(), Qt::ISODate);
                    rs->setValue(index, value);
                }
                rs->Update();
            }
        }
        sets.erase(leftOut);
    }
    RequestReport::Report build(const RequestReport::Choices &choices)
    {
        const auto shown = [this](const QString &name) { return window.value(name).toString(); };
        return RequestReport::build(shown, choices,
                                    {sets["insunit"].get(), sets["insupedi"].get(), sets["exporped"].get(),
                                     sets["factura"].get(), sets["impTLC"].get()});
    }
};

} // namespace

Q_DECLARE_METATYPE(RequestReport::Choices)

class TestRequestReport : public QObject {
    Q_OBJECT
private slots:
    void matchesTheHandWrittenText_data()
    {
        QTest::addColumn<RequestReport::Choices>("choices"); // opcDT, direct, tSolicitud, tDevolucion, tExportacion,
        QTest::addColumn<int>("sections");                   // appendix 8, annex B
        QTest::newRow("opc1") << RequestReport::Choices{1, true, 0, 0, 0, false, false} << 4;
        QTest::newRow("opc1_empty") << RequestReport::Choices{1, true, 0, 0, 0, false, false} << 4;
        QTest::newRow("opc2") << RequestReport::Choices{2, true, 1, 0, 1, false, false} << 5;
        QTest::newRow("opc3") << RequestReport::Choices{3, true, 0, 1, -1, false, false} << 2;
        QTest::newRow("opc4_constancia") << RequestReport::Choices{4, false, 0, 0, 0, false, true} << 4;
        QTest::newRow("opc4_virtual") << RequestReport::Choices{4, false, 0, 0, 1, false, false} << 4;
        QTest::newRow("opc5_constancia") << RequestReport::Choices{5, false, 0, 2, 0, false, false} << 2;
        QTest::newRow("opc5_virtual") << RequestReport::Choices{5, false, 0, 1, 1, false, false} << 2;
    }
    void matchesTheHandWrittenText()
    {
        QFETCH(RequestReport::Choices, choices);
        QFETCH(int, sections);
        const QString name = QString::fromLatin1(QTest::currentDataTag());
        Request request(name, name.endsWith("_empty"));
        const RequestReport::Report report = request.build(choices);
        QCOMPARE(report.outcome, RequestReport::Report::Outcome::Built);
        const QStringList got = report.text.split(u'\n'), want = fromReportDir(name + ".txt").split(u'\n');
        for (qsizetype i = 0; i < std::min(got.size(), want.size()); ++i)
            QVERIFY2(got[i] == want[i], qPrintable(QStringLiteral("line %1:\n  got:  «%2»\n  want: «%3»")
                                                       .arg(i + 1).arg(got[i], want[i])));
        QCOMPARE(got.size(), want.size());

        // Centred: the header, the five title blocks of the general part
        // (the refund type's ends with its title) and one per section.
        QCOMPARE(report.centred.size(), 6 + sections);
        QCOMPARE(report.centred.first(),
                 (RequestReport::Range{0, int(report.text.indexOf(QStringLiteral("\n\n"), 1)) + 2}));
    }

    // A table that could not be opened leaves the report incomplete;
    // without a refund option there is nothing to print.
    void printsNothing()
    {
        using O = RequestReport::Report::Outcome;
        const RequestReport::Choices choices{1, true, 0, 0, 0, false, false}, none{0, true, 0, 0, 0, false, false};
        QCOMPARE(Request(QStringLiteral("opc1"), false, QStringLiteral("insupedi")).build(choices).outcome, O::Incomplete);
        const RequestReport::Report report = Request(QStringLiteral("opc1"), false).build(none);
        QVERIFY(report.outcome == O::NoCode && report.text.isEmpty());
    }
};

QUELVAR_TEST_CLASS(TestRequestReport)
#include "test_request_report.moc"

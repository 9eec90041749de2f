// The printed request's text, compared line by line with texts written by
// hand for each refund option and export type (report/*.txt, over the
// request described in report/requests.json), and the cases where the
// report is not printed at all.
#include "rules/request_report.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/request_schema.h"
#include "test_registry.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString reportDir() { return QStringLiteral(QUELVAR_TEST_SOURCE_DIR "/rules/report"); }

QJsonObject fixture()
{
    QFile file(reportDir() + QStringLiteral("/requests.json"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(file.fileName()));
    return QJsonDocument::fromJson(file.readAll()).object();
}

// The request of a case: the shared one with the case's overrides.
struct Request {
    QVariantMap window;
    RequestReport::Choices choices;
    QJsonObject tables;
};

Request requestOf(const QString &name)
{
    const QJsonObject all = fixture();
    const QJsonObject overrides = all.value(QStringLiteral("cases")).toObject().value(name).toObject();
    Request r;
    r.window = all.value(QStringLiteral("window")).toObject().toVariantMap();
    const QVariantMap caseWindow = overrides.value(QStringLiteral("window")).toObject().toVariantMap();
    for (auto it = caseWindow.cbegin(); it != caseWindow.cend(); ++it)
        r.window.insert(it.key(), it.value());
    QVariantMap choices = all.value(QStringLiteral("choices")).toObject().toVariantMap();
    const QVariantMap caseChoices = overrides.value(QStringLiteral("choices")).toObject().toVariantMap();
    for (auto it = caseChoices.cbegin(); it != caseChoices.cend(); ++it)
        choices.insert(it.key(), it.value());
    r.choices = {choices.value(QStringLiteral("opcDT")).toInt(),    choices.value(QStringLiteral("direct")).toBool(),
                 choices.value(QStringLiteral("tSolicitud")).toInt(), choices.value(QStringLiteral("tDevolucion")).toInt(),
                 choices.value(QStringLiteral("tExportacion")).toInt(), choices.value(QStringLiteral("appendix8")).toBool(),
                 choices.value(QStringLiteral("annexB")).toBool()};
    r.tables = all.value(QStringLiteral("tables")).toObject();
    const QJsonObject caseTables = overrides.value(QStringLiteral("tables")).toObject();
    for (auto it = caseTables.begin(); it != caseTables.end(); ++it)
        r.tables.insert(it.key(), it.value());
    return r;
}

// The five tables of a request, written by our engine in a scratch folder.
class StoredTables {
public:
    explicit StoredTables(const QJsonObject &records)
    {
        for (const char *name : {"insunit", "insupedi", "exporped", "factura", "impTLC"}) {
            const QString table = QString::fromLatin1(name);
            const auto *schema = RequestSchema::find(table);
            const QString path = dir_.filePath(schema->file);
            DbfTable::create(path, schema->fields);
            auto rs = std::make_unique<Recordset>(DbfTable::open(path));
            for (const QJsonValue &record : records.value(table).toArray()) {
                rs->AddNew();
                const QVariantMap fields = record.toObject().toVariantMap();
                for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
                    const int index = rs->fieldIndex(it.key());
                    QVariant value = it.value();
                    if (schema->fields[index].type == 'D' && !value.isNull())
                        value = QDate::fromString(value.toString(), Qt::ISODate);
                    rs->setValue(index, value);
                }
                rs->Update();
            }
            sets_.emplace(table, std::move(rs));
        }
    }
    RequestReport::Tables tables() const
    {
        return {set("insunit"), set("insupedi"), set("exporped"), set("factura"), set("impTLC")};
    }
    Recordset *set(const char *name) const { return sets_.at(QString::fromLatin1(name)).get(); }

private:
    QTemporaryDir dir_;
    std::map<QString, std::unique_ptr<Recordset>> sets_;
};

RequestReport::Report build(const Request &r, const StoredTables &stored)
{
    const auto shown = [&r](const QString &name) { return r.window.value(name).toString(); };
    return RequestReport::build(shown, r.choices, stored.tables());
}

QString golden(const QString &name)
{
    QFile file(reportDir() + u'/' + name + QStringLiteral(".txt"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(file.fileName()));
    return QString::fromUtf8(file.readAll());
}

} // namespace

class TestRequestReport : public QObject {
    Q_OBJECT
private slots:
    void matchesTheHandWrittenText_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("sections");
        for (const auto &[name, sections] : std::initializer_list<std::pair<const char *, int>>{
                 {"opc1", 4}, {"opc1_empty", 4}, {"opc2", 5}, {"opc3", 2}, {"opc4_constancia", 4},
                 {"opc4_virtual", 4}, {"opc5_constancia", 2}, {"opc5_virtual", 2}})
            QTest::newRow(name) << QString::fromLatin1(name) << sections;
    }
    void matchesTheHandWrittenText()
    {
        QFETCH(QString, name);
        QFETCH(int, sections);
        const Request request = requestOf(name);
        const StoredTables stored(request.tables);
        // The walk leaves every grid's current record where it was.
        if (stored.set("insupedi")->rowCount() > 0)
            stored.set("insupedi")->moveToRow(0);
        const int current = stored.set("insupedi")->currentRow();

        const RequestReport::Report report = build(request, stored);
        QCOMPARE(report.outcome, RequestReport::Report::Outcome::Built);
        const QStringList got = report.text.split(u'\n');
        const QStringList want = golden(name).split(u'\n');
        for (qsizetype i = 0; i < std::min(got.size(), want.size()); ++i)
            if (got[i] != want[i])
                QFAIL(qPrintable(QStringLiteral("line %1 differs:\n  got:  «%2»\n  want: «%3»")
                                     .arg(i + 1)
                                     .arg(got[i], want[i])));
        QCOMPARE(got.size(), want.size());
        QCOMPARE(report.text, golden(name));
        QCOMPARE(stored.set("insupedi")->currentRow(), current);

        // Centred: the header, the five title blocks of the general part
        // (the refund type's ends with its title) and one per section.
        QCOMPARE(report.centred.size(), 6 + sections);
        const RequestReport::Range header = report.centred.first();
        QCOMPARE(header, (RequestReport::Range{0, int(report.text.indexOf(QStringLiteral("\n\n"), 1)) + 2}));
        static const QRegularExpression title(QStringLiteral("^_{108}\\n\\n[^\\n]+\\n(_{108}\\n)?$"));
        for (const RequestReport::Range &r : report.centred.mid(1))
            QVERIFY2(title.match(report.text.mid(r.start, r.length)).hasMatch(),
                     qPrintable(report.text.mid(r.start, r.length)));
        QVERIFY(report.centred.last().start + report.centred.last().length
                < report.text.indexOf(QStringLiteral("Manifiesto bajo protesta")));
    }

    // A value wider than its column stops the report; so does a table
    // that lacks a field it prints.
    void valueTooWideLeavesItIncomplete_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");
        QTest::addColumn<double>("value");
        QTest::newRow("colonia over 36") << "txtColonia" << QString(37, u'C') << "" << "" << 0.0;
        QTest::newRow("bank name over 40") << "cmbBanco" << QString(41, u'B') << "" << "" << 0.0;
        QTest::newRow("national cost past column 67") << "txtMPN" << QString(50, u'9') << "" << "" << 0.0;
        QTest::newRow("refund type over 41") << "cmbTDevolucion" << QString(42, u'R') << "" << "" << 0.0;
        QTest::newRow("direct export quantity over 14")
            << "" << "" << "exporped" << "CANT_TOTAL" << 1234567890123.5;
    }
    void valueTooWideLeavesItIncomplete()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, table);
        QFETCH(QString, column);
        QFETCH(double, value);
        Request request = requestOf(QStringLiteral("opc1"));
        if (!field.isEmpty())
            request.window.insert(field, text);
        if (!table.isEmpty()) {
            QJsonArray records = request.tables.value(table).toArray();
            QJsonObject first = records.first().toObject();
            first.insert(column, value);
            records.replace(0, first);
            request.tables.insert(table, records);
        }
        const StoredTables stored(request.tables);
        const RequestReport::Report report = build(request, stored);
        QCOMPARE(report.outcome, RequestReport::Report::Outcome::Incomplete);
        QVERIFY(report.text.isEmpty());
        QVERIFY(report.centred.isEmpty());
    }

    void noRefundOptionPrintsNothing_data()
    {
        QTest::addColumn<int>("opcDT");
        QTest::newRow("0, nothing chosen yet") << 0;
        QTest::newRow("6") << 6;
    }
    void noRefundOptionPrintsNothing()
    {
        QFETCH(int, opcDT);
        Request request = requestOf(QStringLiteral("opc1"));
        request.choices.opcDT = opcDT;
        const StoredTables stored(request.tables);
        const RequestReport::Report report = build(request, stored);
        QCOMPARE(report.outcome, RequestReport::Report::Outcome::NoCode);
        QVERIFY(report.text.isEmpty());
    }
};

QUELVAR_TEST_CLASS(TestRequestReport)
#include "test_request_report.moc"

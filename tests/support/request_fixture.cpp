#include "request_fixture.h"

#include "python_dbf.h"

#include "store/csv_text.h"
#include "store/request_schema.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>

namespace {

// A value as its field takes it, whatever the test wrote it as.
QJsonValue jsonValue(const FieldDef &f, const QVariant &v)
{
    return !v.isValid() || v.isNull() ? QJsonValue(QJsonValue::Null)
           : f.type == 'N'               ? QJsonValue(v.toDouble())
           : f.type == 'L'               ? QJsonValue(v.toBool())
           : f.type == 'D'               ? QJsonValue(v.toDate().toString(Qt::ISODate))
                                         : QJsonValue(v.toString());
}

} // namespace

RequestFixture::RequestFixture() = default;

bool RequestFixture::haveTools() { return PythonDbf::missingTools().isEmpty(); }

QString RequestFixture::file(const QString &table) const
{
    const TableSchema *schema = RequestSchema::find(table);
    return QDir(folder()).filePath(schema ? schema->file : table);
}

QString RequestFixture::create(const Records &records, const QMap<QString, QString> &widths)
{
    QJsonArray tables;
    auto add = [&](const TableSchema &schema, const QList<QVariantMap> &rows) {
        QList<FieldDef> fields = schema.fields;
        for (FieldDef &f : fields) {
            const QStringList w = widths.value(schema.file.section(u'.', 0, 0) + u'.' + f.name).split(u'.');
            if (!w.first().isEmpty()) {
                f.length = w.first().toInt();
                f.decimals = w.value(1).toInt();
            }
        }
        QJsonArray out;
        for (const QVariantMap &row : rows) {
            QVariantMap upper;
            for (auto it = row.begin(); it != row.end(); ++it)
                upper.insert(it.key().toUpper(), it.value());
            QJsonArray values;
            for (const FieldDef &f : schema.fields)
                values.append(jsonValue(f, upper.value(f.name.toUpper())));
            out.append(QJsonObject{{QStringLiteral("values"), values}});
        }
        tables.append(QJsonObject{{QStringLiteral("file"), schema.file},
                                  {QStringLiteral("codepage"), QStringLiteral("cp1252")},
                                  {QStringLiteral("fields"), PythonDbf::fieldSpec(fields)},
                                  {QStringLiteral("records"), out}});
    };
    for (const TableSchema &schema : RequestSchema::requestTables()) {
        QList<QVariantMap> rows;
        for (auto it = records.begin(); it != records.end(); ++it)
            if (RequestSchema::find(it.key()) == &schema)
                rows = it.value();
        add(schema, rows);
    }
    for (const TableSchema &schema : RequestSchema::catalogueTables()) {
        QFile csv(QStringLiteral(QUELVAR_DATA_DIR "/") + schema.source);
        if (!csv.open(QIODevice::ReadOnly))
            return QStringLiteral("no se pudo leer ") + csv.fileName();
        QList<QStringList> lines = CsvText::parse(QString::fromUtf8(csv.readAll()), schema.source);
        QList<QVariantMap> rows;
        for (int i = 1; i < lines.size(); ++i) {
            QVariantMap row;
            for (int c = 0; c < lines[i].size() && c < schema.fields.size(); ++c) {
                const FieldDef &f = schema.fields[c];
                row.insert(f.name, f.type == 'N' ? QVariant(lines[i][c].toDouble()) : QVariant(lines[i][c]));
            }
            rows.append(row);
        }
        add(schema, rows);
    }
    QString error;
    PythonDbf::runTool({QStringLiteral("folder"), folder()},
                       QJsonDocument(QJsonObject{{QStringLiteral("tables"), tables}}).toJson(QJsonDocument::Compact),
                       &error);
    return error;
}

QList<QVariantMap> RequestFixture::rows(const QString &table) const
{
    return rowsIn(folder(), QFileInfo(file(table)).fileName());
}

QList<QVariantMap> RequestFixture::rowsIn(const QString &folder, const QString &name)
{
    // One python3-dbf process answers every read of the test program:
    // starting Python for each would take longer than the reads.
    static QProcess *server = nullptr;
    if (!server) {
        server = new QProcess;
        server->start(QStringLiteral("/usr/bin/python3"),
                      {QStringLiteral(INTEROP_DIR "/dbf_tool.py"), QStringLiteral("serve")});
    }
    server->write(QJsonDocument(QJsonObject{{QStringLiteral("dir"), folder}, {QStringLiteral("files"), QJsonArray{name}}})
                      .toJson(QJsonDocument::Compact)
                  + '\n');
    while (!server->canReadLine())
        if (!server->waitForReadyRead(60000))
            qFatal("python3-dbf does not answer: %s", server->readAllStandardError().constData());
    QList<QVariantMap> result;
    const QJsonObject dump = QJsonDocument::fromJson(server->readLine()).object().value(name).toObject();
    if (dump.contains(QStringLiteral("error"))) {
        qWarning("python3-dbf: %s", qPrintable(dump.value(QStringLiteral("error")).toString()));
        return result;
    }
    const QJsonArray fields = dump.value(QStringLiteral("fields")).toArray();
    for (const QJsonValue &rec : dump.value(QStringLiteral("records")).toArray()) {
        if (rec.toObject().value(QStringLiteral("deleted")).toBool())
            continue;
        const QJsonArray values = rec.toObject().value(QStringLiteral("values")).toArray();
        QVariantMap row;
        for (int i = 0; i < fields.size(); ++i) {
            const QJsonValue v = values.at(i); // text without its trailing blanks
            row.insert(fields.at(i).toString(), v.isString() ? QVariant(v.toString().remove(QRegularExpression(" +$")))
                                                : v.isNull()  ? QVariant()
                                                              : v.toVariant());
        }
        result.append(row);
    }
    return result;
}

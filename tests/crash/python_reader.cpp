#include "python_reader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace CrashTrial {

PythonReader::~PythonReader()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(5000))
            process_.kill();
        process_.waitForFinished(5000);
    }
}

QString PythonReader::start()
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(INTEROP_DIR "/dbf_tool.py"), QStringLiteral("serve")});
    if (!process_.waitForStarted(10000))
        return QStringLiteral("no arrancó /usr/bin/python3: ") + process_.errorString();
    // A request for nothing answers at once when the module is there.
    read(QStringLiteral("/"), {});
    if (process_.state() != QProcess::Running)
        return QStringLiteral("python3-dbf no responde (apt-get install -y python3-dbf)");
    return {};
}

QMap<QString, PythonReader::Table> PythonReader::read(const QString &folder, const QStringList &files)
{
    QMap<QString, Table> out;
    const QJsonObject request{{QStringLiteral("dir"), folder}, {QStringLiteral("files"), QJsonArray::fromStringList(files)}};
    process_.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    while (!process_.canReadLine() && process_.state() == QProcess::Running)
        process_.waitForReadyRead(30000);
    const QJsonObject answer = QJsonDocument::fromJson(process_.readLine()).object();
    for (const QString &file : files) {
        Table t;
        const QJsonObject table = answer.value(file).toObject();
        if (answer.isEmpty() || !answer.contains(file)) {
            t.error = QStringLiteral("python3-dbf no respondió");
        } else if (table.contains(QStringLiteral("error"))) {
            t.error = table.value(QStringLiteral("error")).toString();
        } else {
            const QJsonArray types = table.value(QStringLiteral("types")).toArray();
            for (const QJsonValue &f : table.value(QStringLiteral("fields")).toArray())
                t.fields.append(f.toString());
            for (const QJsonValue &rec : table.value(QStringLiteral("records")).toArray()) {
                if (rec[QStringLiteral("deleted")].toBool()) {
                    ++t.deleted;
                    continue;
                }
                const QJsonArray values = rec[QStringLiteral("values")].toArray();
                Row row;
                for (qsizetype i = 0; i < values.size(); ++i)
                    row.append(jsonText(values[i], types.at(i).toString().toLatin1().append(char(0)).at(0)));
                t.rows.append(row);
            }
        }
        out.insert(file, t);
    }
    return out;
}

} // namespace CrashTrial

#include "python_dbf.h"

#include <QDate>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");

} // namespace

QString PythonDbf::missingTools()
{
    QString error;
    runProgram(kPython, {QStringLiteral("-c"), QStringLiteral("import dbf")}, {}, &error);
    if (!error.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("dbview")).isEmpty())
        return QStringLiteral("python3-dbf or dbview is missing: apt-get install -y python3-dbf dbview");
    return {};
}

QByteArray PythonDbf::runProgram(const QString &program, const QStringList &args, const QByteArray &input,
                                 QString *error)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted()) {
        *error = program + QStringLiteral(" did not start");
        return {};
    }
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        *error = program + u' ' + args.join(u' ') + QStringLiteral(" failed: ")
                 + QString::fromUtf8(p.readAllStandardError());
    return p.readAllStandardOutput();
}

QByteArray PythonDbf::runTool(const QStringList &args, const QByteArray &input, QString *error)
{
    return runProgram(kPython, QStringList{QStringLiteral(INTEROP_DIR "/dbf_tool.py")} + args, input, error);
}

QJsonObject PythonDbf::dump(const QString &path, int tail)
{
    QStringList args{QStringLiteral("dump"), path};
    if (tail >= 0)
        args << QString::number(tail);
    QString error;
    const QByteArray out = runTool(args, {}, &error);
    if (!error.isEmpty())
        qWarning("%s", qPrintable(error));
    return QJsonDocument::fromJson(out).object();
}

QString PythonDbf::fieldSpec(const QList<FieldDef> &fields)
{
    QStringList parts;
    for (const FieldDef &f : fields)
        parts << (f.type == 'N'                    ? QStringLiteral("%1 N(%2,%3)").arg(f.name).arg(f.length).arg(f.decimals)
                  : f.type == 'D' || f.type == 'L' ? QStringLiteral("%1 %2").arg(f.name, QChar::fromLatin1(f.type))
                                                   : QStringLiteral("%1 C(%2)").arg(f.name).arg(f.length));
    return parts.join(QStringLiteral("; "));
}

QJsonValue PythonDbf::toJson(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QJsonValue::Null;
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().toString(Qt::ISODate);
    return QJsonValue::fromVariant(value);
}

QJsonObject PythonDbf::record(const QVariantList &values, bool deleted)
{
    QJsonArray out;
    for (const QVariant &v : values)
        out.append(toJson(v));
    return {{QStringLiteral("values"), out}, {QStringLiteral("deleted"), deleted}};
}

QString PythonDbf::write(const QString &command, const QString &path, const QString &codepage,
                         const QList<FieldDef> &fields, const QJsonArray &records)
{
    const QJsonObject spec{{QStringLiteral("codepage"), codepage},
                           {QStringLiteral("fields"), fieldSpec(fields)},
                           {QStringLiteral("records"), records}};
    QString error;
    runTool({command, path}, QJsonDocument(spec).toJson(QJsonDocument::Compact), &error);
    return error;
}

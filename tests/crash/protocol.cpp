#include "protocol.h"

#include "exchange/request_exchange.h"
#include "store/dbf_table.h"
#include "store/field_codec.h"

#include <QCryptographicHash>
#include <QDate>

namespace CrashTrial {

namespace {

const char *const kPhaseNames[kPhases] = {
    "arranque",    "grabar",      "pestaña",          "fila nueva", "fila editada",
    "fila borrada", "borrar todo", "borrar solicitud", "recuperar",  "entre operaciones",
};

} // namespace

QString phaseName(Phase phase) { return QString::fromUtf8(kPhaseNames[int(phase)]); }

int phaseIndex(const QString &name)
{
    for (int i = 0; i < kPhases; ++i)
        if (name == QString::fromUtf8(kPhaseNames[i]))
            return i;
    return -1;
}

const QStringList &tables() { return RequestExchange::tables(); }

QString keyField(const QString &table)
{
    if (table == QLatin1String("insupedi"))
        return QStringLiteral("NUM_DOCUME");
    if (table == QLatin1String("exporped"))
        return QStringLiteral("NO_PEDIMEN");
    if (table == QLatin1String("factura"))
        return QStringLiteral("NODOC");
    if (table == QLatin1String("impTLC") || table == QLatin1String("insunit"))
        return QStringLiteral("FRACCION");
    return {};
}

QString valueText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return {};
    case QMetaType::Double:
        return FieldCodec::plainNumber(value.toDouble());
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("T") : QStringLiteral("F");
    default:
        return value.toString();
    }
}

QString jsonText(const QJsonValue &value, char type)
{
    if (value.isNull() || value.isUndefined())
        return {};
    switch (type) {
    case 'N':
    case 'F':
        return value.isDouble() ? FieldCodec::plainNumber(value.toDouble()) : QStringLiteral("?") + value.toString();
    case 'L':
        return value.isBool() ? (value.toBool() ? QStringLiteral("T") : QStringLiteral("F"))
                              : QStringLiteral("?") + value.toString();
    default: {
        // python3-dbf keeps the padding of a text field; our engine does not.
        QString text = value.toString();
        while (text.endsWith(u' '))
            text.chop(1);
        return text;
    }
    }
}

Content readTable(const QString &path)
{
    const std::unique_ptr<DbfTable> t = DbfTable::open(path);
    Content c;
    for (int i = 0; i < t->fieldCount(); ++i) {
        c.fields.append(t->field(i).name);
        c.types.append(t->field(i).type);
    }
    for (quint32 recno = 0; recno < t->recordCount(); ++recno) {
        const char *record = t->record(recno);
        Row row;
        for (int i = 0; i < t->fieldCount(); ++i)
            row.append(valueText(t->value(record, i)));
        if (record[0] == '*')
            ++c.deleted;
        else
            c.rows.append(row);
    }
    return c;
}

QString rowsHash(const QList<Row> &rows)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const Row &row : rows)
        hash.addData(line(row));
    return QString::fromLatin1(hash.result().toHex().left(16));
}

QByteArray line(const QStringList &words)
{
    QByteArray out;
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (i > 0)
            out += '\t';
        for (const char c : words[i].toUtf8()) {
            if (c == '\\')
                out += "\\\\";
            else if (c == '\t')
                out += "\\t";
            else if (c == '\n')
                out += "\\n";
            else
                out += c;
        }
    }
    return out + '\n';
}

QStringList words(const QByteArray &line)
{
    QStringList out;
    QByteArray word;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            out.append(QString::fromUtf8(word));
            word.clear();
        } else if (c == '\\' && i + 1 < line.size()) {
            const char n = line[++i];
            word += n == 't' ? '\t' : n == 'n' ? '\n' : n;
        } else if (c != '\n') {
            word += c;
        }
    }
    out.append(QString::fromUtf8(word));
    return out;
}

} // namespace CrashTrial

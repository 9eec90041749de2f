#include "request_report.h"

#include "checks/number_text.h"
#include "report_text.h"

using namespace Qt::StringLiterals;
#include "store/recordset.h"
#include "store/store_error.h"

#include <QDate>

namespace RequestReport {

const QString kIncomplete = QStringLiteral("Debes de completar la solicitud para que puedas imprimirla correctamente. "
                                           "Rectifica que campo necesitas llenar.");

namespace Text {

const QString &rule()
{
    static const QString line(108, u'_');
    return line;
}

QString titleBlock(const QString &title)
{
    return rule() + u"\n\n"_s + title + u'\n' + rule() + u'\n';
}

void Total::add(std::optional<double> value)
{
    if (value)
        sum_.add(*value);
}

QString Total::text() const { return sum_.text(); }

Fields::Fields(Recordset *table, std::initializer_list<const char *> names) : table_(table)
{
    if (!table_ || !table_->isOpen())
        throw Unfit{};
    for (const char *name : names) {
        const int index = table_->fieldIndex(QString::fromLatin1(name));
        if (index < 0)
            throw Unfit{};
        index_.insert(QByteArray(name), index);
    }
}

void Fields::forEach(const std::function<void(const RecordView &)> &visit) const { table_->forEachRecord(visit); }

int Fields::operator[](const char *name) const { return index_.value(QByteArray::fromRawData(name, qstrlen(name))); }

QString printed(const RecordView &record, int field)
{
    const QVariant value = record.value(field);
    switch (value.typeId()) {
    case QMetaType::Double:
        return decimalText(value.toDouble());
    case QMetaType::QDate: {
        // dd/mm/yyyy, written out without parsing a format for each record.
        const QDate d = value.toDate();
        QString out(10, u'/');
        const auto put = [&out](int at, int number, int digits) {
            for (int i = digits - 1; i >= 0; --i, number /= 10)
                out[at + i] = QChar(u'0' + number % 10);
        };
        put(0, d.day(), 2);
        put(3, d.month(), 2);
        put(6, d.year(), 4);
        return out;
    }
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("T") : QStringLiteral("F");
    default:
        return value.toString();
    }
}

std::optional<double> number(const RecordView &record, int field)
{
    bool isNull = false;
    const double value = record.number(field, &isNull);
    if (isNull)
        return std::nullopt;
    return value;
}

} // namespace Text

namespace {

using namespace Text;

// A line of the general blocks: a label and a field (or several, joined by
// one blank), optionally filled to a width or followed by a fixed gap, then
// a second label and field.
struct Line {
    QString label;
    QStringList fields;
    int fillTo = 0;
    int gap = 0;
    QString label2 = {};
    QString field2 = {};
    QString onlyWhenFilled = {}; // the line is left out when this field is empty
};

const QList<Line> &generalLines()
{
    static const QList<Line> lines = {
        {u"  RAZÓN SOCIAL : "_s, {QStringLiteral("txtRSocial")}},
        {u"  DOMICILIO : "_s, {QStringLiteral("txtDireccion")}},
        {u"  COLONIA : "_s, {QStringLiteral("txtColonia")}, 36, 0, u" CÓDIGO POSTAL : "_s, u"txtCP"_s},
        {u"  DELEGACIÓN : "_s, {QStringLiteral("txtDelegacion")}, 34, 0, u"ENTIDAD FEDERATIVA : "_s, u"cmbEdo"_s},
        {u"  TELÉFONO : "_s, {QStringLiteral("txtTelefono")}, 36, 0, u"FAX : "_s, u"txtFax"_s},
        {u"  E-MAIL : "_s, {QStringLiteral("txtEmail")}},
        {u"  ACTIVIDAD PRINCIPAL : "_s, {QStringLiteral("cmbActFiscal")}},
    };
    return lines;
}

const QList<Line> &representativeLines()
{
    static const QList<Line> lines = {
        {u"  NOMBRE : "_s, {QStringLiteral("txtNRLegal"), QStringLiteral("txtPRLegal"), QStringLiteral("txtMRLegal")}},
        {u"  CARGO EN LA EMPRESA : "_s, {QStringLiteral("txtCargo")}},
        {u"  TELÉFONO : "_s, {QStringLiteral("txtTelRep")}},
    };
    return lines;
}

const QList<Line> &bankLines()
{
    static const QList<Line> lines = {
        {u"  BANCO : "_s, {QStringLiteral("cmbBanco")}, 40, 0, u"CUENTA : "_s, u"txtCuenta"_s},
        {u"  SUCURSAL : "_s, {QStringLiteral("txtSuc")}, 0, 32, u" PLAZA : "_s, u"txtPlaza"_s},
    };
    return lines;
}

const QList<Line> &goodsLines()
{
    static const QList<Line> lines = {
        {u"  NOMBRE COMERCIAL DEL PRODUCTO EXPORTADO : "_s, {QStringLiteral("txtProducto")}},
        {u"  VALOR DE EXPORTACIÓN (FOB) EN DÓLARES : "_s, {QStringLiteral("txtVExpFOB")}},
        {u"  FRACCIÓN DE EXPORTACIÓN : "_s, {QStringLiteral("txtFraccionExp")}, 32, 0, u"CANTIDAD EXPORTADA : "_s,
         u"txtCantidadExp"_s},
        {u"  UNIDAD DE MEDIDA : "_s, {QStringLiteral("cmbUM")}, 39, 0, u"DEV. SOLICITADA M.N. : "_s, u"txtDevS"_s},
        {u"  PRECIO UNITARIO EXP. M.N. : "_s, {QStringLiteral("txtPUMN")}, 30, 0, u"PRECIO UNITARIO EXP. DLS. : "_s,
         u"txtPUDls"_s, u"txtPUMN"_s},
    };
    return lines;
}

// A lines block: one line feed, then its lines, each ended by a line feed.
QString linesBlock(const QList<Line> &lines, const ShownText &shown)
{
    QString out = QStringLiteral("\n");
    for (const Line &line : lines) {
        if (!line.onlyWhenFilled.isEmpty() && shown(line.onlyWhenFilled).isEmpty())
            continue;
        QStringList values;
        for (const QString &field : line.fields)
            values.append(shown(field));
        QString value = values.join(u' ');
        if (line.fillTo > 0)
            value = filled(value, line.fillTo);
        out += line.label + value + blanks(line.gap);
        if (!line.label2.isEmpty())
            out += line.label2 + shown(line.field2);
        out += u'\n';
    }
    return out;
}

QString header()
{
    return QStringLiteral("\nSECRETARIA DE FERRALIA\nDIRECCIÓN GENERAL DE ZARNELIA\n"
                          "PROGRAMA DE DEVOLUCIÓN DE IMPUESTOS (QUELVAR)\n\n");
}

QString identification(const ShownText &shown, const Choices &choices)
{
    const QString indent(5, u' ');
    QString first = indent + u"R.F.C. : "_s + shown(QStringLiteral("txtRFC")) + blanks(29)
                    + shown(QStringLiteral("cmbTSolicitud")).toUpper();
    if (choices.tSolicitud != 0)
        first += u" AL FOLIO "_s + shown(QStringLiteral("txtFolio")) + u" / "_s + shown(QStringLiteral("txtFolioA"));
    // The gap after the request type depends on the refund type's length,
    // although that is printed only on the next line.
    const QString refund = shown(QStringLiteral("cmbTDevolucion"));
    const QString exportType = shown(QStringLiteral("cmbTExportacion")).toUpper();
    const QString second = choices.direct
                               ? u"TIPO DE SOLICITUD : DIRECTA "_s + blanks(41 - refund.size())
                                     + u" ORÍGEN DE LOS BIENES : "_s + exportType
                               : u"TIPO DE SOLICITUD : TRANSFERENCIA"_s + blanks(41 - refund.size())
                                     + u" COMP. DE EXPORTACIÓN : "_s + exportType;
    return first + u'\n' + indent + second + u'\n' + indent + u"MODALIDAD : "_s + refund.toUpper() + u'\n';
}

QString refundTitle(int opcDT)
{
    QString block = rule() + u"\n\n"_s;
    switch (opcDT) {
    case 1:
    case 4:
        block += u"DEVOLUCIÓN DE IMPUESTOS DE IMPORTACIÓN CAUSADOS POR INSUMOS INCORPORADOS A MERCANCIAS DE "_s
                 u"EXPORTACIÓN, PARA EXPORTADORES QUE TRANSFORMEN EL BIEN IMPORTADO\n"_s;
        break;
    case 2:
        block += u"DEVOLUCIÓN DE IMPUESTOS DE IMPORTACIÓN CAUSADOS POR INSUMOS EN LOS QUE INTERVIENEN BIENES NO "_s
                 u"ORIGINARIOS, PARA EXPORTADORES QUE TRANSFORMEN EL BIEN IMPORTADO\n"_s;
        break;
    case 3:
    case 5:
        block += u"DEVOLUCIÓN DE IMPUESTOS DE IMPORTACIÓN CAUSADOS POR MERCANCÍAS RETORNADAS EN EL MISMO ESTADO\n"_s;
        break;
    default:
        break;
    }
    return block;
}

} // namespace

QString sectionMask(const Choices &choices)
{
    const bool firstExport = choices.tExportacion == 0;
    switch (choices.opcDT) {
    case 1:
        return QStringLiteral("111100");
    case 2:
        return QStringLiteral("111101");
    case 3:
        return QStringLiteral("001100");
    case 4:
        return firstExport ? QStringLiteral("111010") : QStringLiteral("111100");
    case 5:
        return firstExport ? QStringLiteral("001010") : QStringLiteral("001100");
    default:
        return {};
    }
}

Report build(const ShownText &shown, const Choices &choices, const Tables &tables)
{
    Report report;
    const QString mask = sectionMask(choices);
    if (mask.isEmpty())
        return report;
    try {
        // Appended block by block, the documents' sections in place: a long
        // report is never held twice.
        const auto add = [&report](const QString &block, bool centred) {
            if (centred)
                report.centred.append({int(report.text.size()), int(block.size())});
            report.text += block;
        };
        add(header(), true);
        add(identification(shown, choices), false);
        add(titleBlock(QStringLiteral(" DATOS GENERALES ")), true);
        add(linesBlock(generalLines(), shown), false);
        add(titleBlock(QStringLiteral(" DATOS DEL REPRESENTANTE LEGAL ")), true);
        add(linesBlock(representativeLines(), shown), false);
        add(refundTitle(choices.opcDT), true);
        add(titleBlock(QStringLiteral(" CUENTA BANCARIA ")), true);
        add(linesBlock(bankLines(), shown), false);
        add(titleBlock(QStringLiteral(" MERCANCIA DE EXPORTACIÓN MOTIVO DEL CUESTIONARIO ")), true);
        add(linesBlock(goodsLines(), shown), false);
        for (int i = 1; i <= 6; ++i) {
            if (mask.at(i - 1) != u'1')
                continue;
            add(titleBlock(sectionTitle(i, choices)), true);
            appendSection(i, shown, choices, tables, report.text);
        }
        add(closingBlock(), false);
        report.outcome = Report::Outcome::Built;
    } catch (const Unfit &) {
        report = Report{Report::Outcome::Incomplete, {}, {}};
    } catch (const StoreError &) {
        // A table that cannot be read is a field that cannot be read.
        report = Report{Report::Outcome::Incomplete, {}, {}};
    }
    return report;
}

} // namespace RequestReport

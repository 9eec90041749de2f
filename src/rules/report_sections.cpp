// The sections of the printed request that come from the grids' stored
// rows (and the cost structure's fields), and the closing block.
#include "report_text.h"

using namespace Qt::StringLiterals;

#include "rules/grid_totals.h"
#include "store/recordset.h"

#include <algorithm>
#include <array>

namespace RequestReport::Text {

namespace {

QString blanksOf(int n) { return QString(n, u' '); }

// ---- cost structure ---------------------------------------------------

struct CostRow {
    QString label;
    const char *national;
    const char *imported; // nullptr: fixed at 0
    const char *total;
};

const CostRow kCostRows[] = {
    {u"MATERIAS PRIMAS : "_s, "txtMPN", "txtMPE", "txtMPT"},
    {u"COMBUSTIBLES INCORPORADOS AL PRODUCTO : "_s, "txtCIN", "txtCIE", "txtCIT"},
    {u"COMBUSTIBLES NO INCORPORADOS : "_s, "txtCNIN", nullptr, "txtCNIT"},
    {u"ENERGÍA UTILIZADA : "_s, "txtEN", nullptr, "txtET"},
    {u"SALARIOS : "_s, "txtSN", nullptr, "txtST"},
    {u"DEPRECIACIONES : "_s, "txtDN", nullptr, "txtDT"},
    {u"COSTOS TOTALES : "_s, "txtTN", "txtTE", "txtTT"},
};

QString costStructure(const ShownText &shown)
{
    const auto field = [&](const char *name) { return shown(QString::fromLatin1(name)); };
    QString body = u'\n' + blanksOf(70) + u"ORÍGEN DEL COSTO POR UNIDAD M.N.\n"_s + u"CONCEPTOS"_s + blanksOf(48)
                   + u"NACIONAL"_s + blanksOf(13) + u"IMPORTADO"_s + blanksOf(13) + u"TOTAL\n"_s;
    for (const CostRow &row : kCostRows) {
        const QString label = row.label;
        const QString national = field(row.national);
        // The national value ends at the 67th character of the line.
        body += label + blanks(67 - label.size() - national.size()) + national
                + rightAligned(row.imported ? field(row.imported) : QStringLiteral("0"), 22)
                + rightAligned(field(row.total), 18) + u'\n';
    }
    return body;
}

// ---- unit costs ---------------------------------------------------------

QString unitCosts(const ShownText &shown, const Tables &tables)
{
    // By position: tariff item, rate, unit cost, description.
    const Fields f(tables.insunit, {"FRACCION", "TASA_ADVAL", "COSTO_UNIT", "DESCRIP"});
    QString body = u"\nFRACCIÓN"_s + blanksOf(2) + u"DESCRIPCIÓN"_s + blanksOf(50) + u"COSTO UNITARIO"_s + blanksOf(7)
                   + u"TASA AD VALOREM\n\n"_s;
    f.forEach([&](const RecordView &r) {
        const QString description = printed(r, f["DESCRIP"]);
        const QString cost = printed(r, f["COSTO_UNIT"]);
        // The cost ends 75 characters after the description starts.
        body += filled(printed(r, f["FRACCION"]), 10) + description
                + blanks(75 - description.size() - cost.size()) + cost
                + rightAligned(printed(r, f["TASA_ADVAL"]), 18) + u'\n';
    });
    body += u'\n' + blanksOf(10) + u"TOTAL : "_s + rightAligned(shown(QStringLiteral("txtTCU")), 67) + u'\n';
    return body;
}

// ---- import documents -----------------------------------------------------

// One column of a document's value line.
struct Column {
    const char *field;
    int width;
    enum Align {
        Right,  // right-aligned in width, from where the line stands
        Free,   // a free text, cut to leave a blank before the EndsAt value after it
        EndsAt, // right-aligned so that it ends width characters into the line
    } align = Right;
};

// A heading of a value line: the blanks before it, then its text.
struct Heading {
    int gap;
    QString text;
};

struct ValueLine {
    QList<Heading> headings;
    QList<Column> columns;
};

const QList<ValueLine> &valueLines(int opcDT)
{
    static const QList<ValueLine> transformed = {
        {{{0, u"VALOR TOTAL M.N."_s}, {7, u"VALOR INSUMOS INCORPORADOS M.N."_s}, {7, u"SALDO DEL DOCUMENTO"_s},
          {7, u"MONTO A DEVOLVER"_s}},
         {{"VAL_TOT_IN", 16}, {"VALINCREAL", 38}, {"SALDO_VAL", 26}, {"MONT_SOLIC", 23}}},
    };
    static const QList<ValueLine> returned = {
        {{{2, u"CANTIDAD IMPORTADA"_s}, {11, u"PRECIO UNITARIO"_s}, {11, u"VALOR TOTAL MERCANCIA"_s},
          {11, u"CANTIDAD RETORNADA"_s}},
         {{"CAN_MIMP", 20}, {"PU_MIMP", 26}, {"VAL_TOT_IN", 32}, {"CAN_MRETSO", 29}}},
        {{{2, u"VALOR TOT MERC RET"_s}, {11, u"SDO EN CANTIDAD"_s}, {14, u"SALDO EN VALOR"_s}, {16, u"MONTO A DEVOLVER"_s}},
         {{"VAL_MREP", 20}, {"SALDO_CAN", 26}, {"SALDO_VAL", 32}, {"MONT_SOLIC", 29}}},
    };
    static const QList<ValueLine> byOrigin = {
        {{{0, u"PAÍS DE ORÍGEN"_s}, {14, u"VALOR TOTAL M.N."_s}, {3, u"VALOR INS. INC. M.N."_s}, {3, u"SALDO DEL DOCUMENTO"_s},
          {3, u"MONTO A DEVOLVER"_s}},
         {{"PAIS_IMPOR", 0, Column::Free},
          {"VAL_TOT_IN", 44, Column::EndsAt},
          {"VALINCREAL", 23},
          {"SALDO_VAL", 22},
          {"MONT_SOLIC", 19}}},
    };
    switch (opcDT) {
    case 1:
        return transformed;
    case 3:
    case 5:
        return returned;
    default:
        return byOrigin;
    }
}

QString headingsOf(const ValueLine &line)
{
    QString out;
    for (const Heading &h : line.headings)
        out += blanksOf(h.gap) + h.text;
    return out;
}

// A value line with its headings joined and its fields looked up, ready
// for every record.
struct PreparedLine {
    QString headings;
    QList<std::pair<int, Column>> columns;
};

PreparedLine prepared(const ValueLine &line, const Fields &f)
{
    PreparedLine p{headingsOf(line) + u'\n', {}};
    for (const Column &c : line.columns)
        p.columns.append({f[c.field], c});
    return p;
}

// The headings, then the record's values in their columns.
void appendLine(Appender &out, const QString &body, const PreparedLine &line, const RecordView &r)
{
    out << line.headings;
    const qsizetype lineStart = body.size();
    for (qsizetype i = 0; i < line.columns.size(); ++i) {
        const auto &[index, c] = line.columns[i];
        QString v = printed(r, index);
        if (c.align == Column::Free) {
            // A country's name may be longer than its column: it gives way
            // to the value after it, which still ends where the layout says.
            // Only a value that alone is wider than its column finds no room.
            const auto &[nextIndex, next] = line.columns.at(i + 1);
            const qsizetype room = next.width - (body.size() - lineStart) - 1 - printed(r, nextIndex).size();
            v.truncate(std::max<qsizetype>(room, 0));
            out << v;
        } else if (c.align == Column::EndsAt) {
            out.blanks(c.width - (body.size() - lineStart) - v.size()) << v;
        } else {
            out.rightAligned(v, c.width);
        }
    }
    out << u'\n';
}

// A line of two totals: a label and its total, a gap, the second label and
// its total.
void totalsLine(Appender &out, const QString &label, const Total &first, int gap, const QString &label2,
                const Total &second)
{
    out << label << first.text();
    out.blanks(gap) << label2 << second.text() << u'\n';
}

void importDocuments(const Choices &choices, const Tables &tables, QString &body)
{
    const int code = choices.opcDT;
    const QString label = (code == 2 || code == 5) ? QStringLiteral("DOCUMENTO") : QStringLiteral("PEDIMENTO");
    const Fields f(tables.insupedi, {"TIPO", "NUM_DOCUME", "FEC_PAGO", "FRACCION", "TASA_ADVAL", "PU_MIMP",
                                     "PAIS_IMPOR", "CAN_MIMP", "CAN_MRETSO", "VAL_TOT_IN", "VALINCREAL", "VAL_MREP",
                                     "MONT_SOLIC", "SALDO_CAN", "SALDO_VAL"});
    const bool byOrigin = code == 2 || code == 4;
    const bool nonOriginatingCounts = choices.direct || choices.appendix8 || choices.annexB;
    Total incorporated, imported, value, returned, returnedValue, requested, originating, nonOriginating;
    const int tipo = f["TIPO"], document = f["NUM_DOCUME"], paid = f["FEC_PAGO"], tariffItem = f["FRACCION"],
              rate = f["TASA_ADVAL"], country = f["PAIS_IMPOR"], amountField = f["MONT_SOLIC"];
    QList<PreparedLine> lines;
    for (const ValueLine &line : valueLines(code))
        lines.append(prepared(line, f));
    const QString typeLabel = u"\n\nTIPO "_s + label + u" : "_s;
    const QString numberLabel = u"No. "_s + label + u"  : "_s;
    const QString dateLabel = u"FECHA "_s + label + u" : "_s;

    // A hundred thousand documents make a long text: each piece is appended
    // in place, into the report itself, rather than joined after.
    body.reserve(body.size() + qsizetype(tables.insupedi->rowCount()) * 1024);
    Appender out(body);
    f.forEach([&](const RecordView &r) {
        incorporated.add(number(r, f["VALINCREAL"]));
        imported.add(number(r, f["CAN_MIMP"]));
        value.add(number(r, f["VAL_TOT_IN"]));
        returned.add(number(r, f["CAN_MRETSO"]));
        returnedValue.add(number(r, f["VAL_MREP"]));
        const std::optional<double> amount = number(r, amountField);
        requested.add(amount);

        const QString item = printed(r, tariffItem);
        out << typeLabel;
        out.filled(printed(r, tipo), 32) << u"FRACCIÓN : "_s << item;
        out.blanks(22 - item.size()) << u"TASA AD VALOREM : "_s << printed(r, rate) << u'\n' << numberLabel;
        out.filled(printed(r, document), 32) << dateLabel << printed(r, paid) << u"\n\n"_s;
        for (const PreparedLine &line : std::as_const(lines))
            appendLine(out, body, line, r);
        if (byOrigin && amount) {
            if (GridTotals::isTlcanOrigin(r.storedBytes(country)))
                originating.add(amount);
            else if (nonOriginatingCounts)
                nonOriginating.add(amount);
        }
    });

    out << u"\n T O T A L E S \n"_s;
    switch (code) {
    case 1:
        totalsLine(out, u"VALOR INSUMOS INCORPORADOS M.N. : "_s, incorporated, 24, u"MONTO A DEVOLVER : "_s, requested);
        break;
    case 3:
    case 5:
        totalsLine(out, u"CANTIDAD IMPORTADA : "_s, imported, 24, u"VALOR TOTAL DE LA MERCANCÍA : "_s, value);
        totalsLine(out, u"CANTIDAD RETORNADA : "_s, returned, 26, u"VALOR TOTAL MERCANCÍA RETORNADA : "_s,
                   returnedValue);
        out << u"MONTO A DEVOLVER : "_s << requested.text() << u'\n';
        break;
    default:
        totalsLine(out, u"VALOR INSUMOS INCORPORADOS M.N. : "_s, incorporated, 24,
                   u"MONTO A DEVOLVER ORIGINARIOS : "_s, originating);
        out << u"MONTO A DEVOLVER NO ORIGINARIOS : "_s << nonOriginating.text() << u'\n';
        break;
    }
}

// ---- exports and TLCAN imports ------------------------------------------

// The heading and value lines of the export and TLCAN documents: four
// headings 12 blanks apart, four values right-aligned under them.
ValueLine fourColumns(std::array<QString, 4> headings, std::array<Column, 4> columns)
{
    return {{{0, headings[0]}, {12, headings[1]}, {12, headings[2]}, {12, headings[3]}},
            {columns.begin(), columns.end()}};
}

const ValueLine &directExportLine()
{
    static const ValueLine line = fourColumns(
        {u"CANTIDAD TOTAL"_s, u"CANTIDAD UTILIZADA"_s, u"VALOR TOTAL PED. DLS"_s, u"VALOR UTILIZADO DLS."_s},
        {{{"CANT_TOTAL", 14}, {"CANT_UTIL", 30}, {"VAL_TOTPED", 32}, {"VALOR_UTI", 32}}});
    return line;
}

const ValueLine &indirectExportLine(bool pesos)
{
    static const ValueLine inPesos = fourColumns(
        {u"CANTIDAD TOTAL"_s, u"CANTIDAD UTILIZADA"_s, u"VALOR TOTAL PED. M.N."_s, u"VALOR UTILIZADO M.N."_s},
        {{{"CANT_TOTAL", 14}, {"CANT_UTIL", 30}, {"VALTOTNP", 32}, {"VALREPNP", 32}}});
    static const ValueLine inDollars = fourColumns(
        {u"CANTIDAD TOTAL"_s, u"CANTIDAD UTILIZADA"_s, u"VALOR TOTAL PED. DLS"_s, u"VALOR UTILIZADO DLS."_s},
        {{{"CANT_TOTAL", 15}, {"CANT_UTIL", 30}, {"VALTOTDLL", 32}, {"VALREPDLL", 32}}});
    return pesos ? inPesos : inDollars;
}

const ValueLine &tlcanLine()
{
    static const ValueLine line = fourColumns(
        {u" CANTIDAD IMPORTADA"_s, u"PRECIO UNITARIO DLS"_s, u"VALOR TOTAL DLS"_s, u"MONTO DE ARANCELES"_s},
        {{{"CAN_MIMP", 19}, {"PU_MIMP", 31}, {"VAL_TOT_IN", 27}, {"MONT_SOLIC", 30}}});
    return line;
}

void directExport(const Tables &tables, QString &body)
{
    const Fields f(tables.exporped, {"NO_PEDIMEN", "FECHA_PEDI", "PAIS_EXPOR", "CANT_TOTAL", "CANT_UTIL",
                                     "VAL_TOTPED", "VALOR_UTI"});
    const PreparedLine values = prepared(directExportLine(), f);
    Total total, used, value, usedValue;
    Appender out(body);
    f.forEach([&](const RecordView &r) {
        total.add(number(r, f["CANT_TOTAL"]));
        used.add(number(r, f["CANT_UTIL"]));
        value.add(number(r, f["VAL_TOTPED"]));
        usedValue.add(number(r, f["VALOR_UTI"]));
        out << u"\n\nNo. PEDIMENTO  : "_s << printed(r, f["NO_PEDIMEN"]);
        out.blanks(10) << u"FECHA : "_s << printed(r, f["FECHA_PEDI"]);
        out.blanks(10) << u"PAÍS DE DESTINO : "_s << printed(r, f["PAIS_EXPOR"]) << u"\n\n"_s;
        appendLine(out, body, values, r);
    });
    out << u"\n T O T A L E S : \n"_s;
    totalsLine(out, u"CANTIDAD TOTAL : "_s, total, 39, u"CANTIDAD UTILIZADA : "_s, used);
    totalsLine(out, u"VALOR TOTAL PEDIMENTO DÓLARES : "_s, value, 24, u"VALOR UTILIZADO DÓLARES : "_s, usedValue);
}

void indirectExport(const Tables &tables, QString &body)
{
    const Fields f(tables.factura, {"NODOC", "FECHADOC", "CANT_TOTAL", "CANT_UTIL", "VALTOTNP", "VALREPNP",
                                    "VALTOTDLL", "VALREPDLL", "NOM_EXPIDE"});
    const PreparedLine pesosLine = prepared(indirectExportLine(true), f);
    const PreparedLine dollarsLine = prepared(indirectExportLine(false), f);
    Total total, used, value, usedValue;
    Appender out(body);
    f.forEach([&](const RecordView &r) {
        total.add(number(r, f["CANT_TOTAL"]));
        used.add(number(r, f["CANT_UTIL"]));
        // The grid stores 0 in the peso columns of a document in dollars, so
        // a document is in pesos only when its peso total holds an amount.
        const std::optional<double> pesos = number(r, f["VALTOTNP"]);
        const bool inPesos = pesos && *pesos != 0;
        value.add(number(r, f[inPesos ? "VALTOTNP" : "VALTOTDLL"]));
        usedValue.add(number(r, f[inPesos ? "VALREPNP" : "VALREPDLL"]));
        out << u"\n\nNo. DOCUMENTO : "_s << printed(r, f["NODOC"]);
        out.blanks(12) << u"FECHA : "_s << printed(r, f["FECHADOC"]);
        out.blanks(12) << u"EXPORTADOR FINAL : "_s << printed(r, f["NOM_EXPIDE"]) << u"\n\n"_s;
        appendLine(out, body, inPesos ? pesosLine : dollarsLine, r);
    });
    out << u"\n T O T A L E S : \n"_s;
    totalsLine(out, u"CANTIDAD TOTAL : "_s, total, 31, u"CANTIDAD UTILIZADA : "_s, used);
    totalsLine(out, u"VALOR TOTAL PEDIMENTO : "_s, value, 24, u"VALOR UTILIZADO : "_s, usedValue);
}

void tlcanImports(const Tables &tables, QString &body)
{
    const Fields f(tables.impTLC, {"PAIS_IMPOR", "FRACCION", "FECHA", "CAN_MIMP", "PU_MIMP", "VAL_TOT_IN",
                                   "TASA_ADVAL", "MONT_SOLIC"});
    const PreparedLine values = prepared(tlcanLine(), f);
    Total imported, value;
    Appender out(body);
    f.forEach([&](const RecordView &r) {
        imported.add(number(r, f["CAN_MIMP"]));
        value.add(number(r, f["VAL_TOT_IN"]));
        out << u"\n\nFRACCIÓN DE IMPORTACIÓN : "_s;
        out.filled(printed(r, f["FRACCION"]), 35) << u"FECHA : "_s << printed(r, f["FECHA"]) << u'\n';
        // The country's name, as long as the catalogue has it, is cut to
        // leave a blank before the rate's label.
        out << u"PAÍS IMPORTADOR : "_s;
        out.filled(printed(r, f["PAIS_IMPOR"]).left(42), 43) << u"TASA AD VALOREM : "_s << printed(r, f["TASA_ADVAL"])
                                                             << u"\n\n\n"_s;
        appendLine(out, body, values, r);
    });
    out << u"\n T O T A L E S : \n"_s;
    totalsLine(out, u"CANTIDAD IMPORTADA : "_s, imported, 31, u"VALOR TOTAL DÓLARES : "_s, value);
}

} // namespace

QString sectionTitle(int index, const Choices &choices)
{
    switch (index) {
    case 1:
        return QStringLiteral("ESTRUCTURA DE COSTOS DE LA MERCANCIA DE EXPORTACIÓN");
    case 2:
        return QStringLiteral("COSTOS UNITARIOS DE INSUMOS DE IMPORTACIÓN");
    case 3:
        return QStringLiteral("DATOS GENERALES DE IMPORTACIÓN");
    case 4:
        return QStringLiteral("DATOS GENERALES DE EXPORTACIÓN DIRECTA");
    case 5:
        return choices.tDevolucion == 2 ? QStringLiteral("CONSTANCIA DE TRANSFERENCIA DE MERCANCÍA")
                                        : QStringLiteral("DATOS GENERALES DE EXPORTACIÓN INDIRECTA");
    default:
        return QStringLiteral("DATOS GENERALES. DEL BIEN IMPORTADO EN LOS E.U. O CANADA");
    }
}

void appendSection(int index, const ShownText &shown, const Choices &choices, const Tables &tables, QString &text)
{
    switch (index) {
    case 1:
        text += costStructure(shown);
        break;
    case 2:
        text += unitCosts(shown, tables);
        break;
    case 3:
        importDocuments(choices, tables, text);
        break;
    case 4:
        directExport(tables, text);
        break;
    case 5:
        indirectExport(tables, text);
        break;
    default:
        tlcanImports(tables, text);
        break;
    }
}

QString closingBlock()
{
    return u"\n\n\n"_s + rule() + u'\n'
           + u"Manifiesto bajo protesta de decir verdad, que los datos asentados en la presente solicitud son ciertos "_s
             u"y verificables en cualquier momento por las autoridades competentes"_s
           + QString(8, u'\n') + QString(33, u'_') + blanksOf(30) + QString(33, u'_') + u'\n' + blanksOf(7)
           + u"LUGAR Y FECHA"_s + blanksOf(44) + u"FIRMA DEL REPRESENTANTE LEGAL\n "_s;
}

} // namespace RequestReport::Text

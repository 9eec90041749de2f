#include "request_schema.h"

#include <QHash>

namespace RequestSchema {

namespace {

// Money, quantities, prices and rates: up to 13 integer digits and five
// decimals, the widest number a dBASE III field holds.
FieldDef amount(const QString &name) { return numField(name, 19, 5); }

QList<TableSchema> buildRequestTables()
{
    return {
        {QStringLiteral("empresas.dbf"), {}, {
            charField(QStringLiteral("NOMBRE"), 60),
            charField(QStringLiteral("RFC"), 13),
            charField(QStringLiteral("DIRECCION1"), 60),
            charField(QStringLiteral("COLONIA"), 25),
            numField(QStringLiteral("ESTADO"), 2, 0), // state code: read and written by position 4
            charField(QStringLiteral("CIUDAD"), 25),
            charField(QStringLiteral("CODIGO_POS"), 5),
            charField(QStringLiteral("TELEFONO"), 10),
            charField(QStringLiteral("FAX"), 10),
            charField(QStringLiteral("EMAIL"), 30),
            charField(QStringLiteral("REP_LEGAL"), 20),
            charField(QStringLiteral("REP_LEGALP"), 20),
            charField(QStringLiteral("REP_LEGALM"), 20),
            charField(QStringLiteral("DIR_REP"), 25),
            charField(QStringLiteral("CARGO"), 25),
            charField(QStringLiteral("TELREP"), 10),
            charField(QStringLiteral("FAXREP"), 10),
            charField(QStringLiteral("CUENTA"), 11),
            charField(QStringLiteral("SUCURSAL"), 4),
            charField(QStringLiteral("PLAZA"), 3),
            charField(QStringLiteral("BANCO"), 40),
            numField(QStringLiteral("SECTOR"), 3, 0),
        }},
        {QStringLiteral("solicitu.dbf"), {}, {
            numField(QStringLiteral("OTIPOEXPOR"), 1, 0),
            charField(QStringLiteral("TIPO_EXPOR"), 1),
            charField(QStringLiteral("MER_RET"), 1),
            charField(QStringLiteral("TSOL"), 1),
            charField(QStringLiteral("FOLIO"), 8),
            charField(QStringLiteral("UNIDAD"), 20),
            charField(QStringLiteral("DESCRIP"), 50),
            amount(QStringLiteral("VALOR_FOB")),
            amount(QStringLiteral("CANTIDAD")),
            amount(QStringLiteral("DEVOL_SOL")),
            amount(QStringLiteral("PREVENDOLA")),
            charField(QStringLiteral("FRACCION"), 8),
            amount(QStringLiteral("PRE_VEN_SO")),
            amount(QStringLiteral("MAT_PRI_NA")),
            amount(QStringLiteral("MAT_PRI_EX")),
            amount(QStringLiteral("COMB_INCNA")),
            amount(QStringLiteral("COMB_INCEX")),
            amount(QStringLiteral("COMB_NOINC")),
            amount(QStringLiteral("ENERG_DIR")),
            amount(QStringLiteral("SALARIOS")),
            amount(QStringLiteral("DEPRE_MAQ")),
            amount(QStringLiteral("PORCENTAJE")),
            flagField(QStringLiteral("REPORTE")),
            flagField(QStringLiteral("APENDICE8")),
            flagField(QStringLiteral("ANEXOB")),
            flagField(QStringLiteral("ANEXOC")),
        }},
        {QStringLiteral("insunit.dbf"), {}, {
            charField(QStringLiteral("FRACCION"), 8),
            amount(QStringLiteral("TASA_ADVAL")),
            amount(QStringLiteral("COSTO_UNIT")),
            charField(QStringLiteral("DESCRIP"), 30),
        }},
        {QStringLiteral("insupedi.dbf"), {}, {
            charField(QStringLiteral("TIPO"), 5),
            charField(QStringLiteral("NUM_DOCUME"), 20),
            dateField(QStringLiteral("FEC_PAGO")),
            charField(QStringLiteral("FRACCION"), 8),
            amount(QStringLiteral("TASA_ADVAL")),
            amount(QStringLiteral("PU_MIMP")),
            charField(QStringLiteral("PAIS_IMPOR"), 60),
            amount(QStringLiteral("CAN_MIMP")),
            amount(QStringLiteral("CAN_MRETSO")),
            amount(QStringLiteral("VAL_TOT_IN")),
            amount(QStringLiteral("VALINCREAL")),
            amount(QStringLiteral("VAL_MREP")),
            amount(QStringLiteral("MONT_SOLIC")),
            amount(QStringLiteral("COSTO_UNIT")),
            amount(QStringLiteral("SALDO_CAN")),
            amount(QStringLiteral("SALDO_VAL")),
        }},
        {QStringLiteral("exporped.dbf"), {}, {
            charField(QStringLiteral("NO_PEDIMEN"), 20),
            dateField(QStringLiteral("FECHA_PEDI")),
            charField(QStringLiteral("PAIS_EXPOR"), 60),
            amount(QStringLiteral("CANT_TOTAL")),
            amount(QStringLiteral("CANT_UTIL")),
            amount(QStringLiteral("VAL_TOTPED")),
            amount(QStringLiteral("VALOR_UTI")),
            amount(QStringLiteral("SDO_DOCU")),
        }},
        {QStringLiteral("factura.dbf"), {}, {
            charField(QStringLiteral("NODOC"), 20),
            dateField(QStringLiteral("FECHADOC")),
            amount(QStringLiteral("CANT_TOTAL")),
            amount(QStringLiteral("CANT_UTIL")),
            amount(QStringLiteral("VALTOTNP")),
            amount(QStringLiteral("VALREPNP")),
            amount(QStringLiteral("VALTOTDLL")),
            amount(QStringLiteral("VALREPDLL")),
            charField(QStringLiteral("NOM_EXPIDE"), 20),
        }},
        {QStringLiteral("impTLC.dbf"), {}, {
            charField(QStringLiteral("PAIS_IMPOR"), 60),
            charField(QStringLiteral("FRACCION"), 8),
            dateField(QStringLiteral("FECHA")),
            amount(QStringLiteral("CAN_MIMP")),
            amount(QStringLiteral("PU_MIMP")),
            amount(QStringLiteral("VAL_TOT_IN")),
            amount(QStringLiteral("TASA_ADVAL")),
            amount(QStringLiteral("MONT_SOLIC")),
        }},
    };
}

QList<TableSchema> buildCatalogueTables()
{
    return {
        {QStringLiteral("Estados.dbf"), QStringLiteral("estados.csv"),
         {numField(QStringLiteral("CLAVE"), 2, 0), charField(QStringLiteral("NOMBRE"), 40)}},
        {QStringLiteral("Sectores.dbf"), QStringLiteral("sectores.csv"),
         {numField(QStringLiteral("CLAVE"), 3, 0), charField(QStringLiteral("DESCRIPCIO"), 60)}},
        {QStringLiteral("Paises.dbf"), QStringLiteral("paises.csv"),
         {charField(QStringLiteral("CLAVE"), 3), charField(QStringLiteral("DESCRIPCIO"), 60)}},
        {QStringLiteral("Pedimentos.dbf"), QStringLiteral("pedimentos.csv"),
         {charField(QStringLiteral("CLAVE"), 3), charField(QStringLiteral("DESCRIPCIO"), 120)}},
    };
}

} // namespace

const QList<TableSchema> &requestTables()
{
    static const QList<TableSchema> tables = buildRequestTables();
    return tables;
}

const QList<TableSchema> &catalogueTables()
{
    static const QList<TableSchema> tables = buildCatalogueTables();
    return tables;
}

const TableSchema *find(const QString &tableName)
{
    QString wanted = tableName;
    if (!wanted.endsWith(QLatin1String(".dbf"), Qt::CaseInsensitive))
        wanted += QLatin1String(".dbf");
    for (const QList<TableSchema> *list : {&requestTables(), &catalogueTables()})
        for (const TableSchema &t : *list)
            if (t.file.compare(wanted, Qt::CaseInsensitive) == 0)
                return &t;
    return nullptr;
}

namespace {

// The most characters the window takes into a text field of a request
// table; a narrower field could not keep them. Other texts (codes, keys and
// names picked from lists, document numbers) are taken at any length, and a
// narrower field only refuses, with its message, what does not fit.
int textLimit(const QString &file, const QString &field)
{
    static const QHash<QString, int> limits{
        {QStringLiteral("empresas.dbf/NOMBRE"), 60},     {QStringLiteral("empresas.dbf/RFC"), 13},
        {QStringLiteral("empresas.dbf/DIRECCION1"), 60}, {QStringLiteral("empresas.dbf/COLONIA"), 25},
        {QStringLiteral("empresas.dbf/CIUDAD"), 25},     {QStringLiteral("empresas.dbf/CODIGO_POS"), 5},
        {QStringLiteral("empresas.dbf/TELEFONO"), 10},   {QStringLiteral("empresas.dbf/FAX"), 10},
        {QStringLiteral("empresas.dbf/EMAIL"), 30},      {QStringLiteral("empresas.dbf/REP_LEGAL"), 20},
        {QStringLiteral("empresas.dbf/REP_LEGALP"), 20}, {QStringLiteral("empresas.dbf/REP_LEGALM"), 20},
        {QStringLiteral("empresas.dbf/DIR_REP"), 25},    {QStringLiteral("empresas.dbf/CARGO"), 25},
        {QStringLiteral("empresas.dbf/TELREP"), 10},     {QStringLiteral("empresas.dbf/FAXREP"), 10},
        {QStringLiteral("empresas.dbf/CUENTA"), 11},     {QStringLiteral("empresas.dbf/SUCURSAL"), 4},
        {QStringLiteral("empresas.dbf/PLAZA"), 3},       {QStringLiteral("solicitu.dbf/FOLIO"), 8},
        {QStringLiteral("solicitu.dbf/DESCRIP"), 50},    {QStringLiteral("solicitu.dbf/FRACCION"), 8},
        {QStringLiteral("insunit.dbf/FRACCION"), 8},     {QStringLiteral("insunit.dbf/DESCRIP"), 30},
        {QStringLiteral("insupedi.dbf/FRACCION"), 8},    {QStringLiteral("factura.dbf/NOM_EXPIDE"), 20},
        {QStringLiteral("impTLC.dbf/FRACCION"), 8},
    };
    return limits.value(file + u'/' + field);
}

// The fields of the five grid tables stand in a fixed order, which the files
// handed over follow; one field of two of them is addressed by name only.
bool addressedByPlace(const QString &file, const QString &field)
{
    if (file == QLatin1String("empresas.dbf") || file == QLatin1String("solicitu.dbf"))
        return false;
    return !(file == QLatin1String("insupedi.dbf") && field == QLatin1String("COSTO_UNIT"))
           && !(file == QLatin1String("exporped.dbf") && field == QLatin1String("SDO_DOCU"));
}

QString described(const FieldDef &f)
{
    QString size = QString::number(f.length);
    if (f.isNumeric())
        size += u',' + QString::number(f.decimals);
    return QStringLiteral("%1(%2)").arg(QLatin1Char(f.type)).arg(size);
}

bool ofKind(const FieldDef &f, char kind)
{
    if (kind == 'N')
        return f.isNumeric();
    if (kind == 'L')
        return f.type == 'L' || f.isNumeric();
    return f.type == kind;
}

QString kindInWords(char kind)
{
    switch (kind) {
    case 'N':
        return QStringLiteral("numérico");
    case 'D':
        return QStringLiteral("de fecha");
    case 'L':
        return QStringLiteral("lógico o numérico");
    default:
        return QStringLiteral("de texto");
    }
}

} // namespace

QList<FieldUse> fieldUses(const QString &tableName)
{
    const TableSchema *table = find(tableName);
    QList<FieldUse> uses;
    if (!table || !table->source.isEmpty())
        return uses;
    for (int i = 0; i < table->fields.size(); ++i) {
        const FieldDef &f = table->fields[i];
        if (table->file == QLatin1String("empresas.dbf") && i == kCompanyState) {
            uses.append({QString(), 'N', 0, kCompanyState});
            continue;
        }
        uses.append({f.name, f.isNumeric() ? 'N' : f.type, f.type == 'C' ? textLimit(table->file, f.name) : 0,
                     addressedByPlace(table->file, f.name) ? i : -1});
    }
    return uses;
}

QString unmetUse(const QList<FieldUse> &uses, const QList<FieldDef> &fields)
{
    for (const FieldUse &use : uses) {
        // Field names are matched without regard to case; positions are
        // counted from 1 for the reader.
        qsizetype at = use.place;
        if (!use.name.isEmpty()) {
            at = -1;
            for (qsizetype i = 0; i < fields.size() && at < 0; ++i)
                if (fields[i].name.compare(use.name, Qt::CaseInsensitive) == 0)
                    at = i;
        }
        const QString name = use.name.isEmpty() ? QString::number(use.place + 1) : use.name;
        if (at < 0 || at >= fields.size())
            return QStringLiteral("le falta el campo %1").arg(name);
        const FieldDef &f = fields[at];
        if (use.place >= 0 && at != use.place)
            return QStringLiteral("el campo %1 es el %2.º de la tabla y debe ser el %3.º")
                .arg(name)
                .arg(at + 1)
                .arg(use.place + 1);
        if (!ofKind(f, use.kind))
            return QStringLiteral("el campo %1 es %2 y debe ser %3")
                .arg(use.name.isEmpty() ? QStringLiteral("%1 (%2)").arg(name, f.name) : name, described(f),
                     kindInWords(use.kind));
        if (f.length < use.least)
            return QStringLiteral("el campo %1 es %2 y debe admitir %3 caracteres")
                .arg(name, described(f))
                .arg(use.least);
    }
    return {};
}

} // namespace RequestSchema

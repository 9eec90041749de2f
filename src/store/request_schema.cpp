#include "request_schema.h"

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

} // namespace RequestSchema

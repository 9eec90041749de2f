#include "grid_columns.h"

namespace GridColumns {

namespace {

// The widest texts the columns show: what the length checks let through,
// in the column's display format, and what the figures computed into a
// column (15 significant digits) come to.
const char *const kFigure = "0000000000000.00";
const char *const kDocument = "000000000000000"; // 15-digit pedimento or document
const char *const kDate = "00/00/0000";
const char *const kItem = "00000000";
const char *const kKey = "MMM";
const char *const kRate = "000.00";
const char *const kGrouped = "000,000,000,000";
const char *const kMoney = "$000,000,000,000.00";
const char *const kCountry = "ESTADOS UNIDOS DE AMERICA"; // longer names are shown in part
const char *const kName = "NNNNNNNNNNNNNNNNNNNN";

GridColumn col(const char *caption, const char *field, const char *help, const char *format = "",
               const char *widest = kFigure)
{
    return {QString::fromUtf8(caption), QString::fromLatin1(field), QString::fromUtf8(help), QString::fromLatin1(format),
            QString::fromLatin1(widest)};
}

const char *const kCurrency = "Currency";
const char *const kGeneral = "General Number";

QList<GridDefinition> buildGrids()
{
    return {
        // Unit costs of the imported inputs (tab "Costos Unitarios").
        {QStringLiteral("dbCU"), QStringLiteral("dtsInsunit"), {
            col("Fraccion", "FRACCION",
                "Capturar la fracción arancelaria sin guiones ni puntos", "", kItem),
            col("Descripción", "DESCRIP",
                "Descripción del bien importado", "", kName),
            col("Costo Unitario", "COSTO_UNIT",
                "Costo Unitario del bien importado", "###,###.#####", kGrouped),
            col("Tasa Ad Valorem", "TASA_ADVAL",
                "Tasa ad valorem aplicada al bien importado", "Standard", "000,000.00"),
        }},
        // Imported goods by import document (tab "Merc. Importadas"). The two
        // balances come before the amount, unlike the table's field order.
        {QStringLiteral("dbMI"), QStringLiteral("dtsInsupedi"), {
            col("Clave de pedimento", "TIPO",
                "Clave del pedimento de importación", "", kKey),
            col("No. de Pedimento", "NUM_DOCUME",
                "Capturar los dígitos sin guiones ni puntos", "", kDocument),
            col("Fecha de pago", "FEC_PAGO",
                "Fecha del pedimento de importación", "", kDate),
            col("Fracción arancelaria", "FRACCION",
                "Fracción del bien importado", "", kItem),
            col("Ad Valorem", "TASA_ADVAL",
                "Tasa ad valorem aplicada al bien importado", "", kRate),
            col("Precio Unitario M.N.", "PU_MIMP",
                "Precio Unitario del bien importado", "", kGrouped),
            col("País de Orígen", "PAIS_IMPOR",
                "País de orígen del bien importado", "", kCountry),
            col("Cantidad Importada", "CAN_MIMP",
                "Cantidad importada de la mercancía"),
            col("Cantidad Retornada", "CAN_MRETSO",
                "Cantidad retornada de la mercancía"),
            col("Valor total de insumos importados M.N.", "VAL_TOT_IN",
                "Se refiere al valor aduanal unicamente por la fracción utilizada"),
            col("Valor total insumos incorporados M.N.", "VALINCREAL",
                "Se obtendrá multiplicando el costo unitario por la cantidad exportada utilizada"),
            col("Valor Mercancía Retornada M.N.", "VAL_MREP",
                "Valor de la mercancia retornada"),
            col("Saldo del documento", "SALDO_CAN",
                "Saldo en cantidad de la mercancia"),
            col("Saldo del documento M.N.", "SALDO_VAL",
                "Saldo en valor de la mercancia"),
            col("Monto de aranceles pagados M.N.", "MONT_SOLIC",
                "Monto a devolver sobre la mercancía"),
        }},
        // Direct-export documents (tab "Exp. Directa").
        {QStringLiteral("dbED"), QStringLiteral("dtsExporped"), {
            col("Número de pedimento o documento", "NO_PEDIMEN",
                "Capturar los dígitos sin guiones ni puntos", "", kDocument),
            col("Fecha", "FECHA_PEDI",
                "Fecha del pedimento de exportación", "", kDate),
            col("País de destino", "PAIS_EXPOR",
                "País destino de la exportación", "", kCountry),
            col("Cantidad Total", "CANT_TOTAL",
                "Cantidad por fracción de exportación total"),
            col("Cantidad Exportada", "CANT_UTIL",
                "Cantidad exportada sobre la que se solicita la devolución"),
            col("Valor total FOB del pedimento dlls.", "VAL_TOTPED",
                "Valor Total de la mercancia por fracción de exportación"),
            col("Valor FOB utilizado dlls.", "VALOR_UTI",
                "Valor de la cantidad sobre la que se solicita la devolución"),
            col("Saldo del documento", "SDO_DOCU",
                "Saldo en valor del documento que se esta presentando"),
        }},
        // Indirect-export documents (tab "Exp. Indirecta").
        {QStringLiteral("dbEI"), QStringLiteral("dtsFactura"), {
            col("No. Documento", "NODOC",
                "Capturar el número de documento  sin guiones ni puntos", "", kDocument),
            col("Fecha", "FECHADOC",
                "Fecha de expedición del documento", "", kDate),
            col("Cantidad Total", "CANT_TOTAL",
                "Cantidad Total", kGeneral),
            col("Cantidad Utilizada", "CANT_UTIL",
                "Cantidad Utilizada", kGeneral),
            col("Valor Total ($)", "VALTOTNP",
                "Valor Total moneda nacional", kCurrency, kMoney),
            col("Valor Utilizado ($)", "VALREPNP",
                "Valor utilizado moneda nacional", kCurrency, kMoney),
            col("Valor Total dls", "VALTOTDLL",
                "Valor Total dólares", kCurrency, kMoney),
            col("Valor Utilizado dls", "VALREPDLL",
                "Valor utilizado dólares", kCurrency, kMoney),
            col("Exportador final", "NOM_EXPIDE",
                "Exportador final", "", kName),
        }},
        // Imports into a TLCAN country (tab "Imp. TLCAN"). The rate comes before
        // the total value, unlike the table's field order.
        {QStringLiteral("dbITLC"), QStringLiteral("dtsImpTLC"), {
            col("Pais Importador de los productos finales", "PAIS_IMPOR",
                "País importador TLCAN", "", kCountry),
            col("Fracción arancelaria de importación", "FRACCION",
                "Capturar la fracción sin guiones ni puntos", kGeneral, kItem),
            col("Fecha de importación", "FECHA",
                "Fecha de la importación TLCAN", "", kDate),
            col("Cantidad Importada", "CAN_MIMP",
                "Cantidad Importada TLCAN", kGeneral),
            col("Precio Unitario dlls.", "PU_MIMP",
                "Precio Unitario dólares"),
            col("Ad Valorem", "TASA_ADVAL",
                "Tasa ad valorem de importación TLCAN", kGeneral, kRate),
            col("Valor Total de la mercancia dlls", "VAL_TOT_IN",
                "Valor Total mercancia dólares", kGeneral),
            col("Monto de aranceles pagados", "MONT_SOLIC",
                "Monto total de aranceles", kCurrency, kMoney),
        }},
    };
}

} // namespace

const QList<GridDefinition> &grids()
{
    static const QList<GridDefinition> all = buildGrids();
    return all;
}

const GridDefinition *grid(const QString &name)
{
    for (const GridDefinition &g : grids())
        if (g.name == name)
            return &g;
    return nullptr;
}

} // namespace GridColumns

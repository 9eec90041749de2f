#pragma once

// The company, request and unit-cost records the window tests start from.

#include "window_harness.h"

inline QVariantMap company()
{
    return {{"RFC", "ABC010101XY1"}, {"NOMBRE", "EXPORTADORA DEL NORTE"}, {"CODIGO_POS", "01234"},
            {"BANCO", "BANORTE, S.A."}, {"SECTOR", 1.0}, {"ESTADO", 9.0}};
}

inline QVariantMap request(const QVariantMap &extra = {})
{
    QVariantMap r{{"OTIPOEXPOR", 0.0}, {"TIPO_EXPOR", "M"}, {"MER_RET", "O"}, {"TSOL", "N"},
                  {"UNIDAD", "PIEZA"}, {"DESCRIP", "TORNILLOS"}, {"VALOR_FOB", 1234.5}, {"CANTIDAD", 0.0},
                  {"DEPRE_MAQ", 3.0}, {"APENDICE8", true}};
    for (auto it = extra.begin(); it != extra.end(); ++it)
        r.insert(it.key(), it.value());
    return r;
}

inline QList<QVariantMap> unitCosts(bool complete)
{
    QVariantMap row{{"FRACCION", "01020304"}, {"TASA_ADVAL", 10.0}, {"COSTO_UNIT", 15.5}};
    if (complete)
        row.insert("DESCRIP", "TUERCAS");
    return {row};
}

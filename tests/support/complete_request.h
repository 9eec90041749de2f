#pragma once

// A request that the completeness review passes: every box filled, the lists
// chosen and a complete row in each grid, written by python3-dbf.

#include "window_harness.h"

#include "rules/request_fields.h"
#include "store/request_schema.h"

// A value of the field's kind that no check takes for blank.
inline QVariant filled(const QString &table, const QString &field)
{
    for (const FieldDef &f : RequestSchema::find(table)->fields) {
        if (f.name.compare(field, Qt::CaseInsensitive) != 0)
            continue;
        switch (f.type) {
        case 'N':
        case 'F':
            return 7.0;
        case 'D':
            return QDate(2026, 3, 1);
        case 'L':
            return true;
        default:
            return QStringLiteral("X");
        }
    }
    return {};
}

// Every box of the company and the request filled, the lists chosen, a reply
// to an earlier folio, and a complete row in each grid.
inline RequestFixture::Records completeRequest(const QVariantMap &choices)
{
    QVariantMap empresa{{"RFC", "ABC010101XY1"}, {"NOMBRE", "EXPORTADORA DEL NORTE"}, {"CODIGO_POS", "01234"},
                        {"BANCO", "BANORTE, S.A."}, {"SECTOR", 1.0}, {"ESTADO", 9.0}};
    QVariantMap solicitud{{"OTIPOEXPOR", 0.0}, {"TIPO_EXPOR", "M"}, {"MER_RET", "O"}, {"TSOL", "R"},
                          {"FOLIO", "00122024"}, {"UNIDAD", "PIEZA"}, {"DESCRIP", "TORNILLOS"},
                          {"VALOR_FOB", 1234.5}, {"CANTIDAD", 0.0}, {"DEPRE_MAQ", 3.0}, {"APENDICE8", true}};
    for (const RequestFields::Control &c : RequestFields::textFields()) {
        if (c.link == QLatin1String("dtsEmpresas") && !empresa.contains(c.field.toUpper()))
            empresa.insert(c.field.toUpper(), filled(QStringLiteral("empresas"), c.field));
        if (c.link == QLatin1String("dtsSolicitu") && !solicitud.contains(c.field.toUpper()))
            solicitud.insert(c.field.toUpper(), filled(QStringLiteral("solicitu"), c.field));
    }
    for (auto it = choices.begin(); it != choices.end(); ++it)
        solicitud.insert(it.key(), it.value());
    const auto rowOf = [](const char *table) {
        QVariantMap row;
        for (const FieldDef &f : RequestSchema::find(QString::fromLatin1(table))->fields)
            row.insert(f.name, filled(QString::fromLatin1(table), f.name));
        return row;
    };
    QVariantMap invoice = rowOf("factura");
    invoice.remove("VALTOTDLL");
    invoice.remove("VALREPDLL"); // in pesos only
    return {{"empresas", {empresa}},           {"solicitu", {solicitud}},         {"insunit", {rowOf("insunit")}},
            {"insupedi", {rowOf("insupedi")}}, {"exporped", {rowOf("exporped")}}, {"factura", {invoice}},
            {"impTLC", {rowOf("impTLC")}}};
}

#pragma once

// The request folders the program benchmark opens: the mixed request
// (mixed_request.h) complete, so that the review finds nothing, with its
// company and request boxes filled and the given number of rows in each
// grid, every row complete.

#include "store/data_link.h"
#include "store/recordset.h"
#include "store/request_folder.h"
#include "store/request_links.h"
#include "store/request_schema.h"

#include "bench_common.h"
#include "mixed_request.h"

#include <QDate>

namespace BenchRequest {

struct Rows {
    int imports = 0;   // insupedi (dbMI)
    int documents = 0; // insunit, exporped, factura and impTLC (dbCU, dbED, dbEI, dbITLC)
};

// A value of the field's kind that no check takes for blank.
inline QVariant filledValue(const FieldDef &f)
{
    switch (f.type) {
    case 'N':
    case 'F':
        return 7;
    case 'D':
        return QDate(2026, 3, 1);
    case 'L':
        return true;
    default:
        return QStringLiteral("X");
    }
}

// A record with every field filled, then the values given.
inline void addFilledRecord(Recordset &rs, const QString &table, const QList<QPair<QString, QVariant>> &values)
{
    rs.AddNew();
    for (const FieldDef &f : RequestSchema::find(table)->fields)
        rs.Fields(f.name).setValue(filledValue(f));
    for (const auto &[field, value] : values)
        rs.Fields(field).setValue(value);
    rs.Update();
}

inline void writeCompleteRequest(const QString &folder, const Rows &rows)
{
    RequestFolder::create(folder, QStringLiteral(QUELVAR_DATA_DIR));
    RequestLinks links;
    links.setFolder(folder);
    links.refreshRequestLinks();
    addFilledRecord(*links.dtsEmpresas->recordset(), QStringLiteral("empresas"),
                    {{QStringLiteral("ESTADO"), 9},
                     {QStringLiteral("SECTOR"), 1},
                     {QStringLiteral("BANCO"), QStringLiteral("BANORTE, S.A.")}});
    // The boxes of a transfer (appendix 8, the annexes and the report) are
    // not those of a direct request: left unchecked.
    QList<QPair<QString, QVariant>> request = mixedRequest();
    request.append({{QStringLiteral("UNIDAD"), QStringLiteral("PIEZA")},
                    {QStringLiteral("REPORTE"), false},
                    {QStringLiteral("APENDICE8"), false},
                    {QStringLiteral("ANEXOB"), false},
                    {QStringLiteral("ANEXOC"), false}});
    addFilledRecord(*links.dtsSolicitu->recordset(), QStringLiteral("solicitu"), request);
    fillUnitCosts(*links.dtsInsunit->recordset(), rows.documents);
    fillImportedGoods(*links.dtsInsupedi->recordset(), rows.imports, 0, kOtherCountryEvery);
    fillDirectExports(*links.dtsExporped->recordset(), rows.documents);
    fillIndirectExports(*links.dtsFactura->recordset(), rows.documents);
    fillTlcanImports(*links.dtsImpTLC->recordset(), rows.documents);
    links.syncRequestTables();
}

} // namespace BenchRequest

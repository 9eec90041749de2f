#pragma once

#include "dbf_field.h"

#include <QList>
#include <QString>

// The table files a request folder holds: the seven request tables and the
// four catalogues, with the field layout this program's deployment gives them.
struct TableSchema {
    QString file;   // file name as shipped, e.g. "impTLC.dbf"
    QString source; // UTF-8 CSV under data/ for a catalogue, empty for a request table
    QList<FieldDef> fields;
};

namespace RequestSchema {

// The company's state code (ESTADO) is read and written by its place in the
// company record, whatever the field is called there.
constexpr int kCompanyState = 4;

// empresas, solicitu, insunit, insupedi, exporped, factura, impTLC, in the
// order of the exchange medium.
const QList<TableSchema> &requestTables();
// Estados, Sectores, Paises, Pedimentos.
const QList<TableSchema> &catalogueTables();
const TableSchema *find(const QString &tableName); // any case, with or without ".dbf"

} // namespace RequestSchema

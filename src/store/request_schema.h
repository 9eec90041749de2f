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

// What the program relies on in one field of a request table, whoever made
// the file. The rest is the deployment's: other widths and decimals, the
// order of the company's and the request's fields, flags kept as logical or
// as numeric fields, and further fields.
struct FieldUse {
    QString name;   // matched in any case; empty: the field is known by its place alone
    char kind;      // 'C' text, 'N' number, 'D' date, 'L' flag (logical or numeric)
    int least = 0;  // for a text: the most characters the window takes into it
    int place = -1; // its position where the program addresses it there, else -1
};

// The fields the program uses in the request table of that name (any case,
// with or without ".dbf"); empty for any other table.
QList<FieldUse> fieldUses(const QString &tableName);
// The first of the uses that the fields do not meet, in words ("le falta el
// campo COSTO_UNIT"); empty when they meet them all.
QString unmetUse(const QList<FieldUse> &uses, const QList<FieldDef> &fields);

} // namespace RequestSchema

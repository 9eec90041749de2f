#pragma once

#include "data_stage.h"
#include "incoming_rows.h"
#include "row_files.h"

#include <QHash>
#include <QSet>

class Recordset;

// What the request stored in a folder gives the row check of a grid, as the
// window holds it with that request open: the mode its choices make, the
// columns shown and locked, and the lists of its catalogues.
namespace IncomingRows {

// The grid that shows a request table (insunit, insupedi, exporped, factura,
// impTLC; any case, with or without ".dbf"); empty for another.
QString gridOfTable(const QString &table);

// Throws StoreError when a table it reads cannot be opened.
Context contextOf(const QString &folder, const QString &grid, const QDate &today);

// The names of a file's first line, matched to the grid's columns by
// caption or by field (see RowFiles::matchName).
struct Mapping {
    QList<int> columns;  // the grid column of each file column; -1: none
    QStringList unknown; // the names matched to none
};
Mapping mapNames(const QString &grid, const QStringList &names);
// The file's rows as the row check takes them: by grid column, a cell the
// file does not give left null. Numbers and dates as the file wrote them;
// source, when given, takes what the file says of its cells by grid column
// (the numbers it stored as such, its faulty cells).
QList<QStringList> mapRows(const Mapping &mapping, const RowFiles::Sheet &sheet, Source *source = nullptr);

// Every country's name by its code, from the folder's catalogue.
QHash<QString, QString> countryNames(const QString &folder);
// The pedimentos of a package whose date the grid takes (this year or the
// last, not after today), by number.
QSet<QString> acceptedDates(const QList<DataStage::Pedimento> &pedimentos, const QDate &today);
// How many items of each pedimento of a package (by number) the table of
// the imported goods (dbMI) or the direct exports (dbED) holds, counted
// item by item: an import item is held when the table has a record of its
// pedimento, tariff item and value (ValorAduana in VAL_TOT_IN), an export's
// items all when the table has its pedimento with their summed ValorDolares
// in VAL_TOTPED. Values are compared as numbers, to the places the table
// keeps; each record holds one item only, so two items alike against one
// record leave one not held.
QHash<QString, int> heldItems(const Context &context, Recordset &table, const QList<DataStage::Item> &items);
// The rows of a customs package for the imported goods (dbMI) or the direct
// exports (dbED) of the request, and what was left out.
struct StageRows {
    QList<QStringList> rows;
    // A line for each reason an item was left out, with how many and their
    // tariff items (in order of first appearance, each counted):
    // "3 partidas no se traen: su fracción no está en Costos Unitarios:
    // 73181500 (2), 39269099 (1)".
    QStringList leftOut;
};
// The rows of the package's items of the grid's operation (DataStage::
// importRow, exportRows), save those the table holds (as heldItems counts
// them), of a payment date the grid does not take (this year or the last,
// not after the context's today; for an export, its first item's, as
// acceptedDates), for the imports of a tariff item that is not among the
// unit costs, or of a pedimento not in `chosen` (empty: all).
StageRows stageRows(const Context &context, Recordset &table, const QList<DataStage::Item> &items,
                    const QHash<QString, QString> &countries, bool tariffUnit, const QSet<QString> &chosen = {});

} // namespace IncomingRows

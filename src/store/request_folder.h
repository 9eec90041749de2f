#pragma once

#include <QString>

class Recordset;

// Request folders: the seven empty request tables and the four catalogues,
// and the text form of a table.
namespace RequestFolder {

// Makes a ready request folder: the seven request tables, empty, and the
// four catalogues built from the CSV sources in dataDir. Refuses, before
// writing anything, when any of the tables is already there; a failure
// part-way leaves no table behind. Throws StoreError.
void create(const QString &folder, const QString &dataDir);

// True when the folder holds all seven request tables.
bool holdsRequest(const QString &folder);

// Every record of a table as CSV in UTF-8: a header line of field names,
// then one line per record (deleted records left out); a null value is an
// empty cell, a number its plain decimal text, a date yyyy-mm-dd, a flag T or F.
// A numeric field holding anything but blanks, one sign, digits and one point
// is null. TableCsv::write gives the same text in pieces, as it reads.
QString toCsv(const QString &tableFile);

} // namespace RequestFolder

#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// The customs Data Stage package ("glosa de pedimentos"): what the customs
// authority (SAT) hands an importer or exporter about its pedimentos, a .zip
// of text files ending in ".asc", one per record type, each named after the
// number of its record ("1798546_551.asc" holds record 551, the items of each
// pedimento).
//
// The layout relied on here, and where it is found:
//  - The record numbers and what their fields mean are the registers of the
//    customs' automated system: Administración General de Aduanas, "Manual
//    Técnico SAAI M3", list of registers (551 "Partidas"); the keys used in
//    them (document keys, country codes) are the appendices of Anexo 22 of the
//    Reglas Generales de Comercio Exterior.
//  - The authority publishes no description of the .asc files themselves
//    (the public pages about the Data Stage say only that it is a .zip of
//    some 26 .asc files). As packages come, each file is text with one record
//    a line, its cells split by "|", and its first line holds the field
//    names. File 551's first line reads
//      Patente|Pedimento|SeccionAduanera|Fraccion|SecuenciaFraccion|
//      SubdivisionFraccion|DescripcionMercancia|PrecioUnitario|ValorAduana|
//      ValorComercial|ValorDolares|CantidadUMComercial|UnidadMedidaComercial|
//      CantidadUMTarifa|UnidadMedidaTarifa|ValorAgregado|ClaveVinculacion|
//      MetodoValorizacion|CodigoMercanciaProducto|MarcaMercanciaProducto|
//      ModeloMercanciaProducto|PaisOrigenDestino|PaisCompradorVendedor|
//      EntidadFedOrigen|EntidadFedDestino|EntidadFedComprador|
//      EntidadFedVendedor|TipoOperacion|ClaveDocumento|FechaPagoReal
//    and each data line ends with a "|" of its own (one empty cell more than
//    there are names). Lines end in CR LF; amounts are plain decimals with
//    "." ("1976.88", "4.80000"); FechaPagoReal reads "2026-01-13 15:57:02".
//
// Since none of that is promised anywhere, the reading is lenient: fields are
// found by their names in the first line (in any order and any case, unknown
// ones ignored), never by position; the file is any one whose name ends in
// "551.asc" (any case, in any subfolder); the text is UTF-8 (with or without
// a byte-order mark) or else Windows-1252; lines end in CR LF or LF; a date is
// yyyy-mm-dd or yyyy/mm/dd (a time after it ignored), dd/mm/yyyy or yyyymmdd.
// SecuenciaFraccion, the item's number within its pedimento, is the one
// field a file may lack: it only tells an item from its repeats.
//
// A package may hold the items twice, when a second download that overlaps
// the first was put beside it (in the .zip or in the folder): one item is
// kept per pedimento number and sequence, the first read; in a file without
// the sequence (or a line without one), lines equal in every field read are
// the repeats.
namespace DataStage {

// One line of file 551: one item of a pedimento.
struct Item {
    int operation = 0; // TipoOperacion: 1 import, 2 export
    QString key;       // ClaveDocumento, e.g. "A1"
    QString pedimento; // the 15-digit number, see pedimentoNumber
    QDate paid;        // FechaPagoReal
    QString fraction;  // Fraccion (8 digits as given)
    QString country;   // PaisOrigenDestino, the 3-letter code
    // PrecioUnitario, ValorAduana, ValorDolares, CantidadUMTarifa and
    // CantidadUMComercial as plain decimal text: "." as decimal mark, no
    // leading zeros nor trailing decimal zeros ("012.500" gives "12.5"); empty
    // when the cell is.
    QString unitPrice, customsValue, dollarValue, tariffQuantity, commercialQuantity;
    int sequence = 0; // SecuenciaFraccion; 0 when not given, or not a whole number from 1 on
};

// A line of file 551 that was not read: its file (as named in the package),
// its number and why, e.g. "el campo «FechaPagoReal» tiene «», que no es una
// fecha".
struct Refused {
    QString file;
    int line = 0;
    QString reason;
    // "Línea 7 de «1798546_551.asc»: <reason>; la partida no se trae."
    QString text() const;
};

// What a package gives: its items in the order read, the lines refused, and
// how many items were left out as repeats of one read before.
struct Package {
    QList<Item> items;
    QList<Refused> refused;
    int repeated = 0;
    // What the reading left out, a line each: the repeats (when any), then
    // every line refused.
    QStringList notes() const;
};

// The items of file 551 in the package: a .zip as downloaded, or the folder
// it was unpacked into (searched with its subfolders). Several 551 files are
// read one after the other, in the order of their names, each item kept once
// (see above).
// Throws StoreError (Spanish, naming the package) when it cannot be read
// (missing, not a zip, cut or damaged), holds no 551 file, or that file lacks
// one of the fields of Item (the message names the field). Blank lines are
// skipped; a line with fewer cells than names, or whose date, amount,
// operation or pedimento number cannot be read, is refused alone (in
// Package::refused) and the others are read.
Package read(const QString &package);

// The 15-digit pedimento number: the two last digits of the payment year, the
// first two digits of SeccionAduanera (the customs office), the 4-digit
// Patente and the 7-digit Pedimento, each padded with zeros on the left
// (blanks around a part ignored): (2024, "470", "3420", "4001234") gives
// "244734204001234". Empty when the year is not positive or a part is empty,
// has more digits than its place (3 for the section) or holds non-digits.
QString pedimentoNumber(int year, const QString &section, const QString &patent, const QString &number);

// One pedimento as the import dialog lists it: its number, payment date and
// key (of its first item), how many items it has, and the sum of their
// ValorAduana (imports) or ValorDolares (exports) as plain decimal text.
struct Pedimento {
    QString number;
    QDate paid;
    QString key;
    int items = 0;
    QString value;
};

// The pedimentos of that operation (1 import, 2 export), in the order of
// their first item. Sums are exact: added as whole numbers of the smallest
// unit written, not as doubles (only a sum past 64 bits of such units, far
// beyond any real amount, goes on as a double, written with 15 significant
// digits).
QList<Pedimento> pedimentos(const QList<Item> &items, int operation);

// Rows of text for the imported-goods grid (dbMI), 15 cells in the order of
// ImportCol (rules/grid_columns.h), one per import item (operation 1) whose
// fraction is one of unitCostItems (the tariff items of the request's unit
// costs; both compared trimmed) and whose pedimento is in `chosen` (empty:
// all). Clave = key, Pedimento = number, FechaPago = dd/mm/yyyy, Fraccion,
// Pais = countryNames' name for the code (the code itself when unknown),
// CantidadImportada = the tariff quantity when tariffUnit, else the
// commercial one, ValorTotal = customsValue; the other cells empty (the
// rate and price come later, from the tariff item's unit cost).
QList<QStringList> importRows(const QList<Item> &items, const QStringList &unitCostItems,
                              const QHash<QString, QString> &countryNames, bool tariffUnit,
                              const QSet<QString> &chosen = {});
// The row of one item, as importRows makes it.
QStringList importRow(const Item &item, const QHash<QString, QString> &countryNames, bool tariffUnit);

// Rows for the direct-export grid (dbED), 8 cells in the order of
// DirectExportCol, one per export pedimento (operation 2) in `chosen` (empty:
// all), in the order of their first item: Pedimento, Fecha (dd/mm/yyyy),
// PaisDestino (name as above, of the first item), CantidadTotal (sum of the
// items' quantities, tariff or commercial as tariffUnit says), ValorTotal
// (sum of ValorDolares); CantidadExportada, ValorUtilizado and
// SaldoDocumento empty. Sums exact, as for pedimentos.
QList<QStringList> exportRows(const QList<Item> &items, const QHash<QString, QString> &countryNames, bool tariffUnit,
                              const QSet<QString> &chosen = {});

} // namespace DataStage

Q_DECLARE_TYPEINFO(DataStage::Item, Q_RELOCATABLE_TYPE);

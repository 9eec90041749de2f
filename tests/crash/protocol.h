#pragma once

// What the two halves of quelvar-ensayo-cortes share: the lines the child
// writes to its parent, the phases of the child's work, and the text form
// of a field value that both sides compare.
//
// The child writes one line before an operation starts ("inicio", with what
// the operation may change) and, once the operation has returned, one block
// saying what is now in the tables, closed by "hecho". A block goes out in
// a single write(2), so that a kill leaves it whole or absent: an operation
// without its "hecho" was in flight when the child died.
//
// Lines are words separated by tabs; a tab, a line break or a backslash in
// a value travels as \t, \n or \\.
//
//   abierto TABLA N HASH          at start: what the window opened with
//   listo                         the child starts its loop
//   inicio FASE [TABLA [ARG]]     an operation begins (ARG: a row or a key)
//   registro TABLA FILA V1 … Vn   row FILA (0-based, live rows) now holds
//                                 these values; FILA = count: a new row
//   borrada TABLA FILA            row FILA was deleted
//   vaciada TABLA                 every row of the table was deleted
//   recuperado                    the tables are now those of drive A
//   aviso TEXTO                   a message the operation showed
//   hecho MS                      the operation ended, after MS milliseconds
//   fallo TEXTO                   the child cannot go on (a start refused)

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace CrashTrial {

enum class Phase {
    Start,        // the program starting, before the loop
    Save,         // "Grabar datos"
    Tab,          // a change of tab, which saves
    NewRow,       // a row typed on a grid's new-record line and written
    EditRow,      // a cell of a stored row typed over and the row written
    DeleteRow,    // a row deleted from its grid
    EraseAll,     // command 2: the company and the request erased
    EraseRequest, // command 3: the request erased
    Recover,      // command 7: the request read back from drive A
    Between,      // between operations
};
constexpr int kPhases = int(Phase::Between) + 1;

QString phaseName(Phase phase);
// -1 when the name is not a phase.
int phaseIndex(const QString &name);

// The seven request tables, in the order of the exchange medium.
const QStringList &tables();
// The field whose value tells apart the rows the child adds to a table.
QString keyField(const QString &table);

using Row = QStringList; // the text form of each field, in field order

// A table as read: field names and types, and its live rows in table order.
struct Content {
    QStringList fields;
    QByteArray types; // 'C', 'N', 'D', 'L' … per field
    QList<Row> rows;
    int deleted = 0; // records marked deleted
};

// A field value as text: empty for a null or blank value, a number in its
// plain decimal form, a date as yyyy-mm-dd, a flag as T or F.
QString valueText(const QVariant &value);
// The same for a value python3-dbf gave (via dbf_tool.py), by field type.
QString jsonText(const QJsonValue &value, char type);

// Reads a table file with our engine: opens it, reads every record, the
// deleted ones too, and decodes every field. Throws StoreError.
Content readTable(const QString &path);

// A digest of rows, the same on both sides.
QString rowsHash(const QList<Row> &rows);

QByteArray line(const QStringList &words);
QStringList words(const QByteArray &line); // without the line break

} // namespace CrashTrial

#pragma once

#include <QBitArray>
#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "exchange/unfinished_work.h"
#include "incoming/row_files.h"

class DbfTable;
class Recordset;

// Rows that come into a document grid from outside (a pasted block, a
// spreadsheet, a customs package) are judged as if the user typed them:
// each given cell, from left to right, goes through the rules a cell left
// in the grid goes through (keys taken, upper case, length, date, pedimento
// number, picker lists, the figures derived from it and the refusals of
// used amounts), and then the record is built as the table would store it,
// so that a value the table cannot hold refuses its row as well. Nothing is
// written here: the result says, row by row, what would be written or why
// not.
namespace IncomingRows {

// What the request window holds that the rules read.
struct Context {
    QString grid;       // dbCU, dbMI, dbED, dbEI or dbITLC
    quint8 opcDT = 0;   // the request mode of the imported goods
    QString shown;      // "1" for each column shown; empty: all
    QString locked;     // "1" for each locked column; empty: none
    QDate today;
    QStringList lengthMessages;   // the grid cells' length messages, by entry
    QStringList documentKeys;     // the key catalogue, in table order
    QStringList fractionLines;    // the tariff-item picker's lines
    QStringList countryCatalogue; // every country's name, in table order
    QStringList countries;        // the request's countries, which the country cells offer
};

struct Remark {
    int row = 0;      // of the rows given, from 0
    int column = 0;   // of the grid
    QString value;    // as given
    QString message;
};

struct RowResult {
    QByteArray record;         // the record to write; empty when refused
    QList<Remark> refusals;    // why the row is not taken
    QList<Remark> flags;       // taken as given, but not found in a list
    bool accepted() const { return refusals.isEmpty(); }
};

struct Checked {
    QList<RowResult> rows;
    QString locked;            // the lock of each column once the rows ran
    int accepted = 0;
    int refused = 0;
    bool cancelled = false;    // progress said to stop: the rows are partial
};

// Told the rows checked so far, now and then; false stops the check.
using Progress = std::function<bool(int done)>;

// What the place the rows come from says of them besides their texts.
struct Source {
    // How each grid column writes its figures (see RowFiles::DecimalVote);
    // a column not told, or Unknown, is read with a decimal point.
    QList<RowFiles::Decimal> decimals;
    // The cells of each row, by grid column, that came as numbers (a
    // spreadsheet's): plain decimal text already, whatever the style.
    QList<QBitArray> numbers;
    // Cells the file could not give (RowFiles::Fault), by row and grid
    // column: each refuses its row.
    QList<Remark> faults;
};

// How each grid column of the rows writes its figures, from what its
// texts say (columns of no figures: Point). A file writes its figures one
// way: a column whose texts do not tell takes the style the other columns
// agree on. A column left Unknown (its texts disagree, or nothing in the
// rows tells) is one to ask the user about.
QList<RowFiles::Decimal> decimalStyles(const Context &context, const DbfTable &table, const QList<QStringList> &rows,
                                       const Source &source = {});

// rows: the cells of each row by grid column; a null string is a cell not
// given (it keeps what the row held), an empty one a cell emptied (in a new
// row, where there is nothing to empty, a blank cell is one not given). bases:
// for each row, the record it changes (its bytes), or nothing for a new
// record; shorter than rows when the last rows are new.
Checked check(const Context &context, const DbfTable &table, const QList<QStringList> &rows,
              const QList<QByteArray> &bases = {}, const Progress &progress = {}, const Source &source = {});

// What a write of rows did, for taking it back.
struct Written {
    QString table;        // the table's file name in the folder
    quint32 count = 0;    // its records before
    QList<UnfinishedWork::Replaced> replaced;
    int appended = 0;
};

// Writes the rows taken as one step: each row with a record of its own
// (targets: the record number, or -1) rewrites it, the others are added
// at the end in one write, and the table reaches the disk once. A note in
// the folder covers the step, so that a program that dies in the middle
// leaves the table as it was at the next start. Throws StoreError with
// the table as it was.
Written write(const QString &folder, Recordset &rs, const Checked &checked, const QList<qint64> &targets = {});
// Puts the table back as it was before the write, as one step too.
void undo(const QString &folder, Recordset &rs, const Written &written);

} // namespace IncomingRows

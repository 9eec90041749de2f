#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class Recordset;

// The totals of the grids, read from their stored records: exact sums of
// the stored amounts (running_total.h), rounded once as the window shows
// them. The sums are kept beside each open table and brought up to date by
// every record the program writes; a table is read whole only the first
// time, or when it changed behind the program's back.
namespace GridTotals {

// The unit costs (table insunit): the sum of COSTO_UNIT over every record,
// "0" for none. The walk reads the rows without moving the current record.
// Nothing (the total keeps its text) for refund options 3 and 5, which have
// no unit costs.
std::optional<QString> unitCosts(Recordset &insunit, int opcDT);

// How the imported goods are totalled: the totalling mode of the request,
// and for mode 2 whether the request is a transfer under appendix 8, which
// counts only the part of the non-originating amounts not exported to the
// TLCAN (percentage, as typed).
struct Totalling {
    int mDev = 0;
    bool transfer = false;
    bool appendix8 = false;
    double percentage = 0;
};

struct ImportTotals {
    QString originating = QStringLiteral("0");
    QString nonOriginating = QStringLiteral("0");
    // The refund requested: their sum, "0" when the table has no record
    // (whatever the request kept from before, the rows stored are what is
    // asked for).
    QString requested = QStringLiteral("0");
};

// Whether a country of origin is in the TLCAN: its name exactly as the
// country catalogue spells the two.
bool isTlcanOrigin(QByteArrayView storedName);

// The imported goods (table insupedi): the amount of each record (its
// MONT_SOLIC; a record without one counts for nothing) goes to the
// originating or the non-originating total by the mode and its country.
// The walk goes from the first record to the last and leaves the record set
// past the last.
ImportTotals importedGoods(Recordset &insupedi, const Totalling &how);

// The sums of some fields over every stored record, a null field counting
// for nothing; "0" each for none.
QStringList fieldSums(Recordset &table, const QStringList &fields);

// Keeps the sums the window's totals of the table need from the table's
// first reading on: called as the table opens, before its rows are counted.
// Takes the sums kept from the last session for a table no one wrote since.
void follow(Recordset &rs);
// Keeps the sums of the tables given, each as its file now stands, for the
// next start (in the request folder, beside the tables).
void keepForNextStart(const QString &folder, const QList<Recordset *> &tables);

// The fields the totals of the export documents and the TLCAN imports add,
// in the order of their total boxes. An indirect export's values are taken
// in pesos or in dollars, as the grid's first row shown holds them.
QStringList directExportFields();
QStringList indirectExportFields(bool pesos);
QStringList tlcanFields();

// The non-originating amount refunded may not exceed the duties paid on
// the TLCAN imports of the goods: when the non-originating total shown is
// above them, it becomes the duties and the refund requested is taken again
// (the totals are given as the window shows them). Nothing when it is not
// above: the imported goods are totalled as usual.
struct Capped {
    QString nonOriginating;
    QString requested;
};
std::optional<Capped> capNonOriginating(const QString &nonOriginating, const QString &originating,
                                        const QString &tlcanDuties);

} // namespace GridTotals

#include "grid_totals.h"

#include "checks/number_text.h"
#include "running_total.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/store_error.h"

#include <QByteArrayView>
#include <vector>

namespace GridTotals {

namespace {

int requiredField(const Recordset &rs, const char *name)
{
    const int index = rs.fieldIndex(QString::fromLatin1(name));
    if (index < 0)
        throw StoreError(QStringLiteral("La tabla «%1» no tiene el campo %2.").arg(rs.tableName(), QString::fromLatin1(name)));
    return index;
}

bool isNumeric(const Recordset &rs, int field) { return rs.table() && rs.table()->field(field).isNumeric(); }

} // namespace

std::optional<QString> unitCosts(Recordset &insunit, int opcDT)
{
    if (opcDT == 3 || opcDT == 5)
        return std::nullopt;
    const int cost = requiredField(insunit, "COSTO_UNIT");
    const bool numeric = isNumeric(insunit, cost);
    RunningTotal total;
    insunit.forEachRecord([&](const RecordView &record) { total.add(RunningTotal::Amount(record, cost, numeric)); });
    return total.text();
}

bool isTlcanOrigin(QByteArrayView storedName)
{
    return storedName == QByteArrayView("ESTADOS UNIDOS DE AMERICA") || storedName == QByteArrayView("CANADA");
}

ImportTotals importedGoods(Recordset &insupedi, const Totalling &how)
{
    ImportTotals out;
    const int rows = insupedi.rowCount();
    if (rows == 0)
        return out;
    const int amountField = requiredField(insupedi, "MONT_SOLIC");
    const int countryField = requiredField(insupedi, "PAIS_IMPOR");
    const bool byOrigin = how.mDev == 2 || how.mDev == 3;
    // Under appendix 8 a transfer counts the share not exported to the TLCAN.
    const bool shareOnly = how.transfer && how.appendix8;
    const bool numeric = isNumeric(insupedi, amountField);
    RunningTotal originating;
    RunningTotal nonOriginating;
    insupedi.forEachRecord([&](const RecordView &record) {
        const RunningTotal::Amount amount(record, amountField, numeric);
        if (amount.isNull())
            return;
        const bool tlcan = byOrigin && isTlcanOrigin(record.storedBytes(countryField));
        switch (how.mDev) {
        case 0:
        case 1:
            originating.add(amount);
            break;
        case 2:
            if (tlcan)
                originating.add(amount);
            else if (shareOnly)
                nonOriginating.add(amount.value() * (100 - how.percentage) / 100);
            else
                nonOriginating.add(amount);
            break;
        case 3:
            if (tlcan)
                originating.add(amount);
            break;
        default:
            // Mode 4 counts nothing; so does a mode of no meaning.
            break;
        }
    });
    // As a walk from the first record to the last would, the set ends past
    // the last record (the grid's cursor follows it there).
    insupedi.moveToRow(rows);
    out.originating = originating.text();
    out.nonOriginating = nonOriginating.text();
    RunningTotal requested = nonOriginating;
    requested.add(originating);
    out.requested = requested.text();
    return out;
}

QStringList fieldSums(Recordset &table, const QStringList &fields)
{
    QList<int> indexes;
    QList<bool> numeric;
    for (const QString &f : fields) {
        indexes.append(requiredField(table, f.toLatin1().constData()));
        numeric.append(isNumeric(table, indexes.last()));
    }
    std::vector<RunningTotal> sums(size_t(fields.size()));
    table.forEachRecord([&](const RecordView &record) {
        for (qsizetype i = 0; i < indexes.size(); ++i)
            sums[size_t(i)].add(RunningTotal::Amount(record, indexes[i], numeric[i]));
    });
    QStringList out;
    for (const RunningTotal &sum : sums)
        out.append(sum.text());
    return out;
}

QStringList StoredSums::of(Recordset &table, const QStringList &fields)
{
    const quint64 generation = table.table() ? table.table()->generation() : 0;
    Taken &taken = taken_[table.tableName()];
    if (generation == 0 || taken.generation != generation || taken.fields != fields)
        taken = {generation, fields, fieldSums(table, fields)};
    return taken.sums;
}

QStringList directExportFields()
{
    return {QStringLiteral("CANT_TOTAL"), QStringLiteral("CANT_UTIL"), QStringLiteral("VAL_TOTPED"),
            QStringLiteral("VALOR_UTI")};
}

QStringList indirectExportFields(bool pesos)
{
    return {QStringLiteral("CANT_TOTAL"), QStringLiteral("CANT_UTIL"),
            pesos ? QStringLiteral("VALTOTNP") : QStringLiteral("VALTOTDLL"),
            pesos ? QStringLiteral("VALREPNP") : QStringLiteral("VALREPDLL")};
}

QStringList tlcanFields() { return {QStringLiteral("CAN_MIMP"), QStringLiteral("MONT_SOLIC")}; }

std::optional<Capped> capNonOriginating(const QString &nonOriginating, const QString &originating,
                                        const QString &tlcanDuties)
{
    const double duties = decimalNumber(tlcanDuties).value_or(0);
    if (!(decimalNumber(nonOriginating).value_or(0) > duties))
        return std::nullopt;
    return Capped{tlcanDuties, decimalText(duties + decimalNumber(originating).value_or(0))};
}

} // namespace GridTotals

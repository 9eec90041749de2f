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

// Sums of some fields over the live records of a table, kept beside the
// table: read once, then brought up to date by each record the program
// writes, so a row written costs the same at any size. Split by origin,
// each field has two sums: the records from the TLCAN, then the others.
class KeptSums final : public DbfTable::Follower {
public:
    KeptSums(Recordset &rs, const QStringList &fields, const char *splitBy)
    {
        for (const QString &f : fields) {
            fields_.append(requiredField(rs, f.toLatin1().constData()));
            numeric_.append(isNumeric(rs, fields_.last()));
        }
        split_ = splitBy ? requiredField(rs, splitBy) : -1;
    }

    // The sums, read from the table again when they are behind it.
    const std::vector<RunningTotal> &of(Recordset &rs)
    {
        if (lost_ || followed != rs.table()->generation()) {
            sums_.assign(size_t(fields_.size() * (split_ < 0 ? 1 : 2)), RunningTotal());
            lost_ = false;
            rs.forEachRecord([this](const RecordView &record) { count(record, true); });
            followed = rs.table()->generation();
        }
        return sums_;
    }

    void recordChanged(const DbfTable &table, const char *before, const char *after) override
    {
        if (before && before[0] != '*')
            count(RecordView(table, before), false);
        if (after[0] != '*')
            count(RecordView(table, after), true);
        // A sum gone on in doubles would drift with each change: read again.
        for (const RunningTotal &sum : sums_)
            lost_ = lost_ || !sum.isExact();
    }

private:
    void count(const RecordView &record, bool in)
    {
        const size_t half = split_ >= 0 && !isTlcanOrigin(record.storedBytes(split_)) ? 1 : 0;
        for (qsizetype i = 0; i < fields_.size(); ++i) {
            const RunningTotal::Amount amount(record, fields_[i], numeric_[i]);
            RunningTotal &sum = sums_[size_t(i) * (split_ < 0 ? 1 : 2) + half];
            if (in)
                sum.add(amount);
            else
                sum.subtract(amount);
        }
    }

    QList<int> fields_;
    QList<bool> numeric_;
    int split_ = -1;
    bool lost_ = false;
    std::vector<RunningTotal> sums_;
};

const std::vector<RunningTotal> &keptSums(Recordset &rs, const QStringList &fields, const char *splitBy = nullptr)
{
    rs.rowCount(); // a table that cannot be read says so here
    DbfTable &table = *rs.table();
    const QString key = QStringLiteral("sumas %1 %2").arg(fields.join(u','), QString::fromLatin1(splitBy));
    auto *kept = static_cast<KeptSums *>(table.follower(key));
    if (!kept)
        kept = static_cast<KeptSums *>(&table.addFollower(key, std::make_unique<KeptSums>(rs, fields, splitBy)));
    return kept->of(rs);
}

} // namespace

std::optional<QString> unitCosts(Recordset &insunit, int opcDT)
{
    if (opcDT == 3 || opcDT == 5)
        return std::nullopt;
    return keptSums(insunit, {QStringLiteral("COSTO_UNIT")})[0].text();
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
    const std::vector<RunningTotal> &sums =
        keptSums(insupedi, {QStringLiteral("MONT_SOLIC")}, "PAIS_IMPOR");
    const RunningTotal &tlcan = sums[0];
    const RunningTotal &other = sums[1];
    RunningTotal originating;
    RunningTotal nonOriginating;
    switch (how.mDev) {
    case 0:
    case 1:
        originating.add(tlcan);
        originating.add(other);
        break;
    case 2:
        originating.add(tlcan);
        // Under appendix 8 a transfer counts the share not exported to the
        // TLCAN.
        if (how.transfer && how.appendix8)
            nonOriginating.add(other.text().toDouble() * (100 - how.percentage) / 100);
        else
            nonOriginating.add(other);
        break;
    case 3:
        originating.add(tlcan);
        break;
    default:
        // Mode 4 counts nothing; so does a mode of no meaning.
        break;
    }
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
    QStringList out;
    for (const RunningTotal &sum : keptSums(table, fields))
        out.append(sum.text());
    return out;
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

#include "grid_totals.h"

#include "checks/number_text.h"
#include "store/recordset.h"

#include <QByteArrayView>

namespace GridTotals {

namespace {

// One addition as the window makes it: the total shown plus the amount,
// written back as the window writes it.
double added(double total, double amount) { return decimalRounded(total + amount); }

} // namespace

std::optional<QString> unitCosts(Recordset &insunit, int opcDT)
{
    if (opcDT == 3 || opcDT == 5)
        return std::nullopt;
    const int cost = insunit.fieldIndex(QStringLiteral("COSTO_UNIT"));
    double total = 0;
    const int rows = insunit.rowCount();
    for (int row = 0; row < rows; ++row) {
        const QVariant value = insunit.valueAt(row, cost);
        if (!value.isNull())
            total = added(total, value.toDouble());
    }
    return decimalText(total);
}

bool isTlcanOrigin(QByteArrayView storedName)
{
    return storedName == QByteArrayView("ESTADOS UNIDOS DE AMERICA") || storedName == QByteArrayView("CANADA");
}

ImportTotals importedGoods(Recordset &insupedi, const Totalling &how)
{
    ImportTotals out;
    insupedi.MoveFirst();
    if (insupedi.Eof())
        return out;
    const int amountField = insupedi.fieldIndex(QStringLiteral("MONT_SOLIC"));
    const int countryField = insupedi.fieldIndex(QStringLiteral("PAIS_IMPOR"));
    const bool byOrigin = how.mDev == 2 || how.mDev == 3;
    // Under appendix 8 a transfer counts the share not exported to the TLCAN.
    const bool shareOnly = how.transfer && how.appendix8;
    double originating = 0;
    double nonOriginating = 0;
    for (; !insupedi.Eof(); insupedi.MoveNext()) {
        bool isNull = false;
        const double amount = insupedi.number(amountField, &isNull);
        if (isNull)
            continue;
        const bool tlcan = byOrigin && isTlcanOrigin(insupedi.storedBytes(countryField));
        switch (how.mDev) {
        case 0:
        case 1:
            originating = added(originating, amount);
            break;
        case 2:
            if (tlcan)
                originating = added(originating, amount);
            else if (shareOnly)
                nonOriginating = added(nonOriginating, amount * (100 - how.percentage) / 100);
            else
                nonOriginating = added(nonOriginating, amount);
            break;
        case 3:
            if (tlcan)
                originating = added(originating, amount);
            break;
        default:
            // Mode 4 counts nothing; so does a mode of no meaning.
            break;
        }
    }
    out.originating = decimalText(originating);
    out.nonOriginating = decimalText(nonOriginating);
    out.requested = decimalText(nonOriginating + originating);
    return out;
}

} // namespace GridTotals

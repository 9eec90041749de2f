// The customs Data Stage package. The first byte of the input chooses how
// the rest comes: even, as the package's .zip; odd, as file "x_551.asc" of
// an unpacked package's folder. The items read are then summed into
// pedimentos and rows of both grids, as the import dialog does.
//
// A StoreError is a package refused, as the program shows it: an expected
// outcome. A crash, a sanitizer report, any other exception, or items
// against what the reader promises is a finding: a pedimento number that is
// not 15 digits starting with its payment year, an invalid payment date, an
// amount that is not plain decimal text, two items of one pedimento with
// the same sequence, a line refused without its number or reason,
// pedimentos whose items do not add up to those of their operation, or
// export rows that are not one per export pedimento.
#include "fuzz_support.h"

#include "incoming/data_stage.h"
#include "store/store_error.h"

#include <QDir>
#include <QSet>

#include <algorithm>

namespace {

using FuzzSupport::broken;

bool digits(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// "-12.5", "0", "0.25": no sign on zero, no leading zeros, no trailing
// decimal zeros; or empty.
bool plainDecimal(QStringView t)
{
    if (t.isEmpty())
        return true;
    const bool negative = t.startsWith(u'-');
    const QStringView number = t.mid(negative ? 1 : 0);
    const qsizetype point = number.indexOf(u'.');
    const QStringView whole = point < 0 ? number : number.left(point);
    const QStringView fraction = point < 0 ? QStringView() : number.mid(point + 1);
    if (whole.isEmpty() || !digits(whole) || (whole.size() > 1 && whole.front() == u'0') || !digits(fraction))
        return false;
    if (point >= 0 && (fraction.isEmpty() || fraction.back() == u'0'))
        return false;
    return !(negative && whole == u"0" && fraction.isEmpty());
}

void check(const DataStage::Package &package)
{
    const QList<DataStage::Item> &items = package.items;
    for (const DataStage::Refused &r : package.refused)
        if (r.line < 1 || r.reason.isEmpty() || r.file.isEmpty())
            broken("una línea rechazada sin su número o su razón", r.text());
    if (package.repeated < 0 || package.notes().size() != package.refused.size() + (package.repeated > 0))
        broken("las notas no dicen las repetidas y cada línea rechazada");
    QSet<std::pair<QString, int>> sequences;
    qsizetype byOperation[2] = {};
    for (const DataStage::Item &item : items) {
        if (!item.paid.isValid())
            broken("una partida sin fecha de pago válida");
        if (item.pedimento.size() != 15 || !digits(item.pedimento)
            || item.pedimento.left(2).toInt() != item.paid.year() % 100)
            broken("un número de pedimento que no es de 15 dígitos con su año", item.pedimento);
        for (const QString *amount : {&item.unitPrice, &item.customsValue, &item.dollarValue, &item.tariffQuantity,
                                      &item.commercialQuantity})
            if (!plainDecimal(*amount))
                broken("un importe que no es un decimal simple", *amount);
        if (item.sequence > 0) {
            const std::pair<QString, int> sequence{item.pedimento, item.sequence};
            if (sequences.contains(sequence))
                broken("dos partidas de un pedimento con la misma secuencia", item.pedimento);
            sequences.insert(sequence);
        }
        if (item.operation == 1 || item.operation == 2)
            ++byOperation[item.operation - 1];
    }
    for (const int operation : {1, 2}) {
        const QList<DataStage::Pedimento> list = DataStage::pedimentos(items, operation);
        qsizetype counted = 0;
        for (const DataStage::Pedimento &p : list)
            counted += p.items;
        if (counted != byOperation[operation - 1])
            broken("los pedimentos no suman las partidas de su operación");
        if (operation == 2 && DataStage::exportRows(items, {}, false).size() != list.size())
            broken("la exportación directa no da un renglón por pedimento de exportación");
    }
    QStringList fractions;
    for (qsizetype i = 0; i < std::min<qsizetype>(items.size(), 4); ++i)
        fractions << items[i].fraction;
    DataStage::importRows(items, fractions, {}, true);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString zip = FuzzSupport::scratchFolder() + QStringLiteral("/paquete.zip");
    static const QString folder = FuzzSupport::scratchFolder() + QStringLiteral("/paquete");
    static const bool made = QDir().mkpath(folder) || (broken("no se pudo crear la carpeta", folder), false);
    (void)made;
    if (size == 0)
        return 0;
    const bool zipped = data[0] % 2 == 0;
    const QString package = zipped ? zip : folder;
    FuzzSupport::writeFile(zipped ? zip : folder + QStringLiteral("/x_551.asc"),
                           reinterpret_cast<const char *>(data + 1), size - 1);
    DataStage::Package given;
    try {
        given = DataStage::read(package);
    } catch (const StoreError &) {
        return 0;
    } catch (...) {
        broken("una excepción que no es StoreError");
    }
    check(given);
    return 0;
}

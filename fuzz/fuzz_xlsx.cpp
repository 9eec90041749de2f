// The .xlsx reader of grid rows, fed a whole file: the zip, the package's
// relations, the workbook, shared strings and styles (QXmlStreamReader) and
// the worksheet (XmlScanner). Parts are best stored uncompressed in the
// seeds: a changed byte then reaches the XML parsers, which read a part
// whole before its checksum is compared.
//
// A StoreError is a file refused, as the program shows it: an expected
// outcome. A crash, a sanitizer report, any other exception (the scanner's
// own included), or a sheet against what the reader promises is a finding:
// names or a row wider than a sheet's 16,384 columns, a row narrower than
// the names, with no text and no fault, rows and their row numbers or
// number marks out of step, or a fault outside its row.
#include "fuzz_support.h"

#include "incoming/row_files.h"
#include "store/store_error.h"

#include <algorithm>

namespace {

using FuzzSupport::broken;

constexpr qsizetype kColumns = 16384;

bool noText(const QStringList &row)
{
    return std::all_of(row.begin(), row.end(), [](const QString &c) { return c.isEmpty(); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = FuzzSupport::scratchFolder() + QStringLiteral("/libro.xlsx");
    FuzzSupport::writeFile(path, reinterpret_cast<const char *>(data), size);
    RowFiles::Sheet sheet;
    try {
        sheet = RowFiles::readXlsx(path);
    } catch (const StoreError &) {
        return 0;
    } catch (...) {
        broken("una excepción que no es StoreError");
    }
    if (sheet.names.size() > kColumns)
        broken("nombres más anchos que una hoja", QString::number(sheet.names.size()));
    if (sheet.lines.size() != sheet.rows.size() || sheet.numbers.size() > sheet.rows.size())
        broken("los renglones, sus números y sus marcas de cifras no van a la par");
    QList<bool> faulty(sheet.rows.size());
    for (const RowFiles::Fault &f : sheet.faults) {
        if (f.row < 0 || f.row >= sheet.rows.size() || f.column < 0 || f.column >= sheet.rows[f.row].size()
            || f.message.isEmpty())
            broken("una falla fuera de su renglón", f.address);
        faulty[f.row] = true;
    }
    for (qsizetype r = 0; r < sheet.rows.size(); ++r) {
        const QStringList &row = sheet.rows[r];
        if (row.size() > kColumns || row.size() < sheet.names.size())
            broken("un renglón más ancho que una hoja o más angosto que los nombres",
                   QStringLiteral("%1 celdas, %2 nombres").arg(row.size()).arg(sheet.names.size()));
        if (noText(row) && !faulty[r])
            broken("un renglón sin nada");
        if (r < sheet.numbers.size() && sheet.numbers[r].size() > row.size())
            broken("marcas de cifras más allá del renglón");
    }
    return 0;
}

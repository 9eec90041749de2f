// The .xlsx reader of grid rows, fed a whole file: the zip, the package's
// relations, the workbook, shared strings and styles (QXmlStreamReader) and
// the worksheet (XmlScanner). Parts are best stored uncompressed in the
// seeds: a changed byte then reaches the XML parsers, which read a part
// whole before its checksum is compared.
//
// A StoreError is a file refused, as the program shows it: an expected
// outcome. A crash, a sanitizer report, any other exception (the scanner's
// own included), or a sheet against what the reader promises is a finding:
// names with no text, a row wider than a sheet's 16,384 columns, narrower
// than the names or with no text at all.
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
    if (noText(sheet.names) || sheet.names.size() > kColumns)
        broken("nombres sin texto o más anchos que una hoja", QString::number(sheet.names.size()));
    for (const QStringList &row : sheet.rows) {
        if (row.size() > kColumns || row.size() < sheet.names.size())
            broken("un renglón más ancho que una hoja o más angosto que los nombres",
                   QStringLiteral("%1 celdas, %2 nombres").arg(row.size()).arg(sheet.names.size()));
        if (noText(row))
            broken("un renglón sin nada");
    }
    return 0;
}

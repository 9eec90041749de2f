// The CSV reader of grid rows, fed a whole file's bytes: its encodings, the
// separator it guesses and its quotes.
//
// A StoreError is a file refused, as the program shows it: an expected
// outcome. A crash, a sanitizer report, any other exception, a sheet with
// no names or with a row that has no text (such lines are skipped), a cell
// holding a CR LF (read as "\n"), a row our own CSV writing gives back
// otherwise, or rows whose lines are not one each, from 2 on and in order,
// is a finding.
#include "fuzz_support.h"

#include "incoming/row_files.h"
#include "store/csv_text.h"
#include "store/store_error.h"

#include <algorithm>

namespace {

using FuzzSupport::broken;

void check(const QStringList &row, const char *which)
{
    if (std::all_of(row.begin(), row.end(), [](const QString &c) { return c.trimmed().isEmpty(); }))
        broken("un renglón sin texto", QString::fromLatin1(which));
    for (const QString &cell : row)
        if (cell.contains(QLatin1String("\r\n")))
            broken("una celda con CR LF", cell);
    // A row as the files we write carry it reads back the same.
    const QList<QStringList> again = CsvText::parse(CsvText::line(row), QStringLiteral("fuzz.csv"));
    if (again.size() != 1 || again.first() != row)
        broken("un renglón escrito como CSV se lee distinto", CsvText::line(row));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    RowFiles::Sheet sheet;
    try {
        sheet = RowFiles::readCsv(bytes, QStringLiteral("fuzz.csv"));
    } catch (const StoreError &) {
        return 0;
    } catch (...) {
        broken("una excepción que no es StoreError");
    }
    check(sheet.names, "los nombres");
    for (const QStringList &row : sheet.rows)
        check(row, "un renglón");
    if (sheet.lines.size() != sheet.rows.size())
        broken("los renglones y sus líneas no son tantos unos como otras");
    for (qsizetype i = 0; i < sheet.lines.size(); ++i)
        if (sheet.lines[i] < 2 || (i > 0 && sheet.lines[i] <= sheet.lines[i - 1]))
            broken("las líneas de los renglones no van en orden", QString::number(sheet.lines[i]));
    return 0;
}

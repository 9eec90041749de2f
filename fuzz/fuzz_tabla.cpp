// The table reader, fed a whole table file: it opens it, walks and reads
// every record every way the program reads them and, when the file opened
// for writing, adds, edits and deletes a record and opens the file again.
//
// A StoreError is a table refused or an operation declined, as the program
// shows it to the user: an expected outcome. A crash, a sanitizer report,
// any other exception, a walk that does not end, or a file that our own
// successful writes left unreadable is a finding.
#include "fuzz_support.h"

#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/store_error.h"

#include <QDate>

namespace {

// Reads every record: forwards, backwards, by row and by the walk the views
// use, every field in each way at least once (each record is not read every
// way: the decoding is the same, and the fuzzer runs twice as fast).
// Answers the number of live records.
long readAll(Recordset &rs)
{
    const int fields = rs.fieldCount();
    long forwards = 0;
    bool isNull = false;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
        for (int f = 0; f < fields; ++f)
            rs.value(f);
        ++forwards;
    }
    long backwards = 0;
    for (rs.MoveLast(); !rs.Eof(); rs.MovePrevious()) {
        if (backwards == 0)
            for (int f = 0; f < fields; ++f)
                rs.Fields(f).Value();
        rs.number(int(backwards % fields), &isNull);
        ++backwards;
    }
    const long count = rs.RecordCount();
    if (forwards != count || backwards != count)
        FuzzSupport::broken("los recorridos no cuentan los mismos registros",
                            QStringLiteral("%1 hacia adelante, %2 hacia atrás, %3 contados")
                                .arg(forwards)
                                .arg(backwards)
                                .arg(count));
    for (const long row : {0L, count / 2, count - 1})
        if (row >= 0)
            for (int f = 0; f < fields; ++f)
                rs.valueAt(int(row), f);
    long visited = 0;
    rs.forEachRecord([&](const RecordView &record) {
        for (int f = 0; f < fields; ++f) {
            if (rs.table()->field(f).isNumeric())
                record.number(f, &isNull);
            record.storedBytes(f);
        }
        record.value(int(visited % fields));
        ++visited;
    });
    if (visited != count)
        FuzzSupport::broken("el recorrido de las vistas no cuenta los registros");
    if (count > 0) {
        rs.moveToRow(int(count) - 1);
        if (rs.currentRow() != int(count) - 1)
            FuzzSupport::broken("el último renglón no queda como actual");
    }
    return count;
}

// A value each kind of field takes: short enough for any width.
QVariant sampleValue(const FieldDef &field, int round)
{
    switch (field.type) {
    case 'C':
        return QStringLiteral("ÑANDÚ %1").arg(round).left(field.length);
    case 'N':
    case 'F':
        return round % 2 ? QVariant(7) : QVariant(QStringLiteral("-%1").arg(round));
    case 'D':
        return QDate(2024, 2, 29).addDays(round);
    case 'L':
        return round % 2 == 0;
    default:
        return {};
    }
}

// Sets the first fields of the pending record; a value the field refuses
// is left out.
void fill(Recordset &rs, int round)
{
    const DbfTable &table = *rs.table();
    for (int f = 0; f < std::min(4, table.fieldCount()); ++f) {
        if (table.field(f).isMemo())
            continue;
        try {
            rs.setValue(f, sampleValue(table.field(f), round));
        } catch (const StoreError &) {
        }
    }
}

// Adds a record, edits the first one and deletes the last: true when every
// write went through.
bool writeSome(Recordset &rs)
{
    try {
        rs.AddNew();
        fill(rs, 1);
        rs.Update();
        rs.MoveFirst();
        if (!rs.Eof()) {
            rs.Edit();
            fill(rs, 2);
            rs.Update();
        }
        rs.MoveLast();
        if (!rs.Eof())
            rs.Delete();
        rs.Sync();
        return true;
    } catch (const StoreError &) {
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = FuzzSupport::scratchFolder() + QStringLiteral("/tabla.dbf");
    FuzzSupport::writeFile(path, reinterpret_cast<const char *>(data), size);

    std::unique_ptr<Recordset> rs;
    try {
        rs = std::make_unique<Recordset>(DbfTable::open(path));
        readAll(*rs);
    } catch (const StoreError &) {
        return 0;
    }
    if (rs->table()->isReadOnly())
        return 0;
    if (!writeSome(*rs))
        return 0;
    long count = 0;
    try {
        count = rs->RecordCount();
    } catch (const StoreError &) {
        return 0;
    }
    rs.reset();

    // Our own writes went through: the table must open again and read
    // back with the records they left.
    try {
        Recordset again(DbfTable::open(path));
        const long reread = readAll(again);
        if (reread != count)
            FuzzSupport::broken("la tabla vuelta a abrir no tiene los registros escritos",
                                QStringLiteral("%1 en vez de %2").arg(reread).arg(count));
    } catch (const StoreError &e) {
        FuzzSupport::broken("la tabla no se vuelve a abrir después de escribir en ella", e.message());
    }
    return 0;
}

// The table reader, fed a whole table file: it opens it, walks and reads
// every record every way the program does and, when the file opened for
// writing, adds, edits and deletes a record and opens the file again.
//
// A StoreError is a table refused or an operation declined, as the program
// shows it to the user: an expected outcome. A crash, a sanitizer report,
// any other exception, walks that count differently, or a file that our own
// successful writes left unreadable is a finding.
#include "fuzz_support.h"

#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/store_error.h"

#include <QDate>

namespace {

// Reads every field forwards, numbers backwards, the stored bytes by the
// views' walk; answers the number of live records, which all walks agree on.
long readAll(Recordset &rs)
{
    const int fields = rs.fieldCount();
    long forwards = 0, backwards = 0, visited = 0;
    bool isNull = false;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext(), ++forwards)
        for (int f = 0; f < fields; ++f)
            rs.value(f);
    for (rs.MoveLast(); !rs.Eof(); rs.MovePrevious(), ++backwards)
        rs.number(int(backwards % fields), &isNull);
    rs.forEachRecord([&](const RecordView &record) {
        for (int f = 0; f < fields; ++f)
            rs.table()->field(f).isNumeric() ? void(record.number(f, &isNull)) : void(record.storedBytes(f));
        ++visited;
    });
    if (const long count = rs.RecordCount(); forwards != count || backwards != count || visited != count)
        FuzzSupport::broken("los recorridos no cuentan los mismos registros",
                            QStringLiteral("%1, %2, %3 de %4").arg(forwards).arg(backwards).arg(visited).arg(count));
    return forwards;
}

// Sets the first fields of the pending record and saves it; a value a field
// refuses is left out.
void fill(Recordset &rs, int round)
{
    for (int f = 0; f < std::min(4, rs.fieldCount()); ++f) {
        const FieldDef &field = rs.table()->field(f);
        try {
            if (!field.isMemo())
                rs.setValue(f, field.type == 'C'   ? QVariant(QStringLiteral("ÑANDÚ %1").arg(round).left(field.length))
                               : field.type == 'D' ? QVariant(QDate(2024, 2, 29).addDays(round))
                               : field.type == 'L' ? QVariant(round % 2 == 0)
                                                   : QVariant(round % 2 ? "7" : "-2"));
        } catch (const StoreError &) {
        }
    }
    rs.Update();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = FuzzSupport::scratchFolder() + QStringLiteral("/tabla.dbf");
    FuzzSupport::writeFile(path, reinterpret_cast<const char *>(data), size);
    long count = 0;
    try {
        auto rs = std::make_unique<Recordset>(DbfTable::open(path));
        readAll(*rs);
        if (rs->table()->isReadOnly())
            return 0;
        rs->AddNew();
        fill(*rs, 1);
        rs->MoveFirst();
        rs->Edit();
        fill(*rs, 2);
        rs->MoveLast();
        rs->Delete();
        rs->Sync();
        count = rs->RecordCount();
    } catch (const StoreError &) {
        return 0;
    }
    // Our own writes went through: the table opens again with what they left.
    try {
        Recordset again(DbfTable::open(path));
        if (readAll(again) != count)
            FuzzSupport::broken("la tabla vuelta a abrir no tiene los registros escritos");
    } catch (const StoreError &e) {
        FuzzSupport::broken("la tabla no se vuelve a abrir después de escribir en ella", e.message());
    }
    return 0;
}

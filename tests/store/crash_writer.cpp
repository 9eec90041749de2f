// Child of the crash test: writes to a table until it is killed.
//
//   crash_writer TABLE SEED FIRST_VALUE
//
// Opens TABLE (making it when absent) and prints "O <records>", then appends
// record n (SEQ n, TEXTO and FECHA from n, VALOR 0) and prints "A <n>"; after
// every third append it sets VALOR of a record picked at random to the next
// number after FIRST_VALUE and prints "E <row> <value>". A line is printed,
// in one write(2), only once its write has returned.

#include "crash_record.h"

#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/store_error.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <cstdio>
#include <unistd.h>

static void say(const QByteArray &line)
{
    if (::write(STDOUT_FILENO, (line + '\n').constData(), size_t(line.size() + 1)) != line.size() + 1)
        _exit(3);
}

int main(int argc, char **argv)
{
    if (argc != 4)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    QRandomGenerator rng(quint32(QByteArray(argv[2]).toULong()));
    qint64 value = QByteArray(argv[3]).toLongLong();
    try {
        if (!QFileInfo::exists(path))
            DbfTable::create(path, CrashRecord::fields());
        Recordset rs(DbfTable::open(path));
        long n = rs.RecordCount();
        say("O " + QByteArray::number(qint64(n)));
        for (;;) {
            rs.AddNew();
            const QVariantList values{double(n), CrashRecord::text(n), CrashRecord::date(n), 0};
            for (int f = 0; f < values.size(); ++f)
                rs.setValue(f, values[f]);
            rs.Update();
            say("A " + QByteArray::number(qint64(n++)));
            if (n % 3 == 0) {
                const int row = int(rng.bounded(quint32(n)));
                rs.moveToRow(row);
                rs.Edit();
                rs.setValue(CrashRecord::kValue, double(++value));
                rs.Update();
                say("E " + QByteArray::number(row) + ' ' + QByteArray::number(value));
            }
        }
    } catch (const StoreError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
}

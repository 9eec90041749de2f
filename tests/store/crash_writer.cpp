// Child of test_crash_safety: writes to a table until it is killed.
//
//   crash_writer TABLE SEED FIRST_VALUE
//
// Opens TABLE (creating it when absent), prints "O <records>", then loops:
// appends record number n (SEQ n, TEXTO and FECHA derived from n, VALOR 0)
// and prints "A <n>"; after every third append it sets VALOR of a record
// picked at random to the next number after FIRST_VALUE and prints
// "E <row> <value>". Each line is printed only once Update has returned, with
// one write(2), so every printed line stands for a finished write.

#include "crash_record.h"

#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/store_error.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <cstdio>
#include <unistd.h>

namespace {

void say(const QByteArray &line)
{
    const QByteArray text = line + '\n';
    if (::write(STDOUT_FILENO, text.constData(), size_t(text.size())) != text.size())
        _exit(3);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "uso: crash_writer TABLA SEMILLA PRIMER_VALOR\n");
        return 2;
    }
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
            rs.Fields(CrashRecord::kSeq).setValue(double(n));
            rs.Fields(CrashRecord::kText).setValue(CrashRecord::text(n));
            rs.Fields(CrashRecord::kDate).setValue(CrashRecord::date(n));
            rs.Fields(CrashRecord::kValue).setValue(0);
            rs.Update();
            say("A " + QByteArray::number(qint64(n)));
            ++n;
            if (n % 3 == 0) {
                const int row = int(rng.bounded(quint32(n)));
                rs.moveToRow(row);
                rs.Edit();
                rs.Fields(CrashRecord::kValue).setValue(double(++value));
                rs.Update();
                say("E " + QByteArray::number(row) + ' ' + QByteArray::number(value));
            }
        }
    } catch (const StoreError &e) {
        std::fprintf(stderr, "%s\n", e.message().toLocal8Bit().constData());
        return 1;
    }
}

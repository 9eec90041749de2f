// Child of the crash test: writes to a table until it is killed.
//
//   crash_writer TABLE SEED FIRST_VALUE
//
// Opens TABLE (making it when absent) and prints "O <records>", then appends
// record n (SEQ n, TEXTO n in words of digits, VALOR 0) and prints "A <n>";
// after every third append it sets VALOR of a record picked at random to the
// next number after FIRST_VALUE and prints "E <row> <value>". A line is
// printed, in one write(2), only once its write has returned.

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
            DbfTable::create(path, {numField(QStringLiteral("SEQ"), 9, 0), charField(QStringLiteral("TEXTO"), 60),
                                    numField(QStringLiteral("VALOR"), 12, 0)});
        Recordset rs(DbfTable::open(path));
        long n = rs.RecordCount();
        say("O " + QByteArray::number(qint64(n)));
        for (;;) {
            rs.AddNew();
            rs.setValue(0, double(n));
            rs.setValue(1, QString::number(n).split(QString(), Qt::SkipEmptyParts).join(QStringLiteral(" «ñ» ")));
            rs.setValue(2, 0);
            rs.Update();
            say("A " + QByteArray::number(qint64(n++)));
            if (n % 3 == 0) {
                const int row = int(rng.bounded(quint32(n)));
                rs.moveToRow(row);
                rs.Edit();
                rs.setValue(2, double(++value));
                rs.Update();
                say("E " + QByteArray::number(row) + ' ' + QByteArray::number(value));
            }
        }
    } catch (const StoreError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
}

// A writer killed at any moment leaves a table that opens and holds every
// write it reported. crash_writer appends and edits records, reporting each
// write once it has returned; it is killed after a random delay, round after
// round on the same growing table, and the table is checked after each round.
// The one write it may have finished without reporting is allowed and kept.
// QUELVAR_CRASH_SEED repeats a run; the seed in use is logged.

#include "python_dbf.h"
#include "test_registry.h"

#include "store/dbf_table.h"
#include "store/recordset.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

class TestCrashSafety : public QObject {
    Q_OBJECT

private slots:
    void killedWriterLosesNothingReported()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("crash.dbf"));
        bool fixed = false;
        quint32 seed = qEnvironmentVariable("QUELVAR_CRASH_SEED").toUInt(&fixed);
        seed = fixed ? seed : QRandomGenerator::global()->generate();
        qInfo("QUELVAR_CRASH_SEED=%u", seed);
        QRandomGenerator rng(seed);
        QList<qint64> values; // VALOR of every record written
        for (qint64 base = 10'000'000; base <= 400'000'000; base += 10'000'000) {
            QProcess child;
            child.start(QStringLiteral(CRASH_WRITER), {path, QString::number(rng.generate()), QString::number(base)});
            // The delay runs from the table's opening: a kill while loading is of no interest.
            QVERIFY(child.waitForReadyRead(30000) && child.canReadLine());
            QCOMPARE(child.readLine(), "O " + QByteArray::number(values.size()) + '\n');
            QTest::qWait(int(rng.bounded(1, 40)));
            child.kill();
            QVERIFY(child.waitForFinished(10000));
            QVERIFY2(child.exitStatus() == QProcess::CrashExit, child.readAllStandardError().constData());
            qint64 last = base;
            const QList<QByteArray> lines = child.readAllStandardOutput().split('\n');
            for (qsizetype i = 0; i + 1 < lines.size(); ++i) { // the last one may be cut short
                const QList<QByteArray> w = lines[i].split(' ');
                if (w.size() == 2 && w[0] == "A" && w[1].toLongLong() == values.size())
                    values.append(0);
                else if (w.size() == 3 && w[0] == "E" && w[1].toLongLong() < values.size()
                         && w[2].toLongLong() == last + 1)
                    values[w[1].toLongLong()] = ++last;
                else
                    QFAIL(lines[i].constData());
            }
            Recordset rs(DbfTable::open(path));
            QCOMPARE(quint32(rs.RecordCount()), rs.table()->recordCount()); // nothing deleted
            const bool unreportedAppend = rs.RecordCount() == values.size() + 1;
            QVERIFY(rs.RecordCount() == values.size() || unreportedAppend);
            if (unreportedAppend)
                values.append(0);
            int unreportedEdits = unreportedAppend;
            for (int n = 0; n < values.size(); ++n, rs.MoveNext()) {
                QCOMPARE(rs.value(0), QVariant(double(n)));
                QCOMPARE(rs.value(1).toString().remove(QStringLiteral(" «ñ» ")), QString::number(n));
                const qint64 v = qint64(rs.value(2).toDouble());
                QVERIFY2(v == values[n] || (v == last + 1 && ++unreportedEdits == 1), qPrintable(QString::number(n)));
                values[n] = v;
            }
        }
        QVERIFY(values.size() > 40);
        // python-dbf reads the survivor as well.
        const QString missing = PythonDbf::missingTools();
        QVERIFY2(missing.isEmpty(), qPrintable(missing));
        const QJsonObject dump = PythonDbf::dump(path, 1);
        QCOMPARE(dump[u"count"].toInteger(), values.size());
        QCOMPARE(dump[u"records"][0][u"values"][0].toInteger(), values.size() - 1);
        QCOMPARE(dump[u"records"][0][u"values"][2].toInteger(), values.last());
    }
};

QUELVAR_TEST_CLASS(TestCrashSafety)
#include "test_crash_safety.moc"

// A writer killed at any moment must leave a table that opens and holds every
// write it reported. crash_writer appends and edits records of one table and
// reports each write once it has returned; this test kills it with SIGKILL
// after a random delay, round after round on the same growing table, and
// checks the table against the reports after each round.
//
// Set QUELVAR_CRASH_SEED to repeat a run; the seed in use is logged.

#include "test_registry.h"
#include "crash_record.h"
#include "python_dbf.h"

#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/store_error.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

class TestCrashSafety : public QObject {
    Q_OBJECT

    static constexpr int kRounds = 40;
    static constexpr qint64 kValuesPerRound = 10'000'000;

    QTemporaryDir dir_;
    QList<qint64> values_; // VALOR of every record the child reported (or that was found complete)
    int unreported_ = 0;   // rounds that ended with a finished but unreported write

    // Checks every record against the reports; allows the one write the
    // child may have finished without reporting: an append of the next
    // record, or an edit setting `nextValue`. Adopts that write.
    void checkTable(const QString &path, qint64 nextValue)
    {
        std::unique_ptr<DbfTable> table;
        try {
            table = DbfTable::open(path);
        } catch (const StoreError &e) {
            QFAIL(qPrintable(QStringLiteral("la tabla no abre tras la interrupción: ") + e.message()));
        }
        Recordset rs(std::move(table));
        const long count = rs.RecordCount();
        QCOMPARE(quint32(count), rs.table()->recordCount()); // nothing marked deleted
        QVERIFY2(count == values_.size() || count == values_.size() + 1,
                 qPrintable(QStringLiteral("%1 registros, se informaron %2").arg(count).arg(values_.size())));
        const bool unreportedAppend = count > values_.size();
        if (unreportedAppend) {
            values_.append(0);
            ++unreported_;
        }
        int unreportedEdits = 0;
        long n = 0;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext(), ++n) {
            QCOMPARE(rs.Fields(CrashRecord::kSeq).Value().toDouble(), double(n));
            QCOMPARE(rs.Fields(CrashRecord::kText).Value().toString(), CrashRecord::text(n));
            QCOMPARE(rs.Fields(CrashRecord::kDate).Value().toDate(), CrashRecord::date(n));
            const qint64 v = qint64(rs.Fields(CrashRecord::kValue).Value().toDouble());
            if (v != values_[n]) {
                QVERIFY2(v == nextValue && !unreportedAppend && ++unreportedEdits == 1,
                         qPrintable(QStringLiteral("registro %1: VALOR %2, se esperaba %3").arg(n).arg(v).arg(values_[n])));
                values_[n] = v;
                ++unreported_;
            }
        }
        QCOMPARE(n, count);
    }

private slots:
    void killedWriterLosesNothingReported()
    {
        QVERIFY(dir_.isValid());
        const QString path = dir_.filePath(QStringLiteral("crash.dbf"));
        bool fixed = false;
        quint32 seed = qEnvironmentVariable("QUELVAR_CRASH_SEED").toUInt(&fixed);
        if (!fixed)
            seed = QRandomGenerator::global()->generate();
        qInfo("QUELVAR_CRASH_SEED=%u", seed);
        QRandomGenerator rng(seed);

        int edits = 0;
        for (int round = 1; round <= kRounds; ++round) {
            const qint64 base = round * kValuesPerRound;
            QProcess child;
            child.start(QStringLiteral(CRASH_WRITER),
                        {path, QString::number(rng.generate()), QString::number(base)});
            QVERIFY2(child.waitForStarted(), qPrintable(child.errorString()));
            // The kill timer starts once the table is open: a kill while the
            // program loads is of no interest.
            const QDeadlineTimer startup(30000);
            while (!child.canReadLine() && child.state() == QProcess::Running && !startup.hasExpired())
                child.waitForReadyRead(100);
            const QByteArray opened = child.readLine().trimmed();
            QVERIFY2(opened.startsWith("O "), qPrintable(QString::fromLocal8Bit(opened + child.readAllStandardError())));
            QCOMPARE(opened.mid(2).toLongLong(), qint64(values_.size()));

            QTest::qWait(int(rng.bounded(1, 40)));
            child.kill();
            QVERIFY(child.waitForFinished(10000));
            // Still writing when killed, not stopped by an error of its own.
            QVERIFY2(child.exitStatus() == QProcess::CrashExit,
                     qPrintable(QString::fromLocal8Bit(child.readAllStandardError())));

            // The reports, in order; a line cut short by the kill is not one.
            qint64 lastValue = base;
            const QList<QByteArray> lines = child.readAllStandardOutput().split('\n');
            for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
                const QList<QByteArray> w = lines[i].split(' ');
                if (w.value(0) == "A" && w.size() == 2) {
                    QCOMPARE(w[1].toLongLong(), qint64(values_.size()));
                    values_.append(0);
                } else if (w.value(0) == "E" && w.size() == 3) {
                    const qint64 row = w[1].toLongLong();
                    QVERIFY(row >= 0 && row < values_.size());
                    QCOMPARE(w[2].toLongLong(), lastValue + 1);
                    lastValue = w[2].toLongLong();
                    values_[row] = lastValue;
                    ++edits;
                } else {
                    QFAIL(qPrintable(QStringLiteral("línea inesperada: ") + QString::fromLatin1(lines[i])));
                }
            }
            checkTable(path, lastValue + 1);
            if (QTest::currentTestFailed())
                return;
        }
        qInfo("%lld registros, %d ediciones informadas, %d escrituras halladas sin informe", qint64(values_.size()),
              edits, unreported_);
        QVERIFY(values_.size() > kRounds);
        QVERIFY(edits > 0);

        // python-dbf reads the survivor as well.
        const QString missing = PythonDbf::missingTools();
        QVERIFY2(missing.isEmpty(), qPrintable(missing));
        const QJsonObject dump = PythonDbf::dump(path, 2);
        QCOMPARE(dump[u"count"].toInteger(), qint64(values_.size()));
        const QJsonArray last = dump[u"records"].toArray().last().toObject()[u"values"].toArray();
        const qint64 n = values_.size() - 1;
        QCOMPARE(last[CrashRecord::kSeq].toInteger(), n);
        QCOMPARE(last[CrashRecord::kText].toString(), CrashRecord::text(n).leftJustified(40));
        QCOMPARE(last[CrashRecord::kDate].toString(), CrashRecord::date(n).toString(Qt::ISODate));
        QCOMPARE(last[CrashRecord::kValue].toInteger(), values_[n]);
    }
};

QUELVAR_TEST_CLASS(TestCrashSafety)
#include "test_crash_safety.moc"

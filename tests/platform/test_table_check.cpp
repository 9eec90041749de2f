// Before the window opens, every table it uses must open from the request
// folder; the check names the first that does not, and writes nothing.

#include "test_registry.h"
#include "folder_snapshot.h"

#include "platform/table_check.h"
#include "store/request_folder.h"

#include <QTemporaryDir>
#include <QTest>

class TestTableCheck : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString folder_;

    QString path(const QString &file) const { return QDir(folder_).filePath(file); }

    static void overwrite(const QString &path, qint64 offset, const QByteArray &bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.seek(offset));
        QCOMPARE(f.write(bytes), bytes.size());
    }

private slots:
    void init()
    {
        folder_ = dir_.filePath(QString::fromLatin1(QTest::currentTestFunction()));
        RequestFolder::create(folder_, QStringLiteral(QUELVAR_DATA_DIR));
        ageFiles(folder_);
    }

    // File names in another case are accepted; the check writes nothing.
    void readyFolderPassesAndIsLeftAsItWas()
    {
        QVERIFY(QFile::rename(path(QStringLiteral("impTLC.dbf")), path(QStringLiteral("IMPTLC.DBF"))));
        QVERIFY(QFile::rename(path(QStringLiteral("Paises.dbf")), path(QStringLiteral("paises.dbf"))));
        const FolderSnapshot before = snapshot(folder_);
        QCOMPARE(TableCheck::problem(folder_), QString());
        QVERIFY(snapshot(folder_) == before);
    }

    void missingTableIsNamed()
    {
        QVERIFY(QFile::remove(path(QStringLiteral("factura.dbf"))));
        QVERIFY(QFile::remove(path(QStringLiteral("Pedimentos.dbf"))));
        const QString problem = TableCheck::problem(folder_);
        // The first missing in the window's order: request tables first.
        QVERIFY2(problem.contains(QStringLiteral("«factura.dbf»")), qPrintable(problem));
        QVERIFY2(!problem.contains(QStringLiteral("Pedimentos")), qPrintable(problem));
        QVERIFY2(problem.contains(folder_), qPrintable(problem));
    }

    void damagedTableIsNamedWithItsFault()
    {
        // A header longer than the file, in a request table.
        const QString insupedi = path(QStringLiteral("insupedi.dbf"));
        const FolderSnapshot intact = snapshot(folder_);
        overwrite(insupedi, 8, QByteArray("\xff\x7f", 2));
        ageFiles(folder_);
        const FolderSnapshot damaged = snapshot(folder_);
        QString problem = TableCheck::problem(folder_);
        QVERIFY2(problem.contains(QStringLiteral("«insupedi.dbf»")), qPrintable(problem));
        QVERIFY2(problem.contains(QStringLiteral("encabezado")), qPrintable(problem));
        QVERIFY2(problem.contains(folder_), qPrintable(problem));
        QVERIFY(snapshot(folder_) == damaged);

        // A version byte that is not dBASE's, in a catalogue.
        overwrite(insupedi, 0, intact.value(QStringLiteral("insupedi.dbf")).bytes.left(16));
        overwrite(path(QStringLiteral("Sectores.dbf")), 0, QByteArray(1, '\x30'));
        problem = TableCheck::problem(folder_);
        QVERIFY2(problem.contains(QStringLiteral("«Sectores.dbf»")), qPrintable(problem));
        QVERIFY2(problem.contains(QStringLiteral("versión")), qPrintable(problem));
    }
};

QUELVAR_TEST_CLASS(TestTableCheck)
#include "test_table_check.moc"

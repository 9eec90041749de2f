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
        QString notice = QStringLiteral("sin aviso");
        QCOMPARE(TableCheck::problem(folder_, &notice), QString());
        QCOMPARE(notice, QStringLiteral("sin aviso"));
        QVERIFY(snapshot(folder_) == before);
    }

    // Headers counting a record that never reached the disk pass the check,
    // named in one notice; the files stay as they are until written.
    void countsAheadOfTheFileAreNoticedTogether()
    {
        const QString paises = path(QStringLiteral("Paises.dbf"));
        QFile f(paises);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray head = f.read(8);
        f.close();
        const quint32 records = quint8(head[4]) | quint8(head[5]) << 8;
        const QByteArray more(1, char(records + 1));
        overwrite(paises, 4, more);
        overwrite(path(QStringLiteral("insupedi.dbf")), 4, QByteArray(1, '\x02'));
        ageFiles(folder_);
        const FolderSnapshot before = snapshot(folder_);
        QString notice;
        QCOMPARE(TableCheck::problem(folder_, &notice), QString());
        QVERIFY(snapshot(folder_) == before);
        QVERIFY2(notice.contains(QStringLiteral("«insupedi.dbf» declara 2 registros y el archivo sólo contiene 0.")),
                 qPrintable(notice));
        QVERIFY2(notice.contains(QStringLiteral("«Paises.dbf» declara %1 registros y el archivo sólo contiene %2.")
                                     .arg(records + 1)
                                     .arg(records)),
                 qPrintable(notice));
        QVERIFY2(notice.contains(folder_), qPrintable(notice));
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

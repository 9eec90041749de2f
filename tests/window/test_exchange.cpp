// Commands 4 and 7 on the real window, with a temporary folder standing for
// drive A: the export read back by python3-dbf and dbview, the recovery of
// a request written with upper-case names, and every way they can fail
// (no drive, files missing or damaged, a medium that fills up or fails a
// write), each ending with the caption back, the links re-established and
// the request's own tables untouched.
#include "complete_request.h"
#include "folder_snapshot.h"
#include "python_dbf.h"
#include "table_files.h"
#include "test_registry.h"

#include "exchange/request_exchange.h"
#include "grids/bound_grid.h"
#include "grids/record_table_model.h"
#include "platform/drive_a.h"
#include "rules/completeness_review.h"
#include "store/data_link.h"
#include "store/request_choices.h"
#include "store/request_links.h"

#include <QDir>
#include <QJsonArray>

#include <cerrno>
#include <unistd.h>

namespace {

const QString kDone = QStringLiteral("Proceso terminado.");

QStringList exchangedFiles()
{
    QStringList files;
    for (const QString &table : RequestExchange::tables())
        files.append(RequestExchange::fileOf(table));
    return files;
}

// Each of the seven linked to its table.
bool allLinked(const FrmQuelvar &w)
{
    for (DataLink *link : w.links()->requestLinks())
        if (!link->recordset())
            return false;
    return true;
}

} // namespace

class TestExchange : public QObject {
    Q_OBJECT

    DriveA::Places places_;

    void useDriveA(const QString &folder)
    {
        places_ = {folder, {}, {}};
        DriveA::setPlacesForTests(&places_);
    }

    // Watches the copies: the caption while each file is written, and
    // whether the file's link was cut by then.
    struct CopyWatch {
        QStringList captions;
        QStringList linkedWhileWritten;
    };
    void watchCopies(const FrmQuelvar &w, CopyWatch &watch)
    {
        RequestExchange::setWriteFunction([&](const QString &target, int fd, const char *data, qint64 size) {
            watch.captions.append(w.windowTitle());
            const QString file = QFileInfo(target).fileName();
            for (DataLink *link : w.links()->requestLinks())
                if (link->recordset()
                    && file.startsWith(DataLink::tableOf(link->RecordSource()) + u'.', Qt::CaseInsensitive))
                    watch.linkedWhileWritten.append(file);
            return qint64(::write(fd, data, size_t(size)));
        });
    }

private slots:
    void initTestCase()
    {
        if (!RequestFixture::haveTools())
            QFAIL("python3-dbf or dbview is not installed (bash scripts/test.sh installs them)");
    }
    void cleanup()
    {
        DriveA::setPlacesForTests(nullptr);
        RequestExchange::setWriteFunction({});
    }

    // Command 4 after the amount's Yes: the seven tables on drive A under
    // their exact names, the name just typed included, older copies
    // replaced without a question; python3-dbf and dbview read them.
    void exportWithCommand4()
    {
        WindowHarness h;
        QVERIFY(h.open(completeRequest({})));
        h.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
        h.type(QStringLiteral("txtRSocial"), QStringLiteral("ÑANDÚ EXPORTADORA"));
        QTemporaryDir medium;
        writeAll(medium.filePath(QStringLiteral("IMPTLC.DBF")), "an older copy");
        writeAll(medium.filePath(QStringLiteral("empresas.dbf")), "an older copy");
        useDriveA(medium.path());
        CopyWatch watch;
        watchCopies(*h.window, watch);
        const QString caption = h.window->windowTitle();

        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        h.command(4);
        QCOMPARE(MessageBox::shownTexts().size(), 2);
        QVERIFY(MessageBox::shownTexts()[0].startsWith(CompletenessReview::amountQuestion({}).left(40)));
        QCOMPARE(MessageBox::shown()[1].text, kDone);
        QCOMPARE(MessageBox::shown()[1].title, QStringLiteral("QUELVAR"));
        QCOMPARE(MessageBox::shown()[1].icon, MessageBox::Icon::Exclamation);
        watch.captions.removeDuplicates();
        QCOMPARE(watch.captions, QStringList{QStringLiteral("COPIANDO INFORMACIÓN A DISKETTE... — ")
                                             + QDir(h.fixture.folder()).dirName()});
        QCOMPARE(watch.linkedWhileWritten, QStringList{});
        QCOMPARE(h.window->windowTitle(), caption);
        QVERIFY(allLinked(*h.window));

        QStringList sorted = exchangedFiles();
        sorted.sort();
        QCOMPARE(QDir(medium.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), sorted);
        for (const QString &file : exchangedFiles()) {
            const QString copy = medium.filePath(file);
            QCOMPARE(readAll(copy), readAll(QDir(h.fixture.folder()).filePath(file)));
            const QJsonObject read = PythonDbf::dump(copy);
            QCOMPARE(read.value("count").toInt(), 1);
            QString error;
            const QByteArray lines =
                PythonDbf::runProgram(QStringLiteral("dbview"), {"-b", "-t", "-d", "|", copy}, {}, &error);
            QCOMPARE(error, QString());
            QCOMPARE(lines.count('\n'), 1);
        }
        const QJsonObject company = PythonDbf::dump(medium.filePath(QStringLiteral("empresas.dbf")));
        const qsizetype name = company.value("fields").toArray().toVariantList().indexOf(QStringLiteral("NOMBRE"));
        QCOMPARE(company.value("records")[0]["values"][name].toString().trimmed(), QStringLiteral("ÑANDÚ EXPORTADORA"));
    }

    // Command 7 after its Yes, from a medium written by another program
    // (upper-case names): the window shows the request read, its own
    // tables and refund type kept in a backup.
    void recoverWithCommand7()
    {
        WindowHarness h;
        QVERIFY(h.open(completeRequest({})));
        RequestChoices::writeRefundType(h.fixture.folder(), QStringLiteral("R"));
        const QByteArray ownCompany = readAll(h.fixture.file(QStringLiteral("empresas")));
        RequestFixture other;
        RequestFixture::Records records =
            completeRequest({{"OTIPOEXPOR", 1.0}, {"TIPO_EXPOR", "T"}, {"MER_RET", "C"}, {"ANEXOB", true}});
        records["empresas"][0].insert("NOMBRE", "IMPORTADORA DEL SUR");
        records["insupedi"].append(records["insupedi"][0]);
        QVERIFY(other.create(records).isEmpty());
        QTemporaryDir medium;
        for (const QString &file : exchangedFiles())
            QVERIFY(QFile::copy(other.file(file), medium.filePath(file.toUpper())));
        useDriveA(medium.path());
        CopyWatch watch;
        watchCopies(*h.window, watch);
        const QString caption = h.window->windowTitle();

        const QString asked = QStringLiteral("Esta acción recuperará la información contenida en el diskette  "
                                             "eliminando todo lo que en este momento visualizas en pantalla. Se "
                                             "procede a realizar la operación?");
        MessageBox::setNextAnswer(MessageBox::Answer::No);
        h.command(7);
        QCOMPARE(MessageBox::shownTexts(), QStringList{asked});
        QCOMPARE(readAll(h.fixture.file(QStringLiteral("empresas"))), ownCompany);
        MessageBox::clearShown();
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        h.command(7);
        QCOMPARE(MessageBox::shownTexts(), (QStringList{asked, kDone}));
        watch.captions.removeDuplicates();
        QCOMPARE(watch.captions, QStringList{QStringLiteral("RECUPERANDO INFORMACIÓN DE DISKETTE... — ")
                                             + QDir(h.fixture.folder()).dirName()});
        QCOMPARE(h.window->windowTitle(), caption);

        QCOMPARE(h.text("txtRSocial")->text(), QStringLiteral("IMPORTADORA DEL SUR"));
        QVERIFY(h.get<QRadioButton>("opcTSolicitud(1)")->isChecked());
        QVERIFY(h.get<QCheckBox>("chkAnexoB")->isChecked()); // its mode asks for totals as its link comes back
        QCOMPARE(h.get<BoundGrid>("dbMI")->recordModel()->newRecordRow(), 2);
        for (const QString &file : exchangedFiles())
            QCOMPARE(readAll(QDir(h.fixture.folder()).filePath(file)), readAll(other.file(file)));
        QVERIFY(!QFileInfo::exists(RequestChoices::refundTypeFile(h.fixture.folder())));
        const QStringList backups =
            QDir(RequestExchange::backupsFolder(h.fixture.folder())).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(backups.size(), 1);
        const QDir backup(QDir(RequestExchange::backupsFolder(h.fixture.folder())).filePath(backups.first()));
        QCOMPARE(readAll(backup.filePath(QStringLiteral("empresas.dbf"))), ownCompany);
        QCOMPARE(RequestChoices::readRefundType(backup.path()), QStringLiteral("R"));
    }

    // Every way an exchange fails: the message (never "Proceso terminado."),
    // the caption back, the links re-established, the request's folder
    // exactly as it was.
    void failures_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<bool>("ready");           // drive A there
        QTest::addColumn<QString>("change");       // to its files: "lacks impTLC.dbf" or "damaged"; "/proc": it instead
        QTest::addColumn<QString>("failingWrite"); // a file the medium will not take, on any pass
        QTest::addColumn<int>("error");            // the errno of those writes; 0: it keeps other bytes instead
        QTest::addColumn<QString>("message");      // how the message begins
        QTest::addColumn<QString>("names");        // what it names
        const QString notReady = QStringLiteral("Inserte un diskette en la unidad A.");
        const QString missing = QStringLiteral("El disco desde el que deseas realizar la recuperación no cuenta con "
                                               "los archivos requeridos para realizar la operación. Verifica por "
                                               "favor.");
        const QString notRecovered = QStringLiteral("No se recuperó la información de la unidad A.\n\n");
        const QString notCopied = QStringLiteral("No se terminó la copia a la unidad A.\n\n");
        struct Row {
            const char *name;
            int operation;
            bool ready;
            const char *change, *failingWrite;
            int error;
            QString message;
            const char *names;
        };
        const QList<Row> rows{
            {"export, no drive", 0, false, "", "", 0, notReady, ""},
            {"export, a drive that cannot be written", 0, true, "/proc", "", 0,
             QStringLiteral("La unidad A («/proc») está protegida contra escritura o no se puede escribir en ella; "
                            "no se copió nada."),
             ""},
            {"recovery, no drive", 1, false, "", "", 0, notReady, ""},
            {"recovery lacking impTLC.dbf", 1, true, "lacks impTLC.dbf", "", 0, missing, ""},
            {"recovery, a damaged table", 1, true, "damaged", "", 0, notRecovered, "IMPTLC.DBF"},
            {"recovery, the staging write fails", 1, true, "", "factura.dbf", EIO, notRecovered, "factura.dbf"},
            {"export, the medium fills up", 0, true, "", "impTLC.dbf", ENOSPC, notCopied, "impTLC.dbf"},
            {"export, a write fails every pass", 0, true, "", "insunit.dbf", EIO, notCopied, "insunit.dbf"},
            {"export, the medium keeps other bytes", 0, true, "", "exporped.dbf", 0, notCopied, "exporped.dbf"},
        };
        for (const Row &r : rows)
            QTest::newRow(r.name) << r.operation << r.ready << QString::fromUtf8(r.change)
                                  << QString::fromUtf8(r.failingWrite) << r.error << r.message
                                  << QString::fromUtf8(r.names);
    }
    void failures()
    {
        QFETCH(int, operation);
        QFETCH(bool, ready);
        QFETCH(QString, change);
        QFETCH(QString, failingWrite);
        QFETCH(int, error);
        QFETCH(QString, message);
        QFETCH(QString, names);
        WindowHarness h;
        QVERIFY(h.open(completeRequest({})));
        RequestChoices::writeRefundType(h.fixture.folder(), QStringLiteral("P"));
        QTemporaryDir medium;
        RequestFixture other;
        QVERIFY(other.create(completeRequest({{"MER_RET", "N"}})).isEmpty());
        for (const QString &file : exchangedFiles())
            QVERIFY(QFile::copy(other.file(file), medium.filePath(file.toUpper())));
        const QString tlc = medium.filePath(QStringLiteral("IMPTLC.DBF"));
        if (change == QLatin1String("lacks impTLC.dbf"))
            QVERIFY(QFile::remove(tlc));
        if (change == QLatin1String("damaged"))
            writeAll(tlc, readAll(tlc).left(100));
        useDriveA(ready ? (change == QLatin1String("/proc") ? change : medium.path()) : QString());
        RequestExchange::setWriteFunction([&](const QString &target, int fd, const char *data, qint64 size) -> qint64 {
            if (failingWrite.isEmpty() || !QFileInfo(target).fileName().startsWith(failingWrite + u'.'))
                return ::write(fd, data, size_t(size));
            if (error == 0) {
                QByteArray other(data, int(size));
                other[0] = char(other[0] ^ 1);
                return ::write(fd, other.constData(), size_t(size));
            }
            errno = error;
            return -1;
        });
        // A recovery that fails never cut the links: what is typed and not
        // yet written stays on screen, and out of the tables.
        const QString name =
            operation == 1 ? QStringLiteral("ESCRITO SIN GUARDAR") : company().value("NOMBRE").toString();
        if (operation == 1)
            h.type(QStringLiteral("txtRSocial"), name);
        ageFiles(h.fixture.folder());
        const FolderSnapshot before = snapshot(h.fixture.folder());
        const QString caption = h.window->windowTitle();

        h.window->GeneraRecupera(quint8(operation));
        const QList<MessageBox::Shown> shown = MessageBox::shown();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].text.startsWith(message), qPrintable(shown[0].text));
        QVERIFY2(shown[0].text.contains(names), qPrintable(shown[0].text));
        QCOMPARE(shown[0].title,
                 message == QLatin1String("Inserte un diskette en la unidad A.") ? "QuelVar" : "QUELVAR");
        QCOMPARE(shown[0].icon, MessageBox::Icon::Exclamation);
        if (operation == 1 && message.startsWith(QLatin1String("No se recuperó")))
            QVERIFY(shown[0].text.endsWith(QLatin1String("La solicitud quedó como estaba.")));
        QCOMPARE(h.window->windowTitle(), caption);
        QVERIFY(allLinked(*h.window));
        QCOMPARE(h.text("txtRSocial")->text(), name);
        QCOMPARE(snapshot(h.fixture.folder()), before);
    }

    // A write that fails once is made again by a further pass, and the
    // export completes.
    void furtherPass()
    {
        WindowHarness h;
        QVERIFY(h.open(completeRequest({})));
        QTemporaryDir medium;
        useDriveA(medium.path());
        int attempts = 0;
        RequestExchange::setWriteFunction([&](const QString &target, int fd, const char *data, qint64 size) -> qint64 {
            if (QFileInfo(target).fileName().startsWith(QLatin1String("solicitu."))
                && attempts++ < RequestExchange::kFurtherPasses) {
                errno = EIO;
                return -1;
            }
            return ::write(fd, data, size_t(size));
        });
        h.window->GeneraRecupera(0);
        QCOMPARE(MessageBox::shownTexts(), QStringList{kDone});
        QCOMPARE(readAll(medium.filePath(QStringLiteral("solicitu.dbf"))),
                 readAll(h.fixture.file(QStringLiteral("solicitu"))));
    }
};

QUELVAR_TEST_CLASS(TestExchange)
#include "test_exchange.moc"

// The print and considerations commands on the real window, and the print
// from the command line, over requests written by python3-dbf.
#include "complete_request.h"
#include "test_registry.h"

#include "printing/frm_imp.h"
#include "rules/request_report.h"
#include "store/code_page.h"

#include <QApplication>
#include <QProcess>
#include <QTextEdit>

namespace {

FrmImp *printingWindow(const WindowHarness &h) { return h.window->findChild<FrmImp *>(QStringLiteral("frmImp")); }

struct Run {
    int status;
    QString out;
    QString err;
};

Run quelvar(const QStringList &arguments)
{
    QProcess p;
    p.start(QStringLiteral(QUELVAR_TOOLS_DIR "/quelvar"), arguments);
    if (!p.waitForFinished(60000))
        qFatal("quelvar did not finish");
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class TestPrintCommands : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!RequestFixture::haveTools())
            QFAIL("python3-dbf is not installed (bash scripts/test.sh installs it)");
    }

    // Yes to the amount: the report of the request, in the printing
    // window, which leaves the request window free.
    void printCommandShowsTheReport()
    {
        WindowHarness h;
        QVERIFY(h.open(completeRequest({})));
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        h.command(5);
        QCOMPARE(MessageBox::shown().size(), 1); // the amount question alone
        FrmImp *imp = printingWindow(h);
        QVERIFY(imp && imp->isVisible());
        QCOMPARE(imp->windowTitle(), QStringLiteral("IMPRESIÓN QUELVAR — ") + QDir(h.fixture.folder()).dirName());
        const QString text = imp->rtImpCG->toPlainText();
        QCOMPARE(text, h.window->reportAsShown().text);
        QVERIFY(text.contains(QStringLiteral("     R.F.C. : ABC010101XY1")));
        QVERIFY(text.contains(QStringLiteral("AL FOLIO 0012 / 2024\n")));
        QVERIFY(text.contains(QStringLiteral("DATOS GENERALES DE EXPORTACIÓN DIRECTA")));
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QVERIFY(h.window->isEnabled());

        // No: nothing printed, back to the unit costs.
        imp->close();
        MessageBox::clearShown();
        MessageBox::setNextAnswer(MessageBox::Answer::No);
        h.command(5);
        QVERIFY(!imp->isVisible());
        QCOMPARE(h.tabs()->currentIndex(), 4);
    }

    // A stored figure too wide for its column: the completion warning and
    // no report.
    void reportThatDoesNotFitWarns()
    {
        WindowHarness h;
        RequestFixture::Records records = completeRequest({});
        records["exporped"][0].insert("CANT_TOTAL", 1234567890123.5);
        QVERIFY(h.open(records));
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        h.command(5);
        QCOMPARE(MessageBox::shownTexts().value(1), RequestReport::kIncomplete);
        QCOMPARE(MessageBox::shown().value(1).icon, MessageBox::Icon::Exclamation);
        QVERIFY(!printingWindow(h) || !printingWindow(h)->isVisible());
    }

    // Command 1: the program's text for the refund type, or the request
    // folder's own copy, read in the code page it was written in.
    void considerationsCommand()
    {
        WindowHarness h;
        QVERIFY(h.open(completeRequest({})));
        QCOMPARE(h.combo("cmbTDevolucion")->currentIndex(), 0);
        h.command(1);
        FrmImp *imp = printingWindow(h);
        QVERIFY(imp && imp->isVisible());
        QCOMPARE(imp->windowTitle(),
                 QStringLiteral("CONSIDERACIONES GENERALES QUELVAR — ") + QDir(h.fixture.folder()).dirName());
        QFile shipped(QStringLiteral(QUELVAR_DATA_DIR "/consider.txt"));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QCOMPARE(imp->rtImpCG->toPlainText(), QString::fromUtf8(shipped.readAll()));
        QVERIFY(MessageBox::shown().isEmpty());

        QFile own(h.fixture.folder() + QStringLiteral("/consideret.txt"));
        QVERIFY(own.open(QIODevice::WriteOnly));
        own.write("Texto de la oficina: reparaci\xf3n <b>sin marcas</b>\r\n");
        own.close();
        h.combo("cmbTDevolucion")->setCurrentIndex(-1);
        h.command(1);
        QCOMPARE(imp->rtImpCG->toPlainText(), QStringLiteral("Texto de la oficina: reparación <b>sin marcas</b>\n"));
    }

    // From the command line: the amount on standard output and the pages
    // in the file; an incomplete request says why and writes nothing.
    void printsFromTheCommandLine()
    {
        RequestFixture complete;
        QVERIFY(complete.create(completeRequest({})).isEmpty());
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("solicitud.pdf"));
        Run run = quelvar({QStringLiteral("--imprimir"), pdf, complete.folder()});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QStringLiteral("7\n")); // the one imported document's amount
        QVERIFY(QFileInfo(pdf).size() > 1000);
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(30000));
        QVERIFY(text.readAllStandardOutput().contains("PROGRAMA DE DEVOLUCI\xc3\x93N DE IMPUESTOS (QUELVAR)"));

        RequestFixture incomplete;
        RequestFixture::Records records = completeRequest({});
        records["empresas"][0].remove("RFC");
        QVERIFY(incomplete.create(records).isEmpty());
        const QString notWritten = out.filePath(QStringLiteral("incompleta.pdf"));
        run = quelvar({QStringLiteral("--imprimir"), notWritten, incomplete.folder()});
        QCOMPARE(run.status, 2);
        QCOMPARE(run.out, QString());
        QCOMPARE(run.err, QStringLiteral("Debes de completar la solicitud. Falta especificar  el RFC de la empresa.\n"));
        QVERIFY(!QFileInfo::exists(notWritten));

        run = quelvar({QStringLiteral("--imprimir"), notWritten, out.path()});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(QStringLiteral("no tiene una solicitud")));
        run = quelvar({QStringLiteral("--help")});
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.contains(QStringLiteral("--imprimir SALIDA.pdf [CARPETA]")));
    }
};

QUELVAR_TEST_CLASS(TestPrintCommands)
#include "test_print_commands.moc"

// What reaches paper: the report's lines fit the page in the fixed-pitch
// face, the pages follow one another without losing or repeating a line,
// the PDF carries the report's text, and the printing window's commands.
#include "printing/frm_imp.h"
#include "printing/print_surface.h"
#include "platform/message_box.h"
#include "test_registry.h"

#include <QAbstractTextDocumentLayout>
#include <QFontInfo>
#include <QProcess>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>

namespace {

QString goldenReport()
{
    QFile file(QStringLiteral(QUELVAR_TEST_SOURCE_DIR "/rules/report/opc2.txt"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(file.fileName()));
    return QString::fromUtf8(file.readAll());
}

// The text of some pages of a PDF, as poppler reads it.
QString pdfText(const QString &pdf, int first = 0, int last = 0)
{
    QStringList arguments{QStringLiteral("-layout")};
    if (first > 0)
        arguments << QStringLiteral("-f") << QString::number(first) << QStringLiteral("-l") << QString::number(last);
    arguments << pdf << QStringLiteral("-");
    QProcess p;
    p.start(QStringLiteral("pdftotext"), arguments);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        qFatal("pdftotext failed (poppler-utils; bash scripts/test.sh installs it): %s",
               p.readAllStandardError().constData());
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfInfo(const QString &pdf, const QString &line)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished(30000);
    const QRegularExpression value(line + QStringLiteral(":\\s+(.*)\n"));
    return value.match(QString::fromUtf8(p.readAllStandardOutput())).captured(1);
}
int pdfPages(const QString &pdf) { return pdfInfo(pdf, QStringLiteral("Pages")).toInt(); }

// The lines that hold something, with every run of blanks as one: the
// extraction guesses the width of a run of blanks, not the words.
QStringList words(const QString &text)
{
    QStringList lines;
    for (const QString &line : text.split(u'\n')) {
        const QString simple = line.simplified();
        if (!simple.isEmpty())
            lines.append(simple);
    }
    return lines;
}

QPrinter *pdfPrinter(const QString &path, QPageSize::PageSizeId size = QPageSize::Letter)
{
    auto *p = new QPrinter(QPrinter::HighResolution);
    p->setOutputFormat(QPrinter::PdfFormat);
    p->setOutputFileName(path);
    p->setPageSize(QPageSize(size));
    return p;
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void initTestCase() { MessageBox::setScripted(true); }

    // "Courier New" comes out in a face of its metrics, so that the
    // columns of blanks line up on paper.
    void courierResolvesToItsMetricTwin()
    {
        const QFontInfo info(PrintSurface::courier(PrintSurface::kReportPoints));
        QCOMPARE(info.family(), QStringLiteral("Liberation Mono"));
        QVERIFY(info.fixedPitch());
    }

    // Laid out for the page, every report line up to the rule's 108
    // characters stays one line; only the two long sentences (the refund
    // type's title and the attestation) wrap, between words.
    void reportLinesNeverWrap_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("Letter") << int(QPageSize::Letter);
        QTest::newRow("A4") << int(QPageSize::A4);
    }
    void reportLinesNeverWrap()
    {
        QFETCH(int, size);
        std::unique_ptr<QPrinter> printer(pdfPrinter(dir_.filePath("layout.pdf"), QPageSize::PageSizeId(size)));
        printer->setFullPage(true);
        QTextDocument document;
        PrintSurface::setText(document, goldenReport(), PrintSurface::kReportPoints);
        document.documentLayout()->setPaintDevice(printer.get());
        document.setDocumentMargin(0);
        document.setPageSize(PrintSurface::drawingRect(*printer).size());
        QVERIFY(document.pageCount() > 1); // laid out
        int wrapped = 0;
        for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
            const int lines = b.layout()->lineCount();
            if (b.text().size() <= 108)
                QVERIFY2(lines == 1, qPrintable(b.text()));
            else
                wrapped += lines > 1;
        }
        QCOMPARE(wrapped, 2);
    }

    // The PDF holds the report's lines, in order, nothing more: the long
    // sentences are the only ones split over two lines.
    void pdfCarriesTheReportLines()
    {
        const QString path = dir_.filePath(QStringLiteral("solicitud.pdf"));
        QTextDocument document;
        PrintSurface::setText(document, goldenReport(), PrintSurface::kReportPoints, {{0, 120}});
        QCOMPARE(PrintSurface::writePdf(document, path), QString());
        QCOMPARE(pdfInfo(path, QStringLiteral("Page size")), QStringLiteral("612 x 792 pts (letter)"));
        QStringList printed = words(pdfText(path));
        const QStringList report = words(goldenReport());
        for (const QString &line : report) {
            QVERIFY2(!printed.isEmpty(), qPrintable(line));
            QString got = printed.takeFirst();
            while (got != line && line.startsWith(got + u' ') && !printed.isEmpty())
                got += u' ' + printed.takeFirst();
            QCOMPARE(got, line);
        }
        QVERIFY(printed.isEmpty());
    }

    // A text longer than a page: as many pages as it needs, each starting
    // with the line after the last one of the page before.
    void longTextPrintsPageAfterPage()
    {
        QStringList lines;
        for (int i = 1; i <= 400; ++i)
            lines.append(QStringLiteral("Renglón %1 de las consideraciones generales").arg(i, 3, 10, QChar(u'0')));
        QTextDocument document;
        PrintSurface::setText(document, lines.join(u'\n'), PrintSurface::kConsiderationsPoints);
        const QString path = dir_.filePath(QStringLiteral("largo.pdf"));
        std::unique_ptr<QPrinter> printer(pdfPrinter(path));
        const int pages = PrintSurface::ImprimeRTF(document, *printer);
        printer.reset();
        QVERIFY(pages >= 5);
        QCOMPARE(pdfPages(path), pages);
        QStringList all;
        for (int page = 1; page <= pages; ++page) {
            const QStringList onPage = words(pdfText(path, page, page));
            QVERIFY(!onPage.isEmpty());
            all += onPage;
        }
        QCOMPARE(all, lines);
    }

    // Centred exactly the paragraphs of the ranges: the one after a
    // range's closing line feed stays left.
    void centresTheParagraphsOfTheRanges()
    {
        QTextDocument document;
        PrintSurface::setText(document, QStringLiteral("\nTITULO\n\nnombre\n____\n\nDATOS\n____\nfin"),
                              PrintSurface::kReportPoints, {{0, 9}, {16, 17}});
        QStringList centred;
        for (QTextBlock b = document.begin(); b.isValid(); b = b.next())
            if (b.blockFormat().alignment() & Qt::AlignHCenter)
                centred.append(b.text());
        QCOMPARE(centred, (QStringList{"", "TITULO", "", "____", "", "DATOS", "____"}));
    }

    // The printing window: printing goes through the printer chosen, a
    // cancel prints nothing and says nothing; the PDF command writes the
    // pages; the controls sit by the window's size.
    void printingWindow()
    {
        FrmImp window;
        window.showConsiderations(QStringLiteral("Consideraciones\n<b>no es marcado</b>"));
        window.show();
        QCOMPARE(window.windowTitle(), FrmImp::considerationsCaption());
        QCOMPARE(window.rtImpCG->toPlainText(), QStringLiteral("Consideraciones\n<b>no es marcado</b>"));
        // The users' paper, whatever the language of the desktop.
        QCOMPARE(window.printer().pageLayout().pageSize().id(), QPageSize::Letter);
        QCOMPARE(window.rtImpCG->document()->defaultFont().pointSizeF(), PrintSurface::kConsiderationsPoints);

        MessageBox::clearShown();
        window.askPrinter = [](QPrinter &) { return false; };
        QTest::mouseClick(window.cmdImprimir, Qt::LeftButton);
        QCOMPARE(window.pagesLastPrinted(), 0);
        QVERIFY(MessageBox::shown().isEmpty());
        QVERIFY(window.isVisible());

        const QString printed = dir_.filePath(QStringLiteral("impresora.pdf"));
        window.askPrinter = [&](QPrinter &p) {
            p.setPageSize(QPageSize(QPageSize::A4)); // the user's choice, kept for the next window
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(printed);
            return true;
        };
        QTest::mouseClick(window.cmdImprimir, Qt::LeftButton);
        QCOMPARE(window.pagesLastPrinted(), 1);
        QVERIFY(pdfText(printed).contains(QStringLiteral("<b>no es marcado</b>")));

        const QString saved = dir_.filePath(QStringLiteral("guardado.pdf"));
        window.askPdfFile = [&] { return saved; };
        QTest::mouseClick(window.cmdGuardarPDF, Qt::LeftButton);
        QCOMPARE(pdfPages(saved), 1);
        QCOMPARE(QFileInfo(saved).permissions() & QFileDevice::ReadOther, QFileDevice::ReadOther);
        window.askPdfFile = [&] { return dir_.filePath(QStringLiteral("no-existe/guardado.pdf")); };
        QTest::mouseClick(window.cmdGuardarPDF, Qt::LeftButton);
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::shown().first().text.startsWith(QStringLiteral("No se pudo escribir el archivo")));

        // The report on screen breaks where the paper does.
        RequestReport::Report report;
        report.text = goldenReport();
        window.showReport(report);
        QCOMPARE(window.windowTitle(), FrmImp::reportCaption());
        QCoreApplication::processEvents();
        QTextDocument *shown = window.rtImpCG->document();
        shown->documentLayout()->documentSize();
        int wrapped = 0;
        for (QTextBlock b = shown->begin(); b.isValid(); b = b.next()) {
            if (b.text().size() <= 108)
                QVERIFY2(b.layout()->lineCount() == 1, qPrintable(QString::number(b.layout()->lineCount()) + b.text()));
            else
                wrapped += b.layout()->lineCount() > 1;
        }
        QCOMPARE(wrapped, 2);

        window.resize(1000, 600);
        const int twip = window.logicalDpiX(); // pixels per 1440 twips
        QCOMPARE(window.rtImpCG->geometry(),
                 QRect(100 * twip / 1440, 100 * twip / 1440, 1000 - 200 * twip / 1440, 600 - 1000 * twip / 1440));
        QCOMPARE(window.cmdImprimir->geometry().topLeft(), QPoint(4560 * twip / 1440, 600 - 700 * twip / 1440));
        QCOMPARE(window.cmdCerrar->geometry().topLeft(), QPoint(5880 * twip / 1440, 600 - 700 * twip / 1440));
        QTest::mouseClick(window.cmdCerrar, Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QCOMPARE(FrmImp().printer().pageLayout().pageSize().id(), QPageSize::A4);

        // Opened past the screen's free area, it comes back into it, shrunk
        // to fit.
        window.move(40, 900);
        window.resize(700, 5000);
        window.show();
        QVERIFY(window.screen()->availableGeometry().contains(window.frameGeometry()));
    }
};

QUELVAR_TEST_CLASS(TestPrinting)
#include "test_printing.moc"

// The printed text's lines and pages: where a long line breaks (as the
// window's text layout broke it), which lines are centred, and a report
// longer than one text document could lay out, paged to its last line.
#include "rules/printed_pages.h"
#include "test_registry.h"

#include <QTest>

using namespace Qt::StringLiterals;

using Ranges = QList<RequestReport::Range>;
Q_DECLARE_METATYPE(RequestReport::Range)

namespace {

// The pages as "line|line", a centred line marked by "^".
QStringList shown(const PrintedPages &pages, QList<int> *widths)
{
    QStringList out;
    for (int p = 0; p < pages.pageCount(); ++p) {
        QStringList lines;
        for (const PrintedPages::Line &line : pages.page(p)) {
            lines << (line.centred ? QStringLiteral("^") : QString()) + pages.textOf(line).toString();
            widths->append(line.width);
        }
        out << lines.join(u'|');
    }
    return out;
}

} // namespace

class TestPrintedPages : public QObject {
    Q_OBJECT
private slots:
    void breaksAndPages_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("perPage");
        QTest::addColumn<Ranges>("centred");
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<QList<int>>("widths"); // when they matter

        QTest::newRow("short lines, the last line feed ends the last line")
            << "AB\n\nCDE\n" << 3 << 2 << Ranges{} << QStringList{"AB|", "CDE"} << QList<int>{};
        QTest::newRow("after the last word that fits, its blanks hanging")
            << "AAA BBB CCC\nAAAA      BB" << 7 << 9 << Ranges{} << QStringList{"AAA BBB |CCC|AAAA      |BB"}
            << QList<int>{7, 3, 4, 2};
        QTest::newRow("blanks between figures break as blanks between words")
            << "X :   7     7    14" << 12 << 9 << Ranges{} << QStringList{"X :   7     |7    14"}
            << QList<int>{};
        QTest::newRow("after a hyphen or a slash, not in a number")
            << "AAAA-BBBB CC/DDDDD 1,234.56" << 7 << 9 << Ranges{}
            << QStringList{"AAAA-|BBBB |CC/|DDDDD |1,234.5|6"} << QList<int>{};
        QTest::newRow("a word longer than the line, cut")
            << "AB XXXXXXXXXXX\n  YYYYYY\n     0.2" << 5 << 9 << Ranges{}
            << QStringList{"AB |XXXXX|XXXXX|X|  YYY|YYY|     0|.2"} << QList<int>{};
        QTest::newRow("blanks ending a paragraph stay on its line")
            << "AAA      \nB" << 5 << 9 << Ranges{} << QStringList{"AAA      |B"} << QList<int>{3, 1};
        QTest::newRow("centred: every line of a paragraph a range touches")
            << "HEAD\nTITLE WORDS\n \nBODY\nEND" << 6 << 3 << Ranges{{0, 5}, {9, 3}, {17, 2}, {24, 1}}
            << QStringList{"^HEAD|^TITLE |^WORDS", "^ |BODY|^END"} << QList<int>{4, 5, 5, 1, 4, 3};
    }
    void breaksAndPages()
    {
        QFETCH(QString, text);
        QFETCH(int, columns);
        QFETCH(int, perPage);
        QFETCH(Ranges, centred);
        QFETCH(QStringList, pages);
        QFETCH(QList<int>, widths);
        const PrintedPages paged(text, centred, columns, perPage);
        QList<int> found;
        QCOMPARE(shown(paged, &found), pages);
        if (!widths.isEmpty())
            QCOMPARE(found, widths);
        // The whole of any run of lines is the text of those lines.
        const QList<PrintedPages::Line> all = paged.lines(0, int(paged.lineCount()));
        QCOMPARE(all.size(), paged.lineCount());
        QCOMPARE(paged.lines(1, 2), all.mid(1, 2));
    }

    // Past what one text document laid out (50,000 import documents printed
    // one empty page): every line counted, the last on the last page; a
    // part of it (the lines selected) paged on its own.
    void aLongReportToItsLastLine()
    {
        const QString header = QStringLiteral("SECRETARIA\nDEVOLUCIÓN DE IMPUESTOS DE IMPORTACIÓN CAUSADOS POR INSUMOS "
                                              "INCORPORADOS A MERCANCIAS DE EXPORTACIÓN, PARA EXPORTADORES\n");
        const auto blanks = [](int n) { return QString(n, u' '); };
        // Six lines and one more, the figures' line being 112 long.
        const QString document = QStringLiteral("\nTIPO PEDIMENTO : A1") + blanks(30) + u"FRACCIÓN : 84719001\nNo. PEDIMENTO  : %1"_s
                                 + blanks(17) + u"FECHA PEDIMENTO : 01/03/2026\n\nPAÍS DE ORÍGEN"_s + blanks(14)
                                 + u"VALOR TOTAL M.N.\nESTADOS UNIDOS DE AMERICA"_s + blanks(13) + u"1234.5"_s + blanks(19)
                                 + u"1000"_s + blanks(17) + u"234.5"_s + blanks(20) + u"150\n"_s;
        constexpr int documents = 60000;
        QString text = header;
        for (int n = 0; n < documents; ++n)
            text += document.arg(n, 15, 10, QLatin1Char('0'));
        const PrintedPages paged(text, Ranges{{0, int(header.size())}}, 108, 81);

        // The title breaks once: 3 lines of the header and 7 of each document.
        const qint64 lines = 3 + qint64(documents) * 7;
        QCOMPARE(paged.lineCount(), lines);
        QCOMPARE(paged.pageCount(), int((lines + 80) / 81));
        const QList<PrintedPages::Line> last = paged.page(paged.pageCount() - 1);
        QCOMPARE(last.size(), int(lines - (paged.pageCount() - 1) * 81));
        QCOMPARE(paged.textOf(last.constLast()), QStringLiteral("150"));
        QCOMPARE(paged.textOf(last.at(last.size() - 5)),
                 QStringLiteral("No. PEDIMENTO  : ") + QString::number(documents - 1).rightJustified(15, u'0') + blanks(17)
                     + u"FECHA PEDIMENTO : 01/03/2026"_s);
        QVERIFY(paged.page(0).at(2).centred && !paged.page(0).at(3).centred);

        const qsizetype lastDocument = document.arg(documents - 1, 15, 10, QLatin1Char('0')).size();
        const PrintedPages part = paged.part(text.size() - lastDocument + 1, text.size());
        QCOMPARE(part.lineCount(), 6);
        QCOMPARE(part.textOf(part.page(0).first()).left(16), QStringLiteral("TIPO PEDIMENTO :"));
    }
};

QUELVAR_TEST_CLASS(TestPrintedPages)
#include "test_printed_pages.moc"

#include "print_surface.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PrintSurface {


QFont courier(double points)
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter, QFont::PreferMatch);
    font.setFixedPitch(true);
    // Glyph advances as designed: the screen then lines up as the paper does.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setPointSizeF(points);
    return font;
}

void setText(QTextDocument &document, const QString &text, double points, const QList<RequestReport::Range> &centred)
{
    document.setDefaultFont(courier(points));
    // Plain text, never markup: a "<" in a company's name is a "<".
    document.setPlainText(text);
    QTextCursor cursor(&document);
    for (const RequestReport::Range &range : centred) {
        if (range.length <= 0)
            continue;
        // The range ends with the line feed that closes its last paragraph;
        // the paragraph after it is not part of the range.
        cursor.setPosition(range.start);
        cursor.setPosition(range.start + range.length - 1, QTextCursor::KeepAnchor);
        QTextBlockFormat format;
        format.setAlignment(Qt::AlignHCenter);
        cursor.mergeBlockFormat(format);
    }
}

QRectF drawingRect(const QPrinter &printer, const Margins &m)
{
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const double px = printer.resolution() / 1440.0;
    return QRectF(m.left * px, m.top * px, paper.width() - (m.left + m.right) * px,
                  paper.height() - (m.top + m.bottom) * px);
}

int printedColumns(QPrinter &printer, const QFont &font, const Margins &m)
{
    const double advance = QFontMetricsF(font, &printer).horizontalAdvance(u'M');
    return advance > 0 ? int(drawingRect(printer, m).width() / advance) : 0;
}

int ImprimeRTF(const QTextDocument &source, QPrinter &printer, const Margins &margins)
{
    // Measures from the paper's corner: the margins are the paper's, the
    // printer's unprintable border lies within them.
    printer.setFullPage(true);
    const QRectF draw = drawingRect(printer, margins);
    QPainter painter;
    if (!painter.begin(&printer))
        return 0;

    // Laid out anew for the printer: a line that would cross the foot of a
    // page goes whole to the next one, so each page starts with the first
    // line the one before could not hold.
    std::unique_ptr<QTextDocument> document(source.clone());
    document->documentLayout()->setPaintDevice(&printer);
    document->setDocumentMargin(0);
    document->setPageSize(draw.size());
    const int pages = document->pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            printer.newPage();
        painter.save();
        painter.translate(draw.left(), draw.top() - page * draw.height());
        const QRectF view(0, page * draw.height(), draw.width(), draw.height());
        painter.setClipRect(view);
        // Only the lines of this page are drawn: the line the page before
        // ended with, or the one the next begins with, may reach a device
        // pixel into it where the layout rounds their positions.
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view.adjusted(0, 1, 0, -1);
        document->documentLayout()->draw(&painter, context);
        painter.restore();
    }
    painter.end();
    return pages;
}

QString writePdf(const QTextDocument &document, const QString &path, const QPrinter *pageFrom)
{
    const QFileInfo target(path);
    const QString failed = QStringLiteral("No se pudo escribir el archivo «%1».").arg(QDir::toNativeSeparators(path));
    // Written under another name in the same folder, synced, then renamed
    // over the target: a failure leaves any earlier file as it was.
    QTemporaryFile scratch(target.absoluteDir().filePath(QStringLiteral(".quelvar-XXXXXX.pdf")));
    if (!scratch.open())
        return failed + QStringLiteral("\n\nLa carpeta no admite archivos nuevos.");
    const QString scratchPath = scratch.fileName();
    scratch.close();

    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(scratchPath);
    pdf.setCreator(QStringLiteral("QUELVAR"));
    // The page of the printer set up, or the users' Letter.
    pdf.setPageSize(pageFrom ? pageFrom->pageLayout().pageSize() : QPageSize(QPageSize::Letter));
    if (ImprimeRTF(document, pdf) == 0 || QFileInfo(scratchPath).size() == 0)
        return failed;

    const int fd = ::open(QFile::encodeName(scratchPath).constData(), O_RDONLY);
    // The scratch file is made private; the PDF gets the permissions of
    // any file the user makes.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const bool synced = fd >= 0 && ::fchmod(fd, 0666 & ~mask) == 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!synced || std::rename(QFile::encodeName(scratchPath).constData(), QFile::encodeName(path).constData()) != 0)
        return failed;
    scratch.setAutoRemove(false);
    const int dir = ::open(QFile::encodeName(target.absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

} // namespace PrintSurface

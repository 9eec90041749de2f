#include "print_surface.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrintEngine>
#include <QPrinter>
#include <QGlyphRun>
#include <QRawFont>
#include <QTemporaryFile>
#include <QTextLayout>

#include <cstdio>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PrintSurface {

namespace {

// The options the print dialog set for the printing system (Qt's own key).
constexpr auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// Hands a whole job, spooled to a file, to the printing system (CUPS), with
// the options Qt's own printer engine gives it. An error message, or
// nothing.
QString submitJob(const QPrinter &printer, const QString &file)
{
    struct Option {
        char *name;
        char *value;
    };
    using PrintFile = int (*)(const char *, const char *, const char *, int, Option *);
    using LastError = const char *(*)();
    const QString failed = QStringLiteral("No se pudo imprimir: la impresora no recibió el trabajo.");
    void *cups = ::dlopen("libcups.so.2", RTLD_NOW);
    const auto printFile = cups ? reinterpret_cast<PrintFile>(::dlsym(cups, "cupsPrintFile")) : nullptr;
    const auto lastError = cups ? reinterpret_cast<LastError>(::dlsym(cups, "cupsLastErrorString")) : nullptr;
    if (!printFile)
        return failed;

    QList<std::pair<QByteArray, QByteArray>> options{{"media", printer.pageLayout().pageSize().key().toUtf8()}};
    if (printer.copyCount() > 1) {
        options.emplace_back("copies", QByteArray::number(printer.copyCount()));
        if (printer.collateCopies())
            options.emplace_back("Collate", "True");
    }
    const bool landscape = printer.pageLayout().orientation() == QPageLayout::Landscape;
    switch (printer.duplex()) {
    case QPrinter::DuplexNone:
        options.emplace_back("sides", "one-sided");
        break;
    case QPrinter::DuplexAuto:
        options.emplace_back("sides", landscape ? "two-sided-short-edge" : "two-sided-long-edge");
        break;
    case QPrinter::DuplexLongSide:
        options.emplace_back("sides", "two-sided-long-edge");
        break;
    case QPrinter::DuplexShortSide:
        options.emplace_back("sides", "two-sided-short-edge");
        break;
    }
    if (landscape)
        options.emplace_back("landscape", "");
    const QStringList chosen = printer.printEngine()->property(kCupsOptions).toStringList();
    for (qsizetype i = 0; i + 1 < chosen.size(); i += 2)
        options.emplace_back(chosen[i].toUtf8(), chosen[i + 1].toUtf8());
    QList<Option> list;
    for (auto &[name, value] : options)
        list.append(Option{name.data(), value.data()});

    // An instance ("printer/instance") prints on its printer.
    const QByteArray name = printer.printerName().section(u'/', 0, 0).toUtf8();
    const int job = printFile(name.constData(), QFile::encodeName(file).constData(), printer.docName().toUtf8().constData(),
                              int(list.size()), list.data());
    if (job > 0)
        return {};
    return lastError && lastError() ? failed + QStringLiteral("\n\n") + QString::fromUtf8(lastError()) : failed;
}

// Draws every page on the printer, or stops when the progress says so.
Result drawPages(const PrintedPages &source, double points, QPrinter &printer, const Progress &progress)
{
    // Measures from the paper's corner: the margins are the paper's, the
    // printer's unprintable border lies within them.
    printer.setFullPage(true);
    const PageGeometry geometry(printer, points);
    const PrintedPages pages = geometry.paged(source);
    const int total = pages.pageCount();
    if (progress && !progress(0, total))
        return {Outcome::Cancelled, 0, {}};
    QPainter painter;
    if (!painter.begin(&printer))
        return {Outcome::Failed, 0, {}};
    for (int page = 0; page < total; ++page) {
        if (page > 0 && !printer.newPage()) {
            painter.end();
            return {Outcome::Failed, page, {}};
        }
        geometry.draw(painter, pages, page);
        if (progress && !progress(page + 1, total)) {
            printer.abort();
            painter.end();
            return {Outcome::Cancelled, page + 1, {}};
        }
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return {Outcome::Failed, total, {}};
    return {Outcome::Done, total, {}};
}

// A PDF on the page of the printer set up, or the users' Letter.
void setUpPdf(QPrinter &pdf, const QPrinter *pageFrom)
{
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setCreator(QStringLiteral("QUELVAR"));
    pdf.setPageSize(pageFrom ? pageFrom->pageLayout().pageSize() : QPageSize(QPageSize::Letter));
}

// A PDF written whole ends with its end-of-file mark.
bool endsWhole(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 16 || !file.seek(file.size() - 16))
        return false;
    return file.read(16).contains("%%EOF");
}

} // namespace

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

QRectF drawingRect(const QPrinter &printer, const Margins &m)
{
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const double px = printer.resolution() / 1440.0;
    return QRectF(m.left * px, m.top * px, paper.width() - (m.left + m.right) * px,
                  paper.height() - (m.top + m.bottom) * px);
}

PageGeometry::PageGeometry(QPrinter &printer, double points, const Margins &margins)
    : points_(points), resolution_(printer.resolution()), paper_(printer.paperRect(QPrinter::DevicePixel).size()),
      draw_(drawingRect(printer, margins))
{
    const QFont face = courier(points);
    advance_ = QFontMetricsF(face, &printer).horizontalAdvance(u'M');
    // The face as drawn, in the printer's pixels.
    face_ = QRawFont::fromFont(face);
    face_.setPixelSize(points * resolution_ / 72);
    if (advance_ > 0)
        columns_ = std::max(1, int(draw_.width() / advance_));
    // A line's height as the text layout gives it on the printer.
    QTextLayout layout(QStringLiteral("M"), face, &printer);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    pitch_ = line.height();
    ascent_ = line.ascent();
    if (pitch_ > 0)
        linesPerPage_ = std::max(1, int(draw_.height() / pitch_ + 1e-9));
}

PrintedPages PageGeometry::paged(const QString &text, const QList<RequestReport::Range> &centred) const
{
    return PrintedPages(text, centred, columns_, linesPerPage_);
}

PrintedPages PageGeometry::paged(const PrintedPages &pages) const
{
    if (pages.columns() == columns_ && pages.linesPerPage() == linesPerPage_)
        return pages;
    return pages.withLines(columns_, linesPerPage_);
}

void PageGeometry::draw(QPainter &painter, const PrintedPages &pages, int index) const
{
    painter.save();
    painter.setPen(Qt::black);
    painter.setClipRect(draw_, Qt::IntersectClip);
    double baseline = draw_.top() + ascent_;
    QList<quint32> glyphs;
    QList<QPointF> positions;
    for (const PrintedPages::Line &line : pages.page(index)) {
        const double x = draw_.left() + (line.centred ? std::max(0.0, (draw_.width() - line.width * advance_) / 2) : 0);
        // Each character at its column, the glyphs of the face without
        // shaping, and the blanks that line up the columns (most of a
        // report) left out: in a PDF each glyph is written on its own.
        const QString text = pages.textOf(line).toString();
        const QList<quint32> all = face_.glyphIndexesForString(text);
        bool whole = all.size() == text.size();
        glyphs.clear();
        positions.clear();
        for (qsizetype i = 0; whole && i < text.size(); ++i) {
            if (text[i] == u' ')
                continue;
            whole = all[i] != 0;
            glyphs.append(all[i]);
            positions.append(QPointF(i * advance_, 0));
        }
        if (!whole) {
            // A character the face lacks: the line laid out as text, with
            // the system's fallback for it.
            const int dpi = painter.device() ? painter.device()->logicalDpiY() : 0;
            painter.setFont(courier(dpi > 0 ? points_ * resolution_ / dpi : points_));
            painter.drawText(QPointF(x, baseline), text);
        } else if (!glyphs.isEmpty()) {
            QGlyphRun run;
            run.setRawFont(face_);
            run.setGlyphIndexes(glyphs);
            run.setPositions(positions);
            painter.drawGlyphRun(QPointF(x, baseline), run);
        }
        baseline += pitch_;
    }
    painter.restore();
}

Result ImprimeRTF(const PrintedPages &pages, double points, QPrinter &printer, const Progress &progress)
{
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        return writePdf(pages, points, printer.outputFileName(), &printer, progress);
    // A printer's job is spooled to a file of ours and handed over only when
    // whole: the printing system would otherwise print the pages already
    // drawn when a print is cancelled (it cannot abort a job). The file's
    // name is not a PDF's, or the printer would turn into a PDF writer.
    const bool spooled = printer.outputFormat() == QPrinter::NativeFormat && printer.outputFileName().isEmpty()
                         && !printer.printerName().isEmpty();
    QTemporaryFile spool(QDir(QDir::tempPath()).filePath(QStringLiteral("quelvar-XXXXXX.trabajo")));
    if (spooled) {
        if (!spool.open())
            return {Outcome::Failed, 0, QStringLiteral("No se pudo imprimir: no hay lugar para preparar el trabajo.")};
        spool.close();
        printer.setOutputFileName(spool.fileName());
    }
    Result result = drawPages(pages, points, printer, progress);
    if (spooled) {
        printer.setOutputFileName(QString());
        if (result.outcome == Outcome::Done)
            result.error = submitJob(printer, spool.fileName());
        if (!result.error.isEmpty())
            result.outcome = Outcome::Failed;
    }
    return result;
}

PrintedPages pagedForPdf(const QString &text, const QList<RequestReport::Range> &centred, double points,
                         const QPrinter *pageFrom)
{
    QPrinter pdf(QPrinter::HighResolution);
    setUpPdf(pdf, pageFrom);
    return PageGeometry(pdf, points).paged(text, centred);
}

Result writePdf(const PrintedPages &pages, double points, const QString &path, const QPrinter *pageFrom,
                const Progress &progress)
{
    const QFileInfo target(path);
    const QString failed = QStringLiteral("No se pudo escribir el archivo «%1».").arg(QDir::toNativeSeparators(path));
    // Written under another name in the same folder, synced, then renamed
    // over the target: a failure or a cancel leaves any earlier file as it
    // was, and the scratch file goes.
    QTemporaryFile scratch(target.absoluteDir().filePath(QStringLiteral(".quelvar-XXXXXX.pdf")));
    if (!scratch.open())
        return {Outcome::Failed, 0, failed + QStringLiteral("\n\nLa carpeta no admite archivos nuevos.")};
    const QString scratchPath = scratch.fileName();
    scratch.close();

    QPrinter pdf(QPrinter::HighResolution);
    setUpPdf(pdf, pageFrom);
    pdf.setOutputFileName(scratchPath);
    Result result = drawPages(pages, points, pdf, progress);
    if (result.outcome == Outcome::Cancelled)
        return result;
    if (result.outcome == Outcome::Failed || !endsWhole(scratchPath))
        return {Outcome::Failed, result.pages, failed};

    const int fd = ::open(QFile::encodeName(scratchPath).constData(), O_RDONLY);
    // The scratch file is made private; the PDF gets the permissions of
    // any file the user makes.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const bool synced = fd >= 0 && ::fchmod(fd, 0666 & ~mask) == 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!synced || std::rename(QFile::encodeName(scratchPath).constData(), QFile::encodeName(path).constData()) != 0)
        return {Outcome::Failed, result.pages, failed};
    scratch.setAutoRemove(false);
    const int dir = ::open(QFile::encodeName(target.absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return result;
}

} // namespace PrintSurface

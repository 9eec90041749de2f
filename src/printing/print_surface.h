#pragma once

#include "rules/printed_pages.h"

#include <QFont>
#include <QRawFont>
#include <QRectF>
#include <QString>
#include <functional>

class QPainter;
class QPrinter;

// Everything the program prints passes through here: the request's report
// or the general considerations, in a fixed-pitch face so that columns of
// blanks line up, paged by PrintedPages and drawn one page at a time, so
// that a text of any length prints in little more memory than the text.
namespace PrintSurface {

// Margins in twips (1440 to the inch), from the paper's edges.
struct Margins {
    int left;
    int top;
    int right;
    int bottom;
};
// What the text is printed with.
inline constexpr Margins kPrintMargins{620, 620, 620, 420};

inline constexpr double kReportPoints = 8;
inline constexpr double kConsiderationsPoints = 8.5;

// "Courier New", resolved by the system to a face of the same metrics
// (Liberation Mono on Debian), and to any fixed-pitch face failing that.
QFont courier(double points);

// The rectangle a page is drawn in, in the printer's device pixels, with
// the paper's corner at 0, 0.
QRectF drawingRect(const QPrinter &printer, const Margins &margins = kPrintMargins);

// Where the lines of a page go on a printer's paper, in its device pixels:
// the columns a line holds, the lines a page holds (as the window's text
// layout spaced them: a line that would cross the foot of the drawing
// rectangle starts the next page), and where each is drawn.
class PageGeometry {
public:
    PageGeometry(QPrinter &printer, double points, const Margins &margins = kPrintMargins);

    double points() const { return points_; }
    int columns() const { return columns_; }
    int linesPerPage() const { return linesPerPage_; }
    QSizeF paper() const { return paper_; }

    // The text paged for this paper; a text paged for another, paged anew
    // (the text shared).
    PrintedPages paged(const QString &text, const QList<RequestReport::Range> &centred = {}) const;
    PrintedPages paged(const PrintedPages &pages) const;

    // Draws the lines of a page. The painter is in the printer's device
    // pixels, or scaled to them on another device (the preview on screen).
    void draw(QPainter &painter, const PrintedPages &pages, int index) const;

private:
    double points_;
    double resolution_;
    QRawFont face_;
    QSizeF paper_;
    QRectF draw_;
    double advance_ = 0;
    double pitch_ = 0;
    double ascent_ = 0;
    int columns_ = 1;
    int linesPerPage_ = 1;
};

enum class Outcome {
    Done,      // every page printed or written
    Cancelled, // the user stopped it: nothing printed, no file written
    Failed,    // the printer or the file failed: nothing printed or written
};
struct Result {
    Outcome outcome = Outcome::Failed;
    int pages = 0;
    QString error; // for a failure, what to tell the user
};

// So many pages done of the total (first called with none done, once the
// total is known); false when the user asks to stop.
using Progress = std::function<bool(int done, int total)>;

// Prints the pages on the printer set up, one after another (paged anew if
// its paper is not the one they were paged for). A printer's job is handed
// over only once whole; a PDF file chosen in the print dialog is written
// as writePdf writes one.
Result ImprimeRTF(const PrintedPages &pages, double points, QPrinter &printer, const Progress &progress = {});

// The text paged as writePdf prints it on the page size of the printer
// given (Letter without one).
PrintedPages pagedForPdf(const QString &text, const QList<RequestReport::Range> &centred, double points,
                         const QPrinter *pageFrom = nullptr);

// Writes the pages to a PDF file, on the page size of the printer given
// (Letter without one); the file appears whole or not at all.
Result writePdf(const PrintedPages &pages, double points, const QString &path, const QPrinter *pageFrom = nullptr,
                const Progress &progress = {});

} // namespace PrintSurface

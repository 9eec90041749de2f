#pragma once

#include "rules/request_report.h"

#include <QFont>
#include <QList>
#include <QRectF>
#include <QString>

class QPagedPaintDevice;
class QPrinter;
class QTextDocument;

// Everything the program prints passes through one text document: the
// request's report or the general considerations, in a fixed-pitch face
// so that columns of blanks line up, printed page after page.
namespace PrintSurface {

// Margins in twips (1440 to the inch), from the paper's edges.
struct Margins {
    int left;
    int top;
    int right;
    int bottom;
};
// What the document is printed with.
inline constexpr Margins kPrintMargins{620, 620, 620, 420};

inline constexpr double kReportPoints = 8;
inline constexpr double kConsiderationsPoints = 8.5;

// "Courier New", resolved by the system to a face of the same metrics
// (Liberation Mono on Debian), and to any fixed-pitch face failing that.
QFont courier(double points);

// Sets the whole text of the document in the face and size given, every
// paragraph left-aligned but those touched by the centred ranges
// (character offsets into the text).
void setText(QTextDocument &document, const QString &text, double points,
             const QList<RequestReport::Range> &centred = {});

// The rectangle a page is drawn in, in the printer's device pixels, with
// the paper's corner at 0, 0.
QRectF drawingRect(const QPrinter &printer, const Margins &margins = kPrintMargins);

// How many characters of the fixed-pitch face a printed line holds.
int printedColumns(QPrinter &printer, const QFont &font, const Margins &margins = kPrintMargins);

// Prints the document as it is: laid out for the printer at the drawing
// rectangle's width, one page after another until the text ends, each
// page starting with the first line the one before left out. Returns the
// number of pages, 0 when the printer could not be started.
int ImprimeRTF(const QTextDocument &document, QPrinter &printer, const Margins &margins = kPrintMargins);

// Writes the document's pages to a PDF file, on the page size given; the
// file appears whole or not at all. Returns an error message, or nothing.
QString writePdf(const QTextDocument &document, const QString &path, const QPrinter *pageFrom = nullptr);

} // namespace PrintSurface

#pragma once

#include <QList>
#include <QString>
#include <functional>

class Recordset;

// The printed request: a plain-text report in a fixed-pitch font, built
// block by block from the window's fields as shown and from the stored
// rows of the grids, with the header and the title blocks to be centred.
//
// Text conventions: lines end with a line feed alone; a rule is 108
// underscores; a value "filled to n" is followed by blanks up to n
// characters, one "right-aligned in n" is preceded by them. A value longer
// than its column makes the report incomplete (nothing is printed).
namespace RequestReport {

// The choices of the request's header the report reads.
struct Choices {
    int opcDT = 0;         // refund option code, 1 to 5
    bool direct = true;    // request type "Directa" (else "Transferencia")
    int tSolicitud = -1;   // position of cmbTSolicitud (0: a new request)
    int tDevolucion = -1;  // position of cmbTDevolucion
    int tExportacion = -1; // position of cmbTExportacion
    bool appendix8 = false;
    bool annexB = false;
};

// The stored rows the sections walk, each from its first record to its
// last, in stored order; the current record of each is left where it was.
struct Tables {
    Recordset *insunit = nullptr;
    Recordset *insupedi = nullptr;
    Recordset *exporped = nullptr;
    Recordset *factura = nullptr;
    Recordset *impTLC = nullptr;
};

// A window field's text as shown (a combo's selected entry's text), by the
// control's name.
using ShownText = std::function<QString(const QString &name)>;

struct Range {
    int start = 0;
    int length = 0;
    bool operator==(const Range &) const = default;
};

struct Report {
    enum class Outcome {
        Built,      // text and ranges are the report
        Incomplete, // a value does not fit its column or a field cannot be read
        NoCode,     // the refund option is not 1 to 5: nothing to print
    };
    Outcome outcome = Outcome::NoCode;
    QString text;
    // The header and every title block, to be centred; everything else is
    // left-aligned.
    QList<Range> centred;
};

// The warning shown when the report cannot be completed.
extern const QString kIncomplete;

// The six sections the refund option prints, "1" for on ("111100": cost
// structure, unit costs, import documents, direct export, indirect export,
// TLCAN imports); empty for a code outside 1 to 5.
QString sectionMask(const Choices &choices);

Report build(const ShownText &shown, const Choices &choices, const Tables &tables);

} // namespace RequestReport

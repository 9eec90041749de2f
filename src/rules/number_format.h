#pragma once

#include <QString>

// Display formats of the grid cells, rendered as the request forms have
// always shown them: "." as decimal mark and "," as thousands separator
// whatever the desktop's locale, halves rounded away from zero on the
// number's 15 significant digits.
//
//   ""                 the number as plain decimal text ("1234.5")
//   "General Number"   the same
//   "Currency"         "$1,234.50"; a negative amount in brackets: "($5.00)"
//   "Standard"         "1,234.50"; "-1,234.50"
//   a pattern of "#", "0", "," and "." such as "###,###.#####": "#" a digit
//   shown when needed, "0" a digit always shown, "," anywhere before the
//   decimal mark groups thousands; 1234.5 gives "1,234.5", 0.25 ".25".
//   A point with no decimals after it is left out ("1,234", not "1,234."),
//   and a zero that the pattern would render as nothing shows "0".
//
// Any other format shows the plain decimal text.
namespace NumberFormat {

QString format(double value, const QString &pattern);

// Reads a cell's text as a number: an optional sign, digits with ","
// thousands separators and one "." decimal mark; a leading "$" and
// surrounding blanks are allowed, and "(...)" is a negative amount. False
// (and 0) for anything else, empty text included.
bool parse(const QString &text, double *value);

} // namespace NumberFormat

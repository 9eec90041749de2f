#pragma once

#include <QString>
#include <optional>

// Thousands separators in a typed number: "1234567.891" gives
// "1,234,567.891". The integer part (what comes before the first ".") is cut
// into groups of three from the right, a leading sign staying in front of
// them ("-1234" gives "-1,234") and blanks around the number outside them
// (" 123 " stays as it is); the rest, from that point on, is kept
// as it is (neither grouped nor rounded). The separator is always "," and
// the decimal mark ".", whatever the locale.
//
// A text with a "," before any "." is taken as formatted already: nothing is
// answered then, and the caller changes nothing.
std::optional<QString> withThousands(const QString &text);

// A typed amount read as a number: digits with "," thousands separators
// anywhere in the integer part, at most one "." and a leading sign; blanks
// around it are allowed. "1,234.5" is 1234.5, "10." is 10, ".5" is 0.5.
// Anything else, the empty text included, is no number.
std::optional<double> decimalNumber(QStringView text);

// A computed total as the window writes it: plain decimal text, "." as
// decimal mark, no separators, no exponent, at most 15 significant digits
// and no trailing zeros. 0.1 + 0.2 gives "0.3", 1e20 "100000000000000000000".
QString decimalText(double value);

// The number decimalText(value) reads back as: the value rounded to 15
// significant digits.
double decimalRounded(double value);

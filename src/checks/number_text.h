#pragma once

#include <QString>
#include <optional>

// Thousands separators in a typed number: "1234567.891" gives
// "1,234,567.891". The integer part (what comes before the first ".") is cut
// into groups of three from the right, a leading sign staying in front of
// them ("-1234" gives "-1,234"); the rest, from that point on, is kept
// as it is (neither grouped nor rounded). The separator is always "," and
// the decimal mark ".", whatever the locale.
//
// A text with a "," before any "." is taken as formatted already: nothing is
// answered then, and the caller changes nothing.
std::optional<QString> withThousands(const QString &text);

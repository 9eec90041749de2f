#pragma once

#include <QStringView>

// The number a text begins with, as a numeric parse of leading digits reads
// it: blanks skipped, an optional sign, digits, an optional "." and more
// digits; anything after that is ignored. "07" is 7, "12abc" is 12,
// "1,234" is 1, a text without a leading number is 0.
double leadingNumber(QStringView text);

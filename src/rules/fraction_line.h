#pragma once

#include <QString>
#include <QVariant>

#include <optional>

// The line of the tariff-item picker for one unit-cost record, and how the
// line is read back. One layout serves both:
//
//   characters 1-8    the tariff item, padded with blanks to 8
//   characters 9-20   the unit cost, right-aligned (left out when the
//                     record has none: the line is then 20 characters)
//   last 12           the ad-valorem rate, right-aligned
//
// Numbers are written in plain decimal form (15.5, 10).
namespace FractionLine {

QString build(const QVariant &item, const QVariant &rate, const QVariant &cost);

struct Parts {
    QString item;   // the tariff item, blanks at its end removed
    // None when the line has no cost column (a record without a cost); 0
    // when the column holds no number.
    std::optional<double> cost;
    double rate = 0; // 0 when it holds no number
};
Parts read(const QString &line);

} // namespace FractionLine

#pragma once

#include <QString>
#include <QVariant>

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
    double cost = 0; // 0 when the line has no cost or it holds no number
    double rate = 0; // 0 when it holds no number
};
Parts read(const QString &line);

} // namespace FractionLine

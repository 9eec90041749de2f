#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// The check of a date typed in a grid cell, without the grid: what the cell
// must hold afterwards and the complaints to show, in order.
//
// The text is first brought to dd/mm/yyyy by its length: 6 characters
// without "/" are ddmmyy of this century (010203 -> 01/02/2003); 8 that
// read as a number are ddmmyyyy; 8 others are dd?mm?yy (01/02/03 ->
// 01/02/2003); 10 characters stay. Then day (characters 1-2), month (4-5)
// and year (the last four) must be digits and nothing else, and the
// separators between them become "/" (01-02-2004 -> 01/02/2004), the form
// the tables read. Then the year must be this one or the last; the month at
// most 12; the day within the month; and the date not after today.
namespace GridDates {

struct DateCheck {
    QString text;         // what the cell holds after the check
    bool rewritten = false; // the text differs from the one typed
    QStringList complaints;
};

DateCheck check(const QString &typed, const QDate &today);

// The complaint about a date that is not of the form 01/01/2001.
QString formatComplaint();

// The complaint about a cell longer than its column allows, or an empty text
// when it is not longer.
QString lengthComplaint(const QString &text, int limit, const QString &message);

} // namespace GridDates

#pragma once

#include <QString>

// The check of a tax id when its box is left: the message to show, or an
// empty text when it passes. A blank tax id is not checked. A tax id holds
// 13 characters; characters 5 and 6 are the year, 7 and 8 the month, 9 and
// 10 the day (each read as the number its digits begin with).
QString taxIdComplaint(const QString &text);

// The days of a month for the date of a tax id or a document: 31, 30, or for
// February 29 when the year is divisible by 4 and 28 otherwise; 0 for a month
// that is none (0).
int daysOfMonth(int month, int year);

#pragma once

#include <QString>

// How the request's unbound choices are kept: the folio of the request
// answered, in the one field it shares with its year, and the refund type
// of a transfer, which the request table cannot hold.
namespace RequestChoices {

// The folio field: the folio number, padded with leading zeros to its four
// characters, followed directly by the year ("12" and "2024" give
// "00122024"), so that the number and the year are read back where they
// were. A missing number keeps its four places blank; nothing at all gives
// an empty text.
QString folio(const QString &number, const QString &year);

struct FolioParts {
    QString number;
    QString year;
};
// The number (characters 1 to 4) and the year (5 to 8) of a stored folio,
// without the blanks around them.
FolioParts splitFolio(const QString &stored);

// A transfer is stored with the refund code "T" whatever its refund type,
// as the ministry's files expect. Its refund type ("M", "R" or "P") is kept
// in a small file of the request folder, which never travels with the
// tables.
QString refundTypeFile(const QString &folder);
// The refund type kept for the request in the folder; empty when there is
// no file, or it holds no refund type.
QString readRefundType(const QString &folder);
// Keeps the refund type (empty for none). Throws StoreError when it cannot
// be written.
void writeRefundType(const QString &folder, const QString &code);
// Forgets the refund type (an erased or a recovered request).
void removeRefundType(const QString &folder);

} // namespace RequestChoices

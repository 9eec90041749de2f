#pragma once

#include <QString>
#include <QVariant>

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

// The choices of the request window's header, by position in their lists
// (-1: none chosen).
struct Choices {
    int requestType = -1; // 0 "Directa", 1 "Transferencia"
    int refundType = -1;  // "Mercancias Transformadas", "Retorno ...", "Reparación"
    int exportType = -1;  // the export type of a direct request, or a transfer's proof
    int kind = -1;        // 0 "Solicitud Inicial", 1 "Desahogo de prevención"
    QString folioNumber;  // of the request answered
    QString folioYear;
    bool operator==(const Choices &) const = default;
};

// How the choices are stored: the fields of the request record (a null
// value: the field is left as it is) and the refund type kept beside the
// tables.
struct Codes {
    QVariant oTipoExpor; // 0 or 1
    QVariant tipoExpor;  // "M", "R", "P"; "T" for every transfer
    QVariant merRet;     // "O", "N", "T" (direct, transformed goods); "C", "P" (a transfer)
    QVariant tsol;       // "N" initial, "R" a reply
    QVariant folio;      // a reply's folio
    QString keptRefundType;
};

Codes encode(const Choices &choices);
// The choices the stored codes give back. Texts count by their first
// character, in any case; a transfer's refund type comes from the kept one.
Choices decode(const Codes &codes);

} // namespace RequestChoices

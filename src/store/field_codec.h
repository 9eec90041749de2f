#pragma once

#include "dbf_field.h"

#include <QString>
#include <QStringView>
#include <QVariant>

class CodePage;

// Reading and writing one field's bytes inside a record.
//
// Values are QVariants: a null (invalid) QVariant for a blank field, a double
// for N and F, a QString for C, a QDate for D and a bool for L. A memo
// reference reads as null.
namespace FieldCodec {

QVariant decode(const FieldDef &field, const char *record, const CodePage &cp);

// The number held by an N or F field; *isNull is set when the field is blank
// or holds no number. Used by walks that only need one numeric field.
double decodeNumber(const FieldDef &field, const char *record, bool *isNull);

// Writes the value into the field's bytes of the record. Throws StoreError
// naming the table and the field when the value does not fit (too wide, not
// representable, not a number or date); the record is then left untouched.
void encode(const FieldDef &field, const QVariant &value, const CodePage &cp, char *record,
            const QString &tableName);

// A decimal number as typed: optional sign, digits with "," as thousands
// separator, "." as decimal mark. Blank text is not a number.
bool parseDecimal(QStringView text, double *out);

// A stored value as text: a number as plain decimal text, a date as
// dd/mm/yyyy, a flag as T or F, null as empty text.
QString displayText(const QVariant &value);

// A number as plain decimal text, the shortest that reads back the same:
// 1234.5, 0, -3.25 (no exponent, no separators, no trailing zeros).
QString plainNumber(double value);

} // namespace FieldCodec

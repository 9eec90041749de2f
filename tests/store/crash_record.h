#pragma once

// The records crash_writer writes, so that the crash test knows what each holds.

#include "store/dbf_field.h"

#include <QDate>
#include <QList>

namespace CrashRecord {

constexpr int kValue = 3;

inline QList<FieldDef> fields()
{
    return {numField(QStringLiteral("SEQ"), 9, 0), charField(QStringLiteral("TEXTO"), 40),
            dateField(QStringLiteral("FECHA")), numField(QStringLiteral("VALOR"), 12, 0)};
}
inline QString text(long n) { return QStringLiteral(" Registro %1 «ÁÉÍÓÚ ñ» %2").arg(n).arg(n % 97); }
inline QDate date(long n) { return QDate(2000, 1, 1).addDays(n % 30000); }

} // namespace CrashRecord

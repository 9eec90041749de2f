#include "tax_id.h"

#include "leading_number.h"

int daysOfMonth(int month, int year)
{
    switch (month) {
    case 1: case 3: case 5: case 7: case 8: case 10: case 12:
        return 31;
    case 4: case 6: case 9: case 11:
        return 30;
    case 2:
        return year % 4 == 0 ? 29 : 28;
    default:
        return 0;
    }
}

QString taxIdComplaint(const QString &text)
{
    if (text.trimmed().isEmpty())
        return {};
    if (text.size() < 13)
        return QStringLiteral("El RFC no puede ser menor de 13. Rectifica por favor.");
    const double month = leadingNumber(QStringView(text).mid(6, 2));
    if (month > 12)
        return QStringLiteral("El valor del mes del RFC es incorrecto.Rectifica por favor");
    const double year = leadingNumber(QStringView(text).mid(4, 2));
    const int days = daysOfMonth(int(month), int(year));
    const double day = leadingNumber(QStringView(text).mid(8, 2));
    if (day > days)
        return QStringLiteral("El mes que has escrito no tiene más de %1 días. Rectifica por favor").arg(days);
    return {};
}

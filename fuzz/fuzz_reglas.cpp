// The rules of what is typed in the grids and boxes: the date check of a
// date cell, the readings of typed numbers, the number formats of the cells
// and the text of computed totals. The first byte picks the rule, the rest
// is the text typed, decoded both as Latin-1 and as UTF-8.
//
// Where two rules must agree the target checks it, and a disagreement
// aborts: a date the check lets through is one its table stores; a number
// the grid reads is one the table engine reads alike; a total's text reads
// back as its value rounded to 15 significant digits; a cell's format reads
// back as the number it shows.
#include "fuzz_support.h"

#include "checks/grid_dates.h"
#include "checks/key_rules.h"
#include "checks/leading_number.h"
#include "checks/number_text.h"
#include "checks/tax_id.h"
#include "rules/number_format.h"
#include "store/code_page.h"
#include "store/field_codec.h"
#include "store/store_error.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

namespace {

using FuzzSupport::broken;

QString show(double value) { return QString::number(value, 'g', 17); }

// The value as its 15 significant digits read back, by the text itself;
// nothing when those digits lie past the largest double (1.79769313486232e308
// is more than any double), where no double is the rounded value.
std::optional<double> fifteenDigits(double value)
{
    char buffer[40];
    const auto res = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    double back = 0;
    if (std::from_chars(buffer, res.ptr, back).ec != std::errc())
        return std::nullopt;
    return back;
}

// A date field of a one-field record: what a date cell's text becomes.
void checkDate(const QString &typed)
{
    static const QDate today(2026, 6, 15);
    const GridDates::DateCheck result = GridDates::check(typed, today);
    if (!result.complaints.isEmpty())
        return;
    if (result.text.size() != 10)
        broken("la fecha aceptada no tiene diez caracteres", result.text);
    const GridDates::DateCheck again = GridDates::check(result.text, today);
    if (!again.complaints.isEmpty() || again.rewritten || again.text != result.text)
        broken("la fecha aceptada no pasa la revisión otra vez", result.text);
    const FieldDef field{QStringLiteral("FECHA"), 'D', 8, 0, 1};
    char record[9];
    std::memset(record, ' ', sizeof record);
    try {
        FieldCodec::encode(field, result.text, CodePage::windows1252(), record, QStringLiteral("fuzz"));
    } catch (const StoreError &e) {
        broken("la tabla no guarda la fecha aceptada", e.message());
    }
    const QVariant stored = FieldCodec::decode(field, record, CodePage::windows1252());
    if (FieldCodec::displayText(stored) != result.text)
        broken("la fecha guardada no se lee igual", result.text + QStringLiteral(" -> ") + stored.toString());
}

// Any text stored in a date field: refused, or stored as the date it reads back.
void checkDateField(const QString &typed)
{
    const FieldDef field{QStringLiteral("FECHA"), 'D', 8, 0, 1};
    char record[9];
    std::memset(record, ' ', sizeof record);
    try {
        FieldCodec::encode(field, typed, CodePage::windows1252(), record, QStringLiteral("fuzz"));
    } catch (const StoreError &) {
        return;
    }
    const QVariant stored = FieldCodec::decode(field, record, CodePage::windows1252());
    if (typed.trimmed().isEmpty() ? stored.isValid() : !stored.isValid())
        broken("la fecha guardada no se lee", typed);
}

// A typed amount: the grid's reading and the table's agree, and its
// thousands separators change nothing.
void checkTypedNumber(const QString &typed)
{
    const std::optional<double> grid = decimalNumber(typed);
    double engine = 0;
    const bool engineRead = FieldCodec::parseDecimal(typed, &engine);
    if (grid && std::isfinite(*grid)) {
        if (!engineRead)
            broken("la tabla no lee el número que lee la cuadrícula", typed);
        if (engine != *grid)
            broken("la tabla y la cuadrícula leen números distintos", typed + u' ' + show(engine) + u' ' + show(*grid));
    }
    const std::optional<QString> grouped = withThousands(typed);
    if (grid && grouped) {
        const std::optional<double> again = decimalNumber(*grouped);
        if (!again || !(*again == *grid || (std::isnan(*again) && std::isnan(*grid))))
            broken("los separadores de miles cambian el número", typed + QStringLiteral(" -> ") + *grouped);
    }
    leadingNumber(typed);
    taxIdComplaint(typed);
}

// A computed total's text and the rounding it stands for.
void checkTotal(double value)
{
    const QString text = decimalText(value);
    if (!std::isfinite(value))
        return;
    const std::optional<double> want = fifteenDigits(value);
    if (!want)
        return;
    const double rounded = decimalRounded(value);
    if (rounded != *want)
        broken("el redondeo a 15 cifras no es el del texto", show(value) + u' ' + show(rounded) + u' ' + show(*want));
    if (decimalRounded(rounded) != rounded)
        broken("el redondeo a 15 cifras cambia un número ya redondeado", show(value));
    const std::optional<double> back = decimalNumber(text);
    if (!back || *back != rounded)
        broken("el texto de un total no se lee como su valor", show(value) + u' ' + text);
    double engine = 0;
    if (!FieldCodec::parseDecimal(text, &engine) || engine != rounded)
        broken("la tabla no lee el texto de un total", text);
}

// A cell's format and its reading: the number shown reads back as the value
// rounded to the format's decimals (on its 15 significant digits).
void checkFormat(double value, const QString &pattern, int decimals)
{
    const QString shown = NumberFormat::format(value, pattern);
    if (!std::isfinite(value) || !fifteenDigits(value))
        return;
    double back = 0;
    if (!NumberFormat::parse(shown, &back))
        broken("el formato no se lee", pattern + u' ' + show(value) + u' ' + shown);
    const double step = decimals < 0 ? 0 : 0.5 * std::pow(10.0, -decimals);
    const double slack = step * (1 + 1e-9) + std::fabs(value) * 1e-14;
    if (std::fabs(back - value) > slack)
        broken("el formato muestra otro número", pattern + u' ' + show(value) + u' ' + shown);
}

void formats(double value)
{
    checkFormat(value, QString(), -1);
    checkFormat(value, QStringLiteral("General Number"), -1);
    checkFormat(value, QStringLiteral("Standard"), 2);
    checkFormat(value, QStringLiteral("Currency"), 2);
    checkFormat(value, QStringLiteral("###,###.#####"), 5);
    checkFormat(value, QStringLiteral("#,##0.00"), 2);
    checkFormat(value, QStringLiteral("0"), 0);
}

// A cell's text read as the grid reads a formatted number, then shown again.
void checkCell(const QString &typed)
{
    double value = 0;
    if (NumberFormat::parse(typed, &value) && std::isfinite(value)) {
        formats(value);
        checkTotal(value);
    }
    const qsizetype cut = typed.indexOf(u'\n');
    if (cut >= 0) {
        double number = 0;
        if (NumberFormat::parse(typed.mid(cut + 1), &number))
            NumberFormat::format(number, typed.left(cut));
    }
}

// A number stored in a numeric field: refused, or read back as the value
// rounded to the field's decimals.
void checkNumericField(const QString &typed, int length, int decimals)
{
    const FieldDef field{QStringLiteral("MONTO"), 'N', length, decimals, 1};
    char record[32];
    std::memset(record, ' ', sizeof record);
    try {
        FieldCodec::encode(field, typed, CodePage::windows1252(), record, QStringLiteral("fuzz"));
    } catch (const StoreError &) {
        return;
    }
    const QVariant stored = FieldCodec::decode(field, record, CodePage::windows1252());
    double typedValue = 0;
    if (!FieldCodec::parseDecimal(typed, &typedValue)) {
        if (stored.isValid())
            broken("la tabla guarda un número de un texto que no lo es", typed);
        return;
    }
    const double want = QByteArray::number(typedValue, 'f', decimals).toDouble();
    if (!stored.isValid() || stored.toDouble() != want)
        broken("el número guardado no se lee igual", typed + u' ' + FieldCodec::displayText(stored));
}

// What a key filter lets through of pasted text.
void checkKeys(const QString &typed, int position)
{
    for (const KeyRules::Rule rule : {KeyRules::Rule::Free, KeyRules::Rule::Digits, KeyRules::Rule::Decimal,
                                      KeyRules::Rule::ShowOnly, KeyRules::Rule::TaxId}) {
        const QString kept = KeyRules::filterInserted(rule, typed, position);
        if (kept.size() > typed.size() || kept.contains(u'\n') || kept.contains(u'\r'))
            broken("el filtro de teclas deja pasar de más", typed);
    }
}

void run(unsigned selector, const QString &text, const QByteArray &raw)
{
    switch (selector % 7) {
    case 0:
        checkDate(text);
        break;
    case 1:
        checkDateField(text);
        break;
    case 2:
        checkTypedNumber(text);
        break;
    case 3:
        checkCell(text);
        break;
    case 4: {
        // The raw bytes as a double: any value a sum can reach.
        double value = 0;
        if (raw.size() >= qsizetype(sizeof value)) {
            std::memcpy(&value, raw.constData(), sizeof value);
            checkTotal(value);
            formats(value);
        }
        break;
    }
    case 5:
        checkNumericField(text, 1 + int(selector / 7) % 20, int(selector / 7) % 6);
        break;
    default:
        checkKeys(text, 1 + int(selector / 7) % 16);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1 || size > 4096)
        return 0;
    const unsigned selector = data[0];
    const QByteArray raw(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    run(selector, QString::fromLatin1(raw), raw);
    run(selector, QString::fromUtf8(raw), raw);
    return 0;
}

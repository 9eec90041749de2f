// The rules of what is typed in the grids and boxes. The first byte picks
// the rule, the rest is the text typed, decoded both as Latin-1 and as UTF-8.
// Where two rules must agree a disagreement aborts: a date the cell check
// lets through is one its table stores and reads alike; a number the grid
// reads the table engine reads alike, with or without thousands separators;
// a total's text reads back as its value rounded to 15 significant digits;
// a cell's format reads back as the number it shows; a number a numeric
// field stores reads back rounded to its decimals.
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

// The text stored in a one-field record and read back; nothing when refused.
std::optional<QVariant> stored(const FieldDef &field, const QString &text)
{
    QByteArray record(40, ' ');
    try {
        FieldCodec::encode(field, text, CodePage::windows1252(), record.data(), QStringLiteral("fuzz"));
    } catch (const StoreError &) {
        return std::nullopt;
    }
    return FieldCodec::decode(field, record.constData(), CodePage::windows1252());
}

// A computed total's text and the rounding it stands for (by the text of its
// 15 significant digits; none past the largest double), then its formats.
void checkTotal(double value)
{
    char buffer[40];
    const auto res = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    double want = 0, engine = 0;
    const QString text = decimalText(value);
    if (!std::isfinite(value) || std::from_chars(buffer, res.ptr, want).ec != std::errc())
        return;
    const double rounded = decimalRounded(value);
    if (rounded != want || decimalRounded(rounded) != rounded)
        broken("el redondeo a 15 cifras no es el del texto", show(value) + u' ' + show(rounded) + u' ' + show(want));
    if (decimalNumber(text) != rounded || !FieldCodec::parseDecimal(text, &engine) || engine != rounded)
        broken("el texto de un total no se lee como su valor", show(value) + u' ' + text);
    static const std::pair<const char *, int> formats[] = {{"", -1}, {"General Number", -1}, {"Standard", 2},
                                                          {"Currency", 2}, {"###,###.#####", 5}, {"#,##0.00", 2}, {"0", 0}};
    for (const auto &[pattern, decimals] : formats) {
        const QString shown = NumberFormat::format(value, QString::fromLatin1(pattern));
        const double slack = (decimals < 0 ? 0 : 0.5 * std::pow(10.0, -decimals)) * (1 + 1e-9) + std::fabs(value) * 1e-14;
        if (double back = 0; !NumberFormat::parse(shown, &back) || std::fabs(back - value) > slack)
            broken("el formato muestra otro número", QString::fromLatin1(pattern) + u' ' + show(value) + u' ' + shown);
    }
}

void run(unsigned selector, const QString &text, const QByteArray &raw)
{
    const FieldDef date{QStringLiteral("FECHA"), 'D', 8, 0, 1};
    switch (selector % 7) {
    case 0: { // a date cell: what it lets through passes again unchanged and is stored as it shows
        static const QDate today(2026, 6, 15);
        const GridDates::DateCheck result = GridDates::check(text, today);
        if (!result.complaints.isEmpty())
            break;
        if (const GridDates::DateCheck again = GridDates::check(result.text, today);
            result.text.size() != 10 || !again.complaints.isEmpty() || again.rewritten || again.text != result.text)
            broken("la fecha aceptada no pasa la revisión otra vez", result.text);
        if (const std::optional<QVariant> kept = stored(date, result.text); !kept || FieldCodec::displayText(*kept) != result.text)
            broken("la tabla no guarda la fecha aceptada como se ve", result.text);
        break;
    }
    case 1: // any text in a date field: refused, or stored as a date that reads back
        if (const std::optional<QVariant> kept = stored(date, text); kept && kept->isValid() == text.trimmed().isEmpty())
            broken("la fecha guardada no se lee", text);
        break;
    case 2: { // a typed amount: the grid and the table read it alike
        const std::optional<double> grid = decimalNumber(text);
        double engine = 0;
        if (grid && std::isfinite(*grid) && (!FieldCodec::parseDecimal(text, &engine) || engine != *grid))
            broken("la tabla y la cuadrícula no leen el mismo número", text);
        const std::optional<QString> grouped = withThousands(text);
        const std::optional<double> again = grouped ? decimalNumber(*grouped) : std::nullopt;
        if (grid && grouped && !(again && (*again == *grid || (std::isnan(*again) && std::isnan(*grid)))))
            broken("los separadores de miles cambian el número", text + QStringLiteral(" -> ") + *grouped);
        leadingNumber(text);
        taxIdComplaint(text);
        break;
    }
    case 3: { // a cell's text read as the grid reads a formatted number; "pattern\nnumber" formats it
        double value = 0, number = 0;
        if (NumberFormat::parse(text, &value) && std::isfinite(value))
            checkTotal(value);
        if (const qsizetype cut = text.indexOf(u'\n'); cut >= 0 && NumberFormat::parse(text.mid(cut + 1), &number))
            NumberFormat::format(number, text.left(cut));
        break;
    }
    case 4: // the raw bytes as a double: any value a sum can reach
        if (double value = 0; raw.size() >= qsizetype(sizeof value))
            checkTotal((std::memcpy(&value, raw.constData(), sizeof value), value));
        break;
    case 5: { // a numeric field: refused, or read back rounded to its decimals
        const int decimals = int(selector / 7) % 6;
        const std::optional<QVariant> kept = stored({QStringLiteral("MONTO"), 'N', 1 + int(selector / 7) % 20, decimals, 1}, text);
        double typed = 0;
        const bool number = FieldCodec::parseDecimal(text, &typed);
        if (kept && (number ? kept->toDouble() != QByteArray::number(typed, 'f', decimals).toDouble() || !kept->isValid()
                            : kept->isValid()))
            broken("el número guardado no se lee igual", text + u' ' + FieldCodec::displayText(*kept));
        break;
    }
    default: // what a key filter lets through of pasted text
        for (const KeyRules::Rule rule : {KeyRules::Rule::Free, KeyRules::Rule::Digits, KeyRules::Rule::Decimal,
                                          KeyRules::Rule::ShowOnly, KeyRules::Rule::TaxId}) {
            const QString kept = KeyRules::filterInserted(rule, text, 1 + int(selector / 7) % 16);
            if (kept.size() > text.size() || kept.contains(u'\n') || kept.contains(u'\r'))
                broken("el filtro de teclas deja pasar de más", text);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1 || size > 4096)
        return 0;
    const QByteArray raw(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    run(data[0], QString::fromLatin1(raw), raw);
    run(data[0], QString::fromUtf8(raw), raw);
    return 0;
}

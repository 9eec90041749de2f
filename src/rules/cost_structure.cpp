#include "cost_structure.h"

#include "checks/leading_number.h"
#include "checks/number_text.h"

#include <QHash>
#include <optional>

namespace CostStructure {

namespace {

// total = first operand + second + ..., when each is a number. The one total
// without that test (the imported column's) reads each operand's leading
// number, or 0.
struct Step {
    const char *total;
    QList<const char *> operands;
    bool numericTest = true;
};

struct Rule {
    const char *field;
    QList<Step> steps;
};

// The national column's total, then the row of the fuels not incorporated,
// which has no imported value.
const Step kNational{"txtTN", {"txtMPN", "txtCIN", "txtCNIN", "txtEN", "txtSN", "txtDN"}};
const Step kNotIncorporated{"txtCNIT", {"txtCNIN"}};
const Step kImported{"txtTE", {"txtCIE", "txtMPE"}};
const Step kRawMaterials{"txtMPT", {"txtMPE", "txtMPN"}};
const Step kIncorporated{"txtCIT", {"txtCIE", "txtCIN"}};

const QList<Rule> &rules()
{
    static const QList<Rule> table{
        {"txtMPN", {kNational, kNotIncorporated, kRawMaterials}},
        {"txtMPE", {kImported, kRawMaterials}},
        {"txtCIN", {kNational, kNotIncorporated, kIncorporated}},
        {"txtCIE", {kImported, kIncorporated}},
        {"txtCNIN", {kNational, kNotIncorporated}},
        {"txtEN", {kNational, kNotIncorporated, {"txtET", {"txtEN"}}}},
        {"txtSN", {kNational, kNotIncorporated, {"txtST", {"txtSN"}}}},
        {"txtDN", {kNational, kNotIncorporated, {"txtDT", {"txtDN"}}}},
        {"txtTN", {{"txtTT", {"txtTN", "txtTE"}}}},
        {"txtTE", {{"txtTT", {"txtTN", "txtTE"}, false}}},
    };
    return table;
}

const Rule *ruleOf(const QString &field)
{
    for (const Rule &rule : rules())
        if (field == QLatin1String(rule.field))
            return &rule;
    return nullptr;
}

class Run {
public:
    explicit Run(const TextOf &textOf) : textOf_(textOf) {}

    void change(const QString &field, int depth = 0)
    {
        const Rule *rule = ruleOf(field);
        if (!rule || depth > 8)
            return;
        for (const Step &step : rule->steps) {
            const std::optional<double> sum = add(step);
            if (!sum)
                continue;
            const QString total = QString::fromLatin1(step.total);
            const QString text = decimalText(*sum);
            if (text == textOf(total))
                continue;
            written_.insert(total, text);
            writes_.append({total, text});
            change(total, depth + 1);
        }
    }

    QList<Write> writes() const { return writes_; }

private:
    QString textOf(const QString &field) const
    {
        const auto it = written_.constFind(field);
        return it != written_.cend() ? *it : textOf_(field);
    }

    std::optional<double> add(const Step &step) const
    {
        double sum = 0;
        for (const char *operand : step.operands) {
            const QString text = textOf(QString::fromLatin1(operand));
            if (!step.numericTest) {
                sum += leadingNumber(text);
                continue;
            }
            const std::optional<double> value = decimalNumber(text);
            if (!value)
                return std::nullopt;
            sum += *value;
        }
        return sum;
    }

    const TextOf &textOf_;
    QHash<QString, QString> written_;
    QList<Write> writes_;
};

} // namespace

QStringList watchedFields()
{
    QStringList out;
    for (const Rule &rule : rules())
        out.append(QString::fromLatin1(rule.field));
    return out;
}

QList<Write> changed(const QString &field, const TextOf &textOf)
{
    Run run(textOf);
    run.change(field);
    return run.writes();
}

} // namespace CostStructure

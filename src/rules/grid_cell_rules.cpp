#include "grid_cell_rules.h"

#include "checks/grid_dates.h"

#include <QHash>

namespace GridCellRules {

namespace {

// Entries of the length messages.
enum Message {
    TariffItemLength = 0,
    DescriptionLength = 1,
    RateLength = 2,
    PriceLength = 5,
    QuantityLength = 6,
    ValueLength = 7,
    DocumentLength = 8,
    ExporterLength = 9,
    AmountLength = 10,
};

const QString kCostFormat = QStringLiteral("###,###.#####");

template <GridColumnName E> CellRule cell(E column)
{
    CellRule rule;
    rule.column = columnIndex(column);
    return rule;
}

template <GridColumnName E> CellRule length(E column, int limit, Message message)
{
    CellRule rule = cell(column);
    rule.maxLength = limit;
    rule.lengthMessage = message;
    return rule;
}

template <GridColumnName E> CellRule date(E column)
{
    CellRule rule = cell(column);
    rule.maxLength = kDateLength;
    rule.lengthMessage = kDateLengthMessage;
    rule.date = true;
    return rule;
}

template <GridColumnName E> CellRule picker(E column, Picker list)
{
    CellRule rule = cell(column);
    rule.picker = list;
    return rule;
}

CellRule upperCase(CellRule rule)
{
    rule.upperCase = true;
    return rule;
}

CellRule startingAs(const QString &format, CellRule rule)
{
    rule.startFormat = format;
    return rule;
}

QHash<QString, QList<CellRule>> buildRules()
{
    QList<CellRule> unitCosts{
        upperCase(length(UnitCostCol::Descripcion, 30, DescriptionLength)),
        startingAs(kCostFormat, cell(UnitCostCol::CostoUnit)),
        length(UnitCostCol::TasaAdValorem, 6, RateLength),
    };
    QList<CellRule> imports{
        upperCase(picker(ImportCol::Clave, Picker::DocumentKey)),
        startingAs(QString(), date(ImportCol::FechaPago)), // shown as typed
        picker(ImportCol::Fraccion, Picker::TariffItem),
        startingAs(kCostFormat, length(ImportCol::PrecioUnitario, 12, PriceLength)),
        upperCase(picker(ImportCol::Pais, Picker::ImportCountry)),
        length(ImportCol::CantidadImportada, 8, QuantityLength),
        length(ImportCol::CantidadRetornada, 8, QuantityLength),
        length(ImportCol::ValorTotal, 19, ValueLength),
        length(ImportCol::ValorIncorporado, 19, ValueLength),
    };
    QList<CellRule> directExports{
        date(DirectExportCol::Fecha),
        upperCase(picker(DirectExportCol::PaisDestino, Picker::Country)),
        length(DirectExportCol::CantidadTotal, 8, QuantityLength),
        length(DirectExportCol::CantidadExportada, 8, QuantityLength),
        length(DirectExportCol::ValorTotal, 12, ValueLength),
        length(DirectExportCol::ValorUtilizado, 12, ValueLength),
    };
    QList<CellRule> indirectExports{
        length(IndirectExportCol::Documento, 15, DocumentLength),
        date(IndirectExportCol::Fecha),
        length(IndirectExportCol::CantidadTotal, 8, QuantityLength),
        length(IndirectExportCol::CantidadUtilizada, 8, QuantityLength),
        length(IndirectExportCol::ValorTotal, 12, ValueLength),
        length(IndirectExportCol::ValorUtilizado, 12, ValueLength),
        length(IndirectExportCol::ValorTotalDls, 12, ValueLength),
        length(IndirectExportCol::ValorUtilizadoDls, 12, ValueLength),
        upperCase(length(IndirectExportCol::ExportadorFinal, 20, ExporterLength)),
    };
    QList<CellRule> tlcan{
        upperCase(picker(TlcanCol::PaisImportador, Picker::Country)),
        length(TlcanCol::Fraccion, 8, TariffItemLength),
        date(TlcanCol::Fecha),
        length(TlcanCol::CantidadImportada, 8, QuantityLength),
        length(TlcanCol::PrecioUnitario, 12, PriceLength),
        length(TlcanCol::AdValorem, 2, RateLength),
        length(TlcanCol::MontSolic, 12, AmountLength),
    };
    return {{QStringLiteral("dbCU"), unitCosts},
            {QStringLiteral("dbMI"), imports},
            {QStringLiteral("dbED"), directExports},
            {QStringLiteral("dbEI"), indirectExports},
            {QStringLiteral("dbITLC"), tlcan}};
}

const QHash<QString, QList<CellRule>> &allRules()
{
    static const QHash<QString, QList<CellRule>> rules = buildRules();
    return rules;
}

} // namespace

const QList<CellRule> &rulesOf(const QString &grid)
{
    static const QList<CellRule> none;
    const auto it = allRules().constFind(grid);
    return it == allRules().cend() ? none : *it;
}

const CellRule *ruleOf(const QString &grid, int column)
{
    for (const CellRule &r : rulesOf(grid))
        if (r.column == column)
            return &r;
    return nullptr;
}

QString lengthComplaint(const QString &grid, int column, const QString &text, const QStringList &messages)
{
    const CellRule *rule = ruleOf(grid, column);
    if (!rule || rule->maxLength <= 0)
        return {};
    return GridDates::lengthComplaint(text, rule->maxLength, messages.value(rule->lengthMessage));
}

} // namespace GridCellRules

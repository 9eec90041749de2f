#include "folder_context.h"

#include "exchange/request_exchange.h"
#include "row_files.h"
#include "rules/fraction_line.h"
#include "rules/grid_columns.h"
#include "rules/request_mode.h"
#include "rules/window_texts.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/request_choices.h"

#include <algorithm>
#include <cmath>

namespace IncomingRows {

namespace {

// Every record of a catalogue table, as the text one line makes of it.
QStringList linesOf(const QString &folder, const QString &table,
                    const std::function<QString(Recordset &, int)> &line)
{
    const QString file = RequestExchange::findFile(folder, table + QStringLiteral(".dbf"));
    if (file.isEmpty())
        return {};
    Recordset rs(DbfTable::open(file));
    QStringList lines;
    for (int row = 0, rows = rs.rowCount(); row < rows; ++row)
        lines.append(line(rs, row));
    return lines;
}

} // namespace

QString gridOfTable(const QString &table)
{
    static const QHash<QString, QString> grids{{QStringLiteral("insunit"), QStringLiteral("dbCU")},
                                               {QStringLiteral("insupedi"), QStringLiteral("dbMI")},
                                               {QStringLiteral("exporped"), QStringLiteral("dbED")},
                                               {QStringLiteral("factura"), QStringLiteral("dbEI")},
                                               {QStringLiteral("imptlc"), QStringLiteral("dbITLC")}};
    QString name = table.toLower();
    if (name.endsWith(QLatin1String(".dbf")))
        name.chop(4);
    return grids.value(name);
}

Context contextOf(const QString &folder, const QString &grid, const QDate &today)
{
    Context context;
    context.grid = grid;
    context.today = today;
    context.lengthMessages = WindowTexts::gridLengthMessages();
    const QString solicitu = RequestExchange::findFile(folder, QStringLiteral("solicitu.dbf"));
    if (!solicitu.isEmpty()) {
        Recordset rs(DbfTable::open(solicitu));
        if (rs.rowCount() > 0) {
            rs.MoveFirst();
            const auto field = [&rs](const char *name) { return rs.Fields(QString::fromLatin1(name)).Value(); };
            const RequestChoices::Choices choices = RequestChoices::decode(
                {field("OTipoExpor"), field("Tipo_Expor"), field("Mer_Ret"), field("tsol"), field("folio"),
                 RequestChoices::readRefundType(folder)});
            const RequestMode::Mode mode =
                RequestMode::decide({choices.requestType == 0, choices.refundType, choices.exportType});
            context.opcDT = mode.opcDT.value_or(0);
            if (grid == QLatin1String("dbMI")) {
                context.shown = mode.importColumns.value_or(QString());
                context.locked = mode.importLocks.value_or(QString());
            } else if (grid == QLatin1String("dbCU")) {
                context.shown = mode.unitCostColumns.value_or(QString());
            }
        }
    }
    context.documentKeys = linesOf(folder, QStringLiteral("Pedimentos"),
                                   [](Recordset &rs, int row) { return rs.valueAt(row, 0).toString(); });
    context.fractionLines = linesOf(folder, QStringLiteral("insunit"), [](Recordset &rs, int row) {
        return FractionLine::build(rs.valueAt(row, 0), rs.valueAt(row, 1), rs.valueAt(row, 2));
    });
    context.countryCatalogue = linesOf(folder, QStringLiteral("Paises"),
                                       [](Recordset &rs, int row) { return rs.valueAt(row, 1).toString(); });
    context.countries = context.countryCatalogue;
    return context;
}

Mapping mapNames(const QString &grid, const QStringList &names)
{
    QStringList candidates;
    const GridDefinition *definition = GridColumns::grid(grid);
    const QList<GridColumn> columns = definition ? definition->columns : QList<GridColumn>();
    for (const GridColumn &c : columns)
        candidates.append(c.caption);
    for (const GridColumn &c : columns)
        candidates.append(c.field);
    Mapping mapping;
    for (const QString &name : names) {
        const int at = RowFiles::matchName(name, candidates);
        mapping.columns.append(at < 0 ? -1 : at % int(columns.size()));
        if (at < 0)
            mapping.unknown.append(name);
    }
    return mapping;
}

QList<QStringList> mapRows(const Mapping &mapping, const RowFiles::Sheet &sheet, Source *source)
{
    const int width = mapping.columns.isEmpty() ? 0 : *std::max_element(mapping.columns.cbegin(), mapping.columns.cend()) + 1;
    QList<QStringList> out;
    out.reserve(sheet.rows.size());
    for (qsizetype r = 0; r < sheet.rows.size(); ++r) {
        const QStringList &row = sheet.rows[r];
        QStringList cells(width);
        for (int i = 0; i < mapping.columns.size(); ++i)
            if (mapping.columns[i] >= 0)
                cells[mapping.columns[i]] = row.value(i, QStringLiteral(""));
        out.append(cells);
        if (!source || r >= sheet.numbers.size() || sheet.numbers[r].isEmpty())
            continue;
        // The marks of the file's columns, moved to the grid's.
        while (source->numbers.size() < r)
            source->numbers.append(QBitArray());
        QBitArray marks(width);
        const QBitArray &given = sheet.numbers[r];
        for (int i = 0; i < mapping.columns.size() && i < given.size(); ++i)
            if (mapping.columns[i] >= 0 && given.testBit(i))
                marks.setBit(mapping.columns[i]);
        source->numbers.append(marks);
    }
    if (source)
        for (const RowFiles::Fault &f : sheet.faults)
            if (const int column = mapping.columns.value(f.column, -1); column >= 0)
                source->faults.append({f.row, column, f.address, f.message});
    return out;
}

QHash<QString, QString> countryNames(const QString &folder)
{
    QHash<QString, QString> names;
    const QStringList pairs = linesOf(folder, QStringLiteral("Paises"), [](Recordset &rs, int row) {
        return rs.valueAt(row, 0).toString().trimmed() + u'\n' + rs.valueAt(row, 1).toString();
    });
    for (const QString &pair : pairs)
        names.insert(pair.section(u'\n', 0, 0), pair.section(u'\n', 1));
    return names;
}

namespace {

bool dateTaken(const QDate &paid, const QDate &today) { return paid.year() >= today.year() - 1 && paid <= today; }

} // namespace

QSet<QString> acceptedDates(const QList<DataStage::Pedimento> &pedimentos, const QDate &today)
{
    QSet<QString> chosen;
    for (const DataStage::Pedimento &p : pedimentos)
        if (dateTaken(p.paid, today))
            chosen.insert(p.number);
    return chosen;
}

namespace {

// The records of the imported goods (dbMI) or the direct exports (dbED), to
// be matched with a package's items one by one: the values of each
// pedimento and tariff item (the item empty for the exports).
class Held {
public:
    Held(const Context &context, Recordset &table)
    {
        const bool imports = context.grid == QLatin1String("dbMI");
        const GridDefinition *definition = GridColumns::grid(context.grid);
        const auto field = [&](int column) { return table.fieldIndex(definition->columns[column].field); };
        const int numberField = field(imports ? columnIndex(ImportCol::Pedimento) : columnIndex(DirectExportCol::Pedimento));
        const int itemField = imports ? field(columnIndex(ImportCol::Fraccion)) : -1;
        const int valueField =
            field(imports ? columnIndex(ImportCol::ValorTotal) : columnIndex(DirectExportCol::ValorTotal));
        if (numberField < 0 || valueField < 0 || (imports && itemField < 0))
            return; // a table of another shape holds none
        // A value matches what the table would keep of it: within half a
        // unit of the last place the field holds.
        const FieldDef &value = table.table()->field(valueField);
        tolerance_ = value.isNumeric() ? 0.5 * std::pow(10.0, -value.decimals) : 0;
        table.forEachRecord([&](const RecordView &r) {
            bool isNull = false;
            values_[{r.value(numberField).toString().trimmed(),
                     itemField < 0 ? QString() : r.value(itemField).toString().trimmed()}]
                .append(r.number(valueField, &isNull));
        });
    }

    bool isEmpty() const { return values_.isEmpty(); }

    // True when the table holds one more record of that pedimento, tariff
    // item and value (as numbers: "100.00" is "100"); that record is then
    // taken, and matches no other item.
    bool take(const QString &pedimento, const QString &item, const QString &value)
    {
        if (values_.isEmpty())
            return false;
        const auto found = values_.find({pedimento.trimmed(), item.trimmed()});
        if (found == values_.end())
            return false;
        const double wanted = value.toDouble();
        const double within = tolerance_ + 1e-9 * std::max(1.0, std::abs(wanted));
        const auto at =
            std::find_if(found->begin(), found->end(), [&](double held) { return std::abs(held - wanted) <= within; });
        if (at == found->end())
            return false;
        found->erase(at);
        return true;
    }

private:
    // By pedimento and tariff item, both trimmed.
    QHash<std::pair<QString, QString>, QList<double>> values_;
    double tolerance_ = 0;
};

// Which of the items the table holds: an import item by its pedimento,
// tariff item and ValorAduana; an export's items all, when the table holds
// its pedimento with the sum of their ValorDolares. Items of the other
// operation are not.
QList<bool> heldOf(const Context &context, Recordset &table, const QList<DataStage::Item> &items)
{
    const bool imports = context.grid == QLatin1String("dbMI");
    Held held(context, table);
    QList<bool> out(items.size(), false);
    if (held.isEmpty())
        return out;
    if (imports) {
        for (qsizetype i = 0; i < items.size(); ++i)
            out[i] = items[i].operation == 1
                     && held.take(items[i].pedimento, items[i].fraction, items[i].customsValue);
        return out;
    }
    QSet<QString> exports;
    for (const DataStage::Pedimento &p : DataStage::pedimentos(items, 2))
        if (held.take(p.number, QString(), p.value))
            exports.insert(p.number);
    for (qsizetype i = 0; i < items.size(); ++i)
        out[i] = items[i].operation == 2 && exports.contains(items[i].pedimento);
    return out;
}

} // namespace

QHash<QString, int> heldItems(const Context &context, Recordset &table, const QList<DataStage::Item> &items)
{
    const QList<bool> held = heldOf(context, table, items);
    QHash<QString, int> out;
    for (qsizetype i = 0; i < items.size(); ++i)
        if (held[i])
            ++out[items[i].pedimento];
    return out;
}

StageRows stageRows(const Context &context, Recordset &table, const QList<DataStage::Item> &items,
                    const QHash<QString, QString> &countries, bool tariffUnit, const QSet<QString> &chosen)
{
    const bool imports = context.grid == QLatin1String("dbMI");
    const int operation = imports ? 1 : 2;
    QSet<QString> fractions;
    for (const QString &line : context.fractionLines)
        fractions.insert(FractionLine::read(line).item.trimmed());
    const QList<bool> held = heldOf(context, table, items);
    // An export comes whole: its date is that of its first item, as the
    // dialog takes it (acceptedDates).
    const QSet<QString> exportsTaken =
        imports ? QSet<QString>() : acceptedDates(DataStage::pedimentos(items, 2), context.today);

    // Why an item is left out, the first that applies, in this order.
    enum Reason { OtherOperation, UnknownOperation, InTable, Date, NotCosted, NotChosen, Reasons };
    const std::array<QString, Reasons> reasons{
        imports ? QStringLiteral("son de exportación") : QStringLiteral("son de importación"),
        QStringLiteral("su tipo de operación no es 1 (importación) ni 2 (exportación)"),
        QStringLiteral("ya están en la tabla"),
        QStringLiteral("su fecha de pago no es de este año o del anterior, o es posterior a hoy"),
        QStringLiteral("su fracción no está en Costos Unitarios"),
        QStringLiteral("su pedimento no se eligió")};
    struct Tally {
        int count = 0;
        QStringList fractions; // in order of first appearance
        QHash<QString, int> each;
    };
    std::array<Tally, Reasons> tallies;

    StageRows out;
    QSet<QString> exportsKept;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const DataStage::Item &item = items[i];
        Reason reason = Reasons;
        if (item.operation != operation)
            reason = item.operation == 3 - operation ? OtherOperation : UnknownOperation;
        else if (held[i])
            reason = InTable;
        else if (imports ? !dateTaken(item.paid, context.today) : !exportsTaken.contains(item.pedimento))
            reason = Date;
        else if (imports && !fractions.contains(item.fraction.trimmed()))
            reason = NotCosted;
        else if (!chosen.isEmpty() && !chosen.contains(item.pedimento))
            reason = NotChosen;
        if (reason == Reasons) {
            if (imports)
                out.rows.append(DataStage::importRow(item, countries, tariffUnit));
            else
                exportsKept.insert(item.pedimento);
            continue;
        }
        Tally &tally = tallies[reason];
        ++tally.count;
        int &each = tally.each[item.fraction];
        if (each++ == 0)
            tally.fractions.append(item.fraction);
    }
    if (!exportsKept.isEmpty())
        out.rows = DataStage::exportRows(items, countries, tariffUnit, exportsKept);

    for (int r = 0; r < Reasons; ++r) {
        const Tally &tally = tallies[size_t(r)];
        if (tally.count == 0)
            continue;
        QStringList counted;
        for (const QString &fraction : tally.fractions)
            counted.append(QStringLiteral("%1 (%2)")
                               .arg(fraction.isEmpty() ? QStringLiteral("sin fracción") : fraction)
                               .arg(tally.each.value(fraction)));
        out.leftOut.append(QStringLiteral("%1 partidas no se traen: %2: %3")
                               .arg(tally.count)
                               .arg(reasons[size_t(r)], counted.join(QStringLiteral(", "))));
    }
    return out;
}

} // namespace IncomingRows

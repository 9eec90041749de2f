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

QSet<QString> acceptedDates(const QList<DataStage::Pedimento> &pedimentos, const QDate &today)
{
    QSet<QString> chosen;
    for (const DataStage::Pedimento &p : pedimentos)
        if (p.paid.year() >= today.year() - 1 && p.paid <= today)
            chosen.insert(p.number);
    return chosen;
}

QSet<QString> heldItems(const Context &context, Recordset &table)
{
    const bool imports = context.grid == QLatin1String("dbMI");
    const int number = imports ? columnIndex(ImportCol::Pedimento) : columnIndex(DirectExportCol::Pedimento);
    const GridDefinition *definition = GridColumns::grid(context.grid);
    const int numberField = table.fieldIndex(definition->columns[number].field);
    const int itemField = imports ? table.fieldIndex(definition->columns[columnIndex(ImportCol::Fraccion)].field) : -1;
    QSet<QString> held;
    table.forEachRecord([&](const RecordView &r) {
        held.insert(r.value(numberField).toString().trimmed() + u'|'
                    + (itemField < 0 ? QString() : r.value(itemField).toString().trimmed()));
    });
    return held;
}

QList<QStringList> stageRows(const Context &context, Recordset &table, const QList<DataStage::Item> &items,
                             const QHash<QString, QString> &countries, bool tariffUnit,
                             const QSet<QString> &chosen, int *present)
{
    const bool imports = context.grid == QLatin1String("dbMI");
    QStringList unitCostItems;
    for (const QString &line : context.fractionLines)
        unitCostItems.append(FractionLine::read(line).item);
    QList<QStringList> rows = imports ? DataStage::importRows(items, unitCostItems, countries, tariffUnit, chosen)
                                      : DataStage::exportRows(items, countries, tariffUnit, chosen);
    const QSet<QString> held = heldItems(context, table);
    const int number = imports ? columnIndex(ImportCol::Pedimento) : columnIndex(DirectExportCol::Pedimento);
    const int item = imports ? columnIndex(ImportCol::Fraccion) : -1;
    const auto before = rows.size();
    rows.removeIf([&](const QStringList &row) {
        return held.contains(row.value(number) + u'|' + (item < 0 ? QString() : row.value(item)));
    });
    if (present)
        *present = int(before - rows.size());
    return rows;
}

} // namespace IncomingRows

#include "incoming_rows.h"

#include "row_files.h"
#include "checks/grid_dates.h"
#include "rules/catalogue_match.h"
#include "rules/export_documents.h"
#include "rules/fraction_line.h"
#include "rules/grid_cell_rules.h"
#include "rules/imported_goods.h"
#include "store/dbf_table.h"
#include "store/field_codec.h"
#include "store/recordset.h"
#include "store/store_error.h"

#include <QFileInfo>
#include <QHash>
#include <algorithm>

namespace IncomingRows {

namespace {

using GridCellRules::CellRule;
using GridCellRules::Picker;

using GridCellRules::kCostLength;
using GridCellRules::kFractionDigits;
using GridCellRules::kPedimentoLength;
const QString kNotInList = QStringLiteral("No está en la lista; se toma como se escribió.");
const QString kSeveralInList = QStringLiteral("Corresponde a más de una entrada de la lista (%1); se toma como se "
                                              "escribió.");
const QString kKeyV1 = QStringLiteral("La clave V1 no se toma: la celda queda vacía.");

// One row typed cell after cell, as the grid's controller sees it.
class RowTyping {
public:
    RowTyping(const Context &context, const DbfTable &table, const Source &source, QString &locked)
        : c_(context), table_(table), source_(source), locked_(locked), keys_(context.documentKeys),
          fractions_(context.fractionLines, tariffItems(context.fractionLines)),
          countries_{CatalogueMatch::Index(context.countries), CatalogueMatch::Index(context.countryCatalogue)},
          imports_(context.grid == QLatin1String("dbMI")),
          committing_(context.grid == QLatin1String("dbED") || context.grid == QLatin1String("dbEI")
                      || context.grid == QLatin1String("dbITLC")),
          costField_(table.fieldIndex(QStringLiteral("COSTO_UNIT")))
    {
        const auto *grid = GridColumns::grid(context.grid);
        for (const GridColumn &column : grid ? grid->columns : QList<GridColumn>())
            fields_.append(table.fieldIndex(column.field));
        // Looked up once: the check asks for them cell after cell.
        for (int column = 0; column < fields_.size(); ++column)
            rules_.append(GridCellRules::ruleOf(context.grid, column));
    }

    RowResult run(int row, const QStringList &given, const QByteArray &base, const QList<Remark> &faults)
    {
        row_ = row;
        result_ = RowResult();
        result_.refusals = faults;
        fraction_.clear();
        cost_.reset();
        record_ = base.isEmpty() ? table_.blankRecord() : base;
        cells_.clear();
        cells_.reserve(fields_.size());
        for (int column = 0; column < fields_.size(); ++column)
            cells_.append(base.isEmpty() || fields_[column] < 0
                              ? QString()
                              : FieldCodec::displayText(table_.value(record_.constData(), fields_[column])));
        const QStringList before = cells_;
        bool anything = false;
        for (int column = 0; column < fields_.size(); ++column) {
            // A blank cell of a new row is no cell typed: it neither erases
            // what the row's rules work out nor brings today's date.
            const QString text = given.value(column);
            if (text.isNull() || !takes(column) || (base.isEmpty() && text.trimmed().isEmpty()))
                continue;
            anything = true;
            type(column, text);
        }
        beforeWrite();
        if (base.isEmpty() && !anything)
            return result_; // a blank line adds no record
        build(before, base.isEmpty());
        return result_;
    }

private:
    bool takes(int column) const
    {
        const auto at = [column](const QString &mask, char otherwise) {
            return column < mask.size() ? mask[column] : QLatin1Char(otherwise);
        };
        return fields_[column] >= 0 && at(c_.shown, '1') == QLatin1Char('1') && at(locked_, '0') != QLatin1Char('1');
    }
    QString &cell(int column) { return cells_[column]; }
    QString cellText(ImportCol column) { return cell(columnIndex(column)); }
    bool imports() const { return imports_; }

    void refuse(int column, const QString &message)
    {
        result_.refusals.append({row_, column, given_, message});
    }
    void flag(int column, const QString &message) { result_.flags.append({row_, column, given_, message}); }

    // The cell as the user means it: a figure read in its column's style,
    // a text for a list kept whole (the list finds it when the cell is
    // left), any other text of the imported goods through the keys their
    // cells take; then upper case where the column has it.
    void type(int column, const QString &text)
    {
        given_ = text;
        const CellRule *rule = rules_[column];
        QString typed;
        if (rule && rule->date) {
            typed = RowFiles::plainDate(text);
        } else if (table_.field(fields_[column]).isNumeric()) {
            if (isNumber(column)) {
                typed = text;
            } else {
                RowFiles::Figure figure = RowFiles::readFigure(text, source_.decimals.value(column));
                if (!figure.refusal.isEmpty()) {
                    refuse(column, figure.refusal);
                    return;
                }
                typed = std::move(figure.plain);
            }
        } else if (rule && rule->hasButton()) {
            typed = text.trimmed().toUpper();
        } else {
            typed = text;
        }
        if (imports() && !(rule && rule->hasButton())) {
            // A text whose every key the cell takes stays the same string.
            const auto swallowed = [](QChar ch) { return ImportedGoods::cellKey(ch.unicode()) == 0; };
            if (std::any_of(typed.cbegin(), typed.cend(), swallowed))
                typed.removeIf(swallowed);
            if (typed.isEmpty())
                typed.clear(); // nothing typed: null, as an untouched cell
        }
        if (rule && rule->upperCase)
            typed = typed.toUpper();
        cell(column) = typed;
        leave(column, rule);
    }

    bool isNumber(int column) const
    {
        const QBitArray &marks = row_ < source_.numbers.size() ? source_.numbers[row_] : kNoMarks;
        return column < marks.size() && marks.testBit(column);
    }

    // What leaving the cell runs: the grid's own cells first, then the
    // table of cell rules.
    void leave(int column, const CellRule *rule)
    {
        if (imports() ? leaveImportCell(column) : leaveOtherCell(column))
            return;
        if (!rule)
            return;
        if (rule->hasButton() && !cell(column).isEmpty())
            pick(column, rule->picker);
        lengthRule(column);
        if (rule->date && !cell(column).isEmpty()) {
            const GridDates::DateCheck date = GridDates::check(cell(column), c_.today);
            if (date.text != cell(column))
                cell(column) = date.text;
            for (const QString &complaint : date.complaints)
                refuse(column, complaint);
        }
        if (committing_)
            committedFigure(column);
    }

    bool leaveOtherCell(int column)
    {
        if (c_.grid == QLatin1String("dbCU")) {
            if (column == columnIndex(UnitCostCol::Fraccion) && cell(column).size() != 8)
                refuse(column, kFractionDigits);
            if (column == columnIndex(UnitCostCol::CostoUnit) && cell(column).size() > 12) {
                refuse(column, kCostLength);
                cell(column).clear();
            }
        } else if (c_.grid == QLatin1String("dbED") && column == columnIndex(DirectExportCol::Pedimento)) {
            pedimento(column);
        }
        return false;
    }

    bool leaveImportCell(int column)
    {
        switch (ImportCol(column)) {
        case ImportCol::Clave:
            if (cell(column) != QLatin1String("V1"))
                return false;
            cell(column).clear();
            flag(column, kKeyV1);
            return true;
        case ImportCol::Pedimento:
            pedimento(column);
            return true;
        case ImportCol::FechaPago:
            if (!cell(column).isEmpty())
                return false;
            cell(column) = c_.today.toString(QStringLiteral("dd/MM/yyyy"));
            return true;
        case ImportCol::Fraccion:
            if (!cell(column).isEmpty())
                pick(column, Picker::TariffItem);
            return true;
        case ImportCol::CantidadRetornada:
        case ImportCol::ValorTotal:
            lengthRule(column);
            apply(ImportedGoods::afterReturnedQuantity([this](ImportCol c) { return cellText(c); }));
            return true;
        case ImportCol::ValorIncorporado: {
            lengthRule(column);
            const ImportedGoods::IncorporatedCheck check =
                ImportedGoods::afterIncorporatedValue([this](ImportCol c) { return cellText(c); });
            if (check.refused) {
                refuse(column, ImportedGoods::kIncorporatedTooHigh);
                cell(column).clear();
            } else {
                apply(check.writes);
            }
            return true;
        }
        default:
            return false;
        }
    }

    void apply(const QList<ImportedGoods::CellWrite> &writes)
    {
        for (const ImportedGoods::CellWrite &w : writes)
            cell(columnIndex(w.column)) = w.text;
    }

    void pedimento(int column)
    {
        if (cell(column).size() != 15)
            refuse(column, kPedimentoLength);
    }

    void lengthRule(int column)
    {
        const QString complaint = GridCellRules::lengthComplaint(c_.grid, column, cell(column), c_.lengthMessages);
        if (!complaint.isEmpty())
            refuse(column, complaint);
    }

    // The entry of the cell's list the text stands for is taken, in the
    // list's own words; with none, or more than one, the text stays as it
    // came and is flagged.
    void pick(int column, Picker picker)
    {
        CatalogueMatch::Index &list = picker == Picker::DocumentKey  ? keys_
                                      : picker == Picker::TariffItem ? fractions_
                                                                     : countries_[picker == Picker::ImportCountry
                                                                                  && c_.opcDT == 2];
        const CatalogueMatch::Index::Found &found = list.find(cell(column));
        if (found.at < 0) {
            flag(column, found.others.isEmpty() ? kNotInList : kSeveralInList.arg(found.others.join(QLatin1String(", "))));
            return;
        }
        if (picker != Picker::TariffItem) {
            cell(column) = list.entry(found.at);
            return;
        }
        fraction_ = list.entry(found.at);
        fractionLine_ = fractionLine(found.at);
        if (cell(columnIndex(ImportCol::Fraccion)) != fractionLine_.parts.item)
            cell(columnIndex(ImportCol::Fraccion)) = fractionLine_.parts.item;
        cell(columnIndex(ImportCol::AdValorem)) = fractionLine_.rate;
    }

    static QStringList tariffItems(const QStringList &lines)
    {
        QStringList items;
        items.reserve(lines.size());
        for (const QString &line : lines)
            items.append(line.left(8));
        return items;
    }

    // A line of the tariff-item list read once, with the texts its rate
    // and cost give the cells, which the rows then share.
    struct ReadLine {
        FractionLine::Parts parts;
        QString rate;
        QString cost;
    };
    ReadLine fractionLine(int at)
    {
        auto known = fractionLines_.constFind(at);
        if (known == fractionLines_.cend()) {
            ReadLine line{FractionLine::read(fractions_.entry(at)), {}, {}};
            line.rate = FieldCodec::plainNumber(line.parts.rate);
            if (line.parts.cost)
                line.cost = FieldCodec::plainNumber(*line.parts.cost);
            known = fractionLines_.insert(at, line);
        }
        return *known;
    }

    void committedFigure(int column)
    {
        const ExportDocuments::Committed result =
            ExportDocuments::committed(c_.grid, column, [this](int c) { return cell(c); });
        for (const ExportDocuments::CellWrite &w : result.writes)
            cell(w.column) = w.text;
        for (int c : result.lock)
            setLock(c, true);
        for (int c : result.unlock)
            setLock(c, false);
        if (!result.refusal.isEmpty()) {
            refuse(column, result.refusal);
            cell(column).clear();
        }
    }

    void setLock(int column, bool on)
    {
        if (locked_.size() <= column)
            locked_ = locked_.leftJustified(fields_.size(), QLatin1Char('0'));
        locked_[column] = on ? QLatin1Char('1') : QLatin1Char('0');
    }

    // The tariff item picked brings its unit cost when the row is written.
    void beforeWrite()
    {
        if (!imports() || fraction_.isEmpty())
            return;
        const FractionLine::Parts &parts = fractionLine_.parts;
        if (cellText(ImportCol::Fraccion) != parts.item || !parts.cost)
            return;
        cell(columnIndex(ImportCol::PrecioUnitario)) = fractionLine_.cost;
        if ((c_.opcDT == 1 || c_.opcDT == 2) && !cellText(ImportCol::FechaPago).isEmpty())
            cost_ = *parts.cost;
    }

    void build(const QStringList &before, bool adding)
    {
        given_.clear();
        for (int column = 0; column < fields_.size(); ++column) {
            const QString &text = cells_[column];
            if (fields_[column] < 0 || (text == before[column] && !(adding && !text.isEmpty())))
                continue;
            const auto sameCell = [column](const Remark &r) { return r.column == column; };
            if (std::any_of(result_.refusals.cbegin(), result_.refusals.cend(), sameCell))
                continue; // said already, by the cell's own rule
            try {
                table_.setValue(record_.data(), fields_[column], text.isEmpty() ? QVariant() : QVariant(text));
            } catch (const StoreError &e) {
                given_ = text;
                refuse(column, e.message());
            }
        }
        if (cost_ && costField_ >= 0) {
            try {
                table_.setValue(record_.data(), costField_, *cost_);
            } catch (const StoreError &e) {
                refuse(columnIndex(ImportCol::PrecioUnitario), e.message());
            }
        }
        if (result_.accepted())
            result_.record = record_;
    }

    static inline const QBitArray kNoMarks;

    const Context &c_;
    const DbfTable &table_;
    const Source &source_;
    QString &locked_;
    CatalogueMatch::Index keys_;
    CatalogueMatch::Index fractions_;
    CatalogueMatch::Index countries_[2]; // the request's, the whole catalogue
    const bool imports_;    // the imported goods' grid
    const bool committing_; // a grid whose figures bring others when committed
    const int costField_;   // COSTO_UNIT, -1 when the table lacks it
    QList<int> fields_; // field of each column, -1 when the table lacks it
    QList<const CellRule *> rules_; // of each column, nullptr for none
    QHash<int, ReadLine> fractionLines_;

    int row_ = 0;
    RowResult result_;
    QStringList cells_; // what each column holds once the rules ran
    QByteArray record_;
    QString given_;   // the cell's text as given, for the remarks
    QString fraction_; // the picker line taken for the row's tariff item
    ReadLine fractionLine_;              // and what it says
    std::optional<double> cost_;
};

} // namespace

QList<RowFiles::Decimal> decimalStyles(const Context &context, const DbfTable &table, const QList<QStringList> &rows,
                                       const Source &source)
{
    const auto *grid = GridColumns::grid(context.grid);
    const QList<GridColumn> columns = grid ? grid->columns : QList<GridColumn>();
    QList<RowFiles::Decimal> styles(columns.size(), RowFiles::Decimal::Point);
    QList<int> untold;         // columns whose texts do not tell
    int told[2] = {};          // columns that tell a decimal point, a comma
    for (int column = 0; column < columns.size(); ++column) {
        const int field = table.fieldIndex(columns[column].field);
        const CellRule *rule = GridCellRules::ruleOf(context.grid, column);
        if (field < 0 || !table.field(field).isNumeric() || (rule && rule->date))
            continue;
        RowFiles::DecimalVote vote;
        for (int row = 0; row < rows.size(); ++row) {
            const QBitArray &marks = row < source.numbers.size() ? source.numbers[row] : QBitArray();
            if (column < rows[row].size() && !(column < marks.size() && marks.testBit(column)))
                vote.add(QStringView(rows[row][column]).trimmed());
        }
        styles[column] = vote.style();
        if (styles[column] == RowFiles::Decimal::Unknown && !vote.disagrees())
            untold.append(column);
        else if (styles[column] != RowFiles::Decimal::Unknown && vote.tells())
            ++told[styles[column] == RowFiles::Decimal::Comma];
    }
    if ((told[0] > 0) != (told[1] > 0))
        for (int column : untold)
            styles[column] = told[1] > 0 ? RowFiles::Decimal::Comma : RowFiles::Decimal::Point;
    return styles;
}

Checked check(const Context &context, const DbfTable &table, const QList<QStringList> &rows,
              const QList<QByteArray> &bases, const Progress &progress, const Source &source)
{
    Checked checked;
    checked.locked = context.locked;
    RowTyping typing(context, table, source, checked.locked);
    checked.rows.reserve(rows.size());
    // The faults by row, in the order the rows come.
    QList<Remark> faults = source.faults;
    std::stable_sort(faults.begin(), faults.end(), [](const Remark &a, const Remark &b) { return a.row < b.row; });
    auto fault = faults.cbegin();
    for (int row = 0; row < rows.size(); ++row) {
        if (progress && row % 4096 == 0 && !progress(row)) {
            checked.cancelled = true;
            break;
        }
        QList<Remark> own;
        for (; fault != faults.cend() && fault->row <= row; ++fault)
            if (fault->row == row)
                own.append(*fault);
        RowResult result = typing.run(row, rows[row], bases.value(row), own);
        if (!result.accepted())
            ++checked.refused;
        else if (!result.record.isEmpty())
            ++checked.accepted;
        checked.rows.append(std::move(result));
    }
    return checked;
}

Written write(const QString &folder, Recordset &rs, const Checked &checked, const QList<qint64> &targets)
{
    DbfTable &table = *rs.table();
    Written written;
    written.table = QFileInfo(table.path()).fileName();
    written.count = table.refreshCount();
    QList<UnfinishedWork::Replaced> rewrites;
    QList<QByteArray> added;
    added.reserve(checked.accepted);
    for (int row = 0; row < checked.rows.size(); ++row) {
        const QByteArray &record = checked.rows[row].record;
        if (record.isEmpty())
            continue;
        const qint64 target = targets.value(row, -1);
        if (target >= 0 && quint32(target) < written.count) {
            written.replaced.append({quint32(target), QByteArray(table.record(quint32(target)), table.recordLength())});
            rewrites.append({quint32(target), record});
        } else {
            added.append(record);
            ++written.appended;
        }
    }
    if (rewrites.isEmpty() && added.isEmpty())
        return written;
    UnfinishedWork::noteRows(folder, written.table, written.count, written.replaced);
    try {
        for (const UnfinishedWork::Replaced &r : rewrites)
            table.writeRecord(r.record, r.bytes);
        table.appendRecords(added);
        table.sync();
    } catch (const StoreError &) {
        // Taken back now, as the next start would.
        UnfinishedWork::undoRows(folder, written.table, written.count, written.replaced);
        UnfinishedWork::clear(folder);
        rs.tableChanged();
        throw;
    }
    UnfinishedWork::clear(folder);
    rs.tableChanged();
    return written;
}

void undo(const QString &folder, Recordset &rs, const Written &written)
{
    // The same note as the write's: a program that dies while undoing is
    // undone at the next start.
    UnfinishedWork::noteRows(folder, written.table, written.count, written.replaced);
    UnfinishedWork::undoRows(folder, written.table, written.count, written.replaced);
    UnfinishedWork::clear(folder);
    rs.tableChanged();
}

} // namespace IncomingRows

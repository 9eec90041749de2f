#include "row_transfer.h"

#include "grid_controller.h"
#include "grids/bound_grid.h"
#include "grids/record_table_model.h"
#include "incoming/folder_context.h"
#include "incoming/row_files.h"
#include "platform/file_choice.h"
#include "platform/message_box.h"
#include "remarks_dialog.h"
#include "stage_dialog.h"
#include "platform/work_progress.h"
#include "rules/grid_cell_rules.h"
#include "rules/grid_columns.h"
#include "store/data_link.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/store_error.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScopedValueRollback>
#include <algorithm>

RowTransfer::RowTransfer(GridController *controller, std::function<QString()> folder,
                         std::function<IncomingRows::Context()> context, QObject *parent)
    : QObject(parent), controller_(controller), grid_(controller->grid()), folder_(std::move(folder)),
      context_(std::move(context)), menu_(new QMenu(grid_))
{
    grid_->installEventFilter(this);
    viewport_ = grid_->viewport();
    viewport_->installEventFilter(this);
    // Rows typed or deleted since: what came in can no longer be taken back
    // as a whole.
    connect(grid_, &BoundGrid::AfterUpdate, this, [this] {
        if (!writing_)
            written_.reset();
    });
    connect(grid_, &BoundGrid::AfterDelete, this, [this] { written_.reset(); });

    menu_->addAction(QStringLiteral("Copiar"), QKeySequence::Copy, this, &RowTransfer::copy);
    menu_->addAction(QStringLiteral("Pegar"), QKeySequence::Paste, this, &RowTransfer::paste);
    QAction *undoAction = menu_->addAction(QStringLiteral("Deshacer"), QKeySequence::Undo, this, &RowTransfer::undo);
    connect(menu_, &QMenu::aboutToShow, this, [this, undoAction] { undoAction->setEnabled(canUndo()); });
    menu_->addSeparator();
    menu_->addAction(QStringLiteral("Importar renglones…"), QKeySequence(QStringLiteral("Ctrl+Shift+I")), this,
                     &RowTransfer::importFile);
    menu_->addAction(QStringLiteral("Exportar renglones…"), QKeySequence(QStringLiteral("Ctrl+Shift+E")), this,
                     &RowTransfer::exportFile);
    const QString name = grid_->objectName();
    if (name == QLatin1String("dbMI") || name == QLatin1String("dbED"))
        menu_->addAction(QStringLiteral("Importar del Data Stage…"), QKeySequence(QStringLiteral("Ctrl+Shift+D")),
                         this, &RowTransfer::importPackage);
    // The shortcuts work wherever the grid has the focus.
    for (QAction *action : menu_->actions()) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        if (!action->shortcut().matches(QKeySequence::Copy) && !action->shortcut().matches(QKeySequence::Paste)
            && !action->shortcut().matches(QKeySequence::Undo))
            grid_->addAction(action);
    }
    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { menu_->popup(grid_->viewport()->mapToGlobal(at)); });
}

bool RowTransfer::eventFilter(QObject *watched, QEvent *event)
{
    // The cell editor is a child of the viewport: it is watched as well
    // (told when its construction has only begun, so not yet a line editor).
    // The viewport is the one kept, not asked of a grid that may be going.
    if (watched == viewport_ && event->type() == QEvent::ChildAdded)
        static_cast<QChildEvent *>(event)->child()->installEventFilter(this);
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return QObject::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    const bool inEditor = qobject_cast<QLineEdit *>(watched) != nullptr;
    if (key->matches(QKeySequence::Paste)) {
        if (event->type() == QEvent::ShortcutOverride)
            return event->accept(), true;
        paste();
        return true;
    }
    if (inEditor)
        return QObject::eventFilter(watched, event); // Ctrl+C and Ctrl+Z of the text typed
    if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Undo)) {
        if (event->type() == QEvent::ShortcutOverride)
            return event->accept(), true;
        key->matches(QKeySequence::Copy) ? copy() : undo();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void RowTransfer::copy()
{
    const RecordTableModel *model = grid_->recordModel();
    QModelIndexList cells = grid_->selectionModel()->selectedIndexes();
    if (cells.isEmpty() && grid_->currentIndex().isValid())
        cells = {grid_->currentIndex()};
    if (cells.isEmpty())
        return;
    int top = cells[0].row(), bottom = top, left = cells[0].column(), right = left;
    for (const QModelIndex &i : cells) {
        top = std::min(top, i.row());
        bottom = std::max(bottom, i.row());
        left = std::min(left, i.column());
        right = std::max(right, i.column());
    }
    QStringList lines;
    for (int row = top; row <= bottom; ++row) {
        if (model->isNewRecordRow(row))
            continue;
        QStringList line;
        for (int column = left; column <= right; ++column)
            if (!grid_->isColumnHidden(column))
                line.append(grid_->selectionModel()->isSelected(model->index(row, column)) || cells.size() == 1
                                ? model->cellText(row, column)
                                : QString());
        lines.append(line.join(u'\t'));
    }
    QApplication::clipboard()->setText(lines.join(u'\n') + u'\n');
}

QList<QStringList> RowTransfer::clipboardBlock() const
{
    // What spreadsheets put on the clipboard: rows by line, cells by tab, a
    // cell holding a tab or a line break quoted.
    const QString text = QApplication::clipboard()->text();
    QList<QStringList> rows{QStringList{QString()}};
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        QString &cell = rows.last().last();
        if (quoted) {
            if (ch == u'"' && i + 1 < text.size() && text[i + 1] == u'"')
                cell.append(ch), ++i;
            else if (ch == u'"')
                quoted = false;
            else
                cell.append(ch);
        } else if (ch == u'"' && cell.isEmpty()) {
            quoted = true;
        } else if (ch == u'\t') {
            rows.last().append(QString(""));
        } else if (ch == u'\n') {
            rows.append(QStringList{QString("")});
        } else if (ch != u'\r') {
            cell.append(ch);
        }
    }
    if (rows.size() > 1 && rows.last() == QStringList{QString()})
        rows.removeLast(); // the line end after the last row
    for (QStringList &row : rows)
        for (QString &cell : row)
            if (cell.isNull())
                cell = QStringLiteral("");
    return rows;
}

void RowTransfer::paste()
{
    const QList<QStringList> block = clipboardBlock();
    if (block.size() == 1 && block[0].size() == 1) {
        typeIntoCell(block[0][0]);
        return;
    }
    // The block goes where the cursor stands now: the row being typed is
    // written first, and keeps its place.
    const QModelIndex at = grid_->currentIndex();
    if (!controller_->finishEditing())
        return;
    const int firstRow = at.isValid() ? at.row() : grid_->recordModel()->newRecordRow();
    if (firstRow < 0)
        return;
    // The cells fall on the columns shown, from the current one rightward.
    QList<int> columns;
    for (int c = at.isValid() ? at.column() : 0; c < grid_->ColumnsCount(); ++c)
        if (!grid_->isColumnHidden(c))
            columns.append(c);
    QList<QStringList> rows;
    QList<int> lines;
    rows.reserve(block.size());
    for (const QStringList &cells : block) {
        QStringList row(grid_->ColumnsCount());
        for (int i = 0; i < cells.size() && i < columns.size(); ++i)
            row[columns[i]] = cells[i];
        rows.append(row);
        lines.append(int(lines.size()) + 1);
    }
    bring(rows, firstRow, rows.size() > 1, QString(), lines);
}

void RowTransfer::typeIntoCell(const QString &text)
{
    // A figure is read as written, "1.234,56" too, before the cell's keys
    // could drop its separators; one that is none is said, not typed.
    QString typed = text;
    Recordset *rs = grid_->link() ? grid_->link()->recordset() : nullptr;
    const GridDefinition *definition = GridColumns::grid(grid_->objectName());
    const int column = grid_->currentIndex().column();
    if (rs && definition && column >= 0 && column < definition->columns.size()) {
        const int field = rs->table()->fieldIndex(definition->columns[column].field);
        const GridCellRules::CellRule *rule = GridCellRules::ruleOf(grid_->objectName(), column);
        if (field >= 0 && rs->table()->field(field).isNumeric() && !(rule && rule->date)) {
            QList<QStringList> row{QStringList(column + 1)};
            row[0][column] = text;
            IncomingRows::Source source;
            if (!decideDecimals(row, &source))
                return;
            const RowFiles::Figure figure = RowFiles::readFigure(text, source.decimals.value(column));
            if (!figure.refusal.isEmpty()) {
                MessageBox::warning(grid_->window(), QStringLiteral("«%1»: %2").arg(text.trimmed(), figure.refusal));
                return;
            }
            typed = figure.plain;
        }
    }
    // As if keyed: the cell opens, and every character goes through the
    // keys the cell takes.
    if (!grid_->cellEditor()) {
        grid_->setFocus(Qt::OtherFocusReason);
        static_cast<QAbstractItemView *>(grid_)->edit(grid_->currentIndex());
    }
    QLineEdit *editor = grid_->cellEditor();
    if (!editor)
        return;
    for (const QChar ch : std::as_const(typed)) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(editor, &press);
    }
}

bool RowTransfer::decideDecimals(const QList<QStringList> &rows, IncomingRows::Source *source)
{
    Recordset *rs = grid_->link() ? grid_->link()->recordset() : nullptr;
    if (!rs)
        return false;
    QList<RowFiles::Decimal> styles = IncomingRows::decimalStyles(context_(), *rs->table(), rows, *source);
    QStringList unknown;
    for (int c = 0; c < styles.size(); ++c)
        if (styles[c] == RowFiles::Decimal::Unknown)
            unknown.append(QStringLiteral("«%1»").arg(grid_->recordModel()->caption(c).simplified()));
    if (!unknown.isEmpty()) {
        // Nothing in those columns tells: "1,234" is a thousand and more with a
        // decimal point, one and a fraction with a decimal comma.
        const bool comma = MessageBox::question(
            grid_->window(),
            QStringLiteral("Las cifras de %1 se leen distinto con punto decimal (1,234.56) que con coma decimal "
                           "(1.234,56), y no se ve cuál usan.\n\n¿Están escritas con coma decimal (1.234,56)?")
                .arg(unknown.join(QLatin1String(", "))));
        for (RowFiles::Decimal &style : styles)
            if (style == RowFiles::Decimal::Unknown)
                style = comma ? RowFiles::Decimal::Comma : RowFiles::Decimal::Point;
    }
    source->decimals = styles;
    return true;
}

bool RowTransfer::bring(const QList<QStringList> &rows, int first, bool ask, const QString &note,
                        const QList<int> &lines, IncomingRows::Source source)
{
    Recordset *rs = grid_->link() ? grid_->link()->recordset() : nullptr;
    if (!rs || rows.isEmpty())
        return false;
    if (source.decimals.isEmpty() && !decideDecimals(rows, &source))
        return false;
    RecordTableModel *model = grid_->recordModel();
    QList<QByteArray> bases;
    QList<qint64> targets;
    try {
        DbfTable &table = *rs->table();
        for (int i = 0; i < rows.size() && first + i < model->recordCount(); ++i) {
            const quint32 record = rs->recordOfRow(first + i);
            targets.append(record);
            bases.append(QByteArray(table.record(record), table.recordLength()));
        }
    } catch (const StoreError &e) {
        MessageBox::warning(grid_->window(), e.message());
        return false;
    }

    WorkProgress progress(grid_->window(), QStringLiteral("Revisando los renglones…"), int(rows.size()));
    const IncomingRows::Checked checked = IncomingRows::check(
        context_(), *rs->table(), rows, bases, [&progress](int done) { return progress.step(done); }, source);
    progress.done();
    if (checked.cancelled)
        return false;

    QList<RemarksDialog::Line> remarks;
    for (const IncomingRows::RowResult &row : checked.rows)
        for (const auto *list : {&row.refusals, &row.flags})
            for (const IncomingRows::Remark &r : *list)
                remarks.append({lines.isEmpty() ? first + 1 + r.row : lines.value(r.row),
                                model->caption(r.column).simplified(), r.value, r.message, list == &row.refusals});
    const QString lineCaption = lines.isEmpty() ? QStringLiteral("Renglón") : QStringLiteral("Línea");
    const int changed = int(std::count_if(checked.rows.cbegin(), checked.rows.cbegin() + targets.size(),
                                          [](const IncomingRows::RowResult &r) { return !r.record.isEmpty(); }));
    QString summary = note.isEmpty() ? QString() : note + u'\n';
    summary += QStringLiteral("Se escribirán %1 renglones (%2 nuevos, %3 cambiados); %4 no se escriben.")
                          .arg(checked.accepted)
                          .arg(checked.accepted - changed)
                          .arg(changed)
                          .arg(checked.refused);
    if (checked.accepted == 0) {
        RemarksDialog::ask(grid_->window(), summary, lineCaption, remarks, false);
        return false;
    }
    if ((ask || checked.refused > 0) && !RemarksDialog::ask(grid_->window(), summary, lineCaption, remarks, true))
        return false;

    try {
        const QScopedValueRollback still(writing_, true);
        written_ = IncomingRows::write(folder_(), *rs, checked, targets);
    } catch (const StoreError &e) {
        // Taken back through another handle of the table: the rows and the
        // totals are read again from what it holds.
        written_.reset();
        model->reload();
        emit controller_->rowsDeleted();
        MessageBox::warning(grid_->window(), e.message());
        return false;
    }
    model->reload();
    writtenGeneration_ = rs->table()->generation();
    for (int c = 0; c < checked.locked.size() && c < grid_->ColumnsCount(); ++c)
        grid_->Columns(c).setLocked(checked.locked[c] == u'1');
    emit controller_->rowWritten();
    return true;
}

void RowTransfer::undo()
{
    if (!written_)
        return;
    Recordset *rs = grid_->link() ? grid_->link()->recordset() : nullptr;
    if (!rs)
        return;
    // Only the table as the rows left it is put back: after an erase, say,
    // the records kept for it are no longer the ones to restore.
    if (rs->table()->generation() != writtenGeneration_) {
        written_.reset();
        MessageBox::warning(grid_->window(), QStringLiteral("Ya no se puede deshacer: la tabla cambió después de "
                                                            "escribir los renglones."));
        return;
    }
    grid_->recordModel()->discardPendingRow();
    try {
        IncomingRows::undo(folder_(), *rs, *written_);
    } catch (const StoreError &e) {
        MessageBox::warning(grid_->window(), e.message());
    }
    written_.reset();
    grid_->recordModel()->reload();
    emit controller_->rowsDeleted();
}

void RowTransfer::importFile()
{
    const QString path = FileChoice::toRead(grid_->window(), QStringLiteral("Importar renglones"),
                                            QStringLiteral("Hojas y textos (*.csv *.txt *.xlsx);;Todos (*)"));
    if (path.isEmpty() || !controller_->finishEditing())
        return;
    RowFiles::Sheet sheet;
    try {
        sheet = RowFiles::read(path);
    } catch (const StoreError &e) {
        MessageBox::warning(grid_->window(), e.message());
        return;
    }
    IncomingRows::Mapping mapping = IncomingRows::mapNames(grid_->objectName(), sheet.names);
    if (!mapping.unknown.isEmpty() && !StageDialog::chooseColumns(grid_, sheet.names, &mapping))
        return;
    IncomingRows::Source source;
    const QList<QStringList> rows = IncomingRows::mapRows(mapping, sheet, &source);
    bring(rows, grid_->recordModel()->newRecordRow(), true, QString(), sheet.lines, source);
}

void RowTransfer::exportFile()
{
    // The name ends in .xlsx or .csv (the type chosen adds it), and the
    // file is written as its extension says.
    const QString path = FileChoice::toWrite(grid_->window(), QStringLiteral("Exportar renglones"),
                                             QStringLiteral("Hoja de cálculo (*.xlsx);;Texto CSV (*.csv)"));
    if (path.isEmpty() || !controller_->finishEditing())
        return;
    const RecordTableModel *model = grid_->recordModel();
    RowFiles::Sheet sheet;
    QList<int> columns;
    for (int c = 0; c < grid_->ColumnsCount(); ++c)
        if (!grid_->isColumnHidden(c) && model->isBound(c)) {
            columns.append(c);
            sheet.names.append(model->caption(c).simplified());
        }
    const int rows = model->recordCount();
    sheet.rows.reserve(rows);
    for (int row = 0; row < rows; ++row) {
        QStringList line;
        line.reserve(columns.size());
        for (int c : std::as_const(columns))
            line.append(model->cellValue(row, c));
        sheet.rows.append(line);
    }
    try {
        RowFiles::write(path, sheet);
    } catch (const StoreError &e) {
        MessageBox::warning(grid_->window(), e.message());
        return;
    }
    MessageBox::information(grid_->window(), QStringLiteral("Se escribieron %1 renglones en «%2».")
                                                 .arg(rows)
                                                 .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())));
}

void RowTransfer::importPackage()
{
    const QString path = FileChoice::toRead(grid_->window(), QStringLiteral("Importar del Data Stage"),
                                            QStringLiteral("Paquete del Data Stage (*.zip *.asc);;Todos (*)"));
    if (path.isEmpty() || !controller_->finishEditing())
        return;
    Recordset *rs = grid_->link() ? grid_->link()->recordset() : nullptr;
    if (!rs)
        return;
    try {
        // A file of the unpacked folder stands for the folder.
        const QString package = path.endsWith(QLatin1String(".asc"), Qt::CaseInsensitive) ? QFileInfo(path).path() : path;
        const DataStage::Package read = DataStage::read(package);
        const QList<DataStage::Item> &itemsRead = read.items;
        const IncomingRows::Context context = context_();
        const bool imports = context.grid == QLatin1String("dbMI");
        StageDialog::Choice choice;
        choice.tariffUnit = true;
        const QList<DataStage::Pedimento> found = DataStage::pedimentos(itemsRead, imports ? 1 : 2);
        choice.pedimentos = IncomingRows::acceptedDates(found, context.today);
        // The pedimentos whose items the grid holds: those are marked, and
        // a pedimento held whole is not ticked.
        const QHash<QString, int> held = IncomingRows::heldItems(context, *rs, itemsRead);
        for (const DataStage::Pedimento &p : found)
            if (held.value(p.number) >= p.items)
                choice.pedimentos.remove(p.number);
        if (!StageDialog::choose(grid_, found, held, &choice))
            return;
        if (choice.pedimentos.isEmpty()) {
            MessageBox::information(grid_->window(), QStringLiteral("No se eligió ningún pedimento del paquete."));
            return;
        }
        const IncomingRows::StageRows staged = IncomingRows::stageRows(
            context, *rs, itemsRead, IncomingRows::countryNames(folder_()), choice.tariffUnit, choice.pedimentos);
        // What the package left out, and why, goes before the rows' own.
        QStringList notes = read.notes() + staged.leftOut;
        if (staged.rows.isEmpty()) {
            notes.prepend(QStringLiteral("El paquete no tiene renglones nuevos para esta tabla."));
            MessageBox::information(grid_->window(), notes.join(u'\n'));
            return;
        }
        // The package writes its amounts with a decimal point, always.
        IncomingRows::Source source;
        source.decimals = QList<RowFiles::Decimal>(grid_->ColumnsCount(), RowFiles::Decimal::Point);
        bring(staged.rows, grid_->recordModel()->newRecordRow(), true, notes.join(u'\n'), {}, source);
    } catch (const StoreError &e) {
        MessageBox::warning(grid_->window(), e.message());
    }
}

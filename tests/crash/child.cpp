#include "child.h"

#include "grid_work.h"

#include "app/program_start.h"
#include "grids/bound_grid.h"
#include "grids/record_table_model.h"
#include "platform/message_box.h"
#include "platform/spanish_translation.h"
#include "rules/window_texts.h"
#include "store/data_link.h"
#include "store/recordset.h"
#include "store/request_links.h"
#include "store/store_error.h"
#include "window/frm_quelvar.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace CrashTrial {

namespace {

using Lines = QList<QStringList>;

// The header boxes a save types into, with what they take.
struct HeaderBox {
    const char *name;
    enum Kind { Name, Digits, Figure } kind;
    int width;
};
const HeaderBox kHeaderBoxes[] = {
    {"txtRSocial", HeaderBox::Name, 60},   {"txtDireccion", HeaderBox::Name, 60}, {"txtColonia", HeaderBox::Name, 25},
    {"txtTelefono", HeaderBox::Digits, 10}, {"txtNRLegal", HeaderBox::Name, 20},  {"txtCuenta", HeaderBox::Digits, 11},
    {"txtProducto", HeaderBox::Name, 50},  {"txtCantidadExp", HeaderBox::Figure, 8},
};
const char *const kNames[] = {"ÑANDÚ", "ÁGUILA REAL", "DEL NORTE", "CAMIÓN Y ACERO", "PEÑA", "SUR"};

class Child {
public:
    explicit Child(const ChildOptions &options) : options_(options), rng_(options.seed) {}

    int run();

private:
    // --- the pipe ---
    void send(const Lines &lines) const;
    void begin(Phase phase, const QStringList &args = {});
    void end(Lines state);

    // --- the window ---
    FrmQuelvar *window() const { return program_->window.get(); }
    QTabWidget *tabs() const { return window()->findChild<QTabWidget *>(QStringLiteral("SSTabDatos")); }
    BoundGrid *grid(const QString &name) const { return window()->findChild<BoundGrid *>(name); }
    Recordset *recordset(const QString &table) const;
    QStringList rowLine(const QString &table, int row) const;
    Lines headerState() const;
    void command(int index) const;
    static QWidget *focus() { return QApplication::focusWidget(); }
    void typeCell(BoundGrid *g, int row, int column, const QString &text) const;
    void leaveRow(BoundGrid *g, int row) const;

    // --- the operations ---
    void step(Phase phase);
    Phase pick();
    const GridWork *gridToWork(bool needsRows);
    bool bringTab(int tab);
    void save();
    void changeTab(int tab);
    void newRow(const GridWork &g);
    void editRow(const GridWork &g);
    void deleteRow(const GridWork &g);
    void erase(bool everything);
    void recover();

    ChildOptions options_;
    QRandomGenerator rng_;
    std::unique_ptr<RunningProgram> program_;
    QElapsedTimer clock_;
    quint64 serial_ = 0;
};

void Child::send(const Lines &lines) const
{
    QByteArray out;
    for (const QStringList &l : lines)
        out += line(l);
    // One write: the parent gets the block whole or, after a kill, not at all.
    if (::write(options_.out, out.constData(), size_t(out.size())) != out.size())
        ::_exit(3);
}

void Child::begin(Phase phase, const QStringList &args)
{
    MessageBox::clearShown();
    // Every question the operation asks is answered Yes: the erase's, the
    // recovery's, a deletion's, the unit costs' on leaving their tab.
    MessageBox::setNextAnswers({MessageBox::Answer::Yes, MessageBox::Answer::Yes, MessageBox::Answer::Yes});
    send({QStringList{QStringLiteral("inicio"), phaseName(phase)} + args});
    clock_.start();
}

void Child::end(Lines state)
{
    for (const MessageBox::Shown &m : MessageBox::shown())
        if (!m.question && m.text != QLatin1String("Proceso terminado."))
            state.append({QStringLiteral("aviso"), m.text});
    state.append({QStringLiteral("hecho"), QString::number(clock_.elapsed())});
    send(state);
    MessageBox::clearShown();
}

Recordset *Child::recordset(const QString &table) const
{
    const QList<DataLink *> links = window()->links()->requestLinks();
    return links.value(tables().indexOf(table))->recordset();
}

QStringList Child::rowLine(const QString &table, int row) const
{
    Recordset *rs = recordset(table);
    QStringList out{QStringLiteral("registro"), table, QString::number(row)};
    for (int i = 0; i < rs->fieldCount(); ++i)
        out.append(valueText(rs->valueAt(row, i)));
    return out;
}

Lines Child::headerState() const
{
    Lines lines;
    for (const QString &table : {QStringLiteral("empresas"), QStringLiteral("solicitu")})
        if (Recordset *rs = recordset(table); rs && rs->rowCount() > 0)
            lines.append(rowLine(table, 0));
    return lines;
}

void Child::command(int index) const
{
    QTest::mouseClick(window()->findChild<QToolButton *>(QStringLiteral("cmdAccion(%1)").arg(index)), Qt::LeftButton);
}

void Child::typeCell(BoundGrid *g, int row, int column, const QString &text) const
{
    g->setCurrentIndex(g->model()->index(row, column));
    g->setFocus();
    QCoreApplication::processEvents();
    for (const QChar c : text) // the first key opens the cell's editor
        QTest::keyClick(focus(), c.toLatin1());
    // Tab leaves the cell; from the last column it goes back instead of on
    // to the next row.
    QTest::keyClick(focus(), column + 1 < g->ColumnsCount() ? Qt::Key_Tab : Qt::Key_Backtab);
    QCoreApplication::processEvents();
}

void Child::leaveRow(BoundGrid *g, int row) const
{
    // The user leaves the row with the arrows: Down from the new-record
    // line writes it, any move to another row writes a stored one.
    g->setFocus();
    QTest::keyClick(g, row > 0 && !g->recordModel()->isNewRecordRow(row) ? Qt::Key_Up : Qt::Key_Down);
    QCoreApplication::processEvents();
    if (g->hasPendingRow()) {
        // Refused: the typed texts are dropped, so that no later save
        // writes them behind the log's back.
        QTest::keyClick(focus() ? focus() : g, Qt::Key_Escape);
        QTest::keyClick(g, Qt::Key_Escape);
        QCoreApplication::processEvents();
    }
}

bool Child::bringTab(int tab)
{
    if (tabs()->currentIndex() == tab)
        return true;
    if (!tabs()->isTabVisible(tab))
        return false;
    changeTab(tab);
    return tabs()->currentIndex() == tab;
}

void Child::save()
{
    // One to four boxes of the company and the request typed over, perhaps
    // the bank chosen, then "Grabar datos".
    QList<const HeaderBox *> boxes;
    for (const HeaderBox &b : kHeaderBoxes)
        boxes.append(&b);
    std::shuffle(boxes.begin(), boxes.end(), rng_);
    boxes = boxes.mid(0, rng_.bounded(1, 5));
    begin(Phase::Save);
    for (const HeaderBox *b : std::as_const(boxes)) {
        QString value;
        switch (b->kind) {
        case HeaderBox::Name:
            value = QStringLiteral("%1 %2").arg(QString::fromUtf8(kNames[rng_.bounded(6)])).arg(rng_.bounded(1000));
            break;
        case HeaderBox::Digits:
            value = QString::number(rng_.bounded(1, 1'000'000'000)).rightJustified(b->width, u'5');
            break;
        case HeaderBox::Figure:
            value = QString::number(rng_.bounded(1, 99999));
            break;
        }
        auto *box = window()->findChild<QLineEdit *>(QString::fromLatin1(b->name));
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, value.left(b->width));
    }
    if (rng_.bounded(3) == 0) {
        auto *bank = window()->findChild<QComboBox *>(QStringLiteral("cmbBanco"));
        const int index = int(rng_.bounded(quint32(WindowTexts::banks().size())));
        bank->setCurrentIndex(index);
        emit bank->activated(index);
    }
    command(6);
    end(headerState());
}

void Child::changeTab(int tab)
{
    begin(Phase::Tab, {QString::number(tab)});
    tabs()->setCurrentIndex(tab);
    QCoreApplication::processEvents();
    end(headerState());
}

void Child::newRow(const GridWork &g)
{
    BoundGrid *view = grid(g.grid);
    RecordTableModel *model = view->recordModel();
    const QString key = keyText(g, quint64(options_.seed) * 1000 + ++serial_);
    Recordset *rs = recordset(g.table);
    const int before = rs->rowCount();
    const int row = model->newRecordRow();
    begin(Phase::NewRow, {g.table, key});
    for (int column : g.newColumns)
        if (!view->isColumnHidden(column) && !model->isLocked(column))
            typeCell(view, row, column, cellText(g, column, key, rng_));
    leaveRow(view, row);
    Lines state;
    rs = recordset(g.table);
    if (rs->rowCount() == before + 1)
        state.append(rowLine(g.table, before));
    else if (rs->rowCount() != before)
        state.append({QStringLiteral("aviso"), QStringLiteral("la tabla pasó de %1 a %2 renglones")
                                                   .arg(before)
                                                   .arg(rs->rowCount())});
    end(state);
}

void Child::editRow(const GridWork &g)
{
    BoundGrid *view = grid(g.grid);
    RecordTableModel *model = view->recordModel();
    QList<int> columns;
    for (int column : g.editColumns)
        if (!view->isColumnHidden(column) && !model->isLocked(column))
            columns.append(column);
    if (columns.isEmpty() || model->recordCount() == 0)
        return;
    const int row = int(rng_.bounded(quint32(model->recordCount())));
    const int column = columns[int(rng_.bounded(quint32(columns.size())))];
    begin(Phase::EditRow, {g.table, QString::number(row)});
    typeCell(view, row, column, cellText(g, column, {}, rng_));
    leaveRow(view, row);
    end({rowLine(g.table, row)});
}

void Child::deleteRow(const GridWork &g)
{
    BoundGrid *view = grid(g.grid);
    const int count = view->recordModel()->recordCount();
    if (count == 0)
        return;
    const int row = int(rng_.bounded(quint32(count)));
    begin(Phase::DeleteRow, {g.table, QString::number(row)});
    view->clearSelection();
    view->setCurrentIndex(view->model()->index(row, 0));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Delete);
    QCoreApplication::processEvents();
    Lines state;
    const int after = recordset(g.table)->rowCount();
    if (after == count - 1)
        state.append({QStringLiteral("borrada"), g.table, QString::number(row)});
    else if (after != count)
        state.append({QStringLiteral("aviso"), QStringLiteral("la tabla pasó de %1 a %2 renglones").arg(count).arg(after)});
    end(state);
}

void Child::erase(bool everything)
{
    begin(everything ? Phase::EraseAll : Phase::EraseRequest);
    command(everything ? 2 : 3);
    Lines state;
    for (const QString &table : tables()) {
        if (!everything && table == QLatin1String("empresas"))
            continue;
        if (Recordset *rs = recordset(table); rs && rs->rowCount() == 0)
            state.append({QStringLiteral("vaciada"), table});
    }
    end(state);
}

void Child::recover()
{
    begin(Phase::Recover);
    command(7);
    Lines state;
    if (MessageBox::shownTexts().contains(QStringLiteral("Proceso terminado.")))
        state.append({QStringLiteral("recuperado")});
    end(state);
}

const GridWork *Child::gridToWork(bool needsRows)
{
    QList<const GridWork *> candidates;
    for (const GridWork &g : gridWork()) {
        BoundGrid *view = grid(g.grid);
        if (!tabs()->isTabVisible(g.tab) || view->isColumnHidden(g.keyColumn))
            continue;
        if (needsRows && view->recordModel()->recordCount() == 0)
            continue;
        candidates.append(&g);
    }
    if (candidates.isEmpty())
        return nullptr;
    const GridWork *g = candidates[int(rng_.bounded(quint32(candidates.size())))];
    return bringTab(g->tab) ? g : nullptr;
}

Phase Child::pick()
{
    static const std::pair<Phase, int> weights[] = {
        {Phase::Save, 18},     {Phase::Tab, 10},       {Phase::NewRow, 32},         {Phase::EditRow, 16},
        {Phase::DeleteRow, 12}, {Phase::EraseAll, 3}, {Phase::EraseRequest, 3}, {Phase::Recover, 6},
    };
    int n = int(rng_.bounded(100));
    for (const auto &[phase, weight] : weights) {
        if (n < weight)
            return phase;
        n -= weight;
    }
    return Phase::Save;
}

void Child::step(Phase phase)
{
    switch (phase) {
    case Phase::Save:
        save();
        break;
    case Phase::Tab: {
        QList<int> shown;
        for (int i = 0; i < tabs()->count(); ++i)
            if (tabs()->isTabVisible(i) && i != tabs()->currentIndex())
                shown.append(i);
        if (!shown.isEmpty())
            changeTab(shown[int(rng_.bounded(quint32(shown.size())))]);
        break;
    }
    case Phase::NewRow:
        if (const GridWork *g = gridToWork(false))
            newRow(*g);
        break;
    case Phase::EditRow:
    case Phase::DeleteRow: {
        const GridWork *g = gridToWork(true);
        if (!g)
            g = gridToWork(false);
        if (!g)
            break;
        if (grid(g->grid)->recordModel()->recordCount() == 0)
            newRow(*g);
        if (phase == Phase::EditRow)
            editRow(*g);
        else
            deleteRow(*g);
        break;
    }
    case Phase::EraseAll:
    case Phase::EraseRequest:
        erase(phase == Phase::EraseAll);
        break;
    case Phase::Recover:
        recover();
        break;
    default:
        break;
    }
}

int Child::run()
{
    MessageBox::setScripted(true);
    QString program = QCoreApplication::applicationFilePath();
    program_ = startProgram({program, options_.folder});
    if (!program_->window) {
        send({{QStringLiteral("fallo"), MessageBox::shownTexts().join(QStringLiteral(" / "))}});
        return 1;
    }
    window()->show();
    window()->activateWindow();
    if (!QTest::qWaitForWindowActive(window())) {
        send({{QStringLiteral("fallo"), QStringLiteral("la ventana no se activó")}});
        return 1;
    }
    // What the window opened with, then the loop.
    Lines opened;
    for (const QString &table : tables()) {
        QList<Row> rows;
        if (Recordset *rs = recordset(table))
            for (int r = 0; r < rs->rowCount(); ++r)
                rows.append(rowLine(table, r).mid(3));
        opened.append({QStringLiteral("abierto"), table, QString::number(rows.size()), rowsHash(rows)});
    }
    for (const MessageBox::Shown &m : MessageBox::shown())
        opened.append({QStringLiteral("aviso"), m.text});
    opened.append({QStringLiteral("listo")});
    send(opened);
    if (options_.firstPhase >= 0)
        step(Phase(options_.firstPhase));
    for (;;)
        step(pick());
}

} // namespace

int runChild(int argc, char **argv, const ChildOptions &options)
{
    // Nothing outlives the parent: its death kills the child.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quelvar"));
    SpanishTranslation::install();
    try {
        return Child(options).run();
    } catch (const StoreError &e) {
        const QByteArray out = line({QStringLiteral("fallo"), e.message()});
        [[maybe_unused]] const ssize_t w = ::write(options.out, out.constData(), size_t(out.size()));
        return 1;
    }
}

} // namespace CrashTrial

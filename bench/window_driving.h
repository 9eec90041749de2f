#pragma once

// Shared by the benchmarks that drive the request window: its opening up to
// the first painting, keys typed into a grid as the user types them, a row
// edited and written, the totals it shows, and the messages it showed.

#include "grids/bound_grid.h"
#include "grids/record_table_model.h"
#include "platform/message_box.h"
#include "window/frm_quelvar.h"

#include "bench_common.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace BenchWindow {

using namespace BenchTiming;

inline void drain()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Notes the first painting of the widget it watches.
class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject *, QEvent *event) override
    {
        painted = painted || event->type() == QEvent::Paint;
        return false;
    }
};

// The window as the program opens it, up to its first painting: shown, and
// the events processed until it is exposed and drawn.
inline std::unique_ptr<FrmQuelvar> openWindow(const QString &folder)
{
    auto window = std::make_unique<FrmQuelvar>(folder);
    PaintWatch watch;
    window->installEventFilter(&watch);
    window->show();
    const auto shown = Clock::now();
    while (!watch.painted && millis(Clock::now() - shown) < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    window->removeEventFilter(&watch);
    if (!watch.painted) {
        std::fprintf(stderr, "la ventana no se dibujó\n");
        std::exit(1);
    }
    return window;
}

// The median of the window's start-up on the folder over the runs. With
// `forget`, what the last window kept beside the tables for the next start
// is removed before each run: the tables are read, as on the first opening
// of a folder or after another program wrote them.
inline double startUp(const QString &folder, int runs, bool forget = false)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (forget)
            QFile::remove(QDir(folder).filePath(QStringLiteral(".quelvar.sumas")));
        const auto start = Clock::now();
        std::unique_ptr<FrmQuelvar> window = openWindow(folder);
        times.push_back(millis(Clock::now() - start));
        window.reset();
        drain();
    }
    return median(times);
}

inline void sendKey(QWidget *target, int key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
}

// Types the digits on the current cell as the user does (the first key opens
// its editor over the text there, selected), then Enter.
inline void typeCell(BoundGrid *grid, const QString &digits)
{
    for (const QChar c : digits) {
        QWidget *target = grid->cellEditor() ? static_cast<QWidget *>(grid->cellEditor()) : grid;
        sendKey(target, Qt::Key_0 + (c.unicode() - u'0'), QString(c));
    }
    if (QLineEdit *editor = grid->cellEditor())
        sendKey(editor, Qt::Key_Return, QStringLiteral("\r"));
    QCoreApplication::processEvents();
}

// True when no message was shown; otherwise each is printed.
inline bool noMessages()
{
    const QStringList texts = MessageBox::shownTexts();
    for (const QString &t : texts)
        std::fprintf(stderr, "mensaje mostrado: %s\n", qPrintable(t));
    return texts.isEmpty();
}

// Brings the tab forward: the grid shown, its column shown and open to typing.
inline BoundGrid *gridInFront(FrmQuelvar &window, int tab, const QString &name, int column)
{
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("SSTabDatos"));
    tabs->setCurrentIndex(tab);
    drain();
    BoundGrid *grid = window.findChild<BoundGrid *>(name);
    if (tabs->currentIndex() != tab || !grid || !grid->isVisible() || grid->isColumnHidden(column)
        || grid->recordModel()->isLocked(column) || !noMessages()) {
        std::fprintf(stderr, "la pestaña %d no quedó al frente con la columna %d de %s (al frente: %d)\n", tab,
                     column, qPrintable(name), tabs->currentIndex());
        if (grid)
            std::fprintf(stderr, "  visible %d, oculta %d, bloqueada %d\n", grid->isVisible(),
                         grid->isColumnHidden(column), grid->recordModel()->isLocked(column));
        return nullptr;
    }
    return grid;
}

// Types a new figure (200 and 300 by turns) into the cell 10 x RUNS times,
// each confirmed with Enter, then the row written and the events that
// follow processed. The median time; the last figure typed in *typed.
inline double rowWrites(BoundGrid *grid, int row, int column, int runs, int *typed)
{
    RecordTableModel *model = grid->recordModel();
    std::vector<double> writes;
    for (int i = 0; i < runs * 10; ++i) {
        grid->setCurrentIndex(model->index(row, column));
        drain();
        *typed = 200 + 100 * (i % 2);
        const auto start = Clock::now();
        typeCell(grid, QString::number(*typed));
        grid->commitPendingRow();
        QCoreApplication::processEvents();
        writes.push_back(millis(Clock::now() - start));
    }
    return median(writes);
}

// Whether a cell holds the number expected.
inline bool holdsNumber(const QString &value, double expected) { return std::abs(value.toDouble() - expected) < 1e-9; }

// A total as the window shows it, with its thousands separators.
inline double shownNumber(const FrmQuelvar &window, const char *name)
{
    const QLineEdit *box = window.findChild<QLineEdit *>(QString::fromLatin1(name));
    bool ok = false;
    const double value = box ? QString(box->text()).remove(u',').toDouble(&ok) : 0;
    return ok ? value : std::nan("");
}

// Whether the box shows the total expected (to the cent); prints it if not.
inline bool showsTotal(const FrmQuelvar &window, const char *box, double expected)
{
    const double shown = shownNumber(window, box);
    if (std::abs(shown - expected) < 0.005)
        return true;
    std::fprintf(stderr, "%s: %.2f, se esperaba %.2f\n", box, shown, expected);
    return false;
}

} // namespace BenchWindow

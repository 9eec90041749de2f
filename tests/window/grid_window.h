#pragma once

// The request window with its document grids driven by keys and the mouse:
// a direct request of transformed goods with two unit costs and a direct
// export, every tab and imported-goods column shown.

#include "window_harness.h"

#include "grids/bound_grid.h"
#include "grids/record_table_model.h"
#include "rules/grid_cell_rules.h"
#include "rules/window_texts.h"

#include <QApplication>
#include <QListWidget>

inline const QDate kToday(2004, 6, 15);
inline const QMap<QString, int> kTab{{"dbCU", 4}, {"dbMI", 5}, {"dbED", 6}, {"dbEI", 7}, {"dbITLC", 8}};

// The window's length messages, by their entry.
inline QString tooLong(int entry) { return WindowTexts::gridLengthMessages().value(entry) + " Rectifica por favor"; }

inline const QString kFormat =
    QStringLiteral(" La fecha tiene un formato incorrecto, debe ser del tipo 01/01/2001. Rectifica por favor");
inline const QString kLate = QStringLiteral(
    "La fecha introducida es posterior a la actual. Debe ser menor o igual al día de hoy. Rectifica por favor");
inline const QString kPedimento =
    QStringLiteral("La longitud del pedimento sólo puede ser de 15 números.  Rectifica por favor");
inline const QString kFraction = QStringLiteral("La fracción debe ser de 8 dígitos. Rectifica por favor");
inline const QString kCost = QStringLiteral("El precio unitario no debe de exceder de 12 números. Rectifica por favor");
inline const QString kTornillos = QStringLiteral("73181500        2.25           5"); // its line in lstFraccion

// MER_RET "N" (not originating) makes the imported goods' country use the
// list of every country.
struct Window : WindowHarness {
    bool start(const QString &merRet, const RequestFixture::Records &more = {})
    {
        RequestFixture::Records records{
            {"solicitu", {{{"OTIPOEXPOR", 0.0}, {"TIPO_EXPOR", "M"}, {"MER_RET", merRet}, {"TSOL", "N"}}}},
            {"insunit",
             {{{"FRACCION", "01020304"}, {"TASA_ADVAL", 10.0}, {"COSTO_UNIT", 15.5}, {"DESCRIP", "TUERCAS"}},
              {{"FRACCION", "73181500"}, {"TASA_ADVAL", 5.0}, {"COSTO_UNIT", 2.25}, {"DESCRIP", "TORNILLOS"}}}},
            {"exporped", {{{"NO_PEDIMEN", "123456789012345"}}}}};
        records.insert(more);
        if (!open(records))
            return false;
        window->setToday(kToday);
        window->EstableceVisiblesTab(QStringLiteral("111111111"));
        window->EstableceVisiblesDB(QStringLiteral("111111111111111"), grid("dbMI"));
        return true;
    }
    BoundGrid *grid(const QString &name) const { return get<BoundGrid>(name); }
    QListWidget *list(const QString &name) const { return get<QListWidget>(name); }
    // Brings the grid's tab forward and the cursor to one of its cells.
    BoundGrid *at(const QString &name, int column, int row = 0) const
    {
        window->activateWindow();
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(window.get());
        tabs()->setCurrentIndex(kTab.value(name));
        BoundGrid *g = grid(name);
        g->setCurrentIndex(g->model()->index(row, column));
        g->setFocus();
        QCoreApplication::processEvents();
        return g;
    }
    static QWidget *focus() { return QApplication::focusWidget(); }
    static void keys(const QString &text)
    {
        for (const QChar c : text)
            QTest::keyClick(focus(), c.toLatin1());
    }
    static void key(Qt::Key k)
    {
        QTest::keyClick(focus(), k);
        QCoreApplication::processEvents();
    }
    // Types into a cell of the first row and leaves it with Tab. An empty
    // text is typed and rubbed out, so that the cell is edited.
    BoundGrid *typeInto(const QString &name, int column, const QString &text) const
    {
        BoundGrid *g = at(name, column);
        keys(text.isEmpty() ? QStringLiteral("1") : text);
        if (text.isEmpty())
            key(Qt::Key_Backspace);
        // Tab from the last column goes on to the next row, writing this one.
        key(column + 1 < g->ColumnsCount() ? Qt::Key_Tab : Qt::Key_Backtab);
        return g;
    }
    QString current(const QString &listName) const
    {
        QListWidgetItem *item = list(listName)->currentItem();
        return item ? item->text() : QString();
    }
    static void click(BoundGrid *g, int column, bool button)
    {
        const QModelIndex cell = g->model()->index(0, column);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {},
                          button ? g->buttonRect(cell).center() : g->visualRect(cell).center());
    }
};


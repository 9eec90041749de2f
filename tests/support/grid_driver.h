#pragma once

// Drives a bound grid the way a user does: a request folder with records,
// one of the window's grids over its link, shown and active, and keys sent
// where the user's would go.

#include "table_files.h"

#include "grids/bound_grid.h"
#include "rules/grid_columns.h"
#include "grids/record_table_model.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QTest>
#include <memory>

struct GridDriver {
    std::unique_ptr<RequestTables> t;
    std::unique_ptr<BoundGrid> grid;
    std::unique_ptr<QAbstractItemModelTester> tester;

    // Opens the grid of that name over its table holding the records.
    BoundGrid &open(const QString &gridName, const QString &table, const QList<QVariantMap> &records)
    {
        t = std::make_unique<RequestTables>();
        const GridDefinition *def = GridColumns::grid(gridName);
        DataLink *link = t->links.link(def->linkName);
        t->add(table, link, records);
        grid = std::make_unique<BoundGrid>(def->columns, link);
        tester = std::make_unique<QAbstractItemModelTester>(grid->model());
        grid->resize(900, 300);
        grid->show();
        grid->activateWindow();
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(grid.get());
        return *grid;
    }

    void close()
    {
        tester.reset();
        grid.reset();
        t.reset();
    }

    void goTo(int row, int column)
    {
        grid->setCurrentIndex(grid->model()->index(row, column));
        grid->setFocus();
        QCoreApplication::processEvents();
    }

    // Keys go where a user's would: to the cell editor when one is open. The
    // editor takes in Return after the key is handled, hence the events.
    QWidget *target() const { return QApplication::focusWidget() ? QApplication::focusWidget() : grid.get(); }
    void press(const QString &keys)
    {
        for (const QChar c : keys) // the first key opens the editor
            QTest::keyClick(target(), c.toLatin1());
    }
    void press(Qt::Key key)
    {
        QTest::keyClick(target(), key);
        QCoreApplication::processEvents();
    }

    QString cell(int row, int column) const { return grid->model()->index(row, column).data().toString(); }
};

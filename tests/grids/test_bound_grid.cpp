// The bound grid driven from the keyboard: typing into cells, writing a row
// when it is left, adding on the new-record line, a refused value, deleting
// with the Delete key, and what the window calls before a save.

#include "request_tables.h"

#include "grids/bound_grid.h"
#include "grids/grid_columns.h"
#include "grids/record_table_model.h"
#include "platform/message_box.h"
#include "store/store_error.h"

#include <QApplication>
#include <QSignalSpy>

namespace {

// dbCU columns: 0 FRACCION, 1 DESCRIP, 2 COSTO_UNIT, 3 TASA_ADVAL.
constexpr int kFraccion = 0;
constexpr int kDescrip = 1;
constexpr int kCosto = 2;

const QString kTable = QStringLiteral("insunit");

QVariantMap unitCost(const QString &fraccion, double costo)
{
    return {{QStringLiteral("FRACCION"), fraccion}, {QStringLiteral("COSTO_UNIT"), costo}};
}

// Keys go where a user's keys would: to the cell editor when one is open.
QWidget *keyTarget(BoundGrid &grid)
{
    QWidget *focus = QApplication::focusWidget();
    return focus ? focus : &grid;
}

void type(BoundGrid &grid, const QString &text)
{
    for (const QChar c : text)
        QTest::keyClick(keyTarget(grid), c.toLatin1());
}

// The editor takes in Return after the key has been handled: let that happen.
void press(BoundGrid &grid, Qt::Key key)
{
    QTest::keyClick(keyTarget(grid), key);
    QCoreApplication::processEvents();
}

QString cell(BoundGrid &grid, int row, int column) { return grid.model()->index(row, column).data().toString(); }

} // namespace

class TestBoundGrid : public QObject {
    Q_OBJECT

    std::unique_ptr<RequestTables> tables_;
    std::unique_ptr<BoundGrid> grid_;

    BoundGrid &openGrid(const QList<QVariantMap> &records)
    {
        tables_ = std::make_unique<RequestTables>();
        tables_->add(kTable, tables_->links.dtsInsunit, records);
        grid_ = std::make_unique<BoundGrid>(GridColumns::grid(QStringLiteral("dbCU"))->columns,
                                            tables_->links.dtsInsunit);
        grid_->resize(700, 300);
        grid_->show();
        grid_->activateWindow();
        if (!QTest::qWaitForWindowActive(grid_.get()))
            qWarning("the grid's window did not become active");
        grid_->setFocus();
        return *grid_;
    }

    void goTo(int row, int column)
    {
        grid_->setCurrentIndex(grid_->model()->index(row, column));
        grid_->setFocus();
    }

private slots:
    void init()
    {
        MessageBox::setScripted(true);
        MessageBox::clearShown();
    }

    void cleanup()
    {
        grid_.reset();
        tables_.reset();
    }

    void rowIsWrittenOnceWhenLeft()
    {
        BoundGrid &grid = openGrid({unitCost("84719001", 10), unitCost("84719002", 20)});
        QSignalSpy written(grid.recordModel(), &RecordTableModel::rowWritten);
        const QByteArray before = tables_->bytes(kTable);

        goTo(0, kCosto);
        type(grid, "99.5"); // typing starts editing and replaces the cell
        press(grid, Qt::Key_Return);
        QCOMPARE(cell(grid, 0, kCosto), QStringLiteral("99.5"));
        press(grid, Qt::Key_Left);
        type(grid, "tornillos");
        press(grid, Qt::Key_Tab); // to the next cell of the same row
        QCOMPARE(grid.recordModel()->pendingRow(), 0);
        QVERIFY(grid.hasPendingRow());
        QCOMPARE(tables_->bytes(kTable), before);

        press(grid, Qt::Key_Down);
        QCOMPARE(grid.currentIndex().row(), 1);
        QCOMPARE(written.count(), 1);
        QVERIFY(!grid.hasPendingRow());
        QCOMPARE(tables_->stored(kTable, 0, QStringLiteral("COSTO_UNIT")), QVariant(99.5));
        QCOMPARE(tables_->stored(kTable, 0, QStringLiteral("DESCRIP")), QVariant(QStringLiteral("tornillos")));

        // Moving through rows without typing writes nothing.
        const QByteArray after = tables_->bytes(kTable);
        press(grid, Qt::Key_Up);
        press(grid, Qt::Key_Down);
        QCOMPARE(written.count(), 1);
        QCOMPARE(tables_->bytes(kTable), after);
    }

    void typingOnTheNewRecordLineAddsRecords()
    {
        BoundGrid &grid = openGrid({unitCost("84719001", 10)});
        goTo(1, kFraccion);
        type(grid, "84719002");
        press(grid, Qt::Key_Tab);
        type(grid, "TUERCAS");
        press(grid, Qt::Key_Down); // leaves the line: written, and a fresh line follows
        QCOMPARE(tables_->storedCount(kTable), 2L);
        QCOMPARE(tables_->stored(kTable, 1, QStringLiteral("FRACCION")), QVariant(QStringLiteral("84719002")));
        QCOMPARE(grid.model()->rowCount(), 3);
        QCOMPARE(grid.currentIndex().row(), 2);
        QVERIFY(grid.recordModel()->isNewRecordRow(2));
        QCOMPARE(grid.model()->headerData(2, Qt::Vertical).toString(), RecordTableModel::newRecordMark());

        // Leaving the new line upwards writes it as well.
        goTo(2, kCosto);
        type(grid, "7");
        press(grid, Qt::Key_Up);
        QCOMPARE(tables_->storedCount(kTable), 3L);
        QCOMPARE(tables_->stored(kTable, 2, QStringLiteral("COSTO_UNIT")), QVariant(7.0));
        QCOMPARE(grid.currentIndex().row(), 1);
        QCOMPARE(grid.model()->rowCount(), 4);
    }

    void refusedRowIsReportedAndKept()
    {
        BoundGrid &grid = openGrid({unitCost("84719001", 10), unitCost("84719002", 20)});
        const QByteArray before = tables_->bytes(kTable);

        goTo(1, kCosto);
        type(grid, "abc");
        press(grid, Qt::Key_Up);
        const QList<MessageBox::Shown> shown = MessageBox::shown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].icon, MessageBox::Icon::Exclamation);
        QVERIFY2(shown[0].text.startsWith(QStringLiteral("No se pudo guardar el renglón.")), qPrintable(shown[0].text));
        QVERIFY(shown[0].text.contains(QLatin1String("COSTO_UNIT")));
        QCOMPARE(tables_->bytes(kTable), before);
        QCOMPARE(grid.currentIndex(), grid.model()->index(1, kCosto));
        QCOMPARE(cell(grid, 1, kCosto), QStringLiteral("abc"));
        QCOMPARE(grid.model()->headerData(1, Qt::Vertical).toString(), RecordTableModel::editingMark());

        // Corrected, the row is written on leaving it.
        type(grid, "21");
        press(grid, Qt::Key_Up);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(tables_->stored(kTable, 1, QStringLiteral("COSTO_UNIT")), QVariant(21.0));

        // On the new-record line too: nothing is added, the text stays.
        goTo(2, kCosto);
        type(grid, "x");
        press(grid, Qt::Key_Down);
        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(tables_->storedCount(kTable), 2L);
        QCOMPARE(grid.currentIndex().row(), 2);
        QCOMPARE(cell(grid, 2, kCosto), QStringLiteral("x"));

        // Escape drops what was typed on the row.
        press(grid, Qt::Key_Escape);
        QVERIFY(!grid.hasPendingRow());
        QCOMPARE(cell(grid, 2, kCosto), QString());
    }

    void deleteKeyAsksFirst()
    {
        BoundGrid &grid = openGrid({unitCost("1", 1), unitCost("2", 2), unitCost("3", 3)});
        QSignalSpy deleted(grid.recordModel(), &RecordTableModel::rowDeleted);

        goTo(1, kFraccion);
        MessageBox::setNextAnswer(MessageBox::Answer::No);
        press(grid, Qt::Key_Delete);
        QCOMPARE(MessageBox::shownTexts(), QStringList{QStringLiteral("¿Desea eliminar el renglón seleccionado?")});
        QCOMPARE(MessageBox::shown()[0].question, true);
        QCOMPARE(tables_->storedCount(kTable), 3L);
        QCOMPARE(deleted.count(), 0);

        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        press(grid, Qt::Key_Delete);
        QCOMPARE(tables_->storedCount(kTable), 2L);
        QCOMPARE(tables_->stored(kTable, 1, QStringLiteral("FRACCION")), QVariant(QStringLiteral("3")));
        QCOMPARE(grid.model()->rowCount(), 3);
        QCOMPARE(deleted.count(), 1);

        // Two rows selected: one question, both go.
        grid.selectionModel()->select(grid.model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
        grid.selectionModel()->select(grid.model()->index(1, 0), QItemSelectionModel::Select);
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        press(grid, Qt::Key_Delete);
        QCOMPARE(MessageBox::shownTexts().last(), QStringLiteral("¿Desea eliminar los 2 renglones seleccionados?"));
        QCOMPARE(tables_->storedCount(kTable), 0L);
        QCOMPARE(grid.model()->rowCount(), 1);
        QCOMPARE(MessageBox::unansweredQuestions(), 0);
    }

    void pendingRowReachesTheTableBeforeASave()
    {
        BoundGrid &grid = openGrid({unitCost("84719001", 10)});

        // The window's own call takes in the cell still being typed.
        goTo(0, kCosto);
        type(grid, "11");
        QVERIFY(grid.hasPendingRow());
        grid.commitPendingRow();
        QCOMPARE(tables_->stored(kTable, 0, QStringLiteral("COSTO_UNIT")), QVariant(11.0));
        QVERIFY(!grid.hasPendingRow());

        // So does a refresh of the link, as a save makes.
        goTo(0, kCosto);
        type(grid, "12");
        tables_->links.dtsInsunit->Refresh();
        QCOMPARE(tables_->stored(kTable, 0, QStringLiteral("COSTO_UNIT")), QVariant(12.0));
        QCOMPARE(cell(grid, 0, kCosto), QStringLiteral("12"));

        goTo(0, kCosto);
        type(grid, "doce");
        QVERIFY_THROWS_EXCEPTION(StoreError, grid.commitPendingRow());
        QCOMPARE(cell(grid, 0, kCosto), QStringLiteral("doce"));
        QCOMPARE(tables_->stored(kTable, 0, QStringLiteral("COSTO_UNIT")), QVariant(12.0));
    }

    void detachedLinkShowsNoRows()
    {
        BoundGrid &grid = openGrid({unitCost("84719001", 10)});
        DataLink *link = tables_->links.dtsInsunit;
        link->setDatabaseName(QString());
        link->Refresh();
        QCOMPARE(grid.model()->rowCount(), 0);
        type(grid, "1");
        press(grid, Qt::Key_Delete);
        QVERIFY(MessageBox::shown().isEmpty());
        QVERIFY(!grid.hasPendingRow());
    }
};

QTEST_MAIN(TestBoundGrid)
#include "test_bound_grid.moc"

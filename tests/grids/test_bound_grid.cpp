// The bound grid driven from the keyboard: records added on the new-record
// line, a refused value, and the pending row written for the window.

#include "test_registry.h"
#include "grid_driver.h"

#include "platform/message_box.h"
#include "store/store_error.h"


namespace {

const QString kUnit = QStringLiteral("insunit");

QVariantMap unitCost(const QString &fraccion, double costo)
{
    return {{QStringLiteral("FRACCION"), fraccion}, {QStringLiteral("COSTO_UNIT"), costo}};
}

} // namespace

class TestBoundGrid : public QObject {
    Q_OBJECT

    GridDriver d_;
    std::unique_ptr<RequestTables> &t_ = d_.t;

    BoundGrid &open(const QList<QVariantMap> &records) { return d_.open(QStringLiteral("dbCU"), kUnit, records); }
    void goTo(int row, int column) { d_.goTo(row, column); }
    void press(const QString &keys) { d_.press(keys); }
    void press(Qt::Key key) { d_.press(key); }
    QString cell(int row, int column) const { return d_.cell(row, column); }

private slots:
    void init()
    {
        MessageBox::setScripted(true);
        MessageBox::clearShown();
    }

    void cleanup() { d_.close(); }

    void newRecordLineAddsOnLeaving()
    {
        BoundGrid &grid = open({unitCost("84719001", 10)});
        goTo(1, kFraccion);
        press("84719002");
        press(Qt::Key_Down); // written, and the cursor moves to the fresh line
        QCOMPARE(t_->stored(kUnit, 1, QStringLiteral("FRACCION")), QVariant(QStringLiteral("84719002")));
        QCOMPARE(grid.currentIndex().row(), 2);
        QVERIFY(grid.recordModel()->isNewRecordRow(2));

        press("7");
        press(Qt::Key_Up);
        QCOMPARE(t_->count(kUnit), 3L);
        QCOMPARE(grid.model()->rowCount(), 4);
    }

    void refusedRowIsReportedAndKept()
    {
        BoundGrid &grid = open({unitCost("84719001", 10), unitCost("84719002", 20)});
        const QByteArray before = t_->bytes(kUnit);

        for (int row : {1, 2}) { // a record, then the new-record line
            goTo(row, kCosto);
            press("abc");
            press(row == 1 ? Qt::Key_Up : Qt::Key_Down);
            const MessageBox::Shown shown = MessageBox::shown().last();
            QCOMPARE(shown.icon, MessageBox::Icon::Exclamation);
            QVERIFY2(shown.text.startsWith(QStringLiteral("No se pudo guardar el renglón. ")), qPrintable(shown.text));
            QVERIFY(shown.text.contains(QStringLiteral("«abc» no es un número")));
            QCOMPARE(grid.currentIndex(), grid.model()->index(row, kCosto));
            QCOMPARE(cell(row, kCosto), QStringLiteral("abc"));
            QCOMPARE(t_->bytes(kUnit), before);
            press(Qt::Key_Escape); // drops what was typed on the row
            QCOMPARE(cell(row, kCosto), row == 1 ? QStringLiteral("20") : QString());
        }
        QCOMPARE(MessageBox::shown().size(), 2);
    }

    void windowWritesTheCellBeingTyped()
    {
        BoundGrid &grid = open({unitCost("84719001", 10)});
        goTo(0, kCosto);
        press("11");
        grid.commitPendingRow();
        QCOMPARE(t_->stored(kUnit, 0, QStringLiteral("COSTO_UNIT")), QVariant(11.0));

        goTo(0, kCosto);
        press("12");
        t_->links.dtsInsunit->Refresh(); // as a save does
        QCOMPARE(t_->stored(kUnit, 0, QStringLiteral("COSTO_UNIT")), QVariant(12.0));
        QVERIFY(!grid.hasPendingRow());
    }
};

QUELVAR_TEST_CLASS(TestBoundGrid)
#include "test_bound_grid.moc"

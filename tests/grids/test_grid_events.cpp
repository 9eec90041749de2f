// The bound grid driven from the keyboard and the mouse, and what the
// window's procedures rely on: which events are raised, when and in which
// order; when a row reaches its table, or is refused; what Columns(i) reads
// and writes while the user types and while a procedure walks the record
// set; display formats; locked and hidden columns; the cell button.

#include "test_registry.h"
#include "grid_driver.h"

#include "platform/message_box.h"
#include "store/recordset.h"

#include <QLineEdit>
#include <QSignalSpy>

using namespace Qt::StringLiterals;

namespace {

const QString kUnit = QStringLiteral("insunit");

QVariantMap unitCost(const QString &fraccion, double costo)
{
    return {{QStringLiteral("FRACCION"), fraccion}, {QStringLiteral("COSTO_UNIT"), costo}};
}

} // namespace

class TestGridEvents : public QObject {
    Q_OBJECT

    GridDriver d_;
    QStringList log_;

    BoundGrid &openCosts(const QList<QVariantMap> &records = {unitCost("84719001", 10), unitCost("84719002", 20)})
    {
        return d_.open(QStringLiteral("dbCU"), kUnit, records);
    }

    // Writes every event of the grid into the log, in the order raised.
    void logEvents(BoundGrid &g)
    {
        connect(&g, &BoundGrid::KeyPress, this, [this](int *key) { log_ << u"KeyPress %1"_s.arg(*key); });
        connect(&g, &BoundGrid::BeforeColEdit, this,
                [this](int col, int key, bool *) { log_ << u"BeforeColEdit %1 %2"_s.arg(col).arg(key); });
        connect(&g, &BoundGrid::Change, this,
                [this, &g] { log_ << u"Change "_s + g.Columns(g.currentIndex().column()).Text(); });
        connect(&g, &BoundGrid::AfterColUpdate, this, [this](int col) { log_ << u"AfterColUpdate %1"_s.arg(col); });
        connect(&g, &BoundGrid::BeforeUpdate, this, [this](bool *) { log_ << u"BeforeUpdate"_s; });
        connect(&g, &BoundGrid::AfterUpdate, this, [this] { log_ << u"AfterUpdate"_s; });
        connect(&g, &BoundGrid::AfterDelete, this, [this] { log_ << u"AfterDelete"_s; });
        connect(&g, &BoundGrid::ButtonClick, this, [this](int col) { log_ << u"ButtonClick %1"_s.arg(col); });
    }

private slots:
    void init()
    {
        MessageBox::setScripted(true);
        MessageBox::clearShown();
        log_.clear();
    }

    void cleanup() { d_.close(); }

    void typingACellThenLeavingTheRow()
    {
        BoundGrid &g = openCosts();
        logEvents(g);
        const QByteArray before = d_.t->bytes(kUnit);

        d_.goTo(0, kDescrip);
        d_.press("ab");
        QCOMPARE(log_, (QStringList{"KeyPress 97", "BeforeColEdit 1 97", "Change a", "KeyPress 98", "Change ab"}));
        log_.clear();

        d_.press(Qt::Key_Tab); // leaves the cell: taken into the column only
        QCOMPARE(log_, QStringList{"AfterColUpdate 1"});
        d_.press(Qt::Key_Left);
        d_.press(Qt::Key_Right); // a cell left untouched raises nothing
        QCOMPARE(log_, QStringList{"AfterColUpdate 1"});
        QCOMPARE(d_.t->bytes(kUnit), before);
        QCOMPARE(g.model()->headerData(0, Qt::Vertical).toString(), RecordTableModel::editingMark());

        log_.clear();
        d_.press(Qt::Key_Down); // leaves the row: written once
        d_.press(Qt::Key_Up);
        QCOMPARE(log_, (QStringList{"BeforeUpdate", "AfterUpdate"}));
        QCOMPARE(d_.t->stored(kUnit, 0, QStringLiteral("DESCRIP")), QVariant(QStringLiteral("ab")));
        QCOMPARE(g.model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
    }

    void keyPressSwallowsOrReplacesKeys()
    {
        BoundGrid &g = openCosts();
        logEvents(g);
        connect(&g, &BoundGrid::KeyPress, this, [](int *key) {
            if (*key == ' ' || *key == '@' || *key == 0x1F600)
                *key = 0;
            else if (*key >= 'a' && *key <= 'z')
                *key -= 'a' - 'A';
        });
        d_.goTo(1, kDescrip);
        d_.press(" "); // swallowed before the cell opens: nothing starts
        QVERIFY(!g.cellEditor());
        QVERIFY(!log_.join(u'|').contains(QStringLiteral("BeforeColEdit")));
        d_.press("a b-");
        QCOMPARE(g.cellEditor()->text(), QStringLiteral("AB-"));
        QVERIFY(log_.contains(QStringLiteral("BeforeColEdit 1 65"))); // the key as replaced

        // Keys that type with Alt or AltGr held, and an emoji, are raised as
        // well: a swallowed one types nothing.
        log_.clear();
        for (const auto &[key, modifiers, text] :
             {std::tuple{Qt::Key_unknown, Qt::KeyboardModifiers(), QStringLiteral("\U0001F600")},
              std::tuple{Qt::Key_At, Qt::ControlModifier | Qt::AltModifier, QStringLiteral("@")},
              std::tuple{Qt::Key_E, Qt::KeyboardModifiers(Qt::AltModifier), QStringLiteral("e")}}) {
            QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
            QApplication::sendEvent(g.cellEditor(), &press);
        }
        QCOMPARE(log_.filter(QStringLiteral("KeyPress")),
                 (QStringList{"KeyPress 128512", "KeyPress 64", "KeyPress 101"}));
        QCOMPARE(g.cellEditor()->text(), QStringLiteral("AB-E"));
    }

    void beforeColEditAndLocksKeepCellsClosed()
    {
        BoundGrid &g = openCosts();
        logEvents(g);
        connect(&g, &BoundGrid::BeforeColEdit, this, [](int col, int, bool *cancel) { *cancel = col == kFraccion; });
        d_.goTo(0, kFraccion);
        d_.press("9");
        QVERIFY(!g.cellEditor());
        QCOMPARE(d_.cell(0, kFraccion), QStringLiteral("84719001"));

        g.Columns(kCosto).setLocked(true);
        log_.clear();
        d_.goTo(0, kCosto);
        d_.press("5");
        QVERIFY(!g.cellEditor());
        QCOMPARE(log_, QStringList{"KeyPress 53"}); // no edit begins in a locked column
        // The program still fills a locked column.
        g.Columns(kCosto).setText(QStringLiteral("7"));
        QCOMPARE(d_.cell(0, kCosto), QStringLiteral("7"));
        d_.press(Qt::Key_Down);
        QCOMPARE(d_.t->stored(kUnit, 0, QStringLiteral("COSTO_UNIT")), QVariant(7.0));
    }

    void changeHandlerRewritesTheCellBeingTyped()
    {
        BoundGrid &g = openCosts();
        connect(&g, &BoundGrid::Change, this,
                [&g] { g.Columns(kDescrip).setText(g.Columns(kDescrip).Text().toUpper()); });
        d_.goTo(0, kDescrip);
        d_.press("tuer");
        QLineEdit *editor = g.cellEditor();
        QCOMPARE(editor->text(), QStringLiteral("TUER"));
        QCOMPARE(editor->cursorPosition(), 4);
        d_.press(Qt::Key_Tab);
        QCOMPARE(d_.cell(0, kDescrip), QStringLiteral("TUER"));
    }

    void rowHandlersCompleteOrCancelTheRow()
    {
        BoundGrid &g = openCosts();
        bool refuse = true;
        // As the derived columns do: AfterColUpdate fills another column of
        // the row, even when the user left the cell by leaving the row;
        // BeforeUpdate completes the row, or keeps the user on it.
        connect(&g, &BoundGrid::AfterColUpdate, this, [&g](int col) {
            if (col == kCosto)
                g.Columns(kTasa).setText(QString::number(g.Columns(kCosto).Value().toDouble() / 10));
        });
        connect(&g, &BoundGrid::BeforeUpdate, this, [&g, &refuse](bool *cancel) {
            g.Columns(kDescrip).setText(QStringLiteral("perno"));
            *cancel = refuse;
        });
        d_.goTo(1, kCosto);
        d_.press("50");
        d_.press(Qt::Key_Up);
        QCOMPARE(g.currentIndex().row(), 1); // kept on the row, nothing written
        QCOMPARE(d_.t->stored(kUnit, 1, QStringLiteral("COSTO_UNIT")), QVariant(20.0));
        QVERIFY(g.recordModel()->hasPendingRow());

        refuse = false;
        d_.press(Qt::Key_Up);
        QCOMPARE(g.currentIndex().row(), 0);
        QCOMPARE(d_.t->stored(kUnit, 1, QStringLiteral("COSTO_UNIT")), QVariant(50.0));
        QCOMPARE(d_.t->stored(kUnit, 1, QStringLiteral("TASA_ADVAL")), QVariant(5.0));
        QCOMPARE(d_.t->stored(kUnit, 1, QStringLiteral("DESCRIP")), QVariant(QStringLiteral("perno")));
        QCOMPARE(d_.t->stored(kUnit, 0, QStringLiteral("TASA_ADVAL")), QVariant());
    }

    void newRecordLineAddsOnLeaving()
    {
        BoundGrid &g = openCosts({unitCost("84719001", 10)});
        d_.goTo(1, kFraccion);
        d_.press("84719002");
        d_.press(Qt::Key_Down); // written, and the cursor moves to the fresh line
        QCOMPARE(d_.t->stored(kUnit, 1, QStringLiteral("FRACCION")), QVariant(QStringLiteral("84719002")));
        QCOMPARE(g.currentIndex().row(), 2);
        QVERIFY(g.recordModel()->isNewRecordRow(2));
        d_.press("7");
        d_.press(Qt::Key_Up);
        QCOMPARE(d_.t->count(kUnit), 3L);
        QCOMPARE(g.model()->rowCount(), 4);
    }

    void refusedRowIsReportedAndKept()
    {
        BoundGrid &g = openCosts();
        const QByteArray before = d_.t->bytes(kUnit);
        for (int row : {1, 2}) { // a record, then the new-record line
            d_.goTo(row, kCosto);
            d_.press("abc");
            d_.press(row == 1 ? Qt::Key_Up : Qt::Key_Down);
            const MessageBox::Shown shown = MessageBox::shown().last();
            QCOMPARE(shown.icon, MessageBox::Icon::Exclamation);
            QVERIFY2(shown.text.startsWith(QStringLiteral("No se pudo guardar el renglón. ")), qPrintable(shown.text));
            QVERIFY(shown.text.contains(QStringLiteral("«abc» no es un número")));
            QCOMPARE(g.currentIndex(), g.model()->index(row, kCosto));
            QCOMPARE(d_.cell(row, kCosto), QStringLiteral("abc"));
            QCOMPARE(d_.t->bytes(kUnit), before);
            d_.press(Qt::Key_Escape); // drops what was typed on the row
            QCOMPARE(d_.cell(row, kCosto), row == 1 ? QStringLiteral("20") : QString());
        }
        QCOMPARE(MessageBox::shown().size(), 2);
    }

    void windowWritesTheCellBeingTyped()
    {
        BoundGrid &g = openCosts();
        d_.goTo(0, kCosto);
        d_.press("11");
        g.commitPendingRow();
        QCOMPARE(d_.t->stored(kUnit, 0, QStringLiteral("COSTO_UNIT")), QVariant(11.0));
        d_.goTo(0, kCosto);
        d_.press("12");
        d_.t->links.dtsInsunit->Refresh(); // as a save does
        QCOMPARE(d_.t->stored(kUnit, 0, QStringLiteral("COSTO_UNIT")), QVariant(12.0));
        QVERIFY(!g.hasPendingRow());
    }

    void columnsReadTheRecordTheRecordSetIsOn()
    {
        BoundGrid &g = openCosts({unitCost("1", 1), unitCost("2", 2), unitCost("3", 3)});
        d_.goTo(1, kDescrip);
        d_.press("typed");
        d_.press(Qt::Key_Tab);

        Recordset *rs = g.link()->recordset();
        QStringList walked;
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
            walked << g.Columns(kFraccion).Text() + u'/' + g.Columns(kDescrip).Text();
        // The pending row reads as typed, the others as stored.
        QCOMPARE(walked, (QStringList{"1/", "2/typed", "3/"}));
        // Past the last record the grid stands on the new-record line, and
        // the cursor follows once the walk is over.
        QCOMPARE(g.currentRecordRow(), g.recordModel()->newRecordRow());
        QCOMPARE(g.Columns(kFraccion).Text(), QString());
        QCoreApplication::processEvents();
        QCOMPARE(g.currentIndex().row(), 3);
        QCOMPARE(d_.t->stored(kUnit, 1, QStringLiteral("DESCRIP")), QVariant(QStringLiteral("typed")));

        g.setRow(0); // the first row shown
        QCOMPARE(rs->currentRow(), 0);
        QCOMPARE(g.RowTop(g.Row()), g.visualRect(g.currentIndex()).top() + g.viewport()->y());
        // The user moving the cursor moves the record set.
        d_.press(Qt::Key_Down);
        QCOMPARE(rs->currentRow(), 1);
        QCOMPARE(g.Columns(kCosto).Text(), QStringLiteral("2"));

        // A walk while the user types in a cell leaves the cell open, and the
        // record set comes back to the typist's row.
        d_.press("x");
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        }
        QCoreApplication::processEvents();
        QVERIFY(g.cellEditor());
        QCOMPARE(rs->currentRow(), 1);
        QCOMPARE(g.Columns(kCosto).Text(), QStringLiteral("x"));
    }

    // The formats themselves are TestGridRules'; here, that a column shows
    // its own, hands the editor the number and stores what is typed as one.
    void formatsShowTheNumberAndKeepIt()
    {
        BoundGrid &g =
            d_.open(QStringLiteral("dbEI"), QStringLiteral("factura"), {{{"NODOC", "A1"}, {"VALTOTNP", 1234.5}}});
        QCOMPARE(d_.cell(0, kEiValorNp), QStringLiteral("$1,234.50"));
        QCOMPARE(d_.cell(0, kEiRepDll), QString()); // null stays empty
        g.link()->recordset()->MoveFirst();
        QCOMPARE(g.Columns(kEiValorNp).Value(), QStringLiteral("1234.5"));

        d_.goTo(0, kEiValorNp);
        QTest::keyClick(&g, Qt::Key_F2);
        QCOMPARE(g.cellEditor()->text(), QStringLiteral("1234.5"));
        d_.press(Qt::Key_Escape);
        d_.goTo(0, kEiRepNp);
        d_.press("1000.5");
        d_.press(Qt::Key_Tab);
        QCOMPARE(d_.cell(0, kEiRepNp), QStringLiteral("$1,000.50"));
        d_.press(Qt::Key_Down);
        QCOMPARE(d_.t->stored(QStringLiteral("factura"), 0, QStringLiteral("VALREPNP")), QVariant(1000.5));

        g.Columns(kEiValorNp).setNumberFormat(QStringLiteral("General Number"));
        QCOMPARE(d_.cell(0, kEiValorNp), QStringLiteral("1234.5"));
    }

    void columnSettingsChangeWhileShown()
    {
        BoundGrid &g = openCosts();
        g.Columns(kCosto).setVisible(false);
        QVERIFY(g.isColumnHidden(kCosto));
        g.Columns(kDescrip).setCaption(QStringLiteral("Otra"));
        QCOMPARE(g.model()->headerData(kDescrip, Qt::Horizontal).toString(), QStringLiteral("Otra"));
        g.Columns(kDescrip).setWidth(140);
        QCOMPARE(g.Columns(kDescrip).Width(), 140);
        QCOMPARE(g.Columns(kDescrip).Left(), g.Columns(kFraccion).Left() + g.Columns(kFraccion).Width());
    }

    void cellButtonRaisesButtonClick()
    {
        BoundGrid &g = d_.open(QStringLiteral("dbMI"), QStringLiteral("insupedi"), {{{"TIPO", "A1"}}});
        logEvents(g);
        QSignalSpy clicks(&g, &BoundGrid::Click);
        g.Columns(kMiTipo).setButton(true);
        d_.goTo(0, kMiTipo);
        const QRect button = g.buttonRect(g.model()->index(0, kMiTipo));
        QVERIFY(!button.isEmpty());
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, button.center());
        QCOMPARE(log_, QStringList{"ButtonClick 0"});
        QVERIFY(!g.cellEditor());

        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, g.visualRect(g.model()->index(0, kMiDocumento)).center());
        QCOMPARE(log_, QStringList{"ButtonClick 0"});
        QCOMPARE(clicks.count(), 1);                                   // the button's click is not the grid's
        QVERIFY(g.buttonRect(g.model()->index(0, kMiTipo)).isEmpty()); // shown on the current cell only
    }

    void mouseMoveSpeaksInGridCoordinates()
    {
        BoundGrid &g = openCosts();
        QSignalSpy moves(&g, &BoundGrid::MouseMove);
        const QPoint inCell = g.visualRect(g.model()->index(0, kCosto)).center();
        QTest::mouseMove(g.viewport(), inCell);
        QTRY_VERIFY(!moves.isEmpty());
        const int x = moves.last().at(2).toInt();
        QCOMPARE(x, inCell.x() + g.viewport()->x());
        QVERIFY(x > g.Columns(kCosto).Left() && x < g.Columns(kCosto).Left() + g.Columns(kCosto).Width());
    }

    void deletingARowRaisesAfterDelete()
    {
        BoundGrid &g = openCosts();
        logEvents(g);
        d_.goTo(0, kFraccion);
        MessageBox::setNextAnswers({MessageBox::Answer::No, MessageBox::Answer::Yes});
        d_.press(Qt::Key_Delete); // asked first: No
        QVERIFY(log_.isEmpty());
        QCOMPARE(d_.t->count(kUnit), 2L);
        d_.press(Qt::Key_Delete);
        QCOMPARE(MessageBox::shownTexts(), QStringList(2, QStringLiteral("¿Desea eliminar el renglón seleccionado?")));
        QCOMPARE(log_, QStringList{"AfterDelete"});
        QCOMPARE(d_.t->count(kUnit), 1L);
        QCOMPARE(d_.t->stored(kUnit, 0, QStringLiteral("FRACCION")), QVariant(QStringLiteral("84719002")));
        QCOMPARE(g.model()->rowCount(), 2);
        QCOMPARE(g.link()->recordset()->currentRow(), g.currentIndex().row());
    }
};

QUELVAR_TEST_CLASS(TestGridEvents)
#include "test_grid_events.moc"

// The life of the request window around the request: the exit question,
// saves and erases that fail, the About box, where the window stands, the
// keyboard order and the command bar.
#include "request_records.h"
#include "test_registry.h"

#include "rules/request_fields.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QScreen>
#include <QTableView>
#include <QTimer>

class TestWindowLife : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!RequestFixture::haveTools())
            QFAIL("python3-dbf is not installed (bash scripts/test.sh installs it)");
    }

    void exitAsksToSave()
    {
        WindowHarness h;
        QVERIFY(h.open({{"empresas", {company()}}, {"solicitu", {request()}}}));
        h.type("txtRSocial", "OTRA");
        MessageBox::setNextAnswer(MessageBox::Answer::No);
        QVERIFY(h.window->close());
        QCOMPARE(MessageBox::shown().last().text,
                 QStringLiteral("Desea guardar la información antes de salir del progama. "));
        QCOMPARE(h.rows("empresas").value(0).value("NOMBRE").toString(), QStringLiteral("EXPORTADORA DEL NORTE"));

        QVERIFY(h.reopen());
        h.type("txtRSocial", "OTRA");
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        QVERIFY(h.window->close());
        QCOMPARE(h.rows("empresas").value(0).value("NOMBRE").toString(), QStringLiteral("OTRA"));
    }

    void aFailedSaveKeepsWhatWasTyped()
    {
        WindowHarness h;
        QVERIFY(h.open({{"empresas", {company()}}, {"solicitu", {request()}}}));
        // Wider than any stored number can hold.
        h.type("txtMPN", "12345678901234567");
        h.command(6);
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::shown().first().text.startsWith(QStringLiteral("No se pudo guardar")));
        QVERIFY(MessageBox::shown().first().text.contains(QStringLiteral("MAT_PRI_NA")));
        QCOMPARE(h.text("txtMPN")->text(), QStringLiteral("12345678901234567"));
        QCOMPARE(h.rows("solicitu").value(0).value("MAT_PRI_NA"), QVariant());

        // Closing with Yes does not lose it either: the window stays open.
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        QVERIFY(!h.window->close());
        h.type("txtMPN", "123");
        h.command(6);
        QCOMPARE(h.rows("solicitu").value(0).value("MAT_PRI_NA").toDouble(), 123.0);
    }

    void aTableLostWhileOpenIsReported()
    {
        WindowHarness h;
        QVERIFY(h.open({{"empresas", {company()}}, {"solicitu", {request()}}, {"insunit", unitCosts(true)}}));
        QVERIFY(QFile::remove(h.fixture.file("factura")));
        h.type("txtProducto", "CAJAS");
        h.command(6);
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::shown().first().text.startsWith(QStringLiteral("No se pudo guardar")));
        QCOMPARE(h.text("txtProducto")->text(), QStringLiteral("CAJAS"));

        // The erase stops before deleting anything.
        MessageBox::clearShown();
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        h.command(2);
        QCOMPARE(MessageBox::shown().size(), 2);
        QVERIFY(MessageBox::shown().last().text.startsWith(QStringLiteral("No se pudo borrar")));
        QVERIFY(MessageBox::shown().last().text.contains(QStringLiteral("Factura"), Qt::CaseInsensitive));
        QCOMPARE(h.rows("empresas").size(), 1);
        QCOMPARE(h.rows("insunit").size(), 1);
    }

    void aboutBoxReloadsTheStoredChoices()
    {
        WindowHarness h;
        QVERIFY(h.open({{"empresas", {company()}}, {"solicitu", {request()}}}));
        h.combo("cmbBanco")->setCurrentIndex(0);
        h.combo("cmbUM")->setCurrentIndex(0);
        auto *imports = h.get<QTableView>(QStringLiteral("dbMI"));
        const int headingHeight = imports->horizontalHeader()->height();

        // Coming back from another program, or from a message box, reloads nothing.
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(h.window.get(), &activate);
        QCOMPARE(h.combo("cmbBanco")->currentIndex(), 0);

        QString title;
        QTimer::singleShot(0, [&] {
            QWidget *about = QApplication::activeModalWidget();
            QVERIFY(about);
            title = about->windowTitle();
            QCOMPARE(about->objectName(), QStringLiteral("frmAbout"));
            QTest::mouseClick(about->findChild<QWidget *>("cmdOK"), Qt::LeftButton);
        });
        h.command(8);
        QCOMPARE(title, QStringLiteral("Acerca de"));
        QCOMPARE(h.combo("cmbBanco")->currentText(), QStringLiteral("BANORTE, S.A."));
        QCOMPARE(h.combo("cmbUM")->currentText(), QStringLiteral("PIEZA"));
        // The grids' look is set again, the same with columns hidden.
        QCOMPARE(imports->horizontalHeader()->height(), headingHeight);
    }

    // Centred when first shown; afterwards its place and its maximised
    // state are the user's, whatever saves the tab changes make.
    void windowStaysWhereTheUserPutsIt()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request()}}}));
        const QRect area = h.window->screen()->availableGeometry();
        QCOMPARE(h.window->pos(), QPoint(area.x() + std::max(0, (area.width() - h.window->width()) / 2),
                                         area.y() + std::max(0, (area.height() - h.window->height()) / 2)));
        const QPoint placed = area.topLeft() + QPoint(13, 17);
        h.window->move(placed);
        h.tabs()->setCurrentIndex(1);
        h.command(6);
        QCOMPARE(h.window->pos(), placed);
        h.window->showMaximized();
        h.tabs()->setCurrentIndex(2);
        h.command(6);
        QVERIFY(h.window->isMaximized());
    }

    void fitsASmallScreen()
    {
        WindowHarness h;
        QVERIFY(h.open());
        // 1366 x 768 less a desktop panel and the window's frame.
        const QSize least = h.window->minimumSizeHint();
        QVERIFY2(least.width() <= 1340 && least.height() <= 680,
                 qPrintable(QStringLiteral("%1 x %2").arg(least.width()).arg(least.height())));
    }

    void keyboardOrderFollowsTheRequest()
    {
        WindowHarness h;
        QVERIFY(h.open());
        QStringList expected, seen;
        for (const RequestFields::Control &c : RequestFields::controls())
            expected << c.name;
        QWidget *w = h.get(expected.first());
        for (int i = 0; i < 400 && w && seen.size() < expected.size(); ++i, w = w->nextInFocusChain())
            if (expected.contains(w->objectName()) && !seen.contains(w->objectName()))
                seen << w->objectName();
        QCOMPARE(seen, expected);
    }

    void commandBar()
    {
        WindowHarness h;
        QVERIFY(h.open());
        int lastX = -1;
        for (int i = 1; i <= 8; ++i) {
            auto *b = h.get<QToolButton>(QStringLiteral("cmdAccion(%1)").arg(i));
            QVERIFY(!b->toolTip().isEmpty());
            QVERIFY(b->text().isEmpty() || b->toolButtonStyle() == Qt::ToolButtonIconOnly);
            QVERIFY(!b->icon().isNull());
            QVERIFY(b->x() > lastX);
            lastX = b->x();
        }
    }
};

QUELVAR_TEST_CLASS(TestWindowLife)
#include "test_window_life.moc"

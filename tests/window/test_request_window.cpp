// The request window over folders written by python3-dbf: what it shows
// at start, what every save writes, the erase commands and the guards of
// the tab strip.
#include "request_records.h"
#include "test_registry.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QTableView>


class TestRequestWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!RequestFixture::haveTools())
            QFAIL("python3-dbf is not installed (bash scripts/test.sh installs it)");
    }

    void storedValuesShowWhole()
    {
        WindowHarness h;
        QVERIFY(h.open({{"empresas", {company()}},
                        {"solicitu", {request({{"PRE_VEN_SO", 1234567890123.5}, {"PORCENTAJE", 7.25}})}}}));
        // The caption names the request folder open.
        QCOMPARE(h.window->windowTitle(),
                 QStringLiteral("DEVOLUCIÓN DE IMPUESTOS V 3.0 — ") + QDir(h.fixture.folder()).dirName());
        QCOMPARE(h.text("txtRFC")->text(), QStringLiteral("ABC010101XY1"));
        QCOMPARE(h.text("txtVExpFOB")->text(), QStringLiteral("1234.5"));
        QCOMPARE(h.text("txtCantidadExp")->text(), QStringLiteral("0"));
        QCOMPARE(h.text("txtPorcentaje")->text(), QStringLiteral("7.25"));
        QVERIFY(h.get<QCheckBox>("chkApendice8")->isChecked());
        // Longer than its typing limit of 14, shown whole and saved whole.
        QCOMPARE(h.text("txtPUMN")->text(), QStringLiteral("1234567890123.5"));
        // The choices that are not bound come from the stored records.
        QCOMPARE(h.combo("cmbBanco")->currentText(), QStringLiteral("BANORTE, S.A."));
        QCOMPARE(h.combo("cmbActFiscal")->currentIndex(), 0);
        QCOMPARE(h.combo("cmbEdo")->currentIndex(), 8);
        QCOMPARE(h.combo("cmbUM")->currentText(), QStringLiteral("PIEZA"));
        QCOMPARE(h.combo("cmbTExportacion")->currentText(), QStringLiteral("Originarios"));
        QCOMPARE(h.text("txtTCU")->text(), QStringLiteral("0"));
        QVERIFY(MessageBox::shown().isEmpty());

        // A tax id begins with a blank, and keeps it through a save.
        h.type("txtRFC", " ABC010101XY1");
        h.command(6);
        const QVariantMap saved = h.rows("solicitu").value(0);
        QCOMPARE(saved.value("PRE_VEN_SO").toDouble(), 1234567890123.5);
        QCOMPARE(h.rows("empresas").value(0).value("RFC").toString(), QStringLiteral(" ABC010101XY1"));
    }

    void typingLimitBoundsTheUserOnly()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request({{"PRE_VEN_SO", 1234567890123.5}})}}}));
        QLineEdit *price = h.text("txtPUMN");
        price->end(false);
        QTest::keyClick(price, Qt::Key_5);
        QCOMPARE(price->text(), QStringLiteral("1234567890123.5"));
        QTest::keyClick(price, Qt::Key_Backspace);
        QCOMPARE(price->text(), QStringLiteral("1234567890123."));

        QLineEdit *cp = h.text("txtCP");
        h.type("txtCP", "0123456");
        QCOMPARE(cp->text(), QStringLiteral("01234"));
    }

    void requestWithoutATypeKeepsItsFolio()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request({{"OTIPOEXPOR", QVariant()}, {"TSOL", "R"}, {"FOLIO", "12342025"}})}}}));
        QVERIFY(!h.get<QRadioButton>("opcTSolicitud(0)")->isChecked());
        QVERIFY(!h.get<QRadioButton>("opcTSolicitud(1)")->isChecked());
        QCOMPARE(h.text("txtFolio")->text(), QStringLiteral("1234"));
        h.command(6);
        const QVariantMap r = h.rows("solicitu").value(0);
        QCOMPARE(r.value("FOLIO").toString(), QStringLiteral("12342025"));
        QCOMPARE(r.value("OTIPOEXPOR"), QVariant());
    }

    void emptyRequestStopsAtTheFirstMissingRecord()
    {
        WindowHarness h;
        QVERIFY(h.open());
        // No stored request: the zeros of the cost structure are not placed
        // and no choice is made for the user.
        QCOMPARE(h.text("txtMPN")->text(), QString());
        QCOMPARE(h.text("txtTCU")->text(), QStringLiteral("0"));
        QCOMPARE(h.combo("cmbTDevolucion")->currentIndex(), -1);
        QCOMPARE(h.combo("cmbTSolicitud")->currentIndex(), 0);
        QVERIFY(!h.text("txtFolio")->isEnabled());
    }

    void everyTabChangeSavesOnce()
    {
        WindowHarness h;
        QVERIFY(h.open());
        h.type("txtRSocial", "COMERCIAL");
        h.tabs()->setCurrentIndex(1);
        QCOMPARE(h.rows("empresas").size(), 1);
        QCOMPARE(h.rows("solicitu").size(), 1);
        QCOMPARE(h.rows("empresas").value(0).value("NOMBRE").toString(), QStringLiteral("COMERCIAL"));
        QCOMPARE(h.rows("solicitu").value(0).value("TSOL").toString(), QStringLiteral("N"));

        h.type("txtNRLegal", "ANA");
        QTest::mouseClick(h.tabs()->tabBar(), Qt::LeftButton, {},
                          h.tabs()->tabBar()->tabRect(2).center());
        QCOMPARE(h.tabs()->currentIndex(), 2);
        h.command(6);
        const auto companies = h.rows("empresas");
        QCOMPARE(companies.size(), 1);
        QCOMPARE(companies.value(0).value("REP_LEGAL").toString(), QStringLiteral("ANA"));
        QCOMPARE(h.rows("solicitu").size(), 1);
    }

    void saveStoresTheChoices_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("refund");
        QTest::addColumn<int>("exportType");
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<QString>("merRet");
        QTest::newRow("transferencia ignores the refund type") << 1 << 1 << 1 << "T" << "P";
        QTest::newRow("directa, transformadas") << 0 << 0 << 2 << "M" << "T";
        QTest::newRow("directa, retorno keeps Mer_Ret") << 0 << 1 << -1 << "R" << "X";
    }

    void saveStoresTheChoices()
    {
        QFETCH(int, type);
        QFETCH(int, refund);
        QFETCH(int, exportType);
        QFETCH(QString, tipo);
        QFETCH(QString, merRet);
        WindowHarness h;
        QVERIFY(h.open({{"empresas", {company()}}, {"solicitu", {request({{"MER_RET", "X"}})}}}));
        QTest::mouseClick(h.get<QRadioButton>(QStringLiteral("opcTSolicitud(%1)").arg(type)), Qt::LeftButton);
        h.pick("cmbTDevolucion", refund);
        h.pick("cmbTExportacion", exportType);
        h.combo("cmbUM")->setCurrentIndex(0);
        h.combo("cmbActFiscal")->setCurrentIndex(2);
        h.combo("cmbBanco")->setCurrentIndex(3);
        h.command(6);
        const QVariantMap r = h.rows("solicitu").value(0);
        QCOMPARE(r.value("OTIPOEXPOR").toInt(), type);
        QCOMPARE(r.value("TIPO_EXPOR").toString(), tipo);
        QCOMPARE(r.value("MER_RET").toString(), merRet);
        QCOMPARE(r.value("UNIDAD").toString(), QStringLiteral("KILO"));
        const QVariantMap c = h.rows("empresas").value(0);
        QCOMPARE(c.value("SECTOR").toInt(), 3);
        QCOMPARE(c.value("BANCO").toString(), QStringLiteral("IXE"));
        QCOMPARE(h.rows("solicitu").size(), 1);
        // A transfer's refund type comes back from beside the tables.
        QVERIFY(h.reopen());
        QCOMPARE(h.combo("cmbTDevolucion")->currentIndex(), refund);
    }

    // A stored bank or unit is found whatever its case and trailing blanks;
    // one that is no entry of its list is shown and saved back as it is.
    void storedBankAndUnitSurviveASave_data()
    {
        QTest::addColumn<QString>("bank");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("bankShown");
        QTest::addColumn<QString>("unitShown");
        QTest::newRow("as listed") << "BANORTE, S.A." << "PIEZA" << "BANORTE, S.A." << "PIEZA";
        QTest::newRow("other case") << "Banorte, S.A." << "Pieza" << "BANORTE, S.A." << "PIEZA";
        QTest::newRow("trailing blanks") << "IXE   " << "KILO  " << "IXE" << "KILO";
        QTest::newRow("not listed") << "BANCO AZTECA" << "CAJA" << "BANCO AZTECA" << "CAJA";
    }
    void storedBankAndUnitSurviveASave()
    {
        QFETCH(QString, bank);
        QFETCH(QString, unit);
        QFETCH(QString, bankShown);
        QFETCH(QString, unitShown);
        WindowHarness h;
        QVERIFY(h.open({{"empresas", {[&] { auto c = company(); c["BANCO"] = bank; return c; }()}},
                        {"solicitu", {request({{"UNIDAD", unit}})}}}));
        QCOMPARE(h.combo("cmbBanco")->currentText(), bankShown);
        QCOMPARE(h.combo("cmbUM")->currentText(), unitShown);
        h.tabs()->setCurrentIndex(1);
        h.tabs()->setCurrentIndex(2);
        QCOMPARE(h.rows("empresas").value(0).value("BANCO").toString(), bankShown);
        QCOMPARE(h.rows("solicitu").value(0).value("UNIDAD").toString(), unitShown);
        // Reopened, the same; the lists keep their own entries.
        QVERIFY(h.reopen());
        QCOMPARE(h.combo("cmbBanco")->currentText(), bankShown);
        QCOMPARE(h.combo("cmbUM")->currentText(), unitShown);
        QCOMPARE(h.combo("cmbUM")->count(), unitShown == QLatin1String("CAJA") ? 14 : 13);
    }

    void folioIsStoredOnlyForAReply()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request({{"FOLIO", "99992000"}})}}}));
        h.command(6);
        QCOMPARE(h.rows("solicitu").value(0).value("FOLIO").toString(), QStringLiteral("99992000"));

        h.pick("cmbTSolicitud", 1);
        QVERIFY(h.text("txtFolio")->isEnabled());
        h.type("txtFolio", "12");
        h.type("txtFolioA", "2024");
        h.command(6);
        const QVariantMap r = h.rows("solicitu").value(0);
        QCOMPARE(r.value("TSOL").toString(), QStringLiteral("R"));
        // The number is padded to its four places, so it reads back whole.
        QCOMPARE(r.value("FOLIO").toString(), QStringLiteral("00122024"));

        h.pick("cmbTSolicitud", 0);
        QCOMPARE(h.text("txtFolio")->text(), QString());
        h.command(6);
        QCOMPARE(h.rows("solicitu").value(0).value("FOLIO").toString(), QStringLiteral("00122024"));
    }

    // Either erase empties its tables, keeps the company for the request
    // alone, and leaves a new request's window: a save right after it
    // writes what a new request's first save writes.
    void eraseCommands_data()
    {
        QTest::addColumn<int>("command");
        QTest::newRow("everything") << 2;
        QTest::newRow("the request") << 3;
    }
    void eraseCommands()
    {
        QFETCH(int, command);
        WindowHarness fresh;
        QVERIFY(fresh.open({{"empresas", {company()}}}));
        fresh.command(6);
        const QVariantMap expected = fresh.rows("solicitu").value(0);

        WindowHarness h;
        QVERIFY(h.open({{"empresas", {company()}},
                        {"solicitu", {request({{"OTIPOEXPOR", 1.0}, {"TIPO_EXPOR", "T"}, {"MER_RET", "C"},
                                               {"TSOL", "R"}, {"FOLIO", "12342025"}})}},
                        {"insunit", unitCosts(true)}, {"insupedi", {{{"TIPO", "A1"}}}},
                        {"exporped", {{{"NO_PEDIMEN", "1"}}}}, {"factura", {{{"NODOC", "2"}}}},
                        {"impTLC", {{{"PAIS_IMPOR", "CANADA"}}}}}));
        h.pick("cmbTDevolucion", 1);
        h.command(6);
        MessageBox::setNextAnswer(MessageBox::Answer::No);
        h.command(command);
        QCOMPARE(h.rows("insunit").size(), 1);
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        h.command(command);
        QCOMPARE(MessageBox::unansweredQuestions(), 0);
        for (const char *t : {"solicitu", "insunit", "insupedi", "exporped", "factura", "impTLC"})
            QVERIFY2(h.rows(t).isEmpty(), t);
        QCOMPARE(h.rows("empresas").size(), command == 2 ? 0 : 1);
        QCOMPARE(h.combo("cmbBanco")->currentIndex() >= 0, command == 3);
        QCOMPARE(h.text("txtRSocial")->text().isEmpty(), command == 2);
        QCOMPARE(h.combo("cmbUM")->currentIndex(), -1);
        for (const char *name : {"txtMPN", "txtTCU", "txtTED(3)", "txtTLCAN(1)"})
            QCOMPARE(h.text(name)->text(), QStringLiteral("0"));
        for (int i = 0; i < 2; ++i)
            QVERIFY(!h.get<QRadioButton>(QStringLiteral("opcTSolicitud(%1)").arg(i))->isChecked());
        QCOMPARE(h.combo("cmbTSolicitud")->currentIndex(), 0);
        for (const char *name : {"txtFolio", "txtFolioA"}) {
            QCOMPARE(h.text(name)->text(), QString());
            QVERIFY(!h.text(name)->isEnabled());
        }
        h.command(6);
        const QVariantMap saved = h.rows("solicitu").value(0);
        for (const char *field : {"OTIPOEXPOR", "TIPO_EXPOR", "MER_RET", "TSOL", "FOLIO", "UNIDAD"})
            QVERIFY2(saved.value(field) == expected.value(field), field);
        // Nor does the erased transfer's refund type come back.
        QVERIFY(h.reopen());
        QCOMPARE(h.combo("cmbTDevolucion")->currentIndex(), -1);
    }

    void unitCostsGuardTheImportsTab()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request()}}}));
        const QString message = QStringLiteral(
            "Debes de completar la información de los costos unitarios para accesar al apartado de mercancías "
            "importadas");
        h.tabs()->setCurrentIndex(5);
        QCOMPARE(h.tabs()->currentIndex(), 4);
        QCOMPARE(MessageBox::shownTexts(), QStringList{message});

        WindowHarness missing;
        QVERIFY(missing.open({{"solicitu", {request()}}, {"insunit", unitCosts(false)}}));
        missing.tabs()->setCurrentIndex(5);
        QCOMPARE(missing.tabs()->currentIndex(), 4);

        WindowHarness complete;
        QVERIFY(complete.open({{"solicitu", {request()}}, {"insunit", unitCosts(true)}}));
        complete.tabs()->setCurrentIndex(5);
        QCOMPARE(complete.tabs()->currentIndex(), 5);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void leavingUnitCostsComparesTheTotals()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request()}}, {"insunit", unitCosts(true)}}));
        h.tabs()->setCurrentIndex(4);
        QVERIFY(MessageBox::shown().isEmpty());
        h.text("txtTE")->setText(QStringLiteral("5"));
        h.text("txtTCU")->setText(QStringLiteral("15.5"));

        MessageBox::setNextAnswer(MessageBox::Answer::No);
        h.tabs()->setCurrentIndex(3);
        QCOMPARE(h.tabs()->currentIndex(), 4);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().first().icon, MessageBox::Icon::Exclamation);
        QVERIFY(MessageBox::shown().first().text.startsWith(QStringLiteral("No concuerda el desglose")));

        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        h.tabs()->setCurrentIndex(3);
        QCOMPARE(h.tabs()->currentIndex(), 3);

        // Equal totals ask nothing; nor does a request without unit costs.
        MessageBox::clearShown();
        h.tabs()->setCurrentIndex(4);
        h.text("txtTE")->setText(QStringLiteral("15.5"));
        h.tabs()->setCurrentIndex(2);
        h.tabs()->setCurrentIndex(4);
        h.text("txtTE")->setText(QStringLiteral("1"));
        h.get<QTableView>("dbCU")->setColumnHidden(2, true);
        h.tabs()->setCurrentIndex(2);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void gridRowTypedBeforeATabChangeIsSaved()
    {
        WindowHarness h;
        QVERIFY(h.open({{"solicitu", {request()}}}));
        h.tabs()->setCurrentIndex(4);
        auto *grid = h.get<QAbstractItemView>("dbCU");
        h.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(0, 0));
        // Keys go where the user's would: to the cell being typed.
        auto typeCell = [](const QString &text) {
            for (QChar c : text)
                QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        };
        for (const char *cell : {"01020304", "TUERCAS", "15.5", "10"})
            typeCell(QString::fromLatin1(cell));
        QVERIFY(h.rows("insunit").isEmpty());
        h.text("txtTE")->setText(QStringLiteral("15.5")); // the costs agree: no question
        h.tabs()->setCurrentIndex(3);
        const auto rows = h.rows("insunit");
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.value(0).value("FRACCION").toString(), QStringLiteral("01020304"));
        QCOMPARE(rows.value(0).value("DESCRIP").toString(), QStringLiteral("TUERCAS"));
        QCOMPARE(rows.value(0).value("COSTO_UNIT").toDouble(), 15.5);
        QCOMPARE(rows.value(0).value("TASA_ADVAL").toDouble(), 10.0);
        // The stored row now opens the imports tab.
        h.tabs()->setCurrentIndex(5);
        QCOMPARE(h.tabs()->currentIndex(), 5);
    }

};

QUELVAR_TEST_CLASS(TestRequestWindow)
#include "test_request_window.moc"

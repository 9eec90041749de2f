// The guards of the request's text boxes on the real window, driven by keys:
// typing limits, alignment, key filters, forced case, selection on entry,
// what leaving a box does, pasting, the Enter key along the whole request,
// and the state list writing the company's state at once.
#include "window_harness.h"

#include "window/field_edit.h"
#include "window/field_rules.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>

namespace {

const QString kPostalCode =
    QStringLiteral("El código postal debe ser de cinco dígitos forzosamente. Rectifica por favor");

QVariantMap with(QVariantMap base, const QVariantMap &extra)
{
    for (auto it = extra.begin(); it != extra.end(); ++it)
        base.insert(it.key(), it.value());
    return base;
}

// A direct request of transformed goods, so that every tab up to the unit
// costs is shown, for a company stored in state 9.
bool openActive(WindowHarness &h, const QVariantMap &extra = {}, const QVariantMap &companyExtra = {})
{
    const QVariantMap company{{"NOMBRE", "EXPORTADORA DEL NORTE"}, {"CODIGO_POS", "01234"},
                              {"BANCO", "BANORTE, S.A."}, {"SECTOR", 1.0}, {"ESTADO", 9.0}};
    const QVariantMap request{{"OTIPOEXPOR", 0.0}, {"TIPO_EXPOR", "M"}, {"MER_RET", "O"}, {"TSOL", "N"},
                              {"UNIDAD", "PIEZA"}};
    if (!h.open({{"empresas", {with(company, companyExtra)}}, {"solicitu", {with(request, extra)}}}))
        return false;
    h.window->activateWindow();
    return QTest::qWaitForWindowActive(h.window.get());
}

QString focused()
{
    QCoreApplication::processEvents(); // the tax id's return to itself is deferred
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

void paste(QWidget *w, const QString &text)
{
    QApplication::clipboard()->setText(text);
    QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
}

// One row of the field table: where the box is and how it is guarded.
enum { F14 = 1, Z = 2, CP = 4, RFC = 8 };
struct Row {
    const char *name;
    int tab, limit;
    char align; // L, R, C
    int keys;   // K0 .. K4
    char letterCase; // U, l, -
    int leave;
};

const Row kFields[] = {
    {"txtRFC", -1, 13, 'L', 4, 'U', RFC},          {"txtRSocial", -1, 60, 'L', 0, 'U', 0},
    {"txtFolio", -1, 4, 'L', 1, '-', 0},            {"txtFolioA", -1, 4, 'L', 1, '-', 0},
    {"txtDireccion", 0, 60, 'L', 0, 'U', 0},        {"txtCP", 0, 5, 'L', 1, '-', CP},
    {"txtDelegacion", 0, 25, 'L', 0, 'U', 0},       {"txtColonia", 0, 25, 'L', 0, 'U', 0},
    {"txtTelefono", 0, 10, 'L', 1, '-', 0},         {"txtFax", 0, 10, 'L', 1, '-', 0},
    {"txtEmail", 0, 30, 'L', 0, 'l', 0},            {"txtNRLegal", 1, 20, 'L', 0, 'U', 0},
    {"txtPRLegal", 1, 20, 'L', 0, 'U', 0},          {"txtMRLegal", 1, 20, 'L', 0, 'U', 0},
    {"txtDireccionRep", 1, 25, 'L', 0, 'U', 0},     {"txtTelRep", 1, 10, 'L', 1, '-', 0},
    {"txtCargo", 1, 25, 'L', 0, 'U', 0},            {"txtFaxRep", 1, 10, 'L', 1, '-', 0},
    {"txtCuenta", 1, 11, 'C', 1, '-', 0},           {"txtSuc", 1, 4, 'C', 1, '-', 0},
    {"txtPlaza", 1, 3, 'C', 1, '-', 0},             {"txtProducto", 2, 50, 'L', 0, 'U', 0},
    {"txtVExpFOB", 2, 12, 'R', 2, '-', F14},        {"txtFraccionExp", 2, 8, 'R', 1, '-', 0},
    {"txtCantidadExp", 2, 8, 'R', 2, '-', 0},       {"txtDevS", 2, 14, 'R', 3, '-', 0},
    {"txtPUMN", 2, 14, 'R', 2, '-', F14},           {"txtPUDls", 2, 14, 'R', 2, '-', F14},
    {"txtMPN", 3, 18, 'R', 2, '-', F14 | Z},        {"txtMPE", 3, 18, 'R', 2, '-', F14 | Z},
    {"txtCIN", 3, 18, 'R', 2, '-', F14 | Z},        {"txtCIE", 3, 18, 'R', 2, '-', F14 | Z},
    {"txtCNIN", 3, 18, 'R', 2, '-', F14 | Z},       {"txtEN", 3, 18, 'R', 2, '-', F14 | Z},
    {"txtSN", 3, 18, 'R', 2, '-', F14 | Z},         {"txtDN", 3, 18, 'R', 2, '-', F14 | Z},
};

} // namespace

class TestFieldRules : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowHarness> shared_; // one window for the whole field table

private slots:
    void initTestCase()
    {
        if (!RequestFixture::haveTools())
            QFAIL("python3-dbf is not installed (bash scripts/test.sh installs it)");
        shared_ = std::make_unique<WindowHarness>();
        QVERIFY(openActive(*shared_, {{"TSOL", "R"}}, {{"CODIGO_POS", ""}}));
    }
    void cleanupTestCase() { shared_.reset(); }

    void everyBoxHasItsRow()
    {
        QStringList guarded, expected;
        for (const FieldRules::FieldRule &r : FieldRules::fields())
            guarded << r.name;
        for (const Row &r : kFields)
            expected << QString::fromLatin1(r.name);
        QCOMPARE(guarded, expected);
    }

    void fieldTable_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(kFields)); ++i)
            QTest::newRow(kFields[i].name) << i;
    }
    void fieldTable()
    {
        QFETCH(int, row);
        const Row &r = kFields[row];
        WindowHarness &h = *shared_;
        h.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
        if (r.tab >= 0) {
            h.tabs()->setCurrentIndex(r.tab);
            QCOMPARE(h.tabs()->currentIndex(), r.tab);
        }
        auto *f = h.get<FieldEdit>(r.name);
        QVERIFY(f);
        const Qt::Alignment align = r.align == 'L' ? Qt::AlignLeft : r.align == 'R' ? Qt::AlignRight : Qt::AlignHCenter;
        QCOMPARE(f->alignment() & Qt::AlignHorizontal_Mask, align);
        QCOMPARE(f->typingLimit(), r.limit);
        QWidget *elsewhere = h.get("opcTSolicitud(0)");
        f->setFocus(Qt::TabFocusReason);
        QCOMPARE(focused(), QString::fromLatin1(r.name));

        if (r.keys == 3) {
            // Shown only: the program's value is formatted, the user changes nothing.
            f->setText(QStringLiteral("1234567"));
            QCOMPARE(f->text(), QStringLiteral("1,234,567"));
            f->end(false);
            QTest::keyClicks(f, QStringLiteral("5a. "));
            QTest::keyClick(f, Qt::Key_Backspace);
            f->home(false);
            QTest::keyClick(f, Qt::Key_Delete);
            paste(f, QStringLiteral("9"));
            QCOMPARE(f->text(), QStringLiteral("1,234,567"));
        } else {
            // The key rule.
            static const char *const probes[][2] = {
                {"aB.&-5", "AB.&-5"}, {"1a.2-3 ", "123"}, {"1a.2.b3", "1.2.3"}, {}, {" abc", " ABC"}};
            QString typed = QString::fromLatin1(probes[r.keys][0]);
            QString expected = QString::fromLatin1(probes[r.keys][1]);
            if (r.letterCase == 'l') {
                typed = QStringLiteral("aB.@-5");
                expected = QStringLiteral("ab.@-5");
            }
            f->clear();
            QTest::keyClicks(f, typed);
            QCOMPARE(f->text(), expected);

            // The typing limit.
            f->clear();
            if (r.keys == 4)
                QTest::keyClicks(f, QStringLiteral(" ABC010101XY1A234"));
            else
                QTest::keyClicks(f, QString(r.limit + 3, r.keys == 0 ? u'x' : u'7'));
            QCOMPARE(f->text().size(), r.limit);

            // The case hook, and where the caret ends.
            if (r.keys == 4) {
                f->setText(QStringLiteral(" a"));
                QCOMPARE(f->text(), QStringLiteral(" A"));
                QTest::keyClick(f, 'b');
                QCOMPARE(f->text(), QStringLiteral(" AB"));
                QCOMPARE(f->cursorPosition(), 3);
            } else if (r.letterCase != '-') {
                f->setText(QStringLiteral("xYz"));
                QCOMPARE(f->text(), r.letterCase == 'U' ? QStringLiteral("XYZ") : QStringLiteral("xyz"));
                f->setCursorPosition(1);
                QTest::keyClick(f, r.letterCase == 'U' ? 'q' : 'Q');
                QCOMPARE(f->text(), r.letterCase == 'U' ? QStringLiteral("XQYZ") : QStringLiteral("xqyz"));
                QCOMPARE(f->cursorPosition(), 4);
            } else {
                f->setText(QStringLiteral("12"));
                f->setCursorPosition(1);
                QTest::keyClick(f, '3');
                QCOMPARE(f->text(), QStringLiteral("132"));
                QCOMPARE(f->cursorPosition(), 2);
            }
            // Backspace always works.
            QString shortened = f->text();
            shortened.remove(f->cursorPosition() - 1, 1);
            QTest::keyClick(f, Qt::Key_Backspace);
            QCOMPARE(f->text(), shortened);

            // Leaving it: thousands (typing limit 14 from then on), postal code's length.
            f->setText(r.keys == 4 ? QStringLiteral(" ABC010101XY1") : QStringLiteral("1234"));
            MessageBox::clearShown();
            elsewhere->setFocus(Qt::TabFocusReason);
            QCOMPARE(focused(), elsewhere->objectName());
            if (r.keys != 4)
                QCOMPARE(f->text(), (r.leave & F14) ? QStringLiteral("1,234") : QStringLiteral("1234"));
            QCOMPARE(f->typingLimit(), (r.leave & F14) ? 14 : r.limit);
        }

        // Coming back, by a click or by Tab, selects the whole text.
        elsewhere->setFocus(Qt::TabFocusReason);
        QTest::mouseClick(f, Qt::LeftButton);
        QCOMPARE(focused(), QString::fromLatin1(r.name));
        QVERIFY(!f->text().isEmpty());
        QCOMPARE(f->selectedText(), f->text());
        QWidget *before = f->previousInFocusChain();
        while (before != f
               && !(before->isVisible() && before->isEnabled() && (before->focusPolicy() & Qt::TabFocus)))
            before = before->previousInFocusChain();
        before->setFocus(Qt::BacktabFocusReason);
        QTest::keyClick(before, Qt::Key_Tab);
        QCOMPARE(focused(), QString::fromLatin1(r.name));
        QCOMPARE(f->selectedText(), f->text());
        if (r.keys == 3)
            return;

        // Left empty: "0" where zero is the rule.
        f->clear();
        elsewhere->setFocus(Qt::TabFocusReason);
        QCOMPARE(f->text(), (r.leave & Z) ? QStringLiteral("0") : QString());
        const QStringList messages = (r.leave & CP) ? QStringList(3, kPostalCode) : QStringList();
        QCOMPARE(MessageBox::shownTexts(), messages);
    }

    void numbersAndThousands()
    {
        WindowHarness h;
        QVERIFY(openActive(h));
        h.tabs()->setCurrentIndex(2);
        QLineEdit *qty = h.text("txtCantidadExp");
        qty->setFocus(Qt::TabFocusReason);
        qty->clear();
        QTest::keyClicks(qty, "12a.5");
        QCOMPARE(qty->text(), QStringLiteral("12.5"));
        QTest::keyClick(qty, Qt::Key_Backspace);
        QCOMPARE(qty->text(), QStringLiteral("12."));

        h.tabs()->setCurrentIndex(3);
        auto *mpn = h.get<FieldEdit>("txtMPN");
        mpn->setFocus(Qt::TabFocusReason);
        mpn->clear();
        QTest::keyClicks(mpn, "1234567");
        QTest::keyClick(mpn, Qt::Key_Return);
        QCOMPARE(focused(), QStringLiteral("txtMPE"));
        QCOMPARE(mpn->text(), QStringLiteral("1,234,567"));
        QCOMPARE(mpn->typingLimit(), 14);
        // Back by Shift+Tab: the formatted text is selected whole.
        QTest::keyClick(h.text("txtMPE"), Qt::Key_Backtab);
        QCOMPARE(focused(), QStringLiteral("txtMPN"));
        QCOMPARE(mpn->selectedText(), QStringLiteral("1,234,567"));
        mpn->end(false);
        QTest::keyClicks(mpn, "99999999");
        QCOMPARE(mpn->text(), QStringLiteral("1,234,56799999"));
        mpn->clear();
        QTest::keyClick(mpn, Qt::Key_Return);
        QCOMPARE(mpn->text(), QStringLiteral("0"));

        // Already formatted: neither text nor typing limit change.
        auto *cnin = h.get<FieldEdit>("txtCNIN");
        cnin->setText(QStringLiteral("1,234"));
        cnin->setFocus(Qt::TabFocusReason);
        QTest::keyClick(cnin, Qt::Key_Return);
        QCOMPARE(focused(), QStringLiteral("txtEN"));
        QCOMPARE(cnin->text(), QStringLiteral("1,234"));
        QCOMPARE(cnin->typingLimit(), 18);
        // A second point is let through; the grouping stops at the first.
        const QList<std::pair<QString, QString>> cases{
            {"1234.5.6", "1,234.5.6"}, {"0001234", "0,001,234"}, {".5", ".5"}, {"123", "123"}};
        for (const auto &[typed, shown] : cases) {
            QLineEdit *cin = h.text("txtCIN");
            cin->setFocus(Qt::TabFocusReason);
            h.type("txtCIN", typed);
            QTest::keyClick(cin, Qt::Key_Return);
            QCOMPARE(focused(), QStringLiteral("txtCIE"));
            QCOMPARE(cin->text(), shown);
        }
        // The first click into a box keeps its whole text selected; the next places the caret.
        QLineEdit *cin = h.text("txtCIN");
        QTest::mouseClick(cin, Qt::LeftButton);
        QCOMPARE(focused(), QStringLiteral("txtCIN"));
        QCOMPARE(cin->selectedText(), QStringLiteral("123"));
        QTest::mouseClick(cin, Qt::LeftButton);
        QVERIFY(!cin->hasSelectedText());
        QVERIFY(MessageBox::shown().isEmpty());
    }

    // A negative amount read from the tables keeps its sign in front of the
    // digits when the box is left, and is saved back as it was.
    void negativeAmountsKeepTheirSign()
    {
        WindowHarness h;
        QVERIFY(openActive(h, {{"MAT_PRI_NA", -123.5}, {"MAT_PRI_EX", -1234.5}, {"DEPRE_MAQ", 0.0}}));
        h.tabs()->setCurrentIndex(3);
        for (const auto &[name, shown] : {std::pair{"txtMPN", "-123.5"}, std::pair{"txtMPE", "-1,234.5"}}) {
            QLineEdit *box = h.text(name);
            box->setFocus(Qt::TabFocusReason);
            QTest::keyClick(box, Qt::Key_Return);
            QCOMPARE(box->text(), QString::fromLatin1(shown));
        }
        h.tabs()->setCurrentIndex(2);
        QVERIFY(MessageBox::shownTexts().isEmpty());
        QCOMPARE(h.rows("solicitu").value(0).value("MAT_PRI_NA").toDouble(), -123.5);
        QCOMPARE(h.rows("solicitu").value(0).value("MAT_PRI_EX").toDouble(), -1234.5);
    }

    void taxIdTyping()
    {
        WindowHarness h;
        QVERIFY(openActive(h));
        QLineEdit *rfc = h.text("txtRFC");
        rfc->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(rfc, "a");
        QCOMPARE(rfc->text(), QString());
        // "&" only as the middle letter.
        QTest::keyClicks(rfc, " &1a&&1b");
        QCOMPARE(rfc->text(), QStringLiteral(" A&B"));
        QTest::keyClicks(rfc, "x01 0a1 01&xy");
        QCOMPARE(rfc->text(), QStringLiteral(" A&B010101XY"));
        QTest::keyClicks(rfc, "bB");
        QCOMPARE(rfc->text(), QStringLiteral(" A&B010101XY"));
        QTest::keyClicks(rfc, "a");
        QCOMPARE(rfc->text(), QStringLiteral(" A&B010101XYA"));
        // Typed over the whole text, it starts again at the first position.
        rfc->selectAll();
        QTest::keyClicks(rfc, "x");
        QCOMPARE(rfc->text(), QStringLiteral(" A&B010101XYA"));
        rfc->selectAll();
        QTest::keyClicks(rfc, " a&c000229xy9");
        QCOMPARE(rfc->text(), QStringLiteral(" A&C000229XY9"));
    }

    void taxIdOnLeaving()
    {
        WindowHarness h;
        QVERIFY(openActive(h));
        QLineEdit *rfc = h.text("txtRFC");
        const QList<std::pair<QString, QString>> cases{
            {" ABC010431XY1", "El mes que has escrito no tiene más de 30 días. Rectifica por favor"},
            {" ABC010229XY1", "El mes que has escrito no tiene más de 28 días. Rectifica por favor"},
            {" ABC010001XY1", "El mes que has escrito no tiene más de 0 días. Rectifica por favor"},
            {" ABC011301XY1", "El valor del mes del RFC es incorrecto.Rectifica por favor"},
            {" ABC0104", "El RFC no puede ser menor de 13. Rectifica por favor."},
            {" ABC000229XY1", ""},
            {" ABC010131XY1", ""},
            {" ", ""},
        };
        for (const auto &[typed, message] : cases) {
            rfc->setFocus(Qt::TabFocusReason);
            h.type("txtRFC", typed);
            QCOMPARE(rfc->text(), typed);
            MessageBox::clearShown();
            QTest::keyClick(rfc, Qt::Key_Return);
            QCOMPARE(focused(), message.isEmpty() ? QStringLiteral("txtRSocial") : QStringLiteral("txtRFC"));
            QCOMPARE(MessageBox::shownTexts(), message.isEmpty() ? QStringList() : QStringList(message));
            if (!message.isEmpty()) {
                QCOMPARE(MessageBox::shown().value(0).title, QStringLiteral("QUELVAR"));
                QVERIFY(MessageBox::shown().value(0).icon == MessageBox::Icon::Exclamation);
                QVERIFY(!MessageBox::shown().value(0).question);
                QCOMPARE(rfc->text(), typed);
                QCOMPARE(rfc->selectedText(), typed);
            }
        }
    }

    void postalCodeOnLeaving()
    {
        WindowHarness h;
        QVERIFY(openActive(h));
        h.tabs()->setCurrentIndex(0);
        QLineEdit *cp = h.text("txtCP");
        for (const QString typed : {"0123", "", "01234"}) {
            cp->setFocus(Qt::TabFocusReason);
            h.type("txtCP", typed);
            MessageBox::clearShown();
            QTest::keyClick(cp, Qt::Key_Return);
            QCOMPARE(focused(), QStringLiteral("cmbEdo"));
            QCOMPARE(cp->text(), typed);
            QCOMPARE(MessageBox::shownTexts(), typed.size() < 5 ? QStringList(kPostalCode) : QStringList());
        }
    }

    void pastedAsTyped()
    {
        WindowHarness h;
        QVERIFY(openActive(h, {}, {{"CODIGO_POS", ""}}));
        h.tabs()->setCurrentIndex(0);
        QLineEdit *cp = h.text("txtCP");
        cp->setFocus(Qt::TabFocusReason);
        paste(cp, "12a-34");
        QCOMPARE(cp->text(), QStringLiteral("1234"));
        cp->clear();
        paste(cp, "1234567");
        QCOMPARE(cp->text(), QStringLiteral("12345"));
        cp->setText(QStringLiteral("12"));
        cp->end(false);
        paste(cp, "3.4 5678");
        QCOMPARE(cp->text(), QStringLiteral("12345"));
        // Over a selection, the selection makes room.
        cp->setSelection(1, 3);
        paste(cp, "9876");
        QCOMPARE(cp->text(), QStringLiteral("19875"));

        QLineEdit *rfc = h.text("txtRFC");
        rfc->setFocus(Qt::TabFocusReason);
        paste(rfc, "abc");
        QCOMPARE(rfc->text(), QString());
        paste(rfc, " abc010101xy1");
        QCOMPARE(rfc->text(), QStringLiteral(" ABC010101XY1"));
        rfc->selectAll();
        paste(rfc, " abc010101xy1zzzz");
        QCOMPARE(rfc->text(), QStringLiteral(" ABC010101XY1"));

        // Keys that type text with Alt, AltGr (Ctrl+Alt) or Meta held, and
        // an emoji, pass the same rule; Ctrl's shortcuts still work.
        cp->setText(QStringLiteral("12"));
        cp->end(false);
        for (const auto &[key, modifiers, text] :
             {std::tuple{Qt::Key_E, Qt::KeyboardModifiers(Qt::AltModifier), QStringLiteral("e")},
              std::tuple{Qt::Key_At, Qt::ControlModifier | Qt::AltModifier, QStringLiteral("@")},
              std::tuple{Qt::Key_unknown, Qt::KeyboardModifiers(), QStringLiteral("\U0001F600")},
              std::tuple{Qt::Key_3, Qt::KeyboardModifiers(Qt::AltModifier), QStringLiteral("3")}}) {
            QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
            QApplication::sendEvent(cp, &press);
        }
        QCOMPARE(cp->text(), QStringLiteral("123"));
        QTest::keyClick(cp, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(cp->selectedText(), QStringLiteral("123"));
        rfc->clear();
        QKeyEvent altX(QEvent::KeyPress, Qt::Key_X, Qt::AltModifier, QStringLiteral("x"));
        QApplication::sendEvent(rfc, &altX);
        QCOMPARE(rfc->text(), QString());

        h.tabs()->setCurrentIndex(0);
        QLineEdit *mail = h.text("txtEmail");
        mail->setFocus(Qt::TabFocusReason);
        paste(mail, "Ventas@\nNorte.MX");
        QCOMPARE(mail->text(), QStringLiteral("ventas@norte.mx"));
        QCOMPARE(mail->cursorPosition(), 15);
    }

    void enterAlongTheRequest()
    {
        WindowHarness h;
        QVERIFY(openActive(h));
        // The lists' tabs; the boxes' come from the field table.
        const QMap<QString, int> listTabs{
            {"cmbEdo", 0}, {"cmbActFiscal", 1}, {"cmbBanco", 1}, {"cmbUM", 2}, {"dbCU", 4}};
        const QStringList chain{
            "txtRFC", "txtRSocial",
            "txtDireccion", "txtCP", "cmbEdo", "txtDelegacion", "txtColonia", "txtTelefono", "txtFax", "txtEmail",
            "cmbActFiscal", "txtNRLegal", "txtPRLegal", "txtMRLegal", "txtDireccionRep", "txtTelRep", "txtCargo",
            "txtFaxRep", "cmbBanco", "txtCuenta", "txtSuc", "txtPlaza",
            "txtProducto", "txtVExpFOB", "txtFraccionExp", "txtCantidadExp", "cmbUM", "txtDevS", "txtPUMN",
            "txtPUDls",
            "txtMPN", "txtMPE", "txtCIN", "txtCIE", "txtCNIN", "txtEN", "txtSN", "txtDN",
            "dbCU"};
        h.text("txtRFC")->setFocus(Qt::TabFocusReason);
        h.type("txtRFC", " ABC010101XY1");
        for (const QString &name : chain) {
            QCOMPARE(focused(), name);
            int tab = listTabs.value(name, -1);
            for (const Row &r : kFields)
                if (name == QLatin1String(r.name))
                    tab = r.tab;
            if (tab >= 0)
                QCOMPARE(h.tabs()->currentIndex(), tab);
            if (name != QLatin1String("dbCU"))
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
        QVERIFY2(MessageBox::shownTexts().isEmpty(), qPrintable(MessageBox::shownTexts().join(u'|')));

        // The folio boxes of a reply, in the header.
        h.pick("cmbTSolicitud", 1);
        h.text("txtFolio")->setFocus(Qt::TabFocusReason);
        QTest::keyClick(h.text("txtFolio"), Qt::Key_Return);
        QCOMPARE(focused(), QStringLiteral("txtFolioA"));
        QTest::keyClick(h.text("txtFolioA"), Qt::Key_Return);
        QCOMPARE(focused(), QStringLiteral("cmbTExportacion"));

        // The unit of measure passes over a refund box that is switched off.
        h.tabs()->setCurrentIndex(2);
        h.text("txtDevS")->setEnabled(false);
        h.combo("cmbUM")->setFocus(Qt::TabFocusReason);
        QTest::keyClick(h.combo("cmbUM"), Qt::Key_Return);
        QCOMPARE(focused(), QStringLiteral("txtPUMN"));
        h.text("txtDevS")->setEnabled(true);

        // Returned goods hide the prices: the refund box leads to the unit costs.
        h.pick("cmbTDevolucion", 1);
        h.tabs()->setCurrentIndex(2);
        QVERIFY(h.text("txtPUMN")->isHidden());
        h.combo("cmbUM")->setFocus(Qt::TabFocusReason);
        QTest::keyClick(h.combo("cmbUM"), Qt::Key_Return);
        QCOMPARE(focused(), QStringLiteral("txtDevS"));
        QTest::keyClick(h.text("txtDevS"), Qt::Key_Return);
        QCOMPARE(focused(), QStringLiteral("dbCU"));
        QCOMPARE(h.tabs()->currentIndex(), 4);
    }

    void stateListWritesAtOnce()
    {
        WindowHarness h;
        QVERIFY(openActive(h));
        QLabel *caption = h.get<QLabel>("lblDelMun");
        QComboBox *states = h.combo("cmbEdo");
        QCOMPARE(states->currentIndex(), 8);
        QCOMPARE(caption->text(), QStringLiteral("Delegación : "));
        QCOMPARE(states->itemData(0).toInt(), 1);

        h.pick("cmbEdo", 0);
        QCOMPARE(caption->text(), QStringLiteral("Municipio : "));
        QCOMPARE(h.rows("empresas").value(0).value("ESTADO").toDouble(), 1.0);

        h.pick("cmbEdo", 8);
        QCOMPARE(caption->text(), QStringLiteral("Delegación : "));
        QCOMPARE(h.rows("empresas").value(0).value("ESTADO").toDouble(), 9.0);
        QCOMPARE(h.rows("empresas").size(), 1);

        // Chosen by the keyboard, the same.
        states->setFocus(Qt::TabFocusReason);
        QTest::keyClick(states, Qt::Key_Down);
        QCOMPARE(states->currentIndex(), 9);
        QCOMPARE(caption->text(), QStringLiteral("Municipio : "));
        QCOMPARE(h.rows("empresas").value(0).value("ESTADO").toDouble(), states->itemData(9).toDouble());
        // No entry selected: the caption goes back, the stored state stays.
        states->setCurrentIndex(-1);
        QCOMPARE(caption->text(), QStringLiteral("Municipio : "));
        QCOMPARE(h.rows("empresas").value(0).value("ESTADO").toDouble(), states->itemData(9).toDouble());
        QVERIFY(MessageBox::shown().isEmpty());
    }
};

QTEST_MAIN(TestFieldRules)
#include "test_field_rules.moc"

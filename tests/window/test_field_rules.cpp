// The guards of the request's text boxes on the real window, driven by keys:
// every row of the field table applied to its box (typing limit, alignment,
// key filter, forced case, what leaving it does), selection on entry,
// pasting, the Enter key along the whole request, and the state list
// writing the company's state at once.
#include "test_registry.h"
#include "window_harness.h"

#include "rules/request_fields.h"
#include "window/field_edit.h"

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

    void fieldTable_data()
    {
        QTest::addColumn<QString>("name");
        for (const RequestFields::Control &c : RequestFields::textFields())
            if (c.tab < 4) // the document tabs hold only the percentage, not shown here
                QTest::newRow(qPrintable(c.name)) << c.name;
    }
    void fieldTable()
    {
        QFETCH(QString, name);
        const RequestFields::Control &r = *RequestFields::find(name);
        using K = KeyRules::Rule;
        using RequestFields::Case;
        WindowHarness &h = *shared_;
        h.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.window.get()));
        if (r.tab >= 0) {
            h.tabs()->setCurrentIndex(r.tab);
            QCOMPARE(h.tabs()->currentIndex(), r.tab);
        }
        auto *f = h.get<FieldEdit>(r.name);
        QVERIFY(f);
        QCOMPARE(f->alignment() & Qt::AlignHorizontal_Mask, r.align & Qt::AlignHorizontal_Mask);
        QCOMPARE(f->typingLimit(), r.limit);
        QWidget *elsewhere = h.get("opcTSolicitud(0)");
        f->setFocus(Qt::TabFocusReason);
        QCOMPARE(focused(), r.name);

        if (r.keys == K::ShowOnly) {
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
            QString typed = QString::fromLatin1(probes[int(r.keys)][0]);
            QString expected = QString::fromLatin1(probes[int(r.keys)][1]);
            if (r.letterCase == Case::Lower) {
                typed = QStringLiteral("aB.@-5");
                expected = QStringLiteral("ab.@-5");
            }
            f->clear();
            QTest::keyClicks(f, typed);
            QCOMPARE(f->text(), expected);

            // The typing limit.
            f->clear();
            if (r.keys == K::TaxId)
                QTest::keyClicks(f, QStringLiteral(" ABC010101XY1A234"));
            else
                QTest::keyClicks(f, QString(r.limit + 3, r.keys == K::Free ? u'x' : u'7'));
            QCOMPARE(f->text().size(), r.limit);

            // The case hook, and where the caret ends.
            if (r.keys == K::TaxId) {
                f->setText(QStringLiteral(" a"));
                QCOMPARE(f->text(), QStringLiteral(" A"));
                QTest::keyClick(f, 'b');
                QCOMPARE(f->text(), QStringLiteral(" AB"));
                QCOMPARE(f->cursorPosition(), 3);
            } else if (r.letterCase != Case::None) {
                f->setText(QStringLiteral("xYz"));
                QCOMPARE(f->text(), r.letterCase == Case::Upper ? QStringLiteral("XYZ") : QStringLiteral("xyz"));
                f->setCursorPosition(1);
                QTest::keyClick(f, r.letterCase == Case::Upper ? 'q' : 'Q');
                QCOMPARE(f->text(), r.letterCase == Case::Upper ? QStringLiteral("XQYZ") : QStringLiteral("xqyz"));
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
            f->setText(r.keys == K::TaxId ? QStringLiteral(" ABC010101XY1") : QStringLiteral("1234"));
            MessageBox::clearShown();
            elsewhere->setFocus(Qt::TabFocusReason);
            QCOMPARE(focused(), elsewhere->objectName());
            if (r.keys != K::TaxId)
                QCOMPARE(f->text(), (r.leave & RequestFields::Thousands) ? QStringLiteral("1,234") : QStringLiteral("1234"));
            QCOMPARE(f->typingLimit(), (r.leave & RequestFields::Thousands) ? 14 : r.limit);
        }

        // Coming back, by a click or by Tab, selects the whole text.
        elsewhere->setFocus(Qt::TabFocusReason);
        QTest::mouseClick(f, Qt::LeftButton);
        QCOMPARE(focused(), r.name);
        QVERIFY(!f->text().isEmpty());
        QCOMPARE(f->selectedText(), f->text());
        QWidget *before = f->previousInFocusChain();
        while (before != f
               && !(before->isVisible() && before->isEnabled() && (before->focusPolicy() & Qt::TabFocus)))
            before = before->previousInFocusChain();
        before->setFocus(Qt::BacktabFocusReason);
        QTest::keyClick(before, Qt::Key_Tab);
        QCOMPARE(focused(), r.name);
        QCOMPARE(f->selectedText(), f->text());
        if (r.keys == K::ShowOnly)
            return;

        // Left empty: "0" where zero is the rule.
        f->clear();
        elsewhere->setFocus(Qt::TabFocusReason);
        QCOMPARE(f->text(), (r.leave & RequestFields::ZeroWhenEmpty) ? QStringLiteral("0") : QString());
        const QStringList messages = (r.leave & RequestFields::PostalCode) ? QStringList(3, kPostalCode) : QStringList();
        QCOMPARE(MessageBox::shownTexts(), messages);
    }

    void numbersAndThousands()
    {
        WindowHarness h;
        QVERIFY(openActive(h));
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

        // Already formatted: neither text nor typing limit change.
        auto *cin = h.get<FieldEdit>("txtCIN");
        cin->setText(QStringLiteral("1,234"));
        cin->setFocus(Qt::TabFocusReason);
        QTest::keyClick(cin, Qt::Key_Return);
        QCOMPARE(focused(), QStringLiteral("txtCIE"));
        QCOMPARE(cin->text(), QStringLiteral("1,234"));
        QCOMPARE(cin->typingLimit(), 18);
        // The first click into a box keeps its whole text selected; the next places the caret.
        QTest::mouseClick(cin, Qt::LeftButton);
        QCOMPARE(focused(), QStringLiteral("txtCIN"));
        QCOMPARE(cin->selectedText(), QStringLiteral("1,234"));
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
        QTest::keyClicks(rfc, "a &1a&&1bx01 0a1 01&xybB");
        QCOMPARE(rfc->text(), QStringLiteral(" A&B010101XY"));
        // Typed over the whole text, it starts again at the first position.
        rfc->selectAll();
        QTest::keyClicks(rfc, "x a&c000229xy9");
        QCOMPARE(rfc->text(), QStringLiteral(" A&C000229XY9"));
    }

    void taxIdOnLeaving()
    {
        WindowHarness h;
        QVERIFY(openActive(h));
        QLineEdit *rfc = h.text("txtRFC");
        const QList<std::pair<QString, QString>> cases{
            {" ABC010431XY1", "El mes que has escrito no tiene más de 30 días. Rectifica por favor"},
            {" ABC0104", "El RFC no puede ser menor de 13. Rectifica por favor."},
            {" ABC000229XY1", ""},
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
        // From the tax id to the unit costs, each Enter lands where the
        // table says, its tab brought forward.
        h.text("txtRFC")->setFocus(Qt::TabFocusReason);
        h.type("txtRFC", " ABC010101XY1");
        int steps = 0;
        for (QString name = QStringLiteral("txtRFC"); name != QLatin1String("dbCU"); ++steps) {
            QCOMPARE(focused(), name);
            const RequestFields::Control *c = RequestFields::find(name);
            if (c->kind == RequestFields::Kind::Text)
                QCOMPARE(h.tabs()->currentIndex(), c->reviewTab());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            name = c->enterTo;
        }
        QCOMPARE(focused(), QStringLiteral("dbCU"));
        QCOMPARE(h.tabs()->currentIndex(), 4);
        QCOMPARE(steps, 38);
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

QUELVAR_TEST_CLASS(TestFieldRules)
#include "test_field_rules.moc"

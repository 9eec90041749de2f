// The guards of the request's text boxes and lists: what each box lets the
// user type, the case it keeps, where Enter goes, and what is checked when a
// box is left.
#include "frm_quelvar.h"

#include "checks/leading_number.h"
#include "checks/number_text.h"
#include "checks/tax_id.h"
#include "field_edit.h"
#include "rules/request_fields.h"
#include "grids/bound_grid.h"
#include "window/grids/grid_controller.h"
#include "platform/message_box.h"
#include "store/data_link.h"
#include "store/recordset.h"
#include "store/request_schema.h"
#include "store/request_links.h"
#include "store/store_error.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QKeyEvent>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

void FrmQuelvar::connectFieldRules()
{
    for (const RequestFields::Control &rule : RequestFields::textFields()) {
        FieldEdit *field = txt(rule.name);
        field->setKeyRule(rule.keys);
        field->installEventFilter(this);
        if (rule.letterCase != RequestFields::Case::None) {
            const quint8 mm = rule.letterCase == RequestFields::Case::Upper ? 1 : 0;
            connect(field, &QLineEdit::textChanged, this, [this, field, mm] { FomateaLetra(field, mm); });
        }
    }
    // The refund requested is written by the program, and shown with its
    // thousands separators whatever wrote it.
    FieldEdit *refund = txt(QStringLiteral("txtDevS"));
    connect(refund, &QLineEdit::textChanged, this, [this, refund] { FormateaNumero(refund, 14); });

    // A company's tax id begins with a blank: the box shows the form it
    // expects, and the status line says it when a letter typed first is
    // swallowed.
    const QString taxIdForm = RequestFields::find(QStringLiteral("txtRFC"))->hint;
    FieldEdit *taxId = txt(QStringLiteral("txtRFC"));
    taxId->setPlaceholderText(taxIdForm);
    connect(taxId, &FieldEdit::typingRefused, this, [this, taxIdForm](int position) {
        if (position <= 1)
            statusBar()->showMessage(taxIdForm, 10000);
    });

    for (QComboBox *combo : {cmbEdo, cmbActFiscal, cmbBanco, cmbUM})
        combo->installEventFilter(this);
    connect(cmbEdo, &QComboBox::currentIndexChanged, this, &FrmQuelvar::cmbEdo_Click);
}

void FrmQuelvar::FomateaLetra(QLineEdit *box, quint8 mm)
{
    const QString text = box->text();
    const QString cased = mm == 1 ? text.toUpper() : text.toLower();
    if (cased != text)
        box->setText(cased);
    box->setCursorPosition(int(cased.size()));
}

void FrmQuelvar::FormateaNumero(QLineEdit *box, quint8 qLong)
{
    const std::optional<QString> formatted = withThousands(box->text());
    if (!formatted)
        return; // formatted already
    if (auto *field = qobject_cast<FieldEdit *>(box))
        field->setTypingLimit(qLong);
    else
        box->setMaxLength(qLong);
    if (*formatted != box->text())
        box->setText(*formatted);
}

void FrmQuelvar::SeleccionaTexto(QLineEdit *box) { box->selectAll(); }

bool FrmQuelvar::fieldLeft(FieldEdit *field)
{
    const RequestFields::Control *rule = RequestFields::find(field->objectName());
    if (!rule)
        return true;
    if (rule->leave & RequestFields::Thousands)
        FormateaNumero(field, 14);
    if ((rule->leave & RequestFields::ZeroWhenEmpty) && field->text().isEmpty())
        field->setText(QStringLiteral("0"));
    QString complaint;
    if ((rule->leave & RequestFields::PostalCode) && field->text().size() < 5)
        complaint = QStringLiteral("El código postal debe ser de cinco dígitos forzosamente. Rectifica por favor");
    if ((rule->leave & RequestFields::Percentage) && leadingNumber(field->text()) > 100) {
        complaint = QStringLiteral("El porcentaje de exportación a TLCAN no puede ser mayor a 100");
        field->setText(QString());
    }
    if (rule->leave & RequestFields::TaxId)
        complaint = taxIdComplaint(field->text());
    if (complaint.isEmpty())
        return true;
    MessageBox::warning(this, complaint);
    // A postal code short of digits is only pointed out; the others take
    // the user back to the box once the move that left it is over.
    if (!(rule->leave & RequestFields::PostalCode))
        QTimer::singleShot(0, field, [field] { field->setFocus(Qt::OtherFocusReason); });
    return false;
}

bool FrmQuelvar::finishEditing()
{
    // The command buttons take no focus: the box or cell the user was typing
    // in is still the focus, and is finished here exactly as leaving it.
    auto *field = qobject_cast<FieldEdit *>(QApplication::focusWidget());
    if (field && isAncestorOf(field) && !fieldLeft(field)) {
        field->setFocus(Qt::OtherFocusReason);
        return false;
    }
    for (GridController *c : std::as_const(gridControllers_))
        if (!c->finishEditing())
            return false;
    return true;
}

int FrmQuelvar::tabOf(const QWidget *control) const
{
    for (const QWidget *w = control; w; w = w->parentWidget()) {
        const int index = SSTabDatos->indexOf(const_cast<QWidget *>(w));
        if (index >= 0)
            return index;
    }
    return -1;
}

bool FrmQuelvar::canTakeFocus(const QWidget *control) const
{
    if (!control->isEnabled())
        return false;
    const int tab = tabOf(control);
    if (tab < 0)
        return control->isVisibleTo(this);
    return SSTabDatos->isTabVisible(tab) && control->isVisibleTo(SSTabDatos->widget(tab));
}

QString FrmQuelvar::enterTarget(const QString &from) const
{
    const RequestFields::Control *control = RequestFields::find(from);
    if (!control || control->enterTo.isEmpty())
        return {};
    if (!control->enterElse.isEmpty() && !canTakeFocus(ctl<QWidget>(control->enterTo)))
        return control->enterElse;
    return control->enterTo;
}

bool FrmQuelvar::enterPressed(QObject *control)
{
    const QString from = control->objectName();
    QString target = enterTarget(from);
    if (target.isEmpty())
        return false;
    // A control that cannot take the focus is passed over for the one after
    // it along the request.
    for (int step = 0; step < 64 && !target.isEmpty(); ++step) {
        QWidget *w = ctl<QWidget>(target);
        if (w && canTakeFocus(w)) {
            const int tab = tabOf(w);
            if (tab >= 0 && SSTabDatos->currentIndex() != tab)
                SSTabDatos->setCurrentIndex(tab);
            // The tab change may have been refused, or moved the focus itself.
            if (tab < 0 || SSTabDatos->currentIndex() == tab)
                w->setFocus(Qt::TabFocusReason);
            return true;
        }
        target = enterTarget(target);
    }
    return true;
}

bool FrmQuelvar::fieldEvent(QObject *watched, QEvent *event)
{
    auto *field = qobject_cast<FieldEdit *>(watched);
    if (!field)
        return false;
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        // Another window coming forward (a message, a menu) is no leaving.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            fieldLeft(field);
    }
    return false;
}

void FrmQuelvar::cmbEdo_Click()
{
    const int index = cmbEdo->currentIndex();
    if (index >= 0)
        writeCompanyState();
    lbl(QStringLiteral("lblDelMun"))
        ->setText(index == 8 ? QStringLiteral("Delegación : ") : QStringLiteral("Municipio : "));
}

void FrmQuelvar::writeCompanyState()
{
    try {
        Recordset *rs = links_->dtsEmpresas->recordset();
        if (!rs || rs->Eof())
            return; // no company stored yet: the save writes the state
        const QVariant code = cmbEdo->currentData();
        if (!code.isValid())
            return; // a catalogue entry without a code: nothing to store
        const QVariant stored = rs->Fields(RequestSchema::kCompanyState).Value();
        if (!stored.isNull() && code.isValid() && stored.toDouble() == code.toDouble())
            return;
        rs->Edit();
        rs->Fields(RequestSchema::kCompanyState).setValue(code);
        rs->Update();
    } catch (const StoreError &e) {
        if (Recordset *rs = links_->dtsEmpresas->recordset(); rs && rs->editMode() != Recordset::EditMode::None)
            rs->CancelUpdate();
        showStoreFailure(QStringLiteral("No se pudo guardar el estado en los datos de la empresa."), e.message());
    }
}

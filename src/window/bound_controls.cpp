#include "bound_controls.h"

#include "store/field_codec.h"
#include "store/recordset.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QScopedValueRollback>

BoundField::BoundField(QWidget *control, DataLink *link, const QString &field)
    : QObject(control), link_(link), field_(field)
{
    link_->addBoundEditor(this);
    connect(link_, &DataLink::reopened, this, &BoundField::load);
}

BoundField::BoundField(QLineEdit *edit, DataLink *link, const QString &field) : BoundField(static_cast<QWidget *>(edit), link, field)
{
    edit_ = edit;
    connect(edit, &QLineEdit::textChanged, this, &BoundField::changed);
}

BoundField::BoundField(QCheckBox *box, DataLink *link, const QString &field) : BoundField(static_cast<QWidget *>(box), link, field)
{
    box_ = box;
    connect(box, &QCheckBox::toggled, this, &BoundField::changed);
}

BoundField::~BoundField()
{
    if (link_)
        link_->removeBoundEditor(this);
}

void BoundField::changed()
{
    if (!loading_)
        pending_ = true;
}

void BoundField::load()
{
    QVariant value;
    if (Recordset *rs = link_ ? link_->recordset() : nullptr; rs && !rs->Eof()) {
        const int index = rs->fieldIndex(field_);
        if (index >= 0)
            value = rs->value(index);
    }
    {
        const QScopedValueRollback loading(loading_, true);
        if (edit_) {
            edit_->setText(FieldCodec::displayText(value));
            edit_->setCursorPosition(0);
        }
        if (box_)
            box_->setChecked(!value.isNull() && value.toBool());
    }
    pending_ = false;
}

void BoundField::writePendingEdit(Recordset &rs)
{
    if (edit_)
        rs.Fields(field_).setValue(edit_->text());
    else if (box_)
        rs.Fields(field_).setValue(box_->isChecked());
}

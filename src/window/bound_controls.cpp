#include "bound_controls.h"

#include "store/field_codec.h"
#include "store/recordset.h"

#include <QCheckBox>
#include <QDate>
#include <QLineEdit>

QString displayText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
        return FieldCodec::plainNumber(value.toDouble());
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    default:
        return value.toString();
    }
}

namespace {

// The field's value on the link's current record; null when there is none
// or the table lacks the field.
QVariant currentValue(DataLink *link, const QString &field)
{
    Recordset *rs = link->recordset();
    if (!rs || rs->Eof())
        return {};
    const int index = rs->fieldIndex(field);
    return index < 0 ? QVariant() : rs->value(index);
}

} // namespace

BoundText::BoundText(QLineEdit *edit, DataLink *link, const QString &field)
    : QObject(edit), edit_(edit), link_(link), field_(field)
{
    link_->addBoundEditor(this);
    connect(link_, &DataLink::reopened, this, &BoundText::load);
    connect(edit_, &QLineEdit::textChanged, this, [this] {
        if (!loading_)
            pending_ = true;
    });
}

BoundText::~BoundText()
{
    if (link_)
        link_->removeBoundEditor(this);
}

void BoundText::load()
{
    loading_ = true;
    edit_->setText(displayText(currentValue(link_, field_)));
    edit_->setCursorPosition(0);
    loading_ = false;
    pending_ = false;
}

void BoundText::writePendingEdit(Recordset &rs) { rs.Fields(field_).setValue(edit_->text()); }

BoundCheck::BoundCheck(QCheckBox *box, DataLink *link, const QString &field)
    : QObject(box), box_(box), link_(link), field_(field)
{
    link_->addBoundEditor(this);
    connect(link_, &DataLink::reopened, this, &BoundCheck::load);
    connect(box_, &QCheckBox::toggled, this, [this] {
        if (!loading_)
            pending_ = true;
    });
}

BoundCheck::~BoundCheck()
{
    if (link_)
        link_->removeBoundEditor(this);
}

void BoundCheck::load()
{
    loading_ = true;
    const QVariant v = currentValue(link_, field_);
    box_->setChecked(v.isValid() && !v.isNull() && v.toBool());
    loading_ = false;
    pending_ = false;
}

void BoundCheck::writePendingEdit(Recordset &rs) { rs.Fields(field_).setValue(box_->isChecked()); }

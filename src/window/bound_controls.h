#pragma once

#include "store/data_link.h"

#include <QObject>
#include <QPointer>
#include <QVariant>

class QCheckBox;
class QLineEdit;

// The text shown for a stored value: a number as plain decimal text, a date
// as dd/mm/yyyy, null as empty text.
QString displayText(const QVariant &value);

// A text box bound to one field of a link's current record. It shows the
// field whenever the link is reopened; what is typed (or set by the program)
// after that is a pending edit that reaches the record when the link is
// refreshed or the window writes it.
class BoundText : public QObject, public BoundEditor {
    Q_OBJECT
public:
    BoundText(QLineEdit *edit, DataLink *link, const QString &field);
    ~BoundText() override;

    QString field() const { return field_; }
    QLineEdit *edit() const { return edit_; }
    // Shows the field of the current record (empty with no current record)
    // and forgets any pending edit.
    void load();

    bool hasPendingEdit() const override { return pending_; }
    void writePendingEdit(Recordset &rs) override;
    void pendingEditSaved() override { pending_ = false; }
    // Forgets that the control was changed: what it shows is not an edit.
    void discardPendingEdit() { pending_ = false; }

private:
    QPointer<QLineEdit> edit_;
    QPointer<DataLink> link_;
    QString field_;
    bool pending_ = false;
    bool loading_ = false;
};

// A check box bound to a flag field, with the same rules.
class BoundCheck : public QObject, public BoundEditor {
    Q_OBJECT
public:
    BoundCheck(QCheckBox *box, DataLink *link, const QString &field);
    ~BoundCheck() override;

    QString field() const { return field_; }
    void load();

    bool hasPendingEdit() const override { return pending_; }
    void writePendingEdit(Recordset &rs) override;
    void pendingEditSaved() override { pending_ = false; }
    void discardPendingEdit() { pending_ = false; }

private:
    QPointer<QCheckBox> box_;
    QPointer<DataLink> link_;
    QString field_;
    bool pending_ = false;
    bool loading_ = false;
};

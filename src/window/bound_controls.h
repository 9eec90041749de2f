#pragma once

#include "store/data_link.h"

#include <QObject>
#include <QPointer>

class QCheckBox;
class QLineEdit;

// A text box or check box bound to one field of a link's current record. It
// shows the field whenever the link is reopened (a text box: a number as
// plain decimal text, a date as dd/mm/yyyy, null as empty; a check box:
// ticked for a true flag). What is typed or ticked (or set by the program)
// after that is a pending edit that reaches the record when the link is
// refreshed or the window writes it.
class BoundField : public QObject, public BoundEditor {
    Q_OBJECT
public:
    BoundField(QLineEdit *edit, DataLink *link, const QString &field);
    BoundField(QCheckBox *box, DataLink *link, const QString &field);
    ~BoundField() override;

    QString field() const { return field_; }
    // Shows the field of the current record (empty with no current record)
    // and forgets any pending edit.
    void load();

    bool hasPendingEdit() const override { return pending_; }
    void writePendingEdit(Recordset &rs) override;
    void pendingEditSaved() override { pending_ = false; }
    // Forgets that the control was changed: what it shows is not an edit.
    void discardPendingEdit() { pending_ = false; }

private:
    BoundField(QWidget *control, DataLink *link, const QString &field);
    void changed();

    QPointer<QLineEdit> edit_;
    QPointer<QCheckBox> box_;
    QPointer<DataLink> link_;
    QString field_;
    bool pending_ = false;
    bool loading_ = false;
};

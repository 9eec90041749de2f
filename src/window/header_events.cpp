// Wiring of the window's events: the header's request-type controls, the
// transfer boxes, the Enter key along the header, and the column help of the
// grids.
#include "frm_quelvar.h"

#include "field_edit.h"
#include "grids/bound_grid.h"
#include "rules/column_help.h"
#include "grids/record_table_model.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QRadioButton>

void FrmQuelvar::connectEvents()
{
    // A request type chosen by the user, with the mouse or the keyboard. The
    // program choosing one (the start-up) raises nothing.
    for (int i = 0; i < opcTSolicitud.size(); ++i)
        connect(opcTSolicitud[i], &QRadioButton::clicked, this, [this, i] { opcTSolicitud_MouseUp(i); });
    // The user's selections; the program's go through selectEntry.
    for (QComboBox *combo : {cmbTDevolucion, cmbTExportacion, cmbTSolicitud})
        connect(combo, &QComboBox::activated, this, [this, combo] { raiseSelection(combo); });

    // The boxes react to every change of their value, the stored value shown
    // included.
    connect(ctl<QCheckBox>(QStringLiteral("chkAnexoB")), &QCheckBox::stateChanged, this, &FrmQuelvar::chkAnexoB_Click);
    connect(ctl<QCheckBox>(QStringLiteral("chkAnexoC")), &QCheckBox::stateChanged, this, &FrmQuelvar::chkAnexoC_Click);
    connect(ctl<QCheckBox>(QStringLiteral("chkApendice8")), &QCheckBox::stateChanged, this,
            &FrmQuelvar::chkApendice8_Click);

    for (QWidget *w : {static_cast<QWidget *>(opcTSolicitud[0]), static_cast<QWidget *>(opcTSolicitud[1]),
                       static_cast<QWidget *>(cmbTDevolucion), static_cast<QWidget *>(cmbTExportacion),
                       static_cast<QWidget *>(cmbTSolicitud)})
        w->installEventFilter(this);

    for (const char *name : {"dbCU", "dbMI", "dbED", "dbEI", "dbITLC"}) {
        BoundGrid *g = grid(QString::fromLatin1(name));
        connect(g, &BoundGrid::MouseMove, this,
                [this, g](Qt::MouseButtons, Qt::KeyboardModifiers, int x, int) { showColumnHelp(g, x); });
    }
}

bool FrmQuelvar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && enterPressed(watched))
            return true;
    }
    if (fieldEvent(watched, event))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

void FrmQuelvar::showColumnHelp(BoundGrid *g, int x)
{
    QList<ColumnSpan> spans;
    for (int i = 0; i < g->ColumnsCount(); ++i)
        spans.append({g->Columns(i).Left(), g->Columns(i).Width(), g->Columns(i).Visible()});
    const int column = g->objectName() == QLatin1String("dbCU") ? ColumnHelp::columnLeftOf(spans, x)
                                                               : ColumnHelp::columnAround(spans, x);
    if (column >= 0)
        g->setToolTipText(g->recordModel()->columns().value(column).help);
}

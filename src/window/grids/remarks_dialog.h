#pragma once

#include <QList>
#include <QString>
#include <functional>

class QDialog;
class QWidget;

// What the row check says of rows that come in, every remark of them, in a
// table the user can read through, copy or keep as CSV, before the rows
// accepted are written (or, when none is, only to tell).
//
// Under scripted messages nothing is shown: the dialog is recorded as the
// message box it stands for, its text the summary and one line per remark
// ("Renglón 2, Columna, «valor»: motivo"), with the question at the end
// when it asks; a question takes its answer from the scripted answers.
namespace RemarksDialog {

struct Line {
    int line = 0;   // of the file or the grid, as the caption says
    QString column; // the grid column's caption
    QString value;  // as given
    QString reason;
    bool refused = true; // the row is not written (else only observed)
};

// summary: the counts and notes shown above the table (several lines);
// lineCaption: "Línea" (rows of a file or a pasted block) or "Renglón";
// question: asks "¿Escribir los renglones aceptados?" with Sí and No, and
// returns true on Sí; else only tells (Aceptar, warning icon) and returns
// false. Enter is Sí (or Aceptar), Esc No.
bool ask(QWidget *parent, const QString &summary, const QString &lineCaption, const QList<Line> &lines,
         bool question);

// For tests: the next dialog is shown even under scripted messages, and
// `act` runs once it is up, to press its buttons and keys; a dialog still
// open after it is answered No. It is recorded as the scripted one is,
// with the answer given in it.
void actOnNext(std::function<void(QDialog *)> act);

} // namespace RemarksDialog

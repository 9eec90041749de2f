#pragma once

#include "incoming/incoming_rows.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>

class BoundGrid;
class GridController;
class QMenu;

// Rows in and out of one document grid: Ctrl+C copies the selected cells as
// tab-separated text, Ctrl+V pastes such a block from the current cell to
// the right and downward (a single value is typed into the cell), files
// are imported and exported from the grid's menu, and Ctrl+Z takes back the
// last rows that came in. Rows that come in go through the row check of
// the core and are written in one step; for a block of more than one row,
// every remark of the check is shown first in a table (RemarksDialog), and
// the rows are written only when the user says so.
class RowTransfer : public QObject {
    Q_OBJECT
public:
    // folder: the request folder the grid's table is in; context: what the
    // window holds that the row check reads.
    RowTransfer(GridController *controller, std::function<QString()> folder,
                std::function<IncomingRows::Context()> context, QObject *parent = nullptr);

    void copy();
    void paste();
    bool canUndo() const { return written_.has_value(); }
    void undo();
    // Rows of text by grid column (null: not given) from the row `first` on
    // (rows past the last are new). Says what is refused and, for more than
    // one row or when asked, asks before writing. True when rows were
    // written.
    // note: a line said before the summary; lines: the line of the file or
    // the pasted block each row comes from, by which the reasons name the
    // rows (else by the grid's rows); source: what the file says of its
    // cells, and how its figures are written (a column whose texts do not
    // tell is asked about).
    bool bring(const QList<QStringList> &rows, int first, bool ask, const QString &note = QString(),
               const QList<int> &lines = {}, IncomingRows::Source source = {});

    // A CSV or spreadsheet file's rows added at the end of the grid; the
    // grid's rows written to such a file; the rows of a customs package
    // (the imported goods and the direct exports).
    void importFile();
    void exportFile();
    void importPackage();

    // The grid's menu: copy, paste, undo, import and export.
    QMenu *menu() const { return menu_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void typeIntoCell(const QString &text);
    bool decideDecimals(const QList<QStringList> &rows, IncomingRows::Source *source);
    QList<QStringList> clipboardBlock() const;

    GridController *controller_;
    BoundGrid *grid_;
    QObject *viewport_ = nullptr;
    std::function<QString()> folder_;
    std::function<IncomingRows::Context()> context_;
    std::optional<IncomingRows::Written> written_;
    quint64 writtenGeneration_ = 0; // the table's, once the rows were written
    bool writing_ = false;
    QMenu *menu_;
};

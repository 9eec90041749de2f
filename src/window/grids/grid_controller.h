#pragma once

#include "rules/grid_cell_rules.h"

#include <QDate>
#include <QObject>
#include <QStringList>
#include <functional>

class BoundGrid;
class PickerLists;
class QListWidget;
class QListWidgetItem;
class QWidget;

// What a document grid's controller needs from the window: the parent of
// its message boxes, the picker lists, the length messages, the date taken
// as today, and the request mode the window keeps (OpcDT).
struct GridContext {
    QWidget *window = nullptr;
    PickerLists *pickers = nullptr;
    std::function<const QStringList &()> lengthMessages;
    std::function<QDate()> today;
    std::function<quint8()> opcDT;
};

// The events of one document grid: a cell left (its checks, from the
// grid's table of cell rules), typing followed (upper case, the open picker
// kept on the line typed), a picker opened by a key or the cell button, and
// a row written or deleted. A grid with cells of its own rules derives from
// it (see grid_controllers.h).
class GridController : public QObject {
    Q_OBJECT
public:
    GridController(BoundGrid *grid, const GridContext &context, QObject *parent = nullptr);

    BoundGrid *grid() const { return grid_; }
    const QList<GridCellRules::CellRule> &rules() const;

    // Warns with the message when the column's text is longer than the limit.
    void checkLength(int column, int limit, const QString &message);
    // Brings the column's date to dd/mm/yyyy and reports what is wrong with it.
    void checkDate(int column);
    // Reports a wrong date (the format complaint when none is given) and
    // brings the focus back to the grid.
    void reportDate(const QString &complaint = QString());
    // The cell buttons and number formats the grid starts with.
    void applyStartLook();
    // A line confirmed in a picker of that kind (Country for either country
    // list) goes into the current row's cell with that picker. False when
    // the grid has no such cell.
    virtual bool takePick(GridCellRules::Picker kind, const QString &line);
    // The focus back to the cell being typed, or to the grid.
    void returnFocus();
    // Finishes what the user was typing as leaving the grid would: the cell
    // being typed through its rules, then the row written. False, with the
    // focus back on the row, when a rule complained or the write was refused.
    bool finishEditing();

signals:
    // A row was written, or rows were deleted: the grid's totals follow.
    void rowWritten();
    void rowsDeleted();

protected:
    // The cells with rules of their own, run first when a cell is left.
    // True when they replace the table's rules for that cell.
    virtual bool leaveSpecialCell(int column);
    // After the table's rules of a cell left: the grid's own figures.
    virtual void afterCellRules(int column);
    // Each list a cell of the grid opens is kept on the line its cell's text
    // begins with.
    virtual void seekPickers();
    // A row is about to be written; the write may be cancelled.
    virtual void beforeRowWrite(bool *cancel);

    // The table's length rule of a column, if it has one.
    void checkLengthRule(int column);
    // The cell takes the line the list stands on; the list is hidden.
    void takePickedLine(int column, QListWidget *list);
    // The line the typing led to; with none, the one line the text stands
    // for when case, accents, blanks and punctuation do not count (the keys
    // of the imported goods swallow a country's blanks); else none.
    static QListWidgetItem *lineFor(QListWidget *list, const QString &typed);
    // The 15 digits of a pedimento number.
    void checkPedimento(int column);
    void warn(const QString &text) const;
    QDate today() const { return context_.today(); }
    quint8 opcDT() const { return context_.opcDT(); }
    PickerLists *pickers() const { return context_.pickers; }

private:
    void cellLeft(int column);
    void openPicker(int column);
    void followTyping();
    void upperCase(int column);

    BoundGrid *grid_;
    GridContext context_;
    mutable int complaints_ = 0; // warnings given, to tell a refused cell
};

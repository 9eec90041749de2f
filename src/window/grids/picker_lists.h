#pragma once

#include "rules/grid_cell_rules.h"

#include <QList>
#include <QObject>
#include <functional>

class BoundGrid;
class DataLink;
class QListWidget;
class QWidget;
class RequestLinks;

// The four picker lists of the document grids: filled from their
// catalogues, placed under the cell being typed, kept on the line that
// begins with what is typed, and hidden. Enter or a double click on a line
// asks for it to be confirmed; Esc hides the list (dismissed).
class PickerLists : public QObject {
    Q_OBJECT
public:
    struct Lists {
        QListWidget *clave;     // keys of import documents
        QListWidget *fraccion;  // tariff items of the unit costs
        QListWidget *pais;      // every country
        QListWidget *paisAux;   // the countries of the request
    };
    // tabStrip: the tab strip holding the grids; opcDT: the request mode
    // the window keeps.
    PickerLists(const Lists &lists, RequestLinks *links, QWidget *tabStrip, std::function<quint8()> opcDT,
                QObject *parent = nullptr);

    QList<QListWidget *> all() const;
    // The list a cell with that picker opens. The imported goods' country is
    // picked from every country in a direct request of transformed goods
    // that are not originating (OpcDT 2), else from the request's countries.
    QListWidget *listFor(GridCellRules::Picker kind) const;
    // Every list a cell with that picker may have open.
    QList<QListWidget *> listsOf(GridCellRules::Picker kind) const;
    // DocumentKey, TariffItem, or Country for either country list.
    GridCellRules::Picker kindOf(const QListWidget *list) const;

    // Refills the tariff-item and document-key lists from their tables.
    void fill();
    // Opens the list just under the grid's current cell of that column, its
    // first line selected; the focus stays in the grid.
    void place(BoundGrid *grid, int column, QListWidget *list);
    // Puts the list on the line its catalogue finds for the text typed, or
    // on none. Throws StoreError when the catalogue cannot be searched.
    void seek(QListWidget *list, const QString &typed);
    void hideAll();

signals:
    void confirmRequested(QListWidget *list);
    void dismissed(QListWidget *list);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void seekCountry(QListWidget *list, const QString &typed);
    void seekLine(QListWidget *list, DataLink *catalogue, const QString &field, const QString &typed);
    static void unselect(QListWidget *list);

    Lists lists_;
    RequestLinks *links_;
    QWidget *tabStrip_;
    std::function<quint8()> opcDT_;
};

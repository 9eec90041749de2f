#include "stage_dialog.h"

#include "grids/bound_grid.h"
#include "grids/record_table_model.h"
#include "platform/message_box.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace StageDialog {

namespace {

QDialogButtonBox *buttons(QDialog *dialog)
{
    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}

} // namespace

bool chooseColumns(BoundGrid *grid, const QStringList &names, IncomingRows::Mapping *mapping)
{
    if (MessageBox::scripted())
        return true; // the unknown names are left out
    QDialog dialog(grid->window());
    dialog.setWindowTitle(QStringLiteral("Columnas del archivo"));
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Elige la columna de la tabla que corresponde a cada columna del "
                                                "archivo que no se reconoció:"),
                                 &dialog));
    auto *form = new QFormLayout;
    QList<QPair<int, QComboBox *>> combos;
    for (int i = 0; i < names.size(); ++i) {
        if (mapping->columns.value(i) >= 0)
            continue;
        auto *combo = new QComboBox(&dialog);
        combo->addItem(QStringLiteral("(se omite)"), -1);
        // The columns the other names took are not offered again.
        for (int c = 0; c < grid->ColumnsCount(); ++c)
            if (!grid->isColumnHidden(c) && !grid->recordModel()->isLocked(c) && !mapping->columns.contains(c))
                combo->addItem(grid->recordModel()->caption(c).simplified(), c);
        form->addRow(names[i], combo);
        combos.append({i, combo});
    }
    layout->addLayout(form);
    layout->addWidget(buttons(&dialog));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    for (const auto &[i, combo] : std::as_const(combos))
        mapping->columns[i] = combo->currentData().toInt();
    return true;
}

bool choose(BoundGrid *grid, const QList<DataStage::Pedimento> &found, const QHash<QString, int> &held,
            Choice *choice)
{
    if (MessageBox::scripted())
        return true;
    QDialog dialog(grid->window());
    dialog.setWindowTitle(QStringLiteral("Pedimentos del Data Stage"));
    dialog.resize(640, 420);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Marca los pedimentos que se escriben. Los de fechas que la tabla no "
                                                "acepta quedan sin marcar; las partidas que ya están en la tabla se "
                                                "omiten."),
                                 &dialog));
    auto *table = new QTableWidget(int(found.size()), 5, &dialog);
    table->setHorizontalHeaderLabels({QStringLiteral("Pedimento"), QStringLiteral("Fecha"), QStringLiteral("Partidas"),
                                      QStringLiteral("Valor"), QStringLiteral("Ya en la tabla")});
    for (int row = 0; row < found.size(); ++row) {
        const DataStage::Pedimento &p = found[row];
        auto *number = new QTableWidgetItem(p.number);
        number->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        number->setCheckState(choice->pedimentos.contains(p.number) ? Qt::Checked : Qt::Unchecked);
        table->setItem(row, 0, number);
        table->setItem(row, 1, new QTableWidgetItem(p.paid.toString(QStringLiteral("dd/MM/yyyy"))));
        table->setItem(row, 2, new QTableWidgetItem(QString::number(p.items)));
        table->setItem(row, 3, new QTableWidgetItem(p.value));
        const int there = held.value(p.number);
        table->setItem(row, 4,
                       new QTableWidgetItem(there == 0              ? QString()
                                            : there >= p.items      ? QStringLiteral("todas (se omite)")
                                                                    : QStringLiteral("%1 (se omiten)").arg(there)));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(table, 1);
    auto *unit = new QComboBox(&dialog);
    unit->addItems({QStringLiteral("Cantidad en la unidad de la tarifa"), QStringLiteral("Cantidad en la unidad comercial")});
    unit->setCurrentIndex(choice->tariffUnit ? 0 : 1);
    layout->addWidget(unit);
    layout->addWidget(buttons(&dialog));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    choice->pedimentos.clear();
    for (int row = 0; row < found.size(); ++row)
        if (table->item(row, 0)->checkState() == Qt::Checked)
            choice->pedimentos.insert(found[row].number);
    choice->tariffUnit = unit->currentIndex() == 0;
    return true;
}

} // namespace StageDialog

#pragma once

// What the child types into each document grid: the cells of a new row,
// and the cells it types over in a stored row.

#include "rules/grid_columns.h"

#include <QDate>
#include <QList>
#include <QRandomGenerator>
#include <QString>

#include <utility>

namespace CrashTrial {

struct GridWork {
    QString grid;
    QString table;
    int tab = 0;
    int keyColumn = 0;            // holds the key the parent recognises a new row by
    QList<int> newColumns;        // typed on the new-record line, in order
    QList<int> editColumns;       // one of them typed over in a stored row
};

inline const QList<GridWork> &gridWork()
{
    static const QList<GridWork> work{
        {QStringLiteral("dbCU"), QStringLiteral("insunit"), 4, columnIndex(UnitCostCol::Fraccion),
         {columnIndex(UnitCostCol::Fraccion), columnIndex(UnitCostCol::Descripcion),
          columnIndex(UnitCostCol::CostoUnit), columnIndex(UnitCostCol::TasaAdValorem)},
         {columnIndex(UnitCostCol::Descripcion), columnIndex(UnitCostCol::CostoUnit),
          columnIndex(UnitCostCol::TasaAdValorem)}},
        {QStringLiteral("dbMI"), QStringLiteral("insupedi"), 5, columnIndex(ImportCol::Pedimento),
         {columnIndex(ImportCol::Pedimento), columnIndex(ImportCol::FechaPago),
          columnIndex(ImportCol::CantidadImportada), columnIndex(ImportCol::CantidadRetornada),
          columnIndex(ImportCol::ValorTotal), columnIndex(ImportCol::ValorIncorporado)},
         {columnIndex(ImportCol::CantidadImportada), columnIndex(ImportCol::CantidadRetornada),
          columnIndex(ImportCol::ValorIncorporado)}},
        {QStringLiteral("dbED"), QStringLiteral("exporped"), 6, columnIndex(DirectExportCol::Pedimento),
         {columnIndex(DirectExportCol::Pedimento), columnIndex(DirectExportCol::Fecha),
          columnIndex(DirectExportCol::CantidadTotal), columnIndex(DirectExportCol::CantidadExportada),
          columnIndex(DirectExportCol::ValorTotal), columnIndex(DirectExportCol::ValorUtilizado)},
         {columnIndex(DirectExportCol::CantidadExportada), columnIndex(DirectExportCol::ValorUtilizado)}},
        {QStringLiteral("dbEI"), QStringLiteral("factura"), 7, columnIndex(IndirectExportCol::Documento),
         {columnIndex(IndirectExportCol::Documento), columnIndex(IndirectExportCol::Fecha),
          columnIndex(IndirectExportCol::CantidadTotal), columnIndex(IndirectExportCol::CantidadUtilizada),
          columnIndex(IndirectExportCol::ValorTotal), columnIndex(IndirectExportCol::ValorUtilizado),
          columnIndex(IndirectExportCol::ExportadorFinal)},
         {columnIndex(IndirectExportCol::CantidadUtilizada), columnIndex(IndirectExportCol::ExportadorFinal)}},
        {QStringLiteral("dbITLC"), QStringLiteral("impTLC"), 8, columnIndex(TlcanCol::Fraccion),
         {columnIndex(TlcanCol::Fraccion), columnIndex(TlcanCol::Fecha), columnIndex(TlcanCol::CantidadImportada),
          columnIndex(TlcanCol::PrecioUnitario), columnIndex(TlcanCol::AdValorem), columnIndex(TlcanCol::MontSolic)},
         {columnIndex(TlcanCol::CantidadImportada), columnIndex(TlcanCol::MontSolic)}},
    };
    return work;
}

// The text typed into a cell: the key of a new row, a date of the last
// weeks, or a figure or a name that the cell's checks let through (a used
// figure below its total).
inline QString cellText(const GridWork &g, int column, const QString &key, QRandomGenerator &rng)
{
    const auto number = [&rng](int low, int high, bool cents = false) {
        QString n = QString::number(rng.bounded(low, high + 1));
        return cents ? n + u'.' + QString::number(rng.bounded(1, 10)) + QStringLiteral("5") : n;
    };
    if (column == g.keyColumn)
        return key;
    const QDate date = QDate::currentDate().addDays(-rng.bounded(0, 40));
    const QDate earliest(QDate::currentDate().year() - 1, 1, 1);
    const QString day = std::max(date, earliest).toString(QStringLiteral("dd/MM/yyyy"));
    if (g.grid == QLatin1String("dbCU")) {
        switch (UnitCostCol(column)) {
        case UnitCostCol::Descripcion: return QStringLiteral("INSUMO ") + number(1, 999);
        case UnitCostCol::CostoUnit: return number(1, 99, true);
        default: return number(1, 20);
        }
    }
    if (g.grid == QLatin1String("dbMI")) {
        switch (ImportCol(column)) {
        case ImportCol::FechaPago: return day;
        case ImportCol::CantidadImportada: return number(500, 999);
        case ImportCol::CantidadRetornada: return number(1, 400);
        case ImportCol::ValorTotal: return number(5000, 9999, true);
        default: return number(1, 4000);
        }
    }
    if (g.grid == QLatin1String("dbED")) {
        switch (DirectExportCol(column)) {
        case DirectExportCol::Fecha: return day;
        case DirectExportCol::CantidadTotal: return number(5000, 9999);
        case DirectExportCol::ValorTotal: return number(50000, 99999, true);
        default: return number(1, 4000);
        }
    }
    if (g.grid == QLatin1String("dbEI")) {
        switch (IndirectExportCol(column)) {
        case IndirectExportCol::Fecha: return day;
        case IndirectExportCol::CantidadTotal: return number(5000, 9999);
        case IndirectExportCol::ValorTotal: return number(50000, 99999, true);
        case IndirectExportCol::ExportadorFinal: return QStringLiteral("CLIENTE ") + number(1, 999);
        default: return number(1, 4000);
        }
    }
    switch (TlcanCol(column)) {
    case TlcanCol::Fecha: return day;
    case TlcanCol::PrecioUnitario: return number(1, 99, true);
    case TlcanCol::AdValorem: return number(1, 20);
    default: return number(1, 999);
    }
}

// A key of the table's key field width: digits only, which every key cell takes.
inline QString keyText(const GridWork &g, quint64 serial)
{
    const int width = g.grid == QLatin1String("dbCU") || g.grid == QLatin1String("dbITLC") ? 8
                      : g.grid == QLatin1String("dbEI")                                   ? 12
                                                                                          : 15;
    QString digits = QString::number(serial);
    digits = digits.right(width);
    return digits.rightJustified(width, u'0');
}

} // namespace CrashTrial

#pragma once

#include <QList>
#include <QString>

#include <type_traits>

// The columns of each document grid, in grid order (see buildGrids in
// grid_columns.cpp for their captions and fields).

// dbCU, unit costs of the imported inputs.
enum class UnitCostCol { Fraccion, Descripcion, CostoUnit, TasaAdValorem };

// dbMI, imported goods by import document.
enum class ImportCol {
    Clave,
    Pedimento,
    FechaPago,
    Fraccion,
    AdValorem,
    PrecioUnitario,
    Pais,
    CantidadImportada,
    CantidadRetornada,
    ValorTotal,
    ValorIncorporado,
    ValorRetornado,
    SaldoCantidad,
    SaldoValor,
    MontSolic,
};

// dbED, direct-export documents.
enum class DirectExportCol {
    Pedimento,
    Fecha,
    PaisDestino,
    CantidadTotal,
    CantidadExportada,
    ValorTotal,
    ValorUtilizado,
    SaldoDocumento,
};

// dbEI, indirect-export documents.
enum class IndirectExportCol {
    Documento,
    Fecha,
    CantidadTotal,
    CantidadUtilizada,
    ValorTotal,
    ValorUtilizado,
    ValorTotalDls,
    ValorUtilizadoDls,
    ExportadorFinal,
};

// dbITLC, imports into a TLCAN country.
enum class TlcanCol {
    PaisImportador,
    Fraccion,
    Fecha,
    CantidadImportada,
    PrecioUnitario,
    AdValorem,
    ValorTotal,
    MontSolic,
};

template <class E>
concept GridColumnName = std::is_same_v<E, UnitCostCol> || std::is_same_v<E, ImportCol>
                         || std::is_same_v<E, DirectExportCol> || std::is_same_v<E, IndirectExportCol>
                         || std::is_same_v<E, TlcanCol>;

// The column's index in its grid, where an index is expected.
template <GridColumnName E> constexpr int columnIndex(E column) { return static_cast<int>(column); }

// One column of a document grid: its caption, the field of the grid's table
// it shows (matched in any case), the help text shown for it, the display
// format it starts with (see NumberFormat) and the widest text it shows
// legitimately, which sizes it (a longer text is shown in part, and whole in
// the cell's tool-tip).
struct GridColumn {
    QString caption;
    QString field;
    QString help;
    QString format;
    QString widest;
};

// One of the five document grids of the request window: its name, the data
// link it is bound to, and its columns in grid order (which is not always the
// field order of the table).
struct GridDefinition {
    QString name;     // dbCU, dbMI, dbED, dbEI, dbITLC
    QString linkName; // dtsInsunit, dtsInsupedi, dtsExporped, dtsFactura, dtsImpTLC
    QList<GridColumn> columns;
};

namespace GridColumns {

// The five grids, in the order of their tabs.
const QList<GridDefinition> &grids();
// The grid of that name (exact spelling), or nullptr.
const GridDefinition *grid(const QString &name);

} // namespace GridColumns

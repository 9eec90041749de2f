#include "completeness_review.h"

#include "request_fields.h"

namespace CompletenessReview {

namespace {

// A list, with what the review names when nothing is chosen in it.
SingleCheck check(const char *object, When when, int tab, const char *phrase)
{
    return {QString::fromLatin1(object), when, tab, QString::fromUtf8(phrase)};
}

// A text box: the field table says what it names and on which tab.
SingleCheck field(const char *object, When when)
{
    const RequestFields::Control *control = RequestFields::find(QString::fromLatin1(object));
    Q_ASSERT_X(control && !control->review.isEmpty(), "review", object);
    return {control->name, when, control->reviewTab(), control->review};
}

template <class E> ColumnCheck column(E c, const char *phrase, int onlyWhenBlank = -1)
{
    return {columnIndex(c), QString::fromUtf8(phrase), onlyWhenBlank};
}

const When A = When::Always;
const When C = When::CostTabShown;

} // namespace

const QList<SingleCheck> &singleChecks()
{
    static const QList<SingleCheck> checks{
        check("cmbTDevolucion", A, 0, " tipo de solicitud."),
        check("cmbTSolicitud", A, 0, " si la solicitud es nueva o reconsideración a un folio anterior."),
        field("txtFolio", When::ReplyToFolio),
        field("txtFolioA", When::ReplyToFolio),
        field("txtRFC", A),
        field("txtRSocial", A),
        field("txtDireccion", A),
        field("txtCP", A),
        check("cmbEdo", A, 0, " el estado donde se ubica de la empresa."),
        field("txtColonia", A),
        field("txtTelefono", A),
        field("txtFax", A),
        field("txtEmail", A),
        check("cmbActFiscal", A, 1, " la actividad fiscal de la empresa."),
        field("txtNRLegal", A),
        field("txtPRLegal", A),
        field("txtMRLegal", A),
        field("txtDireccionRep", A),
        field("txtCargo", A),
        field("txtTelRep", A),
        field("txtFaxRep", A),
        check("cmbBanco", A, 1, " el banco de la cuenta bancaria."),
        field("txtCuenta", A),
        field("txtSuc", A),
        field("txtPlaza", A),
        field("txtProducto", A),
        field("txtVExpFOB", A),
        field("txtFraccionExp", A),
        field("txtCantidadExp", A),
        check("cmbUM", A, 2, " la unidad de medida del producto."),
        field("txtPUMN", When::Shown),
        field("txtPUDls", When::Shown),
        field("txtMPN", C),
        field("txtMPE", C),
        field("txtCIN", C),
        field("txtCIE", C),
        field("txtCNIN", C),
        field("txtEN", C),
        field("txtSN", C),
        field("txtDN", C),
    };
    return checks;
}

const QList<Section> &sections()
{
    using I = IndirectExportCol;
    static const QList<Section> all{
        {QStringLiteral("dbCU"), 4, false, {
            column(UnitCostCol::Fraccion, " una fracción en la sección costos unitarios."),
            column(UnitCostCol::Descripcion, " la descripción de una fracción en la sección costos unitarios."),
            column(UnitCostCol::CostoUnit, " el costo de una fracción en la sección costos unitarios."),
            column(UnitCostCol::TasaAdValorem,
                   " la tasa ad valorem en una de las fracciones de la sección costos unitarios."),
        }},
        {QStringLiteral("dbMI"), 5, true, {
            column(ImportCol::Clave, " la clave de pedimento en la sección "),
            column(ImportCol::Pedimento, " el No. de pedimento en la sección "),
            column(ImportCol::FechaPago, " la fecha del pedimento en la sección "),
            column(ImportCol::Fraccion, " la fracción que muestra el pedimento en la sección "),
            column(ImportCol::AdValorem, " la tasa que muestra el pedimento en la sección "),
            column(ImportCol::PrecioUnitario, " el precio unitario mostrado por el pedimento en la sección "),
            column(ImportCol::Pais, " el páis de orígen mostrado por el pedimento en la sección "),
            column(ImportCol::CantidadImportada, " la cantidad importada mostrada por el pedimento en la sección "),
            column(ImportCol::CantidadRetornada, " la cantidad retornada mostrada por el pedimento en la sección "),
            column(ImportCol::ValorTotal, " el valor total de imp. aduanal mostrada por el pedimento en la sección "),
            column(ImportCol::ValorIncorporado, " el valor de insumos incorporados por el pedimento en la sección "),
            column(ImportCol::ValorRetornado, " el valor de la mercancía mostrado por el pedimento en la sección "),
            column(ImportCol::SaldoCantidad, " el saldo en cantidad mostrado por el pedimento en la sección "),
            column(ImportCol::SaldoValor, " el saldo en valor mostrado por el pedimento en la sección "),
            column(ImportCol::MontSolic, " el monto a devolver por el pedimento en la sección "),
        }},
        {QStringLiteral("dbED"), 6, true, {
            column(DirectExportCol::Pedimento, " el No. de pedimento en la sección "),
            column(DirectExportCol::Fecha, " la fecha del pedimento en la sección "),
            column(DirectExportCol::PaisDestino, " el país destino mostrado en el pedimento en la sección "),
            column(DirectExportCol::CantidadTotal, " la cantidad total mostrada en el pedimento en la sección "),
            column(DirectExportCol::CantidadExportada,
                   " la cantidad utilizada mostrada en el pedimento en la sección "),
            column(DirectExportCol::ValorTotal, " el valor total en dólares mostrado por el pedimento en la sección "),
            column(DirectExportCol::ValorUtilizado,
                   " el valor utilizado en dólares mostrado por el pedimento en la sección "),
        }},
        {QStringLiteral("dbEI"), 7, true, {
            column(I::Documento, " el No. de documento en la sección "),
            column(I::Fecha, " la fecha del documento en la sección "),
            column(I::CantidadTotal, " la cantidad total mostrada en el documento en la sección "),
            column(I::CantidadUtilizada, " la cantidad utilizada mostrada en el documento en la sección "),
            // Pesos or dollars: each pair is asked for when the other's total is blank.
            column(I::ValorTotal, " el valor total en pesos mostrado en el documento en la sección ",
                   columnIndex(I::ValorTotalDls)),
            column(I::ValorUtilizado, " el valor utilizado en pesos mostrado en el documento en la sección ",
                   columnIndex(I::ValorTotalDls)),
            column(I::ValorTotalDls, " el valor total en dólares mostrado en el documento en la sección ",
                   columnIndex(I::ValorTotal)),
            column(I::ValorUtilizadoDls, " el valor utilizado en dólares mostrado en el documento en la sección ",
                   columnIndex(I::ValorTotal)),
            column(I::ExportadorFinal, " el nombre del exportador final en la sección "),
        }},
        {QStringLiteral("dbITLC"), 8, true, {
            column(TlcanCol::PaisImportador, " el país importador en la sección "),
            column(TlcanCol::Fraccion, " la fracción mostrada por el pedimento en la sección "),
            column(TlcanCol::Fecha, " la fecha del pedimento en la sección "),
            column(TlcanCol::CantidadImportada, " la cantidad importada mostrada en el pedimento en la sección "),
            column(TlcanCol::PrecioUnitario, " el precio unitario en dólares mostrado en el pedimento en la sección "),
            column(TlcanCol::AdValorem, " la tasa ad valorem mostrada en el pedimento en la sección "),
            column(TlcanCol::ValorTotal, " el valor total en dólares mostrado por el pedimento en la sección "),
            column(TlcanCol::MontSolic,
                   " el monto de aranceles en dólares mostrado por el pedimento en la sección "),
        }},
    };
    return all;
}

const ColumnCheck *firstBlank(const Section &section, const std::function<bool(int)> &blank,
                              const std::function<bool(int)> &shown)
{
    for (const ColumnCheck &c : section.columns) {
        if (c.onlyWhenBlank >= 0 && !blank(c.onlyWhenBlank))
            continue;
        if (shown(c.column) && blank(c.column))
            return &c;
    }
    return nullptr;
}

QString missing(const QString &phrase)
{
    return QStringLiteral("Debes de completar la solicitud. Falta especificar ") + phrase;
}

QString missingIn(const Section &section, const ColumnCheck &check, const QString &tabCaption)
{
    return missing(section.namesTab ? check.phrase + tabCaption + u'.' : check.phrase);
}

QString emptySection(const QString &tabCaption)
{
    return QStringLiteral("Debes de completar la solicitud. No has colocado ningún dato en la sección ") + tabCaption
           + u'.';
}

QString amountQuestion(const QString &amountShown)
{
    return QStringLiteral("El monto aproximado a devolver por esta solicitud es de $") + amountShown
           + QStringLiteral(". Esta de acuerdo?");
}

} // namespace CompletenessReview

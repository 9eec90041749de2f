#include "field_specs.h"

namespace {

constexpr Qt::Alignment L = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment R = Qt::AlignRight | Qt::AlignVCenter;
constexpr Qt::Alignment C = Qt::AlignHCenter | Qt::AlignVCenter;

TextFieldSpec spec(const char *name, const char *link, const char *field, int tab, const char *label,
                   const char *caption, int limit, Qt::Alignment align, const char *hint = "")
{
    return {QString::fromUtf8(name), QString::fromUtf8(link),    QString::fromUtf8(field),
            tab,                     QString::fromUtf8(label),   QString::fromUtf8(caption),
            limit,                   align,                      QString::fromUtf8(hint)};
}

QList<TextFieldSpec> buildTextFields()
{
    const char *E = "dtsEmpresas";
    const char *S = "dtsSolicitu";
    return {
        // Header
        spec("txtRFC", E, "RFC", -1, "lblRFC", "R.F.C. :", 13, L),
        spec("txtRSocial", E, "NOMBRE", -1, "lblRSocial", "Razón Social :", 60, L),
        spec("txtFolio", "", "", -1, "lblFolio", "al folio ", 4, L),
        spec("txtFolioA", "", "", -1, "lblFolioA", "/", 4, L),
        // Domicilio
        spec("txtDireccion", E, "DIRECCION1", 0, "lblDireccion", "Dirección (Calle y número ) : ", 60, L),
        spec("txtCP", E, "CODIGO_POS", 0, "lblCP", "Código Postal :", 5, L),
        spec("txtDelegacion", E, "CIUDAD", 0, "lblDelMun", "Municipio : ", 25, L),
        spec("txtColonia", E, "COLONIA", 0, "lblColonia", "Colonia : ", 25, L),
        spec("txtTelefono", E, "TELEFONO", 0, "lblTelefono", "Teléfono : ", 10, L),
        spec("txtFax", E, "FAX", 0, "lblFax", "Fax :", 10, L),
        spec("txtEmail", E, "EMAIL", 0, "lblEmail", "Correo Electrónico (en su caso) :", 30, L),
        // Datos Generales: legal representative, then bank account
        spec("txtNRLegal", E, "REP_LEGAL", 1, "lblNRLegal", "Nombre : ", 20, L),
        spec("txtPRLegal", E, "REP_LEGALP", 1, "lblPRLegal", "A. Paterno :", 20, L),
        spec("txtMRLegal", E, "REP_LEGALM", 1, "lblMRLegal", "A. Materno :", 20, L),
        spec("txtDireccionRep", E, "DIR_REP", 1, "lblDireccionRep", "Domicilio :", 25, L),
        spec("txtTelRep", E, "TELREP", 1, "lblTelRep", "Teléfono :", 10, L),
        spec("txtCargo", E, "CARGO", 1, "lblCargo", "Cargo en la empresa :", 25, L),
        spec("txtFaxRep", E, "FAXREP", 1, "lblFaxRep", "Fax :", 10, L),
        spec("txtCuenta", E, "CUENTA", 1, "lblCuenta", "Cuenta", 11, C),
        spec("txtSuc", E, "SUCURSAL", 1, "lblSuc", "No. Sucursal", 4, C),
        spec("txtPlaza", E, "PLAZA", 1, "lblPlaza", "Plaza", 3, C),
        // Mercancía
        spec("txtProducto", S, "DESCRIP", 2, "lblProducto", "Nombre comercial del producto exportado :", 50, L),
        spec("txtVExpFOB", S, "VALOR_FOB", 2, "lblVExpFOB", "Val. Exp FOB Dls.", 12, R),
        spec("txtFraccionExp", S, "FRACCION", 2, "lblFraccionExp", "Frac. Aranc. de exportación :", 8, R),
        spec("txtCantidadExp", S, "CANTIDAD", 2, "lblCantidadExp", "Cantidad Exportada :", 8, R),
        spec("txtDevS", S, "DEVOL_SOL", 2, "lblDevS", "Dev. Solicitada M.N.", 14, R),
        spec("txtPUMN", S, "PRE_VEN_SO", 2, "lblPUMN", "Precio Unitario de Exp. MN :", 14, R),
        spec("txtPUDls", S, "PREVENDOLA", 2, "lblPUDls", "Precio Unitario de Exp. Dlls. :", 14, R),
        // Est. Costos: national then imported column of each row
        spec("txtMPN", S, "MAT_PRI_NA", 3, "", "", 18, R,
             "Valor expresado en moneda nacional de las materias primas utilizadas en el producto de orígen "
             "nacional ( capturar a 5 decimales )"),
        spec("txtMPE", S, "MAT_PRI_EX", 3, "", "", 18, R,
             "Valor expresado en moneda nacional de las materias primas utilizadas en el producto de orígen "
             "extranjero ( Capturar a 5 decimales )"),
        spec("txtCIN", S, "COMB_INCNA", 3, "", "", 18, R,
             "Valor expresado en moneda nacional del combustible y materiales incorporados al producto de "
             "orígen nacional ( Capturar a 5 decimales )"),
        spec("txtCIE", S, "COMB_INCEX", 3, "", "", 18, R,
             "Valor expresado en moneda nacional del combustible y materiales incorporados al producto de "
             "orígen extranjero ( Capturar a 5 decimales )"),
        spec("txtCNIN", S, "COMB_NOINC", 3, "", "", 18, R,
             "Valor expresado en moneda nacional de los materiales y combustibles no incorporados necesarios "
             "para la transformación ( Capturar a 5 decimales )"),
        spec("txtEN", S, "ENERG_DIR", 3, "", "", 18, R,
             "Valor expresado en moneda de la energía gastada en el producto ( Capturar a 5 decimales )"),
        spec("txtSN", S, "SALARIOS", 3, "", "", 18, R,
             "Valor expresado en moneda nacional de los salarios pagados a las personas involucradas en la "
             "elaboración del producto ( Capturar a 5 decimales )"),
        spec("txtDN", S, "DEPRE_MAQ", 3, "", "", 18, R,
             "Valor expresado en moneda nacional referente a la depreciación de la maquinaria utilizada en el "
             "producto ( Capturar a 5 decimales )"),
        // Exp. Directa
        spec("txtPorcentaje", S, "PORCENTAJE", 6, "lblPorcentaje", "Porcentaje", 5, R,
             "Porcentaje de exportación TLCAN"),
    };
}

} // namespace

const QList<TextFieldSpec> &textFieldSpecs()
{
    static const QList<TextFieldSpec> specs = buildTextFields();
    return specs;
}

const QList<CheckFieldSpec> &checkFieldSpecs()
{
    static const QList<CheckFieldSpec> specs{
        {QStringLiteral("chkApendice8"), QStringLiteral("APENDICE8"), 6,
         QStringLiteral("Presenta Apendice 8 la solicitud")},
        {QStringLiteral("chkReporte"), QStringLiteral("REPORTE"), 6, QStringLiteral("Reporte de Exportaciones ")},
        {QStringLiteral("chkAnexoB"), QStringLiteral("ANEXOB"), 7, QStringLiteral("Presenta Anexo B")},
        {QStringLiteral("chkAnexoC"), QStringLiteral("ANEXOC"), 7, QStringLiteral("Presenta Anexo C")},
    };
    return specs;
}

QList<TextFieldSpec> textFieldsOfTab(int tab)
{
    QList<TextFieldSpec> out;
    for (const TextFieldSpec &s : textFieldSpecs())
        if (s.tab == tab)
            out.append(s);
    return out;
}

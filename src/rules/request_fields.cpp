#include "request_fields.h"

namespace RequestFields {

namespace {

constexpr Qt::Alignment L = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment R = Qt::AlignRight | Qt::AlignVCenter;
constexpr Qt::Alignment C = Qt::AlignHCenter | Qt::AlignVCenter;

using K = KeyRules::Rule;
constexpr K K0 = K::Free, K1 = K::Digits, K2 = K::Decimal, K3 = K::ShowOnly, K4 = K::TaxId;
constexpr Case U = Case::Upper, l = Case::Lower, none = Case::None;
constexpr int F14 = Thousands, Z = ZeroWhenEmpty;

const char *const E = "dtsEmpresas";
const char *const S = "dtsSolicitu";

Control text(const char *name, const char *link, const char *field, int tab, const char *label, const char *caption,
             int limit, Qt::Alignment align, K keys, Case letterCase, const char *enterTo, int leave,
             const char *review, const char *hint = "")
{
    Control c;
    c.name = QString::fromUtf8(name);
    c.enterTo = QString::fromUtf8(enterTo);
    c.tab = tab;
    c.link = QString::fromUtf8(link);
    c.field = QString::fromUtf8(field);
    c.label = QString::fromUtf8(label);
    c.caption = QString::fromUtf8(caption);
    c.limit = limit;
    c.align = align;
    c.hint = QString::fromUtf8(hint);
    c.keys = keys;
    c.letterCase = letterCase;
    c.leave = leave;
    c.review = QString::fromUtf8(review);
    return c;
}

Control other(Kind kind, const char *name, const char *enterTo = "", const char *enterElse = "")
{
    Control c;
    c.name = QString::fromUtf8(name);
    c.kind = kind;
    c.enterTo = QString::fromUtf8(enterTo);
    c.enterElse = QString::fromUtf8(enterElse);
    return c;
}

Control orElse(Control c, const char *enterElse)
{
    c.enterElse = QString::fromUtf8(enterElse);
    return c;
}

Control check(const char *name, const char *field, int tab, const char *caption)
{
    Control c = other(Kind::Check, name);
    c.tab = tab;
    c.link = QString::fromUtf8(S);
    c.field = QString::fromUtf8(field);
    c.caption = QString::fromUtf8(caption);
    return c;
}

Control cost(const char *name, const char *field, const char *enterTo, const char *review, const char *hint)
{
    Control c = text(name, S, field, 3, "", "", 18, R, K2, none, enterTo, F14 | Z, review);
    c.hint = QString::fromUtf8(hint);
    return c;
}

QList<Control> build()
{
    return {
        // Header
        other(Kind::Option, "opcTSolicitud(0)", "cmbTDevolucion"),
        other(Kind::Option, "opcTSolicitud(1)", "cmbTDevolucion"),
        other(Kind::Combo, "cmbTDevolucion", "cmbTExportacion"),
        other(Kind::Combo, "cmbTExportacion", "cmbTSolicitud"),
        other(Kind::Combo, "cmbTSolicitud", "txtFolio", "txtRFC"),
        text("txtFolio", "", "", -1, "lblFolio", "al folio ", 4, L, K1, none, "txtFolioA", NoLeave,
             " el folio de la reconsideración de la solicitud."),
        text("txtFolioA", "", "", -1, "lblFolioA", "/", 4, L, K1, none, "cmbTExportacion", NoLeave,
             " el año de la reconsideración de la solicitud."),
        text("txtRFC", E, "RFC", -1, "lblRFC", "R.F.C. :", 13, L, K4, U, "txtRSocial", TaxId,
             " el RFC de la empresa.", "␣ABC010229XY1: persona moral, empiece con un espacio"),
        text("txtRSocial", E, "NOMBRE", -1, "lblRSocial", "Razón Social :", 60, L, K0, U, "txtDireccion", NoLeave,
             " la razón social de la empresa."),
        // Domicilio
        text("txtDireccion", E, "DIRECCION1", 0, "lblDireccion", "Dirección (Calle y número ) : ", 60, L, K0, U,
             "txtCP", NoLeave, " la dirección de la empresa."),
        text("txtCP", E, "CODIGO_POS", 0, "lblCP", "Código Postal :", 5, L, K1, none, "cmbEdo", PostalCode,
             " el código postal de la empresa."),
        other(Kind::Combo, "cmbEdo", "txtDelegacion"),
        text("txtDelegacion", E, "CIUDAD", 0, "lblDelMun", "Municipio : ", 25, L, K0, U, "txtColonia", NoLeave, ""),
        text("txtColonia", E, "COLONIA", 0, "lblColonia", "Colonia : ", 25, L, K0, U, "txtTelefono", NoLeave,
             " la colonia de la empresa."),
        text("txtTelefono", E, "TELEFONO", 0, "lblTelefono", "Teléfono : ", 10, L, K1, none, "txtFax", NoLeave,
             " el No. de telefono de la empresa."),
        text("txtFax", E, "FAX", 0, "lblFax", "Fax :", 10, L, K1, none, "txtEmail", NoLeave,
             " el No. de fax de la empresa."),
        text("txtEmail", E, "EMAIL", 0, "lblEmail", "Correo Electrónico (en su caso) :", 30, L, K0, l,
             "cmbActFiscal", NoLeave, " el e-mail de la empresa."),
        other(Kind::Combo, "cmbActFiscal", "txtNRLegal"),
        // Datos Generales: legal representative, then bank account
        text("txtNRLegal", E, "REP_LEGAL", 1, "lblNRLegal", "Nombre : ", 20, L, K0, U, "txtPRLegal", NoLeave,
             " el nombre del representante legal de la empresa."),
        text("txtPRLegal", E, "REP_LEGALP", 1, "lblPRLegal", "A. Paterno :", 20, L, K0, U, "txtMRLegal", NoLeave,
             " el apellido paterno del representante legal de la empresa."),
        text("txtMRLegal", E, "REP_LEGALM", 1, "lblMRLegal", "A. Materno :", 20, L, K0, U, "txtDireccionRep",
             NoLeave, " el apellido materno del representante legal de la empresa."),
        text("txtDireccionRep", E, "DIR_REP", 1, "lblDireccionRep", "Domicilio :", 25, L, K0, U, "txtTelRep",
             NoLeave, " la dirección del representante legal de la empresa."),
        text("txtTelRep", E, "TELREP", 1, "lblTelRep", "Teléfono :", 10, L, K1, none, "txtCargo", NoLeave,
             " el telefono del representante legal de la empresa."),
        text("txtCargo", E, "CARGO", 1, "lblCargo", "Cargo en la empresa :", 25, L, K0, U, "txtFaxRep", NoLeave,
             " el cargo dentro de la empresa del representante legal."),
        text("txtFaxRep", E, "FAXREP", 1, "lblFaxRep", "Fax :", 10, L, K1, none, "cmbBanco", NoLeave,
             " el fax del representante legal de la empresa."),
        other(Kind::Combo, "cmbBanco", "txtCuenta"),
        text("txtCuenta", E, "CUENTA", 1, "lblCuenta", "Cuenta", 11, C, K1, none, "txtSuc", NoLeave,
             " el No. de la cuenta bancaria."),
        text("txtSuc", E, "SUCURSAL", 1, "lblSuc", "No. Sucursal", 4, C, K1, none, "txtPlaza", NoLeave,
             " el No. de la sucursal de la cuenta bancaria."),
        text("txtPlaza", E, "PLAZA", 1, "lblPlaza", "Plaza", 3, C, K1, none, "txtProducto", NoLeave,
             " el No. de plaza de la cuenta bancaria."),
        // Mercancía
        text("txtProducto", S, "DESCRIP", 2, "lblProducto", "Nombre comercial del producto exportado :", 50, L, K0,
             U, "txtVExpFOB", NoLeave, " el nombre comercial del producto motivo de la solicitud."),
        text("txtVExpFOB", S, "VALOR_FOB", 2, "lblVExpFOB", "Val. Exp FOB Dls.", 12, R, K2, none, "txtFraccionExp",
             F14, " el valor en dólares de la exportación."),
        text("txtFraccionExp", S, "FRACCION", 2, "lblFraccionExp", "Frac. Aranc. de exportación :", 8, R, K1, none,
             "txtCantidadExp", NoLeave, " la fracción de exportación."),
        text("txtCantidadExp", S, "CANTIDAD", 2, "lblCantidadExp", "Cantidad Exportada :", 8, R, K2, none, "cmbUM",
             NoLeave, " la cantidad exportada del producto."),
        other(Kind::Combo, "cmbUM", "txtDevS"),
        orElse(text("txtDevS", S, "DEVOL_SOL", 2, "lblDevS", "Dev. Solicitada M.N.", 14, R, K3, none, "txtPUMN",
                     NoLeave, ""),
               "dbCU"),
        text("txtPUMN", S, "PRE_VEN_SO", 2, "lblPUMN", "Precio Unitario de Exp. MN :", 14, R, K2, none, "txtPUDls",
             F14, " el precio unitario de exportación del producto en pesos."),
        text("txtPUDls", S, "PREVENDOLA", 2, "lblPUDls", "Precio Unitario de Exp. Dlls. :", 14, R, K2, none,
             "txtMPN", F14, " el precio unitario de exportación del producto en dólares."),
        // Est. Costos: national then imported column of each row
        cost("txtMPN", "MAT_PRI_NA", "txtMPE", " el costo de materias primas de orígen nacional.",
             "Valor expresado en moneda nacional de las materias primas utilizadas en el producto de orígen "
             "nacional ( capturar a 5 decimales )"),
        cost("txtMPE", "MAT_PRI_EX", "txtCIN", " el costo de materias primas provenientes del extranjero.",
             "Valor expresado en moneda nacional de las materias primas utilizadas en el producto de orígen "
             "extranjero ( Capturar a 5 decimales )"),
        cost("txtCIN", "COMB_INCNA", "txtCIE", " el costo de combustibles incoporados de orígen nacional.",
             "Valor expresado en moneda nacional del combustible y materiales incorporados al producto de "
             "orígen nacional ( Capturar a 5 decimales )"),
        cost("txtCIE", "COMB_INCEX", "txtCNIN", " el costo de combustibles incorporados provenientes del extranjero.",
             "Valor expresado en moneda nacional del combustible y materiales incorporados al producto de "
             "orígen extranjero ( Capturar a 5 decimales )"),
        cost("txtCNIN", "COMB_NOINC", "txtEN", " el costo de combustibles no incoporados de orígen nacional.",
             "Valor expresado en moneda nacional de los materiales y combustibles no incorporados necesarios "
             "para la transformación ( Capturar a 5 decimales )"),
        cost("txtEN", "ENERG_DIR", "txtSN", " el costo de energía utilizada.",
             "Valor expresado en moneda de la energía gastada en el producto ( Capturar a 5 decimales )"),
        cost("txtSN", "SALARIOS", "txtDN", " el costo de salarios.",
             "Valor expresado en moneda nacional de los salarios pagados a las personas involucradas en la "
             "elaboración del producto ( Capturar a 5 decimales )"),
        cost("txtDN", "DEPRE_MAQ", "dbCU", " el costo de las depreciaciones de la maquinaria.",
             "Valor expresado en moneda nacional referente a la depreciación de la maquinaria utilizada en el "
             "producto ( Capturar a 5 decimales )"),
        // The document grids and the boxes of the transfers
        other(Kind::Grid, "dbCU"),
        other(Kind::Grid, "dbMI"),
        other(Kind::Grid, "dbED"),
        check("chkApendice8", "APENDICE8", 6, "Presenta Apendice 8 la solicitud"),
        text("txtPorcentaje", S, "PORCENTAJE", 6, "lblPorcentaje", "Porcentaje", 5, R, K0, none, "", Percentage, "",
             "Porcentaje de exportación TLCAN"),
        check("chkReporte", "REPORTE", 6, "Reporte de Exportaciones "),
        other(Kind::Grid, "dbEI"),
        check("chkAnexoB", "ANEXOB", 7, "Presenta Anexo B"),
        check("chkAnexoC", "ANEXOC", 7, "Presenta Anexo C"),
        other(Kind::Grid, "dbITLC"),
    };
}

QList<Control> ofKind(Kind kind, int tab = -2)
{
    QList<Control> out;
    for (const Control &c : controls())
        if (c.kind == kind && (tab == -2 || c.tab == tab))
            out.append(c);
    return out;
}

} // namespace

const QList<Control> &controls()
{
    static const QList<Control> table = build();
    return table;
}

QList<Control> textFields() { return ofKind(Kind::Text); }

QList<Control> checkFields() { return ofKind(Kind::Check); }

QList<Control> textFieldsOfTab(int tab) { return ofKind(Kind::Text, tab); }

const Control *find(const QString &name)
{
    for (const Control &c : controls())
        if (c.name == name)
            return &c;
    return nullptr;
}

} // namespace RequestFields

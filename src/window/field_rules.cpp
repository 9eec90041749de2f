#include "field_rules.h"

#include <QHash>

namespace FieldRules {

namespace {

using K = KeyRules::Rule;
constexpr Case U = Case::Upper;
constexpr Case l = Case::Lower;
constexpr Case none = Case::None;

FieldRule rule(const char *name, K keys, Case letterCase, const char *enterTo, int leave = NoLeave)
{
    return {QString::fromLatin1(name), keys, letterCase, QString::fromLatin1(enterTo), leave};
}

QList<FieldRule> build()
{
    const K K0 = K::Free, K1 = K::Digits, K2 = K::Decimal, K3 = K::ShowOnly, K4 = K::TaxId;
    const int F14 = Thousands, Z = ZeroWhenEmpty;
    return {
        // Header
        rule("txtRFC", K4, U, "txtRSocial", TaxId),
        rule("txtRSocial", K0, U, "txtDireccion"),
        rule("txtFolio", K1, none, "txtFolioA"),
        rule("txtFolioA", K1, none, "cmbTExportacion"),
        // Domicilio
        rule("txtDireccion", K0, U, "txtCP"),
        rule("txtCP", K1, none, "cmbEdo", PostalCode),
        rule("txtDelegacion", K0, U, "txtColonia"),
        rule("txtColonia", K0, U, "txtTelefono"),
        rule("txtTelefono", K1, none, "txtFax"),
        rule("txtFax", K1, none, "txtEmail"),
        rule("txtEmail", K0, l, "cmbActFiscal"),
        // Datos Generales
        rule("txtNRLegal", K0, U, "txtPRLegal"),
        rule("txtPRLegal", K0, U, "txtMRLegal"),
        rule("txtMRLegal", K0, U, "txtDireccionRep"),
        rule("txtDireccionRep", K0, U, "txtTelRep"),
        rule("txtTelRep", K1, none, "txtCargo"),
        rule("txtCargo", K0, U, "txtFaxRep"),
        rule("txtFaxRep", K1, none, "cmbBanco"),
        rule("txtCuenta", K1, none, "txtSuc"),
        rule("txtSuc", K1, none, "txtPlaza"),
        rule("txtPlaza", K1, none, "txtProducto"),
        // Mercancía
        rule("txtProducto", K0, U, "txtVExpFOB"),
        rule("txtVExpFOB", K2, none, "txtFraccionExp", F14),
        rule("txtFraccionExp", K1, none, "txtCantidadExp"),
        rule("txtCantidadExp", K2, none, "cmbUM"),
        rule("txtDevS", K3, none, "txtPUMN"),
        rule("txtPUMN", K2, none, "txtPUDls", F14),
        rule("txtPUDls", K2, none, "txtMPN", F14),
        // Est. Costos
        rule("txtMPN", K2, none, "txtMPE", F14 | Z),
        rule("txtMPE", K2, none, "txtCIN", F14 | Z),
        rule("txtCIN", K2, none, "txtCIE", F14 | Z),
        rule("txtCIE", K2, none, "txtCNIN", F14 | Z),
        rule("txtCNIN", K2, none, "txtEN", F14 | Z),
        rule("txtEN", K2, none, "txtSN", F14 | Z),
        rule("txtSN", K2, none, "txtDN", F14 | Z),
        rule("txtDN", K2, none, "dbCU", F14 | Z),
    };
}

} // namespace

const QList<FieldRule> &fields()
{
    static const QList<FieldRule> rules = build();
    return rules;
}

const FieldRule *find(const QString &name)
{
    for (const FieldRule &r : fields())
        if (r.name == name)
            return &r;
    return nullptr;
}

QString comboEnterTo(const QString &combo)
{
    static const QHash<QString, QString> next{
        {QStringLiteral("cmbEdo"), QStringLiteral("txtDelegacion")},
        {QStringLiteral("cmbActFiscal"), QStringLiteral("txtNRLegal")},
        {QStringLiteral("cmbBanco"), QStringLiteral("txtCuenta")},
        {QStringLiteral("cmbUM"), QStringLiteral("txtDevS")},
    };
    return next.value(combo);
}

} // namespace FieldRules

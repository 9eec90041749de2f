#include "frm_about.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel *label(const QString &name, const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

} // namespace

FrmAbout::FrmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Acerca de"));
    setModal(true);

    auto *column = new QVBoxLayout(this);
    QLabel *title = label(QStringLiteral("lblTitle"),
                          QStringLiteral("Devolución de Impuestos          ( Q U E L V A R )"), this);
    QFont big = title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    title->setFont(big);
    column->addWidget(title);
    column->addWidget(label(QStringLiteral("lblVersion"), QStringLiteral("Version  3.0"), this));
    column->addWidget(label(QStringLiteral("lblDescription"),
                            QStringLiteral("SECRETARIA DE FERRALIA\n"
                                           "DIRECCIÓN GENERAL DE ZARNELIA\n"
                                           "DIRECCIÓN DE SISTEMAS"),
                            this));
    auto *rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    column->addWidget(rule);
    column->addWidget(label(QStringLiteral("lblDisclaimer"),
                            QStringLiteral("Dudas y Comentarios\n"
                                           "Mesa de ayuda de la Dirección de Sistemas\n"
                                           "Responsable del programa QUELVAR\n"
                                           "soporte.quelvar@ferralia.gob"),
                            this));
    auto *ok = new QPushButton(QStringLiteral("Aceptar"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    column->addWidget(ok, 0, Qt::AlignRight);
}

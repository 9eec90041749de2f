#include "command_bar.h"

#include "rules/window_texts.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QToolButton>

CommandBar::CommandBar(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("fraComandos"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    const QStringList tips = WindowTexts::commandTips();
    const QStringList icons = WindowTexts::commandIcons();
    row->addStretch();
    for (int i = 1; i <= 8; ++i) {
        auto *button = new QToolButton(this);
        button->setObjectName(QStringLiteral("cmdAccion(%1)").arg(i));
        button->setToolTip(tips[i - 1]);
        button->setAccessibleName(tips[i - 1]);
        button->setIcon(QIcon(icons[i - 1]));
        button->setIconSize(QSize(32, 32));
        button->setAutoRaise(false);
        connect(button, &QToolButton::clicked, this, [this, i] { emit command(i); });
        row->addWidget(button);
    }
    row->addStretch();
}

QString CommandBar::question(int index)
{
    switch (index) {
    case 2:
        return QStringLiteral("Esta acción te eliminará toda la información que has capturado. Se procede a borrar?");
    case 3:
        return QStringLiteral("Esta acción te eliminará la información de la solicitud que has capturado. Se procede "
                              "a borrar?");
    case 7:
        return QStringLiteral("Esta acción recuperará la información contenida en el diskette  eliminando todo lo que "
                              "en este momento visualizas en pantalla. Se procede a realizar la operación?");
    default:
        return {};
    }
}

// The command bar of the request window: cmdAccion(1) to cmdAccion(8).
#include "window/frm_quelvar.h"

#include "platform/message_box.h"
#include "printing/frm_about.h"

void FrmQuelvar::cmdAccion_Click(int index)
{
    switch (index) {
    case 2:
        if (MessageBox::question(this, QStringLiteral("Esta acción te eliminará toda la información que has "
                                                      "capturado. Se procede a borrar?")))
            BorraInformacion(0);
        break;
    case 3:
        if (MessageBox::question(this, QStringLiteral("Esta acción te eliminará la información de la solicitud que "
                                                      "has capturado. Se procede a borrar?")))
            BorraInformacion(1);
        break;
    case 6:
        GuardaInformacion();
        break;
    case 8: {
        FrmAbout about(this);
        about.exec();
        // Coming back from a window of the program reloads the stored choices.
        Form_Activate();
        break;
    }
    default:
        // 1, 4, 5 and 7 (considerations, diskette, print, recovery) have no
        // action in this version; any other index does nothing.
        break;
    }
}

// The tab strip: what happens when the user (or the program) changes tab,
// and which tabs are shown.
#include "frm_quelvar.h"

#include "checks/leading_number.h"
#include "field_edit.h"
#include "grids/bound_grid.h"
#include "platform/message_box.h"
#include "store/data_link.h"
#include "store/recordset.h"
#include "store/request_links.h"
#include "store/store_error.h"

#include <QListWidget>
#include <QTabWidget>

void FrmQuelvar::onTabChanged(int index)
{
    const int previous = currentTab_;
    if (arrangingTabs_) {
        // The program hid the tab shown: the strip moved on by itself.
        currentTab_ = index;
        return;
    }
    currentTab_ = index;
    SSTabDatos_Click(previous);
}

bool FrmQuelvar::unitCostsComplete()
{
    Recordset *rs = links_->dtsInsunit->recordset();
    if (!rs || rs->RecordCount() == 0)
        return false;
    // With the unit-cost column in use, a missing cost blocks the way too.
    BoundGrid *costs = grid(QStringLiteral("dbCU"));
    const bool costInUse = costs && !costs->isColumnHidden(columnIndex(UnitCostCol::CostoUnit));
    QStringList required{QStringLiteral("FRACCION"), QStringLiteral("DESCRIP"), QStringLiteral("TASA_ADVAL")};
    if (costInUse)
        required.append(QStringLiteral("COSTO_UNIT"));
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
        for (const QString &field : std::as_const(required))
            if (rs->Fields(field).Value().isNull())
                return false;
    return true;
}

void FrmQuelvar::SSTabDatos_Click(int previousTab)
{
    if (SSTabDatos->currentIndex() == 5) {
        bool complete = false;
        try {
            complete = unitCostsComplete();
        } catch (const StoreError &) {
        }
        if (!complete) {
            MessageBox::warning(this, QStringLiteral("Debes de completar la información de los costos unitarios para "
                                                     "accesar al apartado de mercancías importadas"));
            SSTabDatos->setCurrentIndex(4);
        }
    } else {
        // A list opened under a cell does not stay over another tab (the
        // folder's country list included).
        for (QListWidget *list : {lstFraccion, lstClave, lstPais, lstPaisAux})
            if (!list->isHidden())
                list->hide();
    }

    GuardaInformacion();

    BoundGrid *costs = grid(QStringLiteral("dbCU"));
    if (previousTab == 4 && costs && !costs->isColumnHidden(columnIndex(UnitCostCol::CostoUnit))) {
        const double unitTotal = leadingNumber(txt(QStringLiteral("txtTCU"))->text());
        const double importedTotal = leadingNumber(txt(QStringLiteral("txtTE"))->text());
        if (unitTotal != importedTotal
            && !MessageBox::question(this,
                                     QStringLiteral("No concuerda el desglose de costos con la estructura de costos "
                                                    "proporcionada, esto es motivo de negativa. ¿ Desea continuar ?"),
                                     MessageBox::Icon::Exclamation)) {
            SSTabDatos->setCurrentIndex(4);
            costs->setFocus();
        }
    }
}

#pragma once

#include <QStringList>

// The fixed texts and vocabularies of the request window.
namespace WindowTexts {

QString caption();                 // the window's caption
// A caption followed by the name of the request folder open:
// "DEVOLUCIÓN DE IMPUESTOS V 3.0 — solicitud".
QString withFolder(const QString &caption, const QString &folderName);

QStringList tabCaptions();         // the nine tabs, by index
QStringList gridLengthMessages();  // the eleven limits of grid cells, by entry
QStringList banks();               // the bank list, in order
QStringList units();               // the units of measure, in order
QStringList refundTypes();         // cmbTDevolucion
QStringList requestKinds();        // cmbTSolicitud
QStringList directExportTypes();   // cmbTExportacion under "Directa"
QStringList transferExportTypes(); // cmbTExportacion under "Transferencia"
QStringList commandTips();         // tool-tips of cmdAccion(1) to cmdAccion(8)
QStringList commandIcons();        // their pictures, as resource paths

} // namespace WindowTexts

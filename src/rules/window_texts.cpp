#include "window_texts.h"

namespace WindowTexts {

QString caption() { return QStringLiteral("DEVOLUCIÓN DE IMPUESTOS V 3.0"); }

QString withFolder(const QString &caption, const QString &folderName)
{
    return folderName.isEmpty() ? caption : caption + QStringLiteral(" — ") + folderName;
}

QStringList tabCaptions()
{
    return {QStringLiteral("Domicilio"),        QStringLiteral("Datos Generales"),
            QStringLiteral("Mercancía"),        QStringLiteral("Est. Costos"),
            QStringLiteral("Costos Unitarios"), QStringLiteral("Merc. Importadas"),
            QStringLiteral("Exp. Directa"),     QStringLiteral("Exp. Indirecta"),
            QStringLiteral("Imp. TLCAN")};
}

QStringList gridLengthMessages()
{
    return {
        QStringLiteral("El número de fracción no debe de exceder de 8 digitos."),
        QStringLiteral("La descripción del producto no debe de exceder de 30 letras."),
        QStringLiteral("La tasa advalorem no debe de exceder de 2 digitos."),
        QStringLiteral("El número de pedimento no debe de exceder de 11 digitos."),
        QStringLiteral("Ha escrito una fecha demasiado larga."),
        QStringLiteral("El precio unitario no debe de exceder de 12 digitos."),
        QStringLiteral("La cantidad no debe de exceder de 8 digitos."),
        QStringLiteral("El número que indica el valor no debe de exceder de 12 digitos."),
        QStringLiteral("El número de documento no debe de exceder de 12 digitos."),
        QStringLiteral("El exportador final no debe de exceder de 20 digitos."),
        QStringLiteral("El número que indica el monto no debe de exceder de 12 digitos."),
    };
}

QStringList banks()
{
    return {
        QStringLiteral("BANCO BILBARO VIZCAYA"),
        QStringLiteral("CITYBANK"),
        QStringLiteral("BANCOMER"),
        QStringLiteral("IXE"),
        QStringLiteral("BANAMEX"),
        QStringLiteral("BANCO INTERNACIONAL"),
        QStringLiteral("BANCO MERCANTIL DEL NORTE"),
        QStringLiteral("BANCO SANTANDER MEXICANO, S.A."),
        QStringLiteral("BITAL"),
        QStringLiteral("BANCRECER"),
        QStringLiteral("CONFIA, S.A."),
        QStringLiteral("INVERLAT, S.A."),
        QStringLiteral("BANCA SERFIN, S.A."),
        QStringLiteral("UNION DE CREDITO"),
        QStringLiteral("UNION DE CREDITO AGRO INDUSTRIAL P."),
        QStringLiteral("BANCA PROMEX"),
        QStringLiteral("BANCO NACIONAL DE MEXICO"),
        QStringLiteral("BANCA AFIRME"),
        QStringLiteral("BANCO INTERNATIONAL, S.A."),
        QStringLiteral("BANCO DE COMERCIO"),
        QStringLiteral("BANCO INDUSTRIAL"),
        QStringLiteral("BANORTE, S.A."),
        QStringLiteral("BANRURAL, S.N.C."),
        QStringLiteral("BANREGIO"),
        QStringLiteral("BANCO DEL BAJIO, S.A."),
        QStringLiteral("BANCO DEL CENTRO, S.A."),
        QStringLiteral("BANCO MEXICANO S.A. DE C.V."),
        QStringLiteral("BANCO MERCANTIL DEL NORTE"),
        QStringLiteral("BANJERCITO"),
        QStringLiteral("BANCO INBURSA"),
        QStringLiteral("ABN AMRO BANK"),
        QStringLiteral("BBVA-BANCOMER, S.A."),
    };
}

QStringList units()
{
    return {QStringLiteral("KILO"),     QStringLiteral("GRAMO"),          QStringLiteral("METRO LINEAL"),
            QStringLiteral("METRO CUADRADO"), QStringLiteral("METRO CUBICO"), QStringLiteral("PIEZA"),
            QStringLiteral("CABEZA"),   QStringLiteral("LITRO"),          QStringLiteral("PAR"),
            QStringLiteral("KILOWATT"), QStringLiteral("MILLAR"),         QStringLiteral("JUEGO"),
            QStringLiteral("TONELADAS")};
}

QStringList refundTypes()
{
    return {QStringLiteral("Mercancias Transformadas"), QStringLiteral("Retorno en el mismo estado"),
            QStringLiteral("Reparación")};
}

QStringList requestKinds()
{
    return {QStringLiteral("Solicitud Inicial"), QStringLiteral("Desahogo de prevención")};
}

QStringList directExportTypes()
{
    return {QStringLiteral("Originarios"), QStringLiteral("No Originarios / Mezcla"),
            QStringLiteral("Terceros Países")};
}

QStringList transferExportTypes()
{
    return {QStringLiteral("Const. Transf. Mercancia"), QStringLiteral("Pedimento Virtual")};
}

QStringList commandTips()
{
    return {QStringLiteral("Consideraciones Generales"),
            QStringLiteral("Borrar toda la información"),
            QStringLiteral("Borra información sólo de la solicitud"),
            QStringLiteral("Generar disco  para Ferralia"),
            QStringLiteral("Imprimir solicitud"),
            QStringLiteral("Grabar datos"),
            QStringLiteral("Recuperar información de diskette"),
            QStringLiteral("Acerca de..")};
}

QStringList commandIcons()
{
    return {QStringLiteral(":/icons/consideraciones.png"), QStringLiteral(":/icons/borrar_todo.png"),
            QStringLiteral(":/icons/borrar_solicitud.png"), QStringLiteral(":/icons/generar_disco.png"),
            QStringLiteral(":/icons/imprimir.png"),        QStringLiteral(":/icons/grabar.png"),
            QStringLiteral(":/icons/recuperar.png"),       QStringLiteral(":/icons/acerca.png")};
}

} // namespace WindowTexts

#include "request_links.h"

#include "data_link.h"
#include "recordset.h"

namespace {

const QString kDBase = QStringLiteral("dBASE III;");
const QString kFoxPro = QStringLiteral("FoxPro 2.5;");

} // namespace

RequestLinks::RequestLinks(QObject *parent)
    : QObject(parent),
      dtsEmpresas(new DataLink(QStringLiteral("dtsEmpresas"), kDBase, this)),
      dtsSolicitu(new DataLink(QStringLiteral("dtsSolicitu"), kDBase, this)),
      dtsInsunit(new DataLink(QStringLiteral("dtsInsunit"), kFoxPro, this)),
      dtsInsupedi(new DataLink(QStringLiteral("dtsInsupedi"), kFoxPro, this)),
      dtsExporped(new DataLink(QStringLiteral("dtsExporped"), kDBase, this)),
      dtsFactura(new DataLink(QStringLiteral("dtsFactura"), kDBase, this)),
      dtsImpTLC(new DataLink(QStringLiteral("dtsImpTLC"), kDBase, this)),
      dtsEstados(new DataLink(QStringLiteral("dtsEstados"), kDBase, this)),
      dtsSectores(new DataLink(QStringLiteral("dtsSectores"), kDBase, this)),
      dtsPaises(new DataLink(QStringLiteral("dtsPaises"), kDBase, this)),
      dtsPedimentos(new DataLink(QStringLiteral("dtsPedimentos"), kFoxPro, this)),
      dtsPaisAux(new DataLink(QStringLiteral("dtsPaisAux"), kDBase, this)),
      dtsAux(new DataLink(QStringLiteral("dtsAux"), kFoxPro, this))
{
}

QList<DataLink *> RequestLinks::all() const
{
    return {dtsEmpresas, dtsSolicitu, dtsInsunit, dtsInsupedi, dtsExporped, dtsFactura, dtsImpTLC,
            dtsEstados,  dtsSectores, dtsPaises, dtsPedimentos, dtsPaisAux, dtsAux};
}

QList<DataLink *> RequestLinks::requestLinks() const
{
    return {dtsEmpresas, dtsSolicitu, dtsInsupedi, dtsInsunit, dtsExporped, dtsFactura, dtsImpTLC};
}

QList<DataLink *> RequestLinks::catalogueLinks() const { return {dtsEstados, dtsPaises, dtsSectores, dtsPedimentos}; }

DataLink *RequestLinks::link(const QString &name) const
{
    for (DataLink *l : all())
        if (l->name() == name)
            return l;
    return nullptr;
}

void RequestLinks::setFolder(const QString &folder)
{
    const QList<std::pair<DataLink *, QString>> sources{
        {dtsEmpresas, QStringLiteral("empresas")},   {dtsSolicitu, QStringLiteral("solicitu")},
        {dtsInsupedi, QStringLiteral("Insupedi")},   {dtsInsunit, QStringLiteral("Insunit")},
        {dtsExporped, QStringLiteral("exporped")},   {dtsFactura, QStringLiteral("Factura")},
        {dtsImpTLC, QStringLiteral("Imptlc")},       {dtsEstados, QStringLiteral("Estados")},
        {dtsPaises, QStringLiteral("Paises")},       {dtsSectores, QStringLiteral("Sectores")},
        {dtsPedimentos, QStringLiteral("Pedimentos")},
    };
    for (const auto &[link, source] : sources) {
        link->setDatabaseName(folder);
        link->setRecordSource(source);
    }
}

void RequestLinks::refreshRequestLinks()
{
    for (DataLink *l : requestLinks())
        l->Refresh();
}

void RequestLinks::refreshCatalogues()
{
    for (DataLink *l : catalogueLinks())
        l->Refresh();
}

void RequestLinks::syncRequestTables()
{
    for (DataLink *l : requestLinks())
        if (Recordset *rs = l->recordset())
            rs->Sync();
}

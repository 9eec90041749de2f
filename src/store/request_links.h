#pragma once

#include <QList>
#include <QObject>
#include <QString>

class DataLink;

// The thirteen data links of the request window, each with its dialect and
// record source.
class RequestLinks : public QObject {
    Q_OBJECT
public:
    explicit RequestLinks(QObject *parent = nullptr);

    DataLink *const dtsEmpresas;
    DataLink *const dtsSolicitu;
    DataLink *const dtsInsunit;
    DataLink *const dtsInsupedi;
    DataLink *const dtsExporped;
    DataLink *const dtsFactura;
    DataLink *const dtsImpTLC;
    DataLink *const dtsEstados;
    DataLink *const dtsSectores;
    DataLink *const dtsPaises;
    DataLink *const dtsPedimentos;
    DataLink *const dtsPaisAux;
    DataLink *const dtsAux;

    QList<DataLink *> all() const;
    // The seven links of the request tables, in the order they are refreshed.
    QList<DataLink *> requestLinks() const;
    QList<DataLink *> catalogueLinks() const;
    DataLink *link(const QString &name) const;

    // Points the eleven table links at their tables in the folder.
    void setFolder(const QString &folder);
    // Re-opens the seven request links, in order. Throws StoreError.
    void refreshRequestLinks();
    // Opens the four catalogue links. Throws StoreError.
    void refreshCatalogues();
    // Writes the request tables through to disk.
    void syncRequestTables();
};

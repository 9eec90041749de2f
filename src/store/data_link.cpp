#include "data_link.h"

#include "dbf_table.h"
#include "recordset.h"
#include "store_error.h"

#include <QDir>
#include <QRegularExpression>

DataLink::DataLink(const QString &name, const QString &connect, QObject *parent)
    : QObject(parent), connect_(connect)
{
    setObjectName(name);
}

DataLink::~DataLink() = default;

void DataLink::addBoundEditor(BoundEditor *editor)
{
    if (!editors_.contains(editor))
        editors_.append(editor);
}

void DataLink::removeBoundEditor(BoundEditor *editor) { editors_.removeAll(editor); }

Recordset &DataLink::openRecordset() const
{
    if (!recordset_)
        throw StoreError(QStringLiteral("La liga %1 no tiene una tabla abierta.").arg(name()));
    return *recordset_;
}

void DataLink::addRowWriter(PendingRowWriter *writer)
{
    if (!rowWriters_.contains(writer))
        rowWriters_.append(writer);
}

void DataLink::removeRowWriter(PendingRowWriter *writer) { rowWriters_.removeAll(writer); }

QString DataLink::tableOf(const QString &recordSource)
{
    static const QRegularExpression select(QStringLiteral(R"(^\s*select\s+\*\s+from\s+\[?([^\s\];]+)\]?\s*;?\s*$)"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = select.match(recordSource);
    return m.hasMatch() ? m.captured(1) : recordSource.trimmed();
}

QString DataLink::tableFile(const QString &folder, const QString &recordSource)
{
    QString table = tableOf(recordSource);
    if (table.isEmpty())
        return {};
    if (!table.endsWith(QLatin1String(".dbf"), Qt::CaseInsensitive))
        table += QLatin1String(".dbf");
    const QDir dir(folder);
    if (dir.exists(table))
        return dir.filePath(table);
    const QStringList files = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString &f : files)
        if (f.compare(table, Qt::CaseInsensitive) == 0)
            return dir.filePath(f);
    return {};
}

QList<BoundEditor *> DataLink::stagePendingEdits()
{
    Recordset *rs = recordset_.get();
    if (!rs || !rs->isOpen())
        return {};
    bool pending = false;
    for (BoundEditor *e : std::as_const(editors_))
        pending = pending || e->hasPendingEdit();
    if (pending && rs->editMode() == Recordset::EditMode::None) {
        // An edit typed over an empty set begins its first record.
        if (rs->Eof())
            rs->AddNew();
        else
            rs->Edit();
    }
    QList<BoundEditor *> written;
    if (pending)
        for (BoundEditor *e : std::as_const(editors_))
            if (e->hasPendingEdit()) {
                e->writePendingEdit(*rs);
                written.append(e);
            }
    return written;
}

void DataLink::writePendingEdits()
{
    const QList<BoundEditor *> written = stagePendingEdits();
    Recordset *rs = recordset_.get();
    if (rs && rs->isOpen() && rs->editMode() != Recordset::EditMode::None) {
        if (rs->isDirty())
            rs->Update();
        else
            rs->CancelUpdate();
    }
    // Only now, with the record in the table, do the controls drop their marks:
    // a refused value leaves every typed edit in place for another try.
    for (BoundEditor *e : written)
        e->pendingEditSaved();
}

void DataLink::Refresh()
{
    if (recordset_)
        for (PendingRowWriter *w : std::as_const(rowWriters_))
            w->writePendingRow();
    writePendingEdits();
    if (databaseName_.isEmpty() || tableOf(recordSource_).isEmpty()) {
        recordset_.reset();
        emit reopened();
        return;
    }
    const QString file = tableFile(databaseName_, recordSource_);
    if (file.isEmpty())
        throw StoreError(QStringLiteral("No se encontró la tabla «%1» en la carpeta «%2».")
                             .arg(tableOf(recordSource_), QDir::toNativeSeparators(databaseName_)));
    auto fresh = std::make_unique<Recordset>(DbfTable::open(file));
    fresh->setMoveListener([this] { emit currentRecordMoved(); });
    if (opening_)
        opening_(*fresh);
    recordset_ = std::move(fresh);
    emit reopened();
}

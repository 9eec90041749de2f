#include "unfinished_work.h"

#include "exchange_files.h"
#include "request_exchange.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/request_choices.h"
#include "store/store_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <cstring>

namespace UnfinishedWork {

namespace {

const QString kEraseAll = QStringLiteral("borrar todo");
const QString kEraseRequest = QStringLiteral("borrar solicitud");
const QString kRecovery = QStringLiteral("recuperar");
const QString kRows = QStringLiteral("renglones");
const QString kExport = QStringLiteral("disco");
const QString kSave = QStringLiteral("grabar");
const QString kSaveTable = QStringLiteral("tabla");
const QString kSaveRefund = QStringLiteral("devolucion");
const QString kSaveNoRefund = QStringLiteral("sin devolucion");

// The records a write of rows replaces, beside the note.
QString replacedFile(const QString &folder) { return QDir(folder).filePath(QStringLiteral(".quelvar.renglones")); }

QList<Replaced> readReplaced(const QString &folder, const QString &table)
{
    QFile file(replacedFile(folder));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    const int length = DbfTable::open(table)->recordLength();
    QList<Replaced> replaced;
    for (qsizetype at = 0; at + 4 + length <= bytes.size(); at += 4 + length) {
        quint32 record = 0;
        std::memcpy(&record, bytes.constData() + at, 4);
        replaced.append({record, bytes.mid(at + 4, length)});
    }
    return replaced;
}

void writeWhole(const QString &folder, const QString &path, const QByteArray &text)
{
    // Whole or not at all (QSaveFile writes aside, flushes, renames), and
    // the folder synced: the file is on the disk before the work starts.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        throw StoreError(QStringLiteral("No se pudo escribir «%1»: %2.")
                             .arg(RequestExchange::nativePath(path), file.errorString()));
    RequestExchange::syncFolder(folder);
}

void writeNote(const QString &folder, const QStringList &lines)
{
    writeWhole(folder, noteFile(folder), lines.join(u'\n').toUtf8() + '\n');
}

void eraseTables(const QString &folder, bool everything)
{
    for (const QString &table : erasedTables(everything)) {
        const QString file = RequestExchange::findFile(folder, RequestExchange::fileOf(table));
        if (file.isEmpty())
            continue; // the start's table check names it
        Recordset rs(DbfTable::open(file));
        EliminaRegistros(rs);
        rs.Sync();
    }
    RequestChoices::removeRefundType(folder);
}

} // namespace

QString noteFile(const QString &folder) { return QDir(folder).filePath(QStringLiteral(".quelvar.pendiente")); }

Note pending(const QString &folder)
{
    QFile file(noteFile(folder));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // A save's note keeps two records: a few kilobytes, more with wide tables.
    const QStringList lines = QString::fromUtf8(file.read(1 << 20)).split(u'\n');
    Note note;
    if (lines.value(0) == kEraseAll)
        note.kind = Note::EraseAll;
    else if (lines.value(0) == kEraseRequest)
        note.kind = Note::EraseRequest;
    else if (lines.value(0) == kRecovery && !lines.value(1).isEmpty() && !lines.value(2).isEmpty()) {
        note.kind = Note::Recovery;
        note.staging = lines.value(1);
        note.backup = lines.value(2);
    } else if (const QString last = lines.value(lines.size() - 2);
               lines.value(0) == kSave && (last == kSaveNoRefund || last.startsWith(kSaveRefund + u'\t'))) {
        note.kind = Note::Save;
        for (const QString &line : lines) {
            const QStringList w = line.split(u'\t');
            if (w.value(0) == kSaveTable && w.size() >= 3)
                note.before.tables.append({w[1], w[2].toUInt(), w.size() >= 5
                                               ? QList<Replaced>{{w[3].toUInt(), QByteArray::fromBase64(w[4].toLatin1())}}
                                               : QList<Replaced>()});
            else if (w.value(0) == kSaveRefund && w.size() == 2)
                note.before.refundType = QByteArray::fromBase64(w[1].toLatin1());
        }
    } else if (lines.value(0) == kExport)
        note.kind = Note::Export;
    else if (lines.value(0) == kRows && !lines.value(1).isEmpty() && !lines.value(2).isEmpty()) {
        note.kind = Note::Rows;
        note.table = lines.value(1);
        note.count = lines.value(2).toUInt();
    }
    return note;
}

void noteErase(const QString &folder, bool everything) { writeNote(folder, {everything ? kEraseAll : kEraseRequest}); }

void noteExport(const QString &folder) { writeNote(folder, {kExport}); }

void noteRecovery(const QString &folder, const QString &staging, const QString &backup)
{
    writeNote(folder, {kRecovery, staging, backup});
}

SaveBefore beforeSave(const QString &folder, const QList<std::pair<QString, qint64>> &tables)
{
    SaveBefore before;
    for (const auto &[path, record] : tables) {
        const std::unique_ptr<DbfTable> t = DbfTable::open(path);
        TableBefore table{QFileInfo(path).fileName(), t->recordCount(), {}};
        if (record >= 0 && record < t->recordCount())
            table.replaced.append({quint32(record), QByteArray(t->record(quint32(record)), t->recordLength())});
        before.tables.append(table);
    }
    const QString refundType = RequestChoices::refundTypeFile(folder);
    if (QFileInfo(refundType).isFile()) {
        QFile file(refundType);
        if (!file.open(QIODevice::ReadOnly))
            throw StoreError(QStringLiteral("No se pudo leer «%1»: %2.")
                                 .arg(RequestExchange::nativePath(refundType), file.errorString()));
        before.refundType = file.read(4096);
    }
    return before;
}

void noteSave(const QString &folder, const SaveBefore &before)
{
    // One line a table (its records, and the one rewritten in base64), the
    // refund type last.
    QStringList lines{kSave};
    for (const TableBefore &t : before.tables) {
        QStringList w{kSaveTable, t.table, QString::number(t.count)};
        for (const Replaced &r : t.replaced)
            w << QString::number(r.record) << QString::fromLatin1(r.bytes.toBase64());
        lines.append(w.join(u'\t'));
    }
    lines.append(before.refundType ? kSaveRefund + u'\t' + QString::fromLatin1(before.refundType->toBase64())
                                   : kSaveNoRefund);
    writeNote(folder, lines);
}

void undoTable(DbfTable &t, quint32 count, const QList<Replaced> &replaced)
{
    bool written = false;
    if (t.refreshCount() > count) {
        t.truncate(count);
        written = true;
    }
    for (const Replaced &r : replaced)
        if (r.record < t.recordCount() && r.bytes.size() == t.recordLength()
            && std::memcmp(t.record(r.record), r.bytes.constData(), size_t(r.bytes.size())) != 0) {
            t.writeRecord(r.record, r.bytes);
            written = true;
        }
    if (written)
        t.sync();
}

void undoRefundType(const QString &folder, const std::optional<QByteArray> &before)
{
    const QString path = RequestChoices::refundTypeFile(folder);
    QFile file(path);
    if (!before) {
        // Only a file of its name goes: anything else in its place is no
        // work of the save.
        if (QFileInfo(path).isFile())
            RequestChoices::removeRefundType(folder);
    } else if (!file.open(QIODevice::ReadOnly) || file.read(4096) != *before) {
        file.close();
        writeWhole(folder, path, *before);
    }
}

void noteRows(const QString &folder, const QString &table, quint32 count, const QList<Replaced> &replaced)
{
    // The replaced records first: the note that names them is the last
    // thing written, so a note is never without them.
    QByteArray bytes;
    for (const Replaced &r : replaced)
        bytes.append(reinterpret_cast<const char *>(&r.record), 4).append(r.bytes);
    QFile::remove(replacedFile(folder));
    if (!replaced.isEmpty())
        writeWhole(folder, replacedFile(folder), bytes);
    writeNote(folder, {kRows, table, QString::number(count)});
}

void undoRows(const QString &folder, const QString &table, quint32 count, const QList<Replaced> &replaced)
{
    const QString file = RequestExchange::findFile(folder, table);
    if (!file.isEmpty())
        undoTable(*DbfTable::open(file), count, replaced);
}

void clear(const QString &folder)
{
    const QString path = noteFile(folder);
    if (QFile::exists(path) && !QFile::remove(path))
        throw StoreError(QStringLiteral("No se pudo borrar «%1».").arg(RequestExchange::nativePath(path)));
    RequestExchange::syncFolder(folder);
    // Only once the note is gone: a note never outlives what it names.
    QFile::remove(replacedFile(folder));
}

QStringList erasedTables(bool everything)
{
    QStringList tables = RequestExchange::tables();
    if (!everything)
        tables.removeAll(QStringLiteral("empresas"));
    return tables;
}

void finish(const QString &folder)
{
    const Note note = pending(folder);
    switch (note.kind) {
    case Note::None:
        // A note this program cannot read is no work of its own.
        if (QFile::exists(noteFile(folder)))
            clear(folder);
        return;
    case Note::EraseAll:
    case Note::EraseRequest:
        eraseTables(folder, note.kind == Note::EraseAll);
        clear(folder);
        return;
    case Note::Recovery:
        RequestExchange::Recovery::resume(folder, note.staging, note.backup);
        clear(folder);
        RequestExchange::Recovery::removeLeftovers(folder, {});
        return;
    case Note::Export:
        // Nothing of the folder to finish: the start only says it.
        clear(folder);
        return;
    case Note::Save:
        for (const TableBefore &t : note.before.tables)
            undoRows(folder, t.table, t.count, t.replaced);
        undoRefundType(folder, note.before.refundType);
        clear(folder);
        return;
    case Note::Rows: {
        const QString file = RequestExchange::findFile(folder, note.table);
        undoRows(folder, note.table, note.count, file.isEmpty() ? QList<Replaced>() : readReplaced(folder, file));
        clear(folder);
        return;
    }
    }
}

void removeLeftovers(const QString &folder)
{
    // A note or a refund type cut while being written leaves its scratch
    // copy (QSaveFile's: the name and six characters).
    static const QRegularExpression scratch(QStringLiteral(R"(^\.quelvar\.(pendiente|devolucion|renglones|sumas)\.[A-Za-z0-9]{6}$)"));
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden))
        if (scratch.match(name).hasMatch())
            QFile::remove(dir.filePath(name));
    const Note note = pending(folder);
    if (note.kind != Note::Rows)
        QFile::remove(replacedFile(folder));
    RequestExchange::Recovery::removeLeftovers(folder, note.kind == Note::Recovery ? note.staging : QString());
}

} // namespace UnfinishedWork

#include "checks.h"

#include "exchange/request_exchange.h"
#include "exchange/unfinished_work.h"
#include "store/store_error.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace CrashTrial {

namespace {

const QString kCompany = QStringLiteral("empresas");
const QString kRequest = QStringLiteral("solicitu");

// Messages that say a table could not be written or read.
bool storeFailure(const QString &text)
{
    return text.startsWith(QLatin1String("No se pudo")) || text.startsWith(QLatin1String("No se recuperó"))
           || text.startsWith(QLatin1String("No se terminó"));
}

// An erase and a recovery first write what the window's boxes hold and
// the tables do not (the totals, say) into the company and request
// records: those may differ in their first row, or gain it when empty.
bool header(const QString &table) { return table == kCompany || table == kRequest; }

bool sameButFlushed(const QString &table, const QList<Row> &want, const QList<Row> &have)
{
    if (have == want)
        return true;
    if (!header(table))
        return false;
    return want.isEmpty() ? have.size() == 1 : have.size() == want.size() && have.mid(1) == want.mid(1);
}

// The rows of `have` are rows of `want`, in the same order.
bool keptInOrder(const QList<Row> &want, const QList<Row> &have)
{
    qsizetype w = 0;
    for (const Row &row : have) {
        while (w < want.size() && want[w] != row)
            ++w;
        if (w == want.size())
            return false;
        ++w;
    }
    return true;
}

} // namespace

QString difference(const QList<Row> &want, const QList<Row> &have)
{
    if (want.size() != have.size())
        return QStringLiteral("%1 renglones, se esperaban %2").arg(have.size()).arg(want.size());
    for (qsizetype r = 0; r < want.size(); ++r)
        for (qsizetype f = 0; f < std::max(want[r].size(), have[r].size()); ++f)
            if (want[r].value(f) != have[r].value(f))
                return QStringLiteral("renglón %1, campo %2: «%3», se esperaba «%4»")
                    .arg(r + 1)
                    .arg(f + 1)
                    .arg(have[r].value(f), want[r].value(f));
    return {};
}

TrialLog parseLog(const QByteArray &output)
{
    TrialLog log;
    QList<QStringList> current;
    const QList<QByteArray> lines = output.split('\n');
    log.cutLines = lines.last().isEmpty() ? 0 : 1;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QStringList w = words(lines[i]);
        const QString &kind = w.first();
        if (kind == QLatin1String("abierto")) {
            log.opened.append(w);
        } else if (kind == QLatin1String("listo")) {
            log.ready = true;
        } else if (kind == QLatin1String("fallo")) {
            log.failure = w.value(1);
        } else if (kind == QLatin1String("inicio")) {
            current = {w};
            log.inFlight = w;
        } else if (kind == QLatin1String("hecho")) {
            current.append(w);
            log.done.append(current);
            current.clear();
            log.inFlight.clear();
        } else if (!current.isEmpty()) {
            current.append(w);
        } else if (kind == QLatin1String("aviso") && storeFailure(w.value(1))) {
            log.failure = w.value(1); // a start that could not open a table
        }
    }
    return log;
}

Phase cutPhase(const TrialLog &log)
{
    if (!log.inFlight.isEmpty())
        return Phase(std::max(0, phaseIndex(log.inFlight.value(1))));
    return log.ready ? Phase::Between : Phase::Start;
}

Checker::Checker(const QString &folder, const Tables &medium, PythonReader &python)
    : folder_(folder), medium_(medium), python_(python)
{
}

Pending Checker::pending() const
{
    switch (UnfinishedWork::pending(folder_).kind) {
    case UnfinishedWork::Note::EraseAll:
    case UnfinishedWork::Note::EraseRequest:
        return Pending::Erase;
    case UnfinishedWork::Note::Recovery:
        return Pending::Recovery;
    default:
        return Pending::None;
    }
}

void Checker::applyDone(const QList<QStringList> &op, QStringList &faults)
{
    const QString phase = op.first().value(1);
    for (const QStringList &w : op) {
        const QString &kind = w.first();
        const QString table = w.value(1);
        if (kind == QLatin1String("registro")) {
            QList<Row> &rows = expected_[table];
            const int row = w.value(2).toInt();
            ++reportedWrites;
            if (row == rows.size())
                rows.append(w.mid(3));
            else if (row >= 0 && row < rows.size())
                rows[row] = w.mid(3);
            else
                faults.append(QStringLiteral("«%1» informó el renglón %2 de %3, que tiene %4")
                                  .arg(phase, w.value(2), table)
                                  .arg(rows.size()));
        } else if (kind == QLatin1String("borrada")) {
            QList<Row> &rows = expected_[table];
            const int row = w.value(2).toInt();
            ++reportedWrites;
            if (row >= 0 && row < rows.size())
                rows.removeAt(row);
            else
                faults.append(QStringLiteral("«%1» informó borrado el renglón %2 de %3, que tiene %4")
                                  .arg(phase, w.value(2), table)
                                  .arg(rows.size()));
        } else if (kind == QLatin1String("vaciada")) {
            expected_[table].clear();
        } else if (kind == QLatin1String("recuperado")) {
            expected_ = medium_;
        } else if (kind == QLatin1String("aviso") && storeFailure(w.value(1))) {
            faults.append(QStringLiteral("«%1» mostró: %2").arg(phase, w.value(1)));
        }
    }
}

QMap<QString, Checker::Read> Checker::readFolder(QStringList &faults)
{
    QMap<QString, Read> read;
    QStringList files;
    for (const QString &table : tables()) {
        Read r;
        r.file = RequestExchange::findFile(folder_, RequestExchange::fileOf(table));
        r.present = !r.file.isEmpty();
        if (r.present) {
            try {
                const Content content = readTable(r.file);
                r.rows = content.rows;
                r.fields = content.fields;
            } catch (const StoreError &e) {
                r.engineError = e.message();
            }
            files.append(QFileInfo(r.file).fileName());
        }
        read.insert(table, r);
    }
    const QMap<QString, PythonReader::Table> python = python_.read(folder_, files);
    for (auto it = read.begin(); it != read.end(); ++it) {
        Read &r = it.value();
        if (!r.present)
            continue;
        const PythonReader::Table p = python.value(QFileInfo(r.file).fileName());
        r.pythonError = p.error;
        ++tablesChecked;
        if (!r.engineError.isEmpty())
            faults.append(QStringLiteral("%1 no abre con el motor: %2").arg(it.key(), r.engineError));
        if (!r.pythonError.isEmpty())
            faults.append(QStringLiteral("%1 no abre con python3-dbf: %2").arg(it.key(), r.pythonError));
        if (r.engineError.isEmpty() && r.pythonError.isEmpty() && p.rows != r.rows)
            faults.append(QStringLiteral("python3-dbf no lee en %1 lo que lee el motor: %2")
                              .arg(it.key(), difference(r.rows, p.rows)));
    }
    return read;
}

void Checker::compareCut(const QStringList &cut, const QMap<QString, Read> &read, QStringList &faults)
{
    const int phase = cut.isEmpty() ? -1 : phaseIndex(cut.value(1));
    const QString target = cut.value(2);
    const Pending left = pending();
    Tables have;
    QSet<QString> missing;
    for (const QString &table : tables()) {
        if (!read[table].present)
            missing.insert(table);
        else
            have.insert(table, read[table].rows);
    }
    QSet<QString> settled; // tables whose cut rule has been applied
    const auto adopt = [&](const QString &table, bool cutReached) {
        if (cutReached)
            ++adoptedCuts;
        expected_[table] = have.value(table);
        settled.insert(table);
    };

    // The operation cut, table by table: what it may have left.
    if (phase == int(Phase::Save) || phase == int(Phase::Tab)) {
        for (const QString &table : {kCompany, kRequest}) {
            if (missing.contains(table))
                continue;
            const QList<Row> &want = expected_[table];
            const QList<Row> &got = have[table];
            const bool fits = want.isEmpty() ? got.size() <= 1 : got.size() == want.size() && got.mid(1) == want.mid(1);
            if (!fits)
                faults.append(QStringLiteral("«%1» cortado dejó %2 así: %3").arg(cut[1], table, difference(want, got)));
            adopt(table, got != want);
        }
    } else if ((phase == int(Phase::NewRow) || phase == int(Phase::EditRow) || phase == int(Phase::DeleteRow))
               && !missing.contains(target)) {
        const QList<Row> &want = expected_[target];
        const QList<Row> &got = have[target];
        const int key = int(read[target].fields.indexOf(keyField(target)));
        const int row = cut.value(3).toInt();
        bool fits = got == want;
        if (phase == int(Phase::NewRow))
            fits = fits || (got.size() == want.size() + 1 && got.mid(0, want.size()) == want
                            && got.last().value(key) == cut.value(3));
        else if (phase == int(Phase::EditRow))
            fits = fits || (got.size() == want.size() && row < want.size() && got.mid(0, row) == want.mid(0, row)
                            && got.mid(row + 1) == want.mid(row + 1) && got[row].value(key) == want[row].value(key));
        else {
            QList<Row> without = want;
            if (row < without.size())
                without.removeAt(row);
            fits = fits || got == without;
        }
        if (!fits)
            faults.append(QStringLiteral("«%1» cortado dejó %2 así: %3").arg(cut[1], target, difference(want, got)));
        adopt(target, got != want);
    } else if (phase == int(Phase::EraseAll) || phase == int(Phase::EraseRequest) || left == Pending::Erase) {
        // What the tables held before: the expected content when the erase
        // is the operation cut; when a start was cut before it ended an
        // earlier erase, what the folder showed after that cut.
        const Tables base = phase == int(Phase::EraseAll) || phase == int(Phase::EraseRequest) ? expected_ : pendingBase_;
        const bool companyToo = phase == int(Phase::EraseAll)
                                || UnfinishedWork::pending(folder_).kind == UnfinishedWork::Note::EraseAll;
        QStringList erased, kept, partly;
        for (const QString &table : tables()) {
            if ((!companyToo && table == kCompany) || missing.contains(table))
                continue;
            const QList<Row> &want = base[table];
            const QList<Row> &got = have[table];
            const bool flushed = sameButFlushed(table, want, got);
            if (!flushed && !keptInOrder(want, got))
                faults.append(QStringLiteral("el borrado cortado dejó en %1 renglones que no tenía: %2")
                                  .arg(table, difference(want, got)));
            if (!flushed)
                (got.isEmpty() ? erased : partly).append(table);
            else if (!want.isEmpty())
                kept.append(table);
            settled.insert(table);
        }
        if (left == Pending::Erase) {
            for (const QString &table : std::as_const(settled))
                expected_[table].clear(); // the next start finishes the erase
        } else if (!partly.isEmpty() || (!erased.isEmpty() && !kept.isEmpty())) {
            faults.append(QStringLiteral("borrado a medias: vaciadas %1; a medias %2; intactas %3")
                              .arg(erased.join(u','), partly.join(u','), kept.join(u',')));
            for (const QString &table : std::as_const(settled))
                adopt(table, true);
        } else {
            for (const QString &table : std::as_const(settled))
                adopt(table, have[table] != expected_[table]);
        }
    } else if (phase == int(Phase::Recover) || left == Pending::Recovery) {
        const Tables base = phase == int(Phase::Recover) ? expected_ : pendingBase_; // as for the erase
        QStringList before, fromDrive, absent, other;
        for (const QString &table : tables()) {
            settled.insert(table);
            if (missing.contains(table)) {
                absent.append(table);
                continue;
            }
            const bool old = sameButFlushed(table, base[table], have[table]);
            const bool read = have[table] == medium_.value(table);
            if (old)
                before.append(table);
            if (read)
                fromDrive.append(table);
            if (!old && !read)
                other.append(table);
        }
        if (!other.isEmpty())
            faults.append(QStringLiteral("la recuperación cortada dejó tablas que no son ni las de antes ni las de la "
                                         "unidad A: %1")
                              .arg(other.join(u',')));
        if (left == Pending::Recovery) {
            expected_ = medium_; // the next start finishes the recovery
        } else if (before.size() == tables().size()) {
            for (const QString &table : tables())
                adopt(table, false);
        } else if (fromDrive.size() == tables().size()) {
            ++adoptedCuts;
            expected_ = medium_;
        } else {
            faults.append(QStringLiteral("recuperación a medias: de antes %1; de la unidad A %2; faltan %3")
                              .arg(before.join(u','), fromDrive.join(u','), absent.join(u',')));
            for (const QString &table : tables())
                if (!missing.contains(table))
                    adopt(table, false);
        }
    }

    // Unfinished work stays to be judged at the next check against what the
    // folder holds now.
    if (left != Pending::None)
        for (const QString &table : tables())
            if (!missing.contains(table))
                pendingBase_[table] = have[table];

    // Every other table is exactly as the log says; a missing table that
    // no unfinished work explains leaves the folder unusable.
    for (const QString &table : tables()) {
        if (missing.contains(table)) {
            if (left != Pending::Recovery) {
                faults.append(QStringLiteral("falta la tabla %1 en la carpeta").arg(table));
                broken_ = true;
            }
            continue;
        }
        if (settled.contains(table))
            continue;
        if (have[table] != expected_[table]) {
            faults.append(QStringLiteral("%1 no tiene lo informado: %2").arg(table, difference(expected_[table], have[table])));
            expected_[table] = have[table]; // from here on, what the folder holds
        }
    }
    for (const QString &table : tables())
        recordsChecked += have.value(table).size();
}

void Checker::checkLeftovers(bool started, QStringList &faults)
{
    // Besides the tables: the lock, the refund type, the note of unfinished
    // work and the backups.
    const QSet<QString> known{QStringLiteral(".quelvar.lock"), QStringLiteral(".quelvar.devolucion"),
                              QStringLiteral(".quelvar.pendiente"), QStringLiteral("respaldos")};
    const QDir dir(folder_);
    QSet<QString> now;
    for (const QString &name : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (known.contains(name) || name.endsWith(QLatin1String(".dbf"), Qt::CaseInsensitive))
            continue;
        now.insert(name);
        if (!seenLeftovers_.contains(name)) {
            seenLeftovers_.insert(name);
            ++leftovers;
        }
        QString shape = name;
        shape.replace(QRegularExpression(QStringLiteral("[A-Za-z0-9]{6}$")), QStringLiteral("XXXXXX"));
        if (!leftoverNames.contains(shape) && leftoverNames.size() < 10)
            leftoverNames.append(shape);
    }
    // A start clears what earlier kills left.
    if (started)
        for (const QString &name : std::as_const(lastLeftovers_))
            if (now.contains(name))
                faults.append(QStringLiteral("«%1», que dejó un corte anterior, sigue tras el arranque").arg(name));
    lastLeftovers_ = now;
    // Backups beyond the five kept.
    const int backups = int(QDir(dir.filePath(QStringLiteral("respaldos"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
    mostBackups = std::max(mostBackups, backups);
}

QStringList Checker::check(const TrialLog &log)
{
    QStringList faults;
    broken_ = false;
    if (!log.failure.isEmpty()) {
        faults.append(QStringLiteral("el programa no arrancó: ") + log.failure);
        broken_ = true;
    }
    if (log.cutLines > 0)
        faults.append(QStringLiteral("el registro del hijo tiene una línea cortada"));
    // What the window opened with is what the folder was left holding.
    for (const QStringList &w : log.opened) {
        const QList<Row> &want = expected_.value(w.value(1));
        if (w.value(2).toInt() != want.size() || w.value(3) != rowsHash(want))
            faults.append(QStringLiteral("al abrir, la ventana mostró %1 renglones de %2 (se esperaban %3%4)")
                              .arg(w.value(2), w.value(1))
                              .arg(want.size())
                              .arg(w.value(2).toInt() == want.size() ? QStringLiteral(", con otro contenido")
                                                                     : QString()));
    }
    for (const QList<QStringList> &op : log.done)
        applyDone(op, faults);
    const QMap<QString, Read> read = readFolder(faults);
    bool unreadable = false;
    for (const Read &r : read)
        unreadable = unreadable || !r.engineError.isEmpty() || !r.pythonError.isEmpty();
    if (unreadable)
        broken_ = true;
    else
        compareCut(log.inFlight, read, faults);
    checkLeftovers(log.ready, faults);
    return faults;
}

} // namespace CrashTrial

#include "parent.h"

#include "checks.h"
#include "protocol.h"
#include "python_reader.h"
#include "runner.h"

#include "complete_request.h"

#include "exchange/request_exchange.h"
#include "store/store_error.h"

#include <QCryptographicHash>
#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/wait.h>

namespace CrashTrial {

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

// The request the trials start from, and the one on drive A.
RequestFixture::Records startingRequest()
{
    RequestFixture::Records r = completeRequest({});
    QVariantMap second = r["insupedi"].first();
    second.insert("NUM_DOCUME", "111222333444555");
    r["insupedi"].append(second);
    QVariantMap invoice = r["factura"].first();
    invoice.insert("NODOC", "998877");
    r["factura"].append(invoice);
    return r;
}

RequestFixture::Records driveRequest()
{
    RequestFixture::Records r = completeRequest({{"MER_RET", "N"}});
    r["empresas"][0].insert("NOMBRE", "IMPORTADORA DEL SUR, ÑANDÚ");
    for (int i = 0; i < 3; ++i) {
        QVariantMap row = r["insupedi"].first();
        row.insert("NUM_DOCUME", QStringLiteral("70000000000000%1").arg(i));
        r["insupedi"].append(row);
    }
    return r;
}

// Writes the request's tables (and the catalogues) into the folder.
void writeRequest(const QString &folder, const RequestFixture::Records &records)
{
    RequestFixture fixture;
    const QString error = fixture.create(records);
    if (!error.isEmpty())
        throw StoreError(QStringLiteral("python3-dbf no escribió la solicitud: ") + error);
    QDir().mkpath(folder);
    for (const QString &file : QDir(fixture.folder()).entryList(QDir::Files))
        if (!QFile::copy(QDir(fixture.folder()).filePath(file), QDir(folder).filePath(file)))
            throw StoreError(QStringLiteral("no se pudo copiar %1 a %2").arg(file, folder));
}

Tables readRequest(const QString &folder)
{
    Tables content;
    for (const QString &table : tables())
        content.insert(table, readTable(RequestExchange::findFile(folder, RequestExchange::fileOf(table))).rows);
    return content;
}

QByteArray folderDigest(const QString &folder)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const QDir dir(folder);
    for (const QString &file : dir.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        QFile f(dir.filePath(file));
        if (f.open(QIODevice::ReadOnly))
            hash.addData(file.toUtf8() + '\0' + f.readAll());
    }
    return hash.result();
}

QString tail(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = f.readAll();
    return QString::fromLocal8Bit(all.right(600)).trimmed();
}

} // namespace

int runParent(const QString &self, const ParentOptions &options)
{
    const quint32 seed = options.seedGiven ? options.seed : QRandomGenerator::global()->generate();
    QRandomGenerator rng(seed);
    std::unique_ptr<QTemporaryDir> scratch;
    QString work = options.workFolder;
    if (work.isEmpty()) {
        scratch = std::make_unique<QTemporaryDir>(QDir::temp().filePath(QStringLiteral("quelvar-ensayo-cortes-XXXXXX")));
        work = scratch->path();
    }
    QDir().mkpath(work);
    const QString folder = QDir(work).filePath(QStringLiteral("solicitud"));
    const QString drive = QDir(work).filePath(QStringLiteral("unidad-a"));
    const QString errors = QDir(work).filePath(QStringLiteral("hijo-errores.txt"));
    out() << "Ensayos de cortes: " << options.trials << " ensayos, semilla " << seed << ", carpeta " << work << Qt::endl;

    PythonReader python;
    if (const QString why = python.start(); !why.isEmpty()) {
        out() << "python3-dbf: " << why << Qt::endl;
        return 2;
    }
    Tables medium;
    try {
        QDir(folder).removeRecursively();
        QDir(drive).removeRecursively();
        const QString exported = QDir(work).filePath(QStringLiteral("exportada"));
        QDir(exported).removeRecursively();
        writeRequest(exported, driveRequest());
        QDir().mkpath(drive);
        // Drive A holds the request as command 4 leaves it.
        for (const QString &table : tables())
            RequestExchange::copyTable(exported, drive, RequestExchange::fileOf(table));
        RequestExchange::verifyCopies(exported, drive);
        medium = readRequest(drive);
        writeRequest(folder, startingRequest());
    } catch (const StoreError &e) {
        out() << "No se pudo preparar el ensayo: " << e.message() << Qt::endl;
        return 2;
    }
    const QByteArray driveDigest = folderDigest(drive);
    Checker checker(folder, medium, python);
    checker.reset(readRequest(folder));

    Runner runner(self, folder, drive, errors);
    QList<int> cuts(kPhases, 0);
    QMap<QString, int> cutTargets;         // phase and table
    QList<std::pair<int, QString>> failures;
    int rebuilt = 0;
    qint64 operations = 0;

    for (int trial = 1; trial <= options.trials; ++trial) {
        const KillPlan plan = runner.plan(rng, options.windowMs);
        const ChildRun run = runner.run(rng.generate(), plan);
        const TrialLog log = parseLog(run.output);
        operations += log.done.size();
        const Phase cut = cutPhase(log);
        ++cuts[int(cut)];
        if (!log.inFlight.isEmpty())
            ++cutTargets[log.inFlight.mid(1, 2).join(u' ')];

        QStringList faults = checker.check(log);
        if (!run.killed)
            faults.prepend(QStringLiteral("el programa terminó solo (estado %1): %2")
                               .arg(WIFEXITED(run.status) ? WEXITSTATUS(run.status) : -WTERMSIG(run.status))
                               .arg(tail(errors)));
        for (const QString &f : std::as_const(faults))
            failures.append({trial, QStringLiteral("[%1] %2").arg(phaseName(cut), f)});
        if (options.verbose || !faults.isEmpty())
            out() << "ensayo " << trial << ": corte en «" << phaseName(cut)
                  << (log.inFlight.size() > 2 ? u' ' + log.inFlight.mid(2).join(u' ') : QString()) << "» "
                  << (run.cutMs >= 0 ? QString::number(run.cutMs, 'f', 1) + QStringLiteral(" ms tras «listo»")
                                     : QStringLiteral("al arrancar"))
                  << ", " << log.done.size() << " operaciones" << (faults.isEmpty() ? QString() : QStringLiteral(": ") + faults.join(QStringLiteral("; ")))
                  << Qt::endl;
        if (checker.broken()) {
            // The folder is beyond the next start: it is made again so that
            // the trials go on.
            ++rebuilt;
            try {
                QDir(folder).removeRecursively();
                writeRequest(folder, startingRequest());
                checker.reset(readRequest(folder));
            } catch (const StoreError &e) {
                out() << "No se pudo rehacer la carpeta: " << e.message() << Qt::endl;
                return 2;
            }
        }
    }
    if (folderDigest(drive) != driveDigest)
        failures.append({0, QStringLiteral("la unidad A cambió: una recuperación escribió en ella")});

    out() << "\nEnsayos: " << options.trials << " (semilla " << seed << ")\n";
    out() << "Operaciones terminadas e informadas: " << operations << "\n";
    out() << "Cortes por fase:\n";
    for (int p = 0; p < kPhases; ++p)
        out() << "  " << phaseName(Phase(p)).leftJustified(20) << cuts[p] << "\n";
    out() << "Cortes por operación y tabla:";
    for (auto it = cutTargets.cbegin(); it != cutTargets.cend(); ++it)
        out() << " " << it.key() << "=" << it.value() << ";";
    out() << "\nTablas revisadas (motor y python3-dbf): " << checker.tablesChecked << "\n";
    out() << "Registros revisados campo por campo: " << checker.recordsChecked << "\n";
    out() << "Escrituras y borrados informados: " << checker.reportedWrites
          << "; operaciones cortadas que llegaron a las tablas: " << checker.adoptedCuts << "\n";
    out() << "Respaldos a la vez, como mucho: " << checker.mostBackups << "\n";
    out() << "Restos dejados en la carpeta: " << checker.leftovers
          << (checker.leftoverNames.isEmpty() ? QString() : QStringLiteral(" (") + checker.leftoverNames.join(QStringLiteral(", ")) + u')')
          << "\n";
    out() << "Carpetas rehechas: " << rebuilt << "\n";
    out() << "Fallas: " << failures.size() << "\n";
    for (qsizetype i = 0; i < failures.size() && i < 60; ++i)
        out() << "  ensayo " << failures[i].first << ": " << failures[i].second << "\n";
    out().flush();
    return failures.isEmpty() ? 0 : 1;
}

} // namespace CrashTrial

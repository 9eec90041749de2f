// quelvar-ensayo-cortes: QUELVAR killed at random moments while it saves,
// writes and deletes rows, erases and recovers the request, and the request
// folder checked after each kill (README, "Ensayos de cortes").
//
// The child is the real program started on the folder, working through
// scenario lines. It runs traced, with a seccomp filter that stops it before
// every call that can change a file (writes, renames, links, unlinks,
// truncations, syncs): the parent kills it before the Nth of them, N at
// random, so that every state the folder passes through can be the last.
// The child logs to a file, one write(2) per line, what the window holds
// after each operation and which operation it starts.
#include "complete_request.h"
#include "scenario_runner.h"

#include "app/program_start.h"
#include "grids/record_table_model.h"
#include "exchange/request_exchange.h"
#include "exchange/unfinished_work.h"
#include "platform/folder_lock.h"
#include "platform/spanish_translation.h"
#include "python_dbf.h"
#include "store/data_link.h"
#include "store/dbf_table.h"
#include "store/field_codec.h"
#include "store/recordset.h"
#include "store/request_links.h"
#include "store/store_error.h"

#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using Tables = QMap<QString, QList<QStringList>>; // the live rows of each table, each field as text
const QStringList &tables() { return RequestExchange::tables(); }

QString valueText(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Double: return FieldCodec::plainNumber(v.toDouble());
    case QMetaType::QDate: return v.toDate().toString(Qt::ISODate);
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("T") : QStringLiteral("F");
    default: return v.toString();
    }
}

QString keyField(const QString &table)
{
    static const QMap<QString, QString> keys{
        {"insunit", "FRACCION"}, {"insupedi", "NUM_DOCUME"}, {"exporped", "NO_PEDIMEN"}, {"factura", "NODOC"},
        {"impTLC", "FRACCION"}};
    return keys.value(table);
}

// ---------------------------------------------------------------- the child

// A line of the child's log: one write, whole or absent after a kill.
void say(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    const int fd = ::open(qgetenv("QUELVAR_ENSAYO_REGISTRO").constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
        ::_exit(3);
    ::close(fd);
}

// What each grid's new row gets: k the key, d a date, t a name, c an amount
// with cents, A-B a figure between A and B (the used ones below the totals).
struct Grid {
    QString name, table, tab, cells;
};
const QList<Grid> kGrids{
    {"dbCU", "insunit", "4", "FRACCION=k DESCRIP=t COSTO_UNIT=c TASA_ADVAL=1-20"},
    {"dbMI", "insupedi", "5", "NUM_DOCUME=k FEC_PAGO=d CAN_MIMP=500-999 CAN_MRETSO=1-400 VAL_TOT_IN=5000-9999 VALINCREAL=1-4000"},
    {"dbED", "exporped", "6", "NO_PEDIMEN=k FECHA_PEDI=d CANT_TOTAL=5000-9999 CANT_UTIL=1-4000 VAL_TOTPED=50000-99999 VALOR_UTI=1-4000"},
    {"dbEI", "factura", "7", "NODOC=k FECHADOC=d CANT_TOTAL=5000-9999 CANT_UTIL=1-4000 VALTOTNP=50000-99999 VALREPNP=1-4000 NOM_EXPIDE=t"},
    {"dbITLC", "impTLC", "8", "FRACCION=k FECHA=d CAN_MIMP=1-999 PU_MIMP=c TASA_ADVAL=1-20 MONT_SOLIC=1-999"},
};
const char *const kBoxes[] = {"txtRSocial", "txtDireccion", "txtColonia", "txtNRLegal", "txtProducto", "txtTelefono", "txtCuenta", "txtCantidadExp"};

class Child {
public:
    Child(const QString &folder, quint32 seed) : folder_(folder), rng_(seed) {}

    int run()
    {
        MessageBox::setScripted(true);
        program_ = startProgram({QCoreApplication::applicationFilePath(), folder_});
        if (!program_->window)
            return say("fallo\t" + MessageBox::shownTexts().join(" / ")), 1;
        runner_.harness().window = std::move(program_->window);
        window()->show();
        window()->activateWindow();
        if (!QTest::qWaitForWindowActive(window()))
            return say("fallo\tla ventana no se activó"), 1;
        say("abierto\t" + state());
        for (;;)
            step();
    }

private:
    FrmQuelvar *window() { return runner_.harness().window.get(); }
    // What the window holds in each table.
    QString state()
    {
        QJsonObject out;
        const QList<DataLink *> links = window()->links()->requestLinks();
        for (qsizetype t = 0; t < tables().size(); ++t) {
            QJsonArray rows;
            Recordset *rs = links.value(t)->recordset();
            for (int r = 0; rs && r < rs->rowCount(); ++r) {
                QStringList row;
                for (int f = 0; f < rs->fieldCount(); ++f)
                    row.append(valueText(rs->valueAt(r, f)));
                rows.append(QJsonArray::fromStringList(row));
            }
            out.insert(tables()[t], rows);
        }
        return QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Compact));
    }
    bool run(const QString &line) { return runner_.runLine(line); }
    QString figure(const QString &spec)
    {
        const QStringList range = spec.split(u'-');
        return QString::number(rng_.bounded(range[0].toInt(), range[1].toInt() + 1));
    }
    BoundGrid *grid(const Grid &g) { return runner_.harness().get<BoundGrid>(g.name); }
    bool shown(BoundGrid *view, const QString &field)
    {
        for (int c = 0; c < view->ColumnsCount(); ++c)
            if (view->Columns(c).DataField().compare(field, Qt::CaseInsensitive) == 0)
                return !view->isColumnHidden(c) && !view->recordModel()->isLocked(c);
        return false;
    }
    // Leaves the row as the user does; a row refused is dropped.
    void leaveRow(BoundGrid *view, bool up)
    {
        run(up ? "key Up" : "key Down");
        if (view->hasPendingRow())
            run("key Escape"), run("key Escape");
    }

    void step()
    {
        run("answer Yes Yes Yes"); // every question of an operation: erase, recovery, deletion, unit costs
        const Grid &g = kGrids[rng_.bounded(int(kGrids.size()))];
        const int roll = int(rng_.bounded(72));
        QTabWidget *tabs = runner_.harness().tabs();
        if (roll < 30 && tabs->currentIndex() != g.tab.toInt()) { // the grid's tab first: a change of tab saves
            say("inicio\tpestaña");
            run("tab " + g.tab);
            done();
        }
        if (roll < 30) {
            if (tabs->currentIndex() != g.tab.toInt())
                return;
            BoundGrid *view = grid(g);
            const int count = view->recordModel()->recordCount();
            if (roll < 14) { // a new row, typed cell by cell and written
                const QString key = QString::number(rng_.generate64() % 100000000).rightJustified(8, u'0');
                say(QStringLiteral("inicio\tnueva\t%1\t%2").arg(g.table, key));
                for (const QString &cell : g.cells.split(u' ')) {
                    const auto [field, kind] = std::pair(cell.section(u'=', 0, 0), cell.section(u'=', 1));
                    if (!shown(view, field))
                        continue;
                    const QString text = kind == "k" ? key
                                         : kind == "d" ? QDate::currentDate().addDays(-rng_.bounded(40)).toString("dd/MM/yyyy")
                                         : kind == "t" ? "NOMBRE " + figure("1-999")
                                         : kind == "c" ? figure("1-99") + "." + figure("10-99")
                                                       : figure(kind);
                    run(QStringLiteral("cell %1 %2 %3").arg(g.name).arg(count).arg(field));
                    run("type " + text);
                    run("key Tab");
                }
                leaveRow(view, false);
            } else if (roll < 22 && count > 0) { // a stored row typed over
                const int row = int(rng_.bounded(count));
                const QString cell = g.cells.split(u' ').last();
                if (!shown(view, cell.section(u'=', 0, 0)))
                    return;
                say(QStringLiteral("inicio\teditada\t%1\t%2").arg(g.table).arg(row));
                run(QStringLiteral("cell %1 %2 %3").arg(g.name).arg(row).arg(cell.section(u'=', 0, 0)));
                run("type " + (cell.endsWith("=t") ? "OTRO " + figure("1-999") : figure(cell.section(u'=', 1))));
                run("key Tab");
                leaveRow(view, row > 0);
            } else if (count > 0) { // a row deleted: no verb selects a whole row, so the grid is driven directly
                const int row = int(rng_.bounded(count));
                say(QStringLiteral("inicio\tborrada\t%1\t%2").arg(g.table).arg(row));
                view->clearSelection();
                view->setCurrentIndex(view->model()->index(row, 0));
                view->setFocus();
                run("key Delete");
            } else {
                return;
            }
        } else if (roll < 60) { // boxes typed into, then a save or a change of tab
            const bool save = roll < 48;
            say(save ? "inicio\tgrabar" : "inicio\tpestaña");
            for (int i = int(rng_.bounded(1, 4)); i > 0; --i) {
                const QString box = QString::fromLatin1(kBoxes[rng_.bounded(int(std::size(kBoxes)))]);
                for (int t = 0; t < tabs->count(); ++t)
                    if (tabs->widget(t)->isAncestorOf(runner_.harness().get(box)) && tabs->currentIndex() != t)
                        run("tab " + QString::number(t));
                if (run("click " + box))
                    run("type " + figure("1-99"));
            }
            run(save ? "click cmdAccion(6)" : "tab " + QString::number(rng_.bounded(4)));
        } else if (roll < 66) {
            say(roll < 63 ? "inicio\tborrar todo" : "inicio\tborrar solicitud");
            run(roll < 63 ? "click cmdAccion(2)" : "click cmdAccion(3)");
        } else {
            say("inicio\trecuperar");
            run("click cmdAccion(7)");
        }
        done();
    }
    void done()
    {
        for (const QString &text : MessageBox::shownTexts())
            if (text.startsWith(QLatin1String("No se pudo")))
                say("fallo\t" + text);
        MessageBox::clearShown();
        say("hecho\t" + state());
    }

    QString folder_;
    QRandomGenerator rng_;
    std::unique_ptr<RunningProgram> program_;
    ScenarioRunner runner_;
};

// --------------------------------------------------------------- the parent

struct ChildEnd {
    bool killed = false, timedOut = false;
    int stops = 0, status = 0;
};

// Runs the child traced and kills it before its killAt-th call that can
// change a file (or after two minutes).
ChildEnd runTraced(const QByteArrayList &args, int killAt)
{
    static const int kCalls[] = {SYS_pwrite64, SYS_pwritev, SYS_pwritev2, SYS_rename,   SYS_renameat, SYS_renameat2,
                                 SYS_link,     SYS_linkat,  SYS_unlink,   SYS_unlinkat, SYS_rmdir,    SYS_mkdir,
                                 SYS_mkdirat,  SYS_truncate, SYS_ftruncate, SYS_fsync,  SYS_fdatasync};
    const int n = int(std::size(kCalls));
    std::vector<sock_filter> filter{BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr))};
    for (int i = 0; i < n; ++i)
        filter.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, quint32(kCalls[i]), quint8(n - i), 0));
    filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRACE));
    const sock_fprog program{quint16(filter.size()), filter.data()};
    std::vector<char *> argv;
    for (const QByteArray &a : args)
        argv.push_back(const_cast<char *>(a.constData()));
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        const int errors = ::open(qgetenv("QUELVAR_ENSAYO_ERRORES").constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(errors, 2);
        ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        ::raise(SIGSTOP);
        if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0)
            ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ChildEnd end;
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACESECCOMP | PTRACE_O_TRACECLONE | PTRACE_O_EXITKILL);
    ::ptrace(PTRACE_CONT, pid, nullptr, nullptr);
    ::alarm(120);
    for (;;) {
        const pid_t who = ::waitpid(-1, &status, __WALL);
        if (who < 0 && errno == EINTR) { // the alarm
            end.timedOut = !end.killed;
            end.killed = true;
            ::kill(pid, SIGKILL);
            continue;
        }
        if (who < 0 || (who == pid && !WIFSTOPPED(status))) {
            end.status = status;
            break;
        }
        if (!WIFSTOPPED(status))
            continue;
        int signal = WSTOPSIG(status);
        if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_SECCOMP << 8)) && ++end.stops == killAt && !end.killed) {
            ::kill(pid, SIGKILL);
            end.killed = true;
        }
        if (signal == SIGTRAP || signal == SIGSTOP || status >> 16 != 0)
            signal = 0; // the tracing's own stops
        ::ptrace(PTRACE_CONT, who, nullptr, signal);
    }
    ::alarm(0);
    return end;
}

struct Disk {
    Tables rows;
    QMap<QString, QStringList> fields;
};

// The folder's tables as our engine and python3-dbf read them.
Disk readFolder(const QString &folder, QStringList &faults, bool missingOk = false)
{
    Disk disk;
    QStringList files;
    for (const QString &t : tables()) {
        const QString path = RequestExchange::findFile(folder, RequestExchange::fileOf(t));
        if (path.isEmpty()) {
            if (!missingOk)
                faults << "falta la tabla " + t;
            continue;
        }
        files << QFileInfo(path).fileName();
        try {
            const std::unique_ptr<DbfTable> table = DbfTable::open(path);
            QList<QStringList> &rows = disk.rows[t];
            for (int f = 0; f < table->fieldCount(); ++f)
                disk.fields[t] << table->field(f).name;
            for (quint32 n = 0; n < table->recordCount(); ++n) {
                const char *record = table->record(n);
                QStringList row;
                for (int f = 0; f < table->fieldCount(); ++f)
                    row << valueText(table->value(record, f));
                if (record[0] != '*')
                    rows << row;
            }
        } catch (const StoreError &e) {
            faults << QStringLiteral("%1 no abre con el motor: %2").arg(t, e.message());
        }
        // The count in the header never covers bytes the file does not hold.
        QFile file(path);
        const QByteArray h = file.open(QIODevice::ReadOnly) ? file.read(12) : QByteArray(12, '\0');
        const auto *u = reinterpret_cast<const uchar *>(h.constData());
        const qint64 counted = qFromLittleEndian<quint32>(u + 4);
        if (file.size() < qFromLittleEndian<quint16>(u + 8) + counted * qFromLittleEndian<quint16>(u + 10))
            faults << QStringLiteral("%1: la cabecera cuenta %2 registros y el archivo no los tiene").arg(t).arg(counted);
    }
    QString error;
    const QJsonObject python = QJsonDocument::fromJson(PythonDbf::runTool(QStringList{"dumpall", folder} + files, {}, &error)).object();
    if (!error.isEmpty())
        faults << "python3-dbf no lee la carpeta: " + error.right(300);
    for (qsizetype i = 0; error.isEmpty() && i < files.size(); ++i) {
        const QString t = files[i].chopped(4);
        int live = 0;
        for (const QJsonValue r : python[files[i]][QLatin1String("records")].toArray())
            live += r[QLatin1String("deleted")].toBool() ? 0 : 1;
        if (disk.rows.contains(t) && live != disk.rows[t].size())
            faults << QStringLiteral("%1: python3-dbf lee %2 registros y el motor %3").arg(t).arg(live).arg(disk.rows[t].size());
    }
    return disk;
}

Tables tablesOf(const QString &json)
{
    Tables out;
    const QJsonObject o = QJsonDocument::fromJson(json.toUtf8()).object();
    for (auto it = o.begin(); it != o.end(); ++it)
        for (const QJsonValue row : it.value().toArray())
            out[it.key()] << row.toVariant().toStringList();
    return out;
}

// What a note of unfinished work leaves once the next start has finished it.
Tables finishedOf(UnfinishedWork::Note::Kind kind, const Tables &now, const Tables &medium)
{
    Tables out;
    for (const QString &t : tables())
        if (kind == UnfinishedWork::Note::Recovery)
            out[t] = medium.value(t);
        else if (kind == UnfinishedWork::Note::EraseAll || (kind == UnfinishedWork::Note::EraseRequest && t != "empresas"))
            out[t] = {};
        else
            out[t] = now.value(t);
    return out;
}

RequestFixture::Records startingRequest()
{
    RequestFixture::Records r = completeRequest({});
    r["insupedi"].append(r["insupedi"].first());
    r["insupedi"].last().insert("NUM_DOCUME", "111222333444555");
    r["factura"].append(r["factura"].first());
    r["factura"].last().insert("NODOC", "998877");
    return r;
}

RequestFixture::Records driveRequest()
{
    RequestFixture::Records r = completeRequest({{"MER_RET", "N"}});
    r["empresas"][0].insert("NOMBRE", "IMPORTADORA DEL SUR, ÑANDÚ");
    for (int i = 0; i < 3; ++i) {
        r["insupedi"].append(r["insupedi"].first());
        r["insupedi"].last().insert("NUM_DOCUME", QStringLiteral("70000000000000%1").arg(i));
    }
    return r;
}

// Writes the request's tables (and the catalogues) into the folder, or only
// its tables as "Generar disco" copies them.
void writeRequest(const QString &folder, const RequestFixture::Records &records, bool tablesOnly = false)
{
    RequestFixture fixture;
    if (const QString error = fixture.create(records); !error.isEmpty())
        throw StoreError("python3-dbf no escribió la solicitud: " + error);
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QStringList files = QDir(fixture.folder()).entryList(QDir::Files);
    for (const QString &file : files)
        if (!tablesOnly || tables().contains(file.chopped(4)))
            RequestExchange::copyTable(fixture.folder(), folder, file);
}

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--hijo") == 0) {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("quelvar"));
        SpanishTranslation::install();
        try {
            return Child(QString::fromLocal8Bit(argv[2]), quint32(std::strtoul(argv[3], nullptr, 10))).run();
        } catch (const StoreError &e) {
            say("fallo\t" + e.message());
            return 1;
        }
    }
    QCoreApplication app(argc, argv);
    int trials = 1000, limit = 300;
    quint32 seed = QRandomGenerator::global()->generate();
    bool verbose = false;
    QString work;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i], value = i + 1 < argc ? QByteArray(argv[i + 1]) : QByteArray();
        bool number = false;
        const uint n = value.toUInt(&number);
        if (arg == "--detalle")
            verbose = true;
        else if (arg == "--carpeta" && !value.isEmpty())
            work = QString::fromLocal8Bit(argv[++i]);
        else if (arg == "--ensayos" && number && n > 0 && ++i)
            trials = int(n);
        else if (arg == "--semilla" && number && ++i)
            seed = n;
        else if (arg == "--pasos" && number && n > 0 && ++i)
            limit = int(n);
        else {
            std::fputs("uso: quelvar-ensayo-cortes [--ensayos N] [--semilla S] [--pasos N] [--carpeta DIR] [--detalle]\n"
                       "  --ensayos N    cuántas veces se inicia y se corta el programa (1000)\n"
                       "  --semilla S    repite una corrida anterior\n"
                       "  --pasos N      el corte cae antes de una de las primeras N escrituras del programa (300)\n"
                       "  --carpeta DIR  trabaja en DIR y la deja (si no, una carpeta temporal que se borra)\n"
                       "  --detalle      una línea por ensayo\n",
                       stderr);
            return 2;
        }
    }
    QTemporaryDir scratch(QDir::temp().filePath("quelvar-ensayo-cortes-XXXXXX"));
    work = QDir(work.isEmpty() ? scratch.path() : work).absolutePath();
    const QString folder = work + "/solicitud", drive = work + "/unidad-a", log = work + "/registro.txt";
    QTextStream out(stdout);
    out << "Ensayos de cortes: " << trials << " ensayos, semilla " << seed << ", carpeta " << work << Qt::endl;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QUELVAR_UNIDAD_A", QFile::encodeName(drive));
    qputenv("QUELVAR_ENSAYO_REGISTRO", QFile::encodeName(log));
    qputenv("QUELVAR_ENSAYO_ERRORES", QFile::encodeName(work + "/hijo-errores.txt"));
    struct sigaction alarm {};
    alarm.sa_handler = [](int) {}; // only to interrupt waitpid
    ::sigaction(SIGALRM, &alarm, nullptr);

    QStringList faults;
    Tables want, disk, medium;
    const auto rebuild = [&] {
        writeRequest(folder, startingRequest());
        want = disk = readFolder(folder, faults).rows;
    };
    try {
        writeRequest(drive, driveRequest(), true);
        medium = readFolder(drive, faults).rows;
        rebuild();
    } catch (const StoreError &e) {
        faults << e.message();
    }
    if (!faults.isEmpty())
        return out << "No se pudo preparar el ensayo: " << faults.join("; ") << Qt::endl, 2;

    QRandomGenerator rng(seed);
    QMap<QString, int> cuts;
    QList<std::pair<int, QString>> failures;
    qint64 operations = 0, records = 0, reached = 0, timeouts = 0, rebuilt = 0;
    for (int trial = 1; trial <= trials; ++trial) {
        QFile::remove(log);
        const auto before = UnfinishedWork::pending(folder).kind;
        const ChildEnd end = runTraced({QFile::encodeName(app.applicationFilePath()), "--hijo", QFile::encodeName(folder),
                                        QByteArray::number(rng.generate())},
                                       1 + int(rng.bounded(limit)));
        timeouts += end.timedOut;

        // The log: what the window opened with, what each finished operation
        // left, the operation cut.
        QFile file(log);
        QByteArrayList lines = file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QByteArrayList{};
        if (!lines.isEmpty())
            lines.removeLast(); // the part after the last line break
        faults.clear();
        bool opened = false;
        Tables old = disk;
        QStringList cut;
        for (const QByteArray &line : std::as_const(lines)) {
            const QStringList w = QString::fromUtf8(line).split(u'\t');
            for (const QString &t : tables())
                if (w[0] == "abierto" && (opened = true) && tablesOf(w.value(1))[t] != want[t])
                    faults << "al abrir, la ventana no mostró lo que la carpeta tenía en " + t;
            if (w[0] == "abierto" || w[0] == "hecho")
                old = tablesOf(w.value(1)), cut.clear(), operations += w[0] == "hecho";
            else if (w[0] == "inicio")
                cut = w;
            else if (w[0] == "fallo")
                faults << "el programa mostró: " + w.value(1);
        }
        if (!end.killed)
            faults << QStringLiteral("el programa terminó solo (estado %1)").arg(end.status);
        const QString op = !opened ? "arranque" : cut.isEmpty() ? "entre operaciones" : cut[1];
        ++cuts[op];

        // The folder: readable, the count whole, each table as before the
        // operation cut or as that operation leaves it.
        const auto after = UnfinishedWork::pending(folder).kind;
        const Disk now = readFolder(folder, faults, after == UnfinishedWork::Note::Recovery);
        using Note = UnfinishedWork::Note;
        const auto kind = op == "borrar todo" ? Note::EraseAll : op == "borrar solicitud" ? Note::EraseRequest
                          : op == "recuperar" ? Note::Recovery : op == "arranque" ? before : Note::None;
        const Tables finished = finishedOf(kind, now.rows, medium);
        int done = 0, undone = 0;
        for (const QString &t : now.rows.keys()) {
            const QList<QStringList> &o = old[t], &g = now.rows[t];
            const bool header = t == "empresas" || t == "solicitu";
            const bool flushed = header && (o.isEmpty() ? g.size() == 1 : g.size() == o.size() && g.mid(1) == o.mid(1));
            const qsizetype key = now.fields[t].indexOf(keyField(t)), row = cut.value(3).toInt();
            QList<QStringList> edited = o, deleted = o;
            if (row < o.size() && row < g.size())
                edited[row] = g[row], deleted.removeAt(row);
            qsizetype kept = 0; // rows of g found in order in o: an erase deletes record by record
            for (const QStringList &r : o)
                kept += kept < g.size() && g[kept] == r;
            bool fits = g == o;
            if (op == "grabar" || op == "pestaña")
                fits = fits || flushed;
            else if (kind != Note::None)
                fits = fits || flushed || g == finished[t]
                       || (kind != Note::Recovery && after != Note::None && kept == g.size());
            else if (t == cut.value(2) && op == "nueva")
                fits = fits || (g.size() == o.size() + 1 && g.mid(0, o.size()) == o && g.last().value(key) == cut[3]);
            else if (t == cut.value(2) && op == "editada")
                fits = fits || (edited == g && row < o.size() && g[row].value(key) == o[row].value(key));
            else if (t == cut.value(2) && op == "borrada")
                fits = fits || (row < o.size() && g == deleted);
            if (!fits)
                faults << QStringLiteral("«%1» cortado dejó %2 con %3 renglones que no son los de antes ni los de después (antes %4)")
                              .arg(op, t).arg(g.size()).arg(o.size());
            if (kind != Note::None && o != finished[t])
                (g == finished[t] ? done : undone)++;
            reached += g != o;
            records += g.size();
        }
        if (done > 0 && undone > 0 && after == Note::None)
            faults << "«" + op + "» cortado quedó a medias sin su nota para el siguiente inicio";
        if (!FolderLock(folder).acquire().isEmpty())
            faults << "el bloqueo de la carpeta quedó tomado";
        disk = now.rows;
        want = after == Note::None ? disk : finishedOf(after, disk, medium);

        if (verbose || !faults.isEmpty())
            out << "ensayo " << trial << ": corte en «" << op << (cut.size() > 2 ? " " + cut.mid(2).join(u' ') : QString())
                << "» antes de la escritura " << end.stops << ", " << lines.size() << " líneas de registro"
                << (faults.isEmpty() ? QString() : ": " + faults.join("; ")) << Qt::endl;
        for (const QString &f : std::as_const(faults))
            failures.append({trial, QStringLiteral("[%1] %2").arg(op, f)});
        if (!faults.isEmpty()) { // the folder is made again so that the trials go on
            ++rebuilt;
            rebuild();
        }
    }
    QStringList unused;
    if (readFolder(drive, unused).rows != medium)
        failures.append({0, "la unidad A cambió: una recuperación escribió en ella"});

    out << "\nEnsayos: " << trials << " (semilla " << seed << ")\nOperaciones terminadas: " << operations << "\nCortes por operación:";
    for (auto it = cuts.cbegin(); it != cuts.cend(); ++it)
        out << " " << it.key() << "=" << it.value() << ";";
    out << "\nTablas revisadas (motor y python3-dbf): " << trials * tables().size() << "; registros: " << records
        << "\nTablas que el corte alcanzó: " << reached << "\nSin corte en dos minutos: " << timeouts
        << "\nCarpetas rehechas: " << rebuilt << "\nFallas: " << failures.size() << "\n";
    for (qsizetype i = 0; i < failures.size() && i < 60; ++i)
        out << "  ensayo " << failures[i].first << ": " << failures[i].second << "\n";
    return failures.isEmpty() ? 0 : 1;
}

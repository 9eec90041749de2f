// quelvar-ensayo-cortes: QUELVAR killed at random moments while it saves,
// writes, pastes, imports and deletes rows, erases the request, copies it to
// drive A and recovers it from there, and the request folder checked after
// each kill (README, "Ensayos de cortes").
//
// The child is the real program started on the folder, working through
// scenario lines. It runs traced, with a seccomp filter that stops it before
// every call that can change a file (writes, renames, links, unlinks,
// truncations, syncs), and the parent kills it before one of them: so every
// state the folder passes through can be the one a kill leaves. The child
// logs to a file, one write(2) a line, what the window holds after each
// operation and which operation it starts.
#include "complete_request.h"
#include "scenario_runner.h"

#include "app/program_start.h"
#include "exchange/request_exchange.h"
#include "exchange/unfinished_work.h"
#include "grids/record_table_model.h"
#include "platform/folder_lock.h"
#include "platform/spanish_translation.h"
#include "python_dbf.h"
#include "store/data_link.h"
#include "store/dbf_table.h"
#include "store/field_codec.h"
#include "store/recordset.h"
#include "store/request_choices.h"
#include "store/request_links.h"
#include "store/store_error.h"

#include <QJsonDocument>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtEndian>

#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using Rows = QList<QStringList>; // live rows, each field as text
using Tables = QMap<QString, Rows>;
using Note = UnfinishedWork::Note;
const QStringList &tables() { return RequestExchange::tables(); }
const QStringList kOps{"pestaña", "grabar", "nueva", "editada", "borrada", "borrar todo", "borrar solicitud", "recuperar", "pegada", "disco", "importada", "cerrar"};
// The refund type kept beside the tables, checked as a table of one row
// (its text) or none (no file).
const QString kRefund = QStringLiteral(".quelvar.devolucion");
const QStringList &checked()
{
    static const QStringList all = tables() + QStringList{kRefund};
    return all;
}
Rows refundRows(const QString &folder)
{
    QFile file(RequestChoices::refundTypeFile(folder));
    return file.open(QIODevice::ReadOnly) ? Rows{{QString::fromLatin1(file.readAll())}} : Rows();
}

QString valueText(const QVariant &v)
{
    return v.typeId() == QMetaType::Double ? FieldCodec::plainNumber(v.toDouble())
           : v.typeId() == QMetaType::QDate ? v.toDate().toString(Qt::ISODate)
           : v.typeId() == QMetaType::Bool  ? QString(v.toBool() ? "T" : "F")
                                            : v.toString();
}

// ---------------------------------------------------------------- the child

// A line of the child's log: one write, whole or absent after a kill. An
// operation's start is also shown to the tracer by a call that does nothing.
void say(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    const int fd = ::open(qgetenv("QUELVAR_ENSAYO_REGISTRO").constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
        ::_exit(3);
    ::close(fd);
    if (line.startsWith(QLatin1String("inicio")))
        ::fsync(-2 - int(kOps.indexOf(line.section(u'\t', 1, 1))));
}

// Each grid's new row: k its key, d a date, t a name, c an amount with
// cents, A-B a figure (the used ones below the totals). A stored row gets
// its last cell typed over.
const QStringList kGrids{
    "dbCU insunit 4 FRACCION=k DESCRIP=t COSTO_UNIT=c TASA_ADVAL=1-20",
    "dbMI insupedi 5 NUM_DOCUME=k FEC_PAGO=d CAN_MIMP=500-999 CAN_MRETSO=1-400 VAL_TOT_IN=5000-9999 VALINCREAL=1-4000",
    "dbED exporped 6 NO_PEDIMEN=k FECHA_PEDI=d CANT_TOTAL=5000-9999 CANT_UTIL=1-4000 VAL_TOTPED=50000-99999 VALOR_UTI=1-4000",
    "dbEI factura 7 NODOC=k FECHADOC=d CANT_TOTAL=5000-9999 CANT_UTIL=1-4000 VALTOTNP=50000-99999 VALREPNP=1-4000 NOM_EXPIDE=t",
    "dbITLC impTLC 8 FRACCION=k FECHA=d CAN_MIMP=1-999 PU_MIMP=c TASA_ADVAL=1-20 MONT_SOLIC=1-999"};
const QStringList kBoxes{"txtRSocial", "txtDireccion", "txtColonia", "txtNRLegal", "txtProducto", "txtTelefono", "txtCuenta", "txtCantidadExp"};

struct Child {
    QRandomGenerator rng;
    ScenarioRunner runner;
    std::unique_ptr<RunningProgram> program;
    FrmQuelvar *window = nullptr;
    QString folder;

    // Starts the program on the folder as quelvar starts, and says what the
    // start said (a save taken back, a copy to drive A not to be handed in)
    // and what the window opened with.
    bool open()
    {
        program = startProgram({QCoreApplication::applicationFilePath(), folder});
        if (!program->window)
            return say("fallo\t" + MessageBox::shownTexts().join(" / ")), false;
        for (const QString &text : MessageBox::shownTexts())
            say("aviso\t" + QString(text).replace(u'\n', u' '));
        MessageBox::clearShown();
        window = (runner.harness().window = std::move(program->window)).get();
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window))
            return say("fallo\tla ventana no se activó"), false;
        say("abierto\t" + state());
        return true;
    }

    bool run(const QString &line) { return runner.runLine(line); }
    QString figure(const QString &range) { return QString::number(rng.bounded(range.section(u'-', 0, 0).toInt(), range.section(u'-', 1).toInt() + 1)); }
    QString text(const QString &kind, const QString &key)
    {
        return kind == "k" ? key
               : kind == "d" ? QDate::currentDate().addDays(-rng.bounded(40)).toString("dd/MM/yyyy")
               : kind == "t" ? "NOMBRE " + figure("1-999")
               : kind == "c" ? figure("1-99") + "." + figure("10-99")
                             : figure(kind);
    }
    // What the window holds in each table.
    QString state()
    {
        QJsonObject out;
        for (qsizetype t = 0; t < tables().size(); ++t) {
            QJsonArray rows;
            Recordset *rs = window->links()->requestLinks().value(t)->recordset();
            for (int r = 0; rs && r < rs->rowCount(); ++r) {
                QStringList row;
                for (int f = 0; f < rs->fieldCount(); ++f)
                    row << valueText(rs->valueAt(r, f));
                rows << QJsonArray::fromStringList(row);
            }
            out.insert(tables()[t], rows);
        }
        QJsonArray refund;
        for (const QStringList &row : refundRows(folder))
            refund << QJsonArray::fromStringList(row);
        out.insert(kRefund, refund);
        return QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Compact));
    }
    void done()
    {
        for (const QString &text : MessageBox::shownTexts())
            if (text.startsWith(QLatin1String("No se pudo")) || text.startsWith(QLatin1String("No se terminó"))
                || text.startsWith(QLatin1String("No se recuperó")))
                say("fallo\t" + text);
        MessageBox::clearShown();
        say("hecho\t" + state());
    }
    bool typable(BoundGrid *grid, const QString &field)
    {
        for (int c = 0; c < grid->ColumnsCount(); ++c)
            if (grid->Columns(c).DataField().compare(field, Qt::CaseInsensitive) == 0)
                return !grid->isColumnHidden(c) && !grid->recordModel()->isLocked(c);
        return false;
    }

    // A save begins: with the refund type the window's header makes it keep.
    void saving(const QString &op)
    {
        const int refund = runner.harness().get<QComboBox>("cmbTDevolucion")->currentIndex();
        say("inicio\t" + op + "\t" + QStringLiteral("MRP").mid(refund, refund >= 0 ? 1 : 0));
    }
    // The tab of the grid, or of the goods; a change of tab saves.
    bool onTab(int tab)
    {
        QTabWidget *tabs = runner.harness().tabs();
        if (tabs->currentIndex() != tab) {
            saving("pestaña");
            run("tab " + QString::number(tab));
            done();
            run("answer Yes Yes Yes"); // done() forgets the answers not given
        }
        return tabs->currentIndex() == tab;
    }

    void step()
    {
        run("answer Yes Yes Yes"); // an operation's questions: erase, recovery, deletion, unit costs, amount, import
        const QStringList g = kGrids[rng.bounded(int(kGrids.size()))].split(u' ');
        const int roll = int(rng.bounded(92));
        if (roll >= 88) { // the window closed, "No" to saving its boxes, and the program started again
            say("inicio\tcerrar");
            run("answer No");
            window->close();
            runner.harness().window.reset(); // what it keeps for the next start is written here
            program.reset();                 // and the folder let go
            if (!open())
                ::_exit(1);
            return done();
        }
        if (roll >= 72) { // rows pasted as a spreadsheet block at the new-record line, or imported from a file
            auto *grid = runner.harness().get<BoundGrid>(g[0]);
            if (!onTab(g[2].toInt()))
                return;
            QStringList lines, shown;
            for (int c = 0; c < grid->ColumnsCount(); ++c)
                if (!grid->isColumnHidden(c))
                    shown << grid->Columns(c).DataField().toUpper();
            for (int i = 0, n = 2 + int(rng.bounded(3)); i < n; ++i) {
                QStringList cells;
                for (const QString &field : std::as_const(shown)) {
                    const QStringList spec = g.mid(3).filter(QRegularExpression("^" + field + "="));
                    const int digits = field == "NUM_DOCUME" || field == "NO_PEDIMEN" ? 15 : 8;
                    const QString key = QString::number(rng.bounded(100000000)).rightJustified(digits, u'0');
                    cells << (spec.isEmpty() ? QString() : text(spec[0].section(u'=', 1), key));
                }
                lines << cells.join(u'\t');
            }
            const QString cell = QStringLiteral("cell %1 %2 %3").arg(g[0]).arg(grid->recordModel()->recordCount()).arg(shown.value(0));
            if (roll < 80) {
                say("inicio\tpegada\t" + g[1]);
                run(cell);
                run("paste \"" + lines.join(u'\n').replace(u'\t', "\\t").replace(u'\n', "\\n") + "\"");
            } else { // a file of columns named by their fields, chosen in the grid's menu
                QFile file(QFileInfo(qEnvironmentVariable("QUELVAR_ENSAYO_REGISTRO")).dir().filePath("renglones.csv"));
                if (!file.open(QIODevice::WriteOnly) || file.write((shown.join(u';') + u'\n' + lines.join(u'\n').replace(u'\t', u';')).toUtf8()) < 0)
                    ::_exit(3);
                file.close();
                FileChoice::setScripted({file.fileName()});
                say("inicio\timportada\t" + g[1]);
                run(cell);
                run("key Ctrl+Shift+I");
            }
            return done();
        }
        if (roll < 30 && !onTab(g[2].toInt()))
            return;
        if (roll < 30) {
            auto *grid = runner.harness().get<BoundGrid>(g[0]);
            const int count = grid->recordModel()->recordCount(), row = count ? int(rng.bounded(count)) : 0;
            const QString last = g.last().section(u'=', 0, 0);
            if ((roll >= 14 && count == 0) || (roll < 22 && !typable(grid, last)))
                return;
            if (roll < 14) { // a new row typed cell by cell, left with Down
                const QString key = QString::number(rng.bounded(100000000)).rightJustified(8, u'0');
                say(QStringLiteral("inicio\tnueva\t%1\t%2").arg(g[1], key));
                for (const QString &cell : g.mid(3))
                    if (typable(grid, cell.section(u'=', 0, 0)))
                        run(QStringLiteral("cell %1 %2 %3").arg(g[0]).arg(count).arg(cell.section(u'=', 0, 0))),
                            run("type " + text(cell.section(u'=', 1), key)), run("key Tab");
            } else if (roll < 22) { // a stored row typed over, left with Up or Down
                say(QStringLiteral("inicio\teditada\t%1\t%2").arg(g[1]).arg(row));
                run(QStringLiteral("cell %1 %2 %3").arg(g[0]).arg(row).arg(last)), run("type " + text(g.last().section(u'=', 1), {})), run("key Tab");
            } else { // no verb selects a whole row: the grid is driven directly
                say(QStringLiteral("inicio\tborrada\t%1\t%2").arg(g[1]).arg(row));
                grid->clearSelection();
                grid->setCurrentIndex(grid->model()->index(row, 0));
                grid->setFocus();
                run("key Delete");
            }
            if (roll < 22 && run(roll >= 14 && row > 0 ? "key Up" : "key Down") && grid->hasPendingRow())
                run("key Escape"), run("key Escape"); // a row refused is dropped
        } else if (roll < 60) {
            // The company's name (in the header) and a box of the goods typed
            // over with another figure, then one save that writes both: the
            // button or a change of tab.
            if (!onTab(2))
                return;
            const QStringList boxes{"txtRSocial", roll % 2 ? "txtProducto" : "txtCantidadExp"};
            for (const QString &box : boxes)
                if (auto *edit = runner.harness().get<QLineEdit>(box); !edit->isVisible() || !edit->isEnabled())
                    return;
            for (const QString &box : boxes) {
                QString shown = runner.harness().get<QLineEdit>(box)->text(), typed;
                do
                    typed = figure("1-99");
                while (typed == shown || typed.toDouble() == shown.remove(u',').toDouble());
                run("click " + box), run("key Ctrl+A"), run("type " + typed);
            }
            saving("grabar");
            run(roll < 48 ? "click cmdAccion(6)" : "tab " + QString::number(QList<int>{0, 1, 3}[rng.bounded(3)]));
        } else if (roll < 69) {
            say("inicio\t" + kOps[roll < 63 ? 5 : roll < 66 ? 6 : 7]);
            run(roll < 63 ? "click cmdAccion(2)" : roll < 66 ? "click cmdAccion(3)" : "click cmdAccion(7)");
        } else { // "Generar disco" to a drive of its own, after a recovery (a request the review passes)
            say("inicio\trecuperar");
            run("click cmdAccion(7)");
            done();
            run("answer Yes Yes Yes");
            const QByteArray drive = qgetenv("QUELVAR_UNIDAD_A");
            qputenv("QUELVAR_UNIDAD_A", qgetenv("QUELVAR_ENSAYO_DISCO"));
            saving("disco"); // the review may open a tab, which saves
            run("click cmdAccion(4)");
            qputenv("QUELVAR_UNIDAD_A", drive);
        }
        done();
    }
};

int runChild(const QString &folder, quint32 seed)
{
    MessageBox::setScripted(true);
    Child child;
    child.rng.seed(seed);
    child.folder = folder;
    if (!child.open())
        return 1;
    for (;;)
        child.step();
}

// --------------------------------------------------------------- the parent

// Runs the child traced and kills it before its killAt-th call that can
// change a file, or before the offset-th call of an operation of the kind
// aimed at (or after two minutes). Answers whether it was killed:
// the child never ends by itself.
bool runTraced(const QByteArrayList &args, int killAt, int aim, int offset)
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
    std::vector<char *> argv(size_t(args.size()) + 1); // ends in a null
    std::transform(args.begin(), args.end(), argv.begin(), [](const QByteArray &a) { return const_cast<char *>(a.constData()); });

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(::open(qgetenv("QUELVAR_ENSAYO_ERRORES").constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        ::raise(SIGSTOP);
        if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0)
            ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0, stops = 0, inOp = 0;
    bool killed = false, armed = false;
    ::waitpid(pid, &status, 0);
    ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACESECCOMP | PTRACE_O_TRACECLONE | PTRACE_O_EXITKILL);
    ::ptrace(PTRACE_CONT, pid, nullptr, nullptr);
    ::alarm(120);
    for (;;) {
        const pid_t who = ::waitpid(-1, &status, __WALL);
        if ((who == pid && !WIFSTOPPED(status)) || (who < 0 && errno != EINTR))
            break;
        if (who < 0) // the alarm
            killed = ::kill(pid, SIGKILL) == 0 || killed;
        if (who < 0 || !WIFSTOPPED(status))
            continue;
        __ptrace_syscall_info call{};
        if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_SECCOMP << 8)) && !killed
            && ::ptrace(PTRACE_GET_SYSCALL_INFO, who, sizeof call, &call) > 0) {
            const int first = int(call.seccomp.args[0]); // an int in a 64-bit register
            if (call.seccomp.nr == SYS_fsync && first <= -2)
                armed = first == -2 - aim, inOp = 0;
            else if (++stops == killAt || (armed && ++inOp == offset))
                killed = ::kill(pid, SIGKILL) == 0;
        }
        const int signal = WSTOPSIG(status) == SIGTRAP || WSTOPSIG(status) == SIGSTOP || status >> 16 ? 0 : WSTOPSIG(status);
        ::ptrace(PTRACE_CONT, who, nullptr, signal); // the tracing's own stops deliver nothing
    }
    ::alarm(0);
    return killed;
}

// The folder's tables as our engine reads them, with what is wrong with
// them: a table that is missing, that our engine or python3-dbf cannot read
// or where they count different records, a count over bytes the file lacks.
Tables readFolder(const QString &folder, QStringList &faults, bool missingOk = false, bool byPython = true)
{
    Tables disk;
    QStringList files;
    for (const QString &t : tables()) {
        const QString path = RequestExchange::findFile(folder, RequestExchange::fileOf(t));
        if (path.isEmpty() && !missingOk)
            faults << "falta la tabla " + t;
        if (path.isEmpty())
            continue;
        files << QFileInfo(path).fileName();
        try {
            const std::unique_ptr<DbfTable> table = DbfTable::open(path);
            for (quint32 n = 0; n < table->recordCount(); ++n) {
                QStringList row;
                for (int f = 0; f < table->fieldCount(); ++f)
                    row << valueText(table->value(table->record(n), f));
                if (table->record(n)[0] != '*')
                    disk[t] << row;
            }
            disk[t];
        } catch (const StoreError &e) {
            faults << QStringLiteral("%1 no abre con el motor: %2").arg(t, e.message());
        }
        QFile file(path);
        const QByteArray h = file.open(QIODevice::ReadOnly) ? file.read(12).leftJustified(12, '\0') : QByteArray(12, '\0');
        const auto *u = reinterpret_cast<const uchar *>(h.constData());
        const qint64 counted = qFromLittleEndian<quint32>(u + 4);
        if (file.size() < qFromLittleEndian<quint16>(u + 8) + counted * qFromLittleEndian<quint16>(u + 10))
            faults << QStringLiteral("%1: la cabecera cuenta %2 registros y el archivo no los tiene").arg(t).arg(counted);
    }
    QString error;
    const QJsonObject python = byPython ? QJsonDocument::fromJson(PythonDbf::runTool(QStringList{"dumpall", folder} + files, {}, &error)).object() : QJsonObject();
    if (!error.isEmpty())
        faults << "python3-dbf no lee la carpeta: " + error.right(200);
    for (qsizetype i = 0, live = 0; byPython && error.isEmpty() && i < files.size(); ++i, live = 0) {
        for (const QJsonValue r : python[files[i]][QLatin1String("records")].toArray())
            live += !r[QLatin1String("deleted")].toBool();
        if (const QString t = files[i].chopped(4); disk.contains(t) && live != disk[t].size())
            faults << QStringLiteral("%1: python3-dbf lee %2 registros y el motor %3").arg(t).arg(live).arg(disk[t].size());
    }
    disk[kRefund] = refundRows(folder);
    return disk;
}

// The folder as the next start leaves it, the note's work finished or taken
// back (on a copy).
Tables nextStart(const QString &folder, QStringList &faults)
{
    QTemporaryDir copy;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        QFile::copy(QDir(folder).filePath(name), copy.filePath(name));
    try {
        UnfinishedWork::finish(copy.path());
    } catch (const StoreError &e) {
        faults << "el siguiente inicio no termina la nota: " + e.message();
    }
    return readFolder(copy.path(), faults, false, false);
}

// Writes the request's tables (and the catalogues, unless onlyTables) into the folder.
void writeRequest(const QString &folder, const RequestFixture::Records &records, bool onlyTables = false)
{
    RequestFixture fixture;
    if (const QString error = fixture.create(records); !error.isEmpty())
        throw StoreError("python3-dbf no escribió la solicitud: " + error);
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    for (const QString &file : QDir(fixture.folder()).entryList(QDir::Files))
        if (!onlyTables || tables().contains(file.chopped(4)))
            RequestExchange::copyTable(fixture.folder(), folder, file);
}

int main(int argc, char **argv)
{
    if (argc == 4 && QByteArray(argv[1]) == "--hijo") {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("quelvar"));
        SpanishTranslation::install();
        try {
            return runChild(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toUInt());
        } catch (const StoreError &e) {
            return say("fallo\t" + e.message()), 1;
        }
    }
    QCoreApplication app(argc, argv);
    QMap<QByteArray, uint> option{{"--ensayos", 1000}, {"--semilla", QRandomGenerator::global()->generate()}, {"--pasos", 300}};
    QString work;
    bool verbose = false, number = true;
    for (int i = 1; i < argc && number; ++i) {
        const QByteArray arg = argv[i], value = i + 1 < argc ? argv[i + 1] : "";
        if (arg == "--detalle")
            verbose = true;
        else if (arg == "--carpeta" && ++i < argc)
            work = QString::fromLocal8Bit(value);
        else if ((number = option.contains(arg) && ++i < argc))
            option[arg] = value.toUInt(&number), number = number && (option[arg] > 0 || arg == "--semilla");
    }
    if (!number)
        return std::fputs("uso: quelvar-ensayo-cortes [--ensayos N] [--semilla S] [--pasos N] [--carpeta DIR] [--detalle]\n"
                          "  --ensayos N    cuántas veces se inicia y se corta el programa (1000)\n"
                          "  --semilla S    repite una corrida anterior\n"
                          "  --pasos N      los cortes «en cualquier momento» caen antes de una de las primeras N escrituras (300)\n"
                          "  --carpeta DIR  trabaja en DIR y la deja (si no, una carpeta temporal que se borra)\n"
                          "  --detalle      una línea por ensayo\n",
                          stderr),
               2;
    QTemporaryDir scratch(QDir::temp().filePath("quelvar-ensayo-cortes-XXXXXX"));
    work = QDir(work.isEmpty() ? scratch.path() : work).absolutePath();
    const QString folder = work + "/solicitud", drive = work + "/unidad-a", log = work + "/registro.txt";
    QTextStream out(stdout);
    out << "Ensayos de cortes: " << option["--ensayos"] << " ensayos, semilla " << option["--semilla"] << ", carpeta " << work << Qt::endl;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    for (const auto &[name, path] : {std::pair{"QUELVAR_UNIDAD_A", drive}, {"QUELVAR_ENSAYO_DISCO", work + "/unidad-disco"},
                                     {"QUELVAR_ENSAYO_REGISTRO", log}, {"QUELVAR_ENSAYO_ERRORES", work + "/hijo-errores.txt"}})
        qputenv(name, QFile::encodeName(path));
    QDir().mkpath(work + "/unidad-disco");
    struct sigaction alarm {};
    alarm.sa_handler = [](int) {}; // only to interrupt waitpid
    ::sigaction(SIGALRM, &alarm, nullptr);

    // The request the trials start from, and drive A with another one.
    QStringList faults;
    Tables want, disk, medium;
    const auto rebuild = [&] {
        writeRequest(folder, completeRequest({}));
        want = disk = readFolder(folder, faults);
    };
    try {
        RequestFixture::Records other = completeRequest({{"MER_RET", "N"}});
        other["empresas"][0].insert("NOMBRE", "IMPORTADORA DEL SUR, ÑANDÚ");
        other["insupedi"] << other["insupedi"][0] << other["insupedi"][0];
        writeRequest(drive, other, true);
        medium = readFolder(drive, faults);
        rebuild();
    } catch (const StoreError &e) {
        faults << e.message();
    }
    if (!faults.isEmpty())
        return out << "No se pudo preparar el ensayo: " << faults.join("; ") << Qt::endl, 2;
    // What a note of unfinished work leaves once the next start has finished it.
    const auto finishedOf = [&medium](Note::Kind kind, Tables now) {
        for (const QString &t : checked())
            if (kind == Note::Recovery || kind == Note::EraseAll || (kind == Note::EraseRequest && t != "empresas"))
                now[t] = kind == Note::Recovery ? medium.value(t) : Rows();
        return now;
    };

    QRandomGenerator rng(option["--semilla"]);
    QMap<QString, int> cuts, states;
    QStringList failures;
    qint64 operations = 0, reached = 0, rebuilt = 0;
    const QStringList saved{"empresas", "solicitu", kRefund}; // what a save writes as one step
    for (uint trial = 1; trial <= option["--ensayos"]; ++trial) {
        // The kill: within the first writes of an operation of a kind, or
        // (aim < 0) anywhere among the first writes of the run.
        const int aim = int(rng.bounded(14)) - 2; // a row's write is two or three calls; a save's about twenty
        const int offset = 1 + int(rng.bounded(1 + rng.bounded(aim >= 2 && aim <= 4 ? 3 : aim >= 8 ? 40 : aim <= 1 ? 24 : 12)));
        const int anywhere = 1 + int(rng.bounded(option["--pasos"]));
        const QByteArray childSeed = QByteArray::number(rng.generate());
        const Note::Kind before = UnfinishedWork::pending(folder).kind;
        QFile::remove(log);
        const bool killed = runTraced({QFile::encodeName(app.applicationFilePath()), "--hijo", QFile::encodeName(folder), childSeed},
                                      aim < 0 ? anywhere : 2 * int(option["--pasos"]), aim, offset);

        // The log: what the start said, what the window opened with, what
        // each finished operation left, the operation cut.
        QFile file(log);
        QByteArrayList lines = file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QByteArrayList{""};
        lines.removeLast(); // what follows the last line break
        QFile errors(qEnvironmentVariable("QUELVAR_ENSAYO_ERRORES"));
        faults = killed ? QStringList()
                        : QStringList{"el programa terminó solo: "
                                      + (errors.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(errors.readAll().right(2000)) : QString())};
        bool opened = false;
        Tables old = disk, shown = want; // what the window opens with: then what it showed when closed
        QStringList cut, said;
        for (const QByteArray &line : std::as_const(lines)) {
            const QStringList w = QString::fromUtf8(line).split(u'\t');
            for (const QString &t : checked()) {
                if (w[0] != "abierto" && w[0] != "hecho")
                    break;
                old[t].clear();
                for (const QJsonValue row : QJsonDocument::fromJson(w[1].toUtf8())[t].toArray())
                    old[t] << row.toVariant().toStringList();
                if (w[0] == "abierto" && old[t] != shown[t])
                    faults << "al abrir, la ventana no mostró lo que la carpeta tenía en " + t;
            }
            if (w[0] == "abierto" || w[0] == "hecho")
                shown = old;
            opened = opened || w[0] == "abierto";
            operations += w[0] == "hecho";
            cut = w[0] == "inicio" ? w : w[0] == "hecho" ? QStringList() : cut;
            if (w[0] == "aviso")
                said << w.value(1);
            if (w[0] == "fallo")
                faults << "el programa mostró: " + w.value(1);
        }
        const QString op = !opened ? "arranque" : cut.isEmpty() ? "entre operaciones" : cut[1];
        ++cuts[op];
        // A save taken back and a copy to drive A cut off are said at the start.
        const QString notice = before == Note::Save     ? "La información de la empresa y de la solicitud no había terminado de guardarse"
                               : before == Note::Export ? "La copia a la unidad A no había terminado cuando se cerró el programa. Lo que quedó en la unidad A no debe entregarse"
                                                        : QString();
        if (opened && !notice.isEmpty() && said.filter(QRegularExpression("^" + QRegularExpression::escape(notice))).isEmpty())
            faults << "el inicio no dijo: «" + notice + "…»";

        // The folder: each table as before the operation cut or as that
        // operation may leave it; an erase or a recovery whole, or its note
        // left for the next start; a save whole or none of it; the lock free.
        const Note::Kind after = UnfinishedWork::pending(folder).kind;
        const Tables now = readFolder(folder, faults, after == Note::Recovery);
        const Tables next = after == Note::Save ? nextStart(folder, faults) : Tables();
        const Note::Kind kind = op == kOps[5] ? Note::EraseAll : op == kOps[6] ? Note::EraseRequest : op == kOps[7] ? Note::Recovery
                                : op == "arranque"                                                   ? before : Note::None;
        const Tables finished = kind == Note::Rows || kind == Note::Save ? want : finishedOf(kind, now);
        const bool bare = op == kOps[0] || op == "disco"; // saves with nothing typed
        const Rows refund{{cut.value(2).isEmpty() ? QString() : cut.value(2) + u'\n'}}; // what a save writes there
        int done = 0, undone = 0;
        const qsizetype row = cut.value(3).toInt();
        const auto flushedOf = [&](const QString &t, const Rows &g) { // a save or an erase writes the window's boxes to the first record
            const Rows &o = old[t];
            return (t == "empresas" || t == "solicitu") && (o.isEmpty() ? g.size() == 1 : g.size() == o.size() && g.mid(1) == o.mid(1));
        };
        // What saves with nothing typed may leave (a change of tab may lead to another: one whole, the next cut).
        const auto bareFits = [&](const QString &t, const Rows &g) { return g == old[t] || (t == kRefund ? g == refund : flushedOf(t, g)); };
        for (const auto &[t, g] : now.asKeyValueRange()) {
            const Rows &o = old[t];
            const bool thinned = std::all_of(g.begin(), g.end(), [&o](const QStringList &r) { return o.contains(r); });
            Rows edited = o, deleted = o;
            if (row < o.size())
                edited[row] = g.value(row), deleted.removeAt(row);
            const bool flushed = flushedOf(t, g);
            const bool fits = g == o
                              // a save: taken back by the next start, or (a typed one) whole below; a bare one may write the refund type
                              || (saved.contains(t) && (after == Note::Save || (op == kOps[1] && after == Note::None)))
                              || (bare && bareFits(t, g))
                              || (kind != Note::None && (flushed || g == finished[t]))
                              || (kind != Note::None && kind != Note::Recovery && after != Note::None && thinned) // record by record
                              || (t == cut.value(2) && op == "nueva" && g.mid(0, o.size()) == o && g.size() == o.size() + 1 && g.last().contains(cut[3]))
                              || (t == cut.value(2) && ((op == "editada" && g == edited) || (op == "borrada" && g == deleted)))
                              // pasted or imported rows: all at the end, or taken back by the next start
                              || (t == cut.value(2) && (op == "pegada" || op == "importada") && g.mid(0, o.size()) == o && (after == Note::Rows || g.size() >= o.size()))
                              || ((kind == Note::Rows || kind == Note::Save) && after == kind);
            if (!fits)
                faults << QStringLiteral("«%1» cortado dejó %2 con %3 renglones que no son los de antes ni los de después (antes %4)").arg(op, t).arg(g.size()).arg(o.size());
            if (kind != Note::None && o != finished[t] && !(kind == Note::EraseRequest && t == "empresas")) // what it changes
                (g == finished[t] ? done : undone)++;
            reached += g != o;
        }
        if (done > 0 && undone > 0 && after == Note::None)
            faults << "«" + op + "» cortado quedó a medias sin su nota para el siguiente inicio";
        // A typed save changes both records: with no note left, the folder
        // holds the three as before it or all three as it writes them.
        if (op == kOps[1] && after == Note::None
            && !(now["empresas"] == old["empresas"] && now["solicitu"] == old["solicitu"] && now[kRefund] == old[kRefund])
            && !(now["empresas"] != old["empresas"] && flushedOf("empresas", now["empresas"]) && now["solicitu"] != old["solicitu"]
                 && flushedOf("solicitu", now["solicitu"]) && now[kRefund] == refund))
            faults << "«grabar» cortado dejó la empresa, la solicitud y el tipo de devolución mezclados, sin nota";
        // A save cut off is taken back: a typed one (the only save of its
        // operation) to exactly what was before it.
        if (after == Note::Save && (op == kOps[1] || bare))
            for (const QString &t : saved)
                if (op == kOps[1] ? next[t] != old[t] : !bareFits(t, next[t]))
                    faults << "el siguiente inicio no deja " + t + " como antes de «" + op + "»";
        if (op == "disco" && after != Note::None && after != Note::Export && after != Note::Save)
            faults << "«disco» cortado dejó otra nota";
        if (!FolderLock(folder).acquire().isEmpty())
            faults << "el bloqueo de la carpeta quedó tomado";
        static const char *const kNotes[] = {"", "borrado", "borrado", "recuperación", "renglones", "disco", "guardado"};
        ++states[op + (after != Note::None ? QString(" nota de ") + kNotes[after] : now == old ? " antes" : " después")];
        disk = now;
        want = after == Note::None ? disk : after == Note::Rows ? (op == "arranque" ? want : old) : after == Note::Save ? next : finishedOf(after, disk);

        if (verbose || !faults.isEmpty())
            out << "ensayo " << trial << ": corte en «" << (cut.isEmpty() ? op : cut.mid(1).join(u' ')) << "», " << lines.size()
                << " líneas de registro" << (faults.isEmpty() ? "" : ": " + faults.join("; ")) << Qt::endl;
        for (const QString &f : std::as_const(faults))
            failures << QStringLiteral("ensayo %1 [%2]: %3").arg(trial).arg(op, f);
        if (!faults.isEmpty()) // the folder is made again so that the trials go on
            ++rebuilt, rebuild();
    }
    if (readFolder(drive, faults) != medium)
        failures << "la unidad A cambió: una recuperación escribió en ella";
    out << "\nEnsayos: " << option["--ensayos"] << " (semilla " << option["--semilla"] << ")\nOperaciones terminadas: " << operations
        << "\nCortes por operación:";
    for (auto it = cuts.cbegin(); it != cuts.cend(); ++it)
        out << " " << it.key() << "=" << it.value() << ";";
    out << "\nLo que dejó cada corte (la carpeta como antes, como después, o con la nota de qué para el siguiente inicio):";
    for (auto it = states.cbegin(); it != states.cend(); ++it)
        out << " " << it.key() << "=" << it.value() << ";";
    out << "\nTablas revisadas (motor y python3-dbf): " << option["--ensayos"] * tables().size() << "; tablas que el corte alcanzó: "
        << reached << "\nCarpetas rehechas: " << rebuilt << "\nFallas: " << failures.size() << "\n  " << failures.mid(0, 60).join("\n  ") << Qt::endl;
    return failures.isEmpty() ? 0 : 1;
}

#include "runner.h"

#include "store/store_error.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace CrashTrial {

namespace {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

Clock::duration ms(double value)
{
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(value));
}

const Phase kAimed[] = {Phase::Save,      Phase::Tab,      Phase::NewRow,       Phase::EditRow,
                        Phase::DeleteRow, Phase::EraseAll, Phase::EraseRequest, Phase::Recover};

} // namespace

Runner::Runner(const QString &self, const QString &folder, const QString &drive, const QString &errors)
    : self_(self), folder_(folder), drive_(drive), errors_(errors), lengths_(kPhases), writes_(kPhases)
{
}

void Runner::note(QList<double> &samples, double value) const
{
    samples.append(value);
    if (samples.size() > 400)
        samples.removeFirst();
}

double Runner::typical(const QList<double> &samples, double fallback, double share) const
{
    if (samples.isEmpty())
        return fallback;
    QList<double> sorted = samples;
    std::sort(sorted.begin(), sorted.end());
    return sorted[std::min(sorted.size() - 1, qsizetype(share * double(sorted.size())))];
}

KillPlan Runner::plan(QRandomGenerator &rng, int windowMs) const
{
    KillPlan plan;
    const double roll = rng.generateDouble();
    const bool nearWrite = rng.bounded(2) == 0;
    if (roll < 0.08) {
        plan.mode = KillPlan::AtStart;
        const QList<double> &seen = writes_[int(Phase::Start)];
        plan.delayMs = nearWrite && !seen.isEmpty() ? seen[rng.bounded(int(seen.size()))] + rng.generateDouble() - 0.7
                                                    : rng.generateDouble() * typical(starts_, 800, 0.5);
    } else if (roll < 0.4) {
        plan.mode = KillPlan::Anywhere;
        plan.delayMs = rng.generateDouble() * windowMs;
    } else {
        plan.mode = KillPlan::InPhase;
        plan.phase = int(kAimed[rng.bounded(int(std::size(kAimed)))]);
        const QList<double> &seen = writes_[plan.phase];
        // Close to a moment the phase changed the folder, a little before
        // or after it; or anywhere in its usual length.
        plan.delayMs = nearWrite && !seen.isEmpty()
                           ? seen[rng.bounded(int(seen.size()))] + 1.5 * rng.generateDouble() - 1.0
                           : rng.generateDouble() * 1.2 * typical(lengths_[plan.phase], 40, 0.9);
    }
    plan.delayMs = std::max(0.0, plan.delayMs);
    return plan;
}

ChildRun Runner::run(quint32 seed, const KillPlan &plan)
{
    QList<QByteArray> args{QFile::encodeName(self_), "--hijo", QFile::encodeName(folder_), "--semilla",
                           QByteArray::number(seed)};
    if (plan.mode == KillPlan::InPhase)
        args += {"--primera", QByteArray::number(plan.phase)};
    QList<QByteArray> env{"QT_QPA_PLATFORM=offscreen", "QUELVAR_UNIDAD_A=" + QFile::encodeName(drive_)};
    for (char **e = environ; *e; ++e)
        if (!QByteArray(*e).startsWith("QT_QPA_PLATFORM=") && !QByteArray(*e).startsWith("QUELVAR_UNIDAD_A="))
            env.append(*e);
    // Everything the child needs is made before the fork.
    std::vector<char *> argv, envp;
    for (QByteArray &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (QByteArray &e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    const QByteArray errorFile = QFile::encodeName(errors_);

    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch < 0 || ::inotify_add_watch(watch, QFile::encodeName(folder_).constData(),
                                         IN_MODIFY | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO) < 0)
        throw StoreError(QStringLiteral("no se pudo vigilar la carpeta %1").arg(folder_));
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        throw StoreError(QStringLiteral("no se pudo crear la tubería"));
    const Clock::time_point started = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], 3);
        const int err = ::open(errorFile.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (err >= 0)
            ::dup2(err, 2);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    const int fd = pipeFds[0];

    ChildRun run;
    // Without "listo" within a minute the program is killed all the same.
    Clock::time_point deadline =
        plan.mode == KillPlan::AtStart ? started + ms(plan.delayMs) : started + std::chrono::seconds(60);
    Clock::time_point ready{}, opStart = started;
    int opPhase = int(Phase::Start);
    QByteArray pending;
    for (bool open = true; open;) {
        const Clock::duration left = deadline - Clock::now();
        if (left <= Clock::duration::zero() && !run.killed) {
            ::kill(pid, SIGKILL);
            run.killed = true;
            if (ready != Clock::time_point{})
                run.cutMs = msBetween(ready, Clock::now());
        }
        pollfd p[2]{{fd, POLLIN, 0}, {watch, POLLIN, 0}};
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec wait{time_t(ns / 1'000'000'000), long(ns % 1'000'000'000)};
        const int n = ::ppoll(p, 2, run.killed || ns <= 0 ? nullptr : &wait, nullptr);
        if (n <= 0)
            continue;
        const Clock::time_point now = Clock::now();
        if (p[1].revents & POLLIN) {
            alignas(inotify_event) char events[8192];
            if (::read(watch, events, sizeof events) > 0 && opPhase >= 0 && !run.killed)
                note(writes_[opPhase], msBetween(opStart, now));
        }
        if (!(p[0].revents & (POLLIN | POLLHUP)))
            continue;
        char buffer[65536];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        run.output.append(buffer, got);
        pending.append(buffer, got);
        // The lines as they come: "listo" and the phase aimed at set the
        // moment of the kill; "inicio" and "hecho" time the operations.
        for (qsizetype end; (end = pending.indexOf('\n')) >= 0; pending.remove(0, end + 1)) {
            const QStringList w = words(pending.left(end));
            if (w.first() == QLatin1String("listo")) {
                ready = now;
                run.startMs = msBetween(started, ready);
                note(starts_, run.startMs);
                opPhase = -1;
                if (plan.mode == KillPlan::Anywhere)
                    deadline = ready + ms(plan.delayMs);
                else if (plan.mode == KillPlan::InPhase)
                    deadline = ready + std::chrono::seconds(5); // the phase never came
            } else if (w.first() == QLatin1String("inicio")) {
                opStart = now;
                opPhase = phaseIndex(w.value(1));
                if (plan.mode == KillPlan::InPhase && opPhase == plan.phase && !run.killed)
                    deadline = std::min(deadline, now + ms(plan.delayMs));
            } else if (w.first() == QLatin1String("hecho")) {
                if (opPhase >= 0 && !run.killed)
                    note(lengths_[opPhase], msBetween(opStart, now));
                opPhase = -1;
            }
        }
    }
    ::close(fd);
    ::close(watch);
    if (!run.killed)
        ::kill(pid, SIGKILL); // it closed the pipe: nothing of it lingers
    ::waitpid(pid, &run.status, 0);
    return run;
}

} // namespace CrashTrial

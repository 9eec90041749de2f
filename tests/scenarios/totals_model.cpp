// Seeded random sequences of what users and other programs do to a request,
// run on the real window; after every step each total shown, the refund
// saved, asked for, printed and copied to drive A must be what the stored
// rows give (totals_oracle.py reads them with python3-dbf, with exact
// decimals). A failing sequence is shrunk to the shortest that still fails
// and printed as scenario lines.
//
//   test_totals_model [--pasos N] [--semilla S]
#include "scenario_runner.h"

#include "grids/record_table_model.h"

#include <QRadioButton>
#include <QRandomGenerator>
#include <cstdio>

namespace {

enum Kind { TypeRow, EditRow, DeleteRow, PasteRows, ImportRows, Undo, Erase, ChangeMode, Save, CloseReopen,
            Print, CopyToA, Recover, Foreign, ForeignWhileTyping, KindCount };
// How often each is drawn, in the order above.
constexpr int kWeights[KindCount] = {14, 14, 6, 6, 3, 5, 1, 4, 3, 3, 3, 3, 2, 8, 6};
constexpr int kEpisode = 40; // steps from a new request folder

struct Action {
    Kind kind;
    quint32 a, b, c;
};

struct Grid {
    const char *name, *table, *first, *edited;
    int tab;
};
const Grid kGrids[] = {{"dbCU", "insunit", "FRACCION", "COSTO_UNIT", 4},
                       {"dbMI", "insupedi", "TIPO", "VALINCREAL", 5},
                       {"dbED", "exporped", "NO_PEDIMEN", "VALOR_UTI", 6},
                       {"dbEI", "factura", "NODOC", "VALREPNP", 7},
                       {"dbITLC", "impTLC", "PAIS_IMPOR", "MONT_SOLIC", 8}};
// What another program writes: a field of each table, and a value for it.
const char *const kForeignFields[] = {"COSTO_UNIT", "MONT_SOLIC", "VALOR_UTI", "CANT_TOTAL", "MONT_SOLIC"};
const char *const kCountries[] = {"ESTADOS UNIDOS DE AMERICA", "Canadá", "Japón", "JAPON", "CANADA"};

QString q(const QString &text) { return u'"' + QString(text).replace(u'"', QStringLiteral("\\\"")) + u'"'; }
QString amount(quint32 r) { return QString::number(r % 5000 + 1) + (r % 3 ? QStringLiteral(".") + QString::number(r % 100) : QString()); }

class Model {
public:
    explicit Model(quint32 seed) : rng_(seed)
    {
        oracle_.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(QUELVAR_TEST_SOURCE_DIR "/scenarios/totals_oracle.py")});
        oracle_.waitForStarted();
    }
    ~Model() { oracle_.closeWriteChannel(), oracle_.waitForFinished(); }

    Action draw()
    {
        int pick = int(rng_.bounded(200));
        int kind = 0;
        for (int total = 0; kind < KindCount; ++kind)
            if (pick < (total += kWeights[kind] * 2))
                break;
        return {Kind(std::min(kind, KindCount - 1)), rng_.generate(), rng_.generate(), rng_.generate()};
    }

    // Runs the actions from a new request; the first check that fails, or
    // empty. lines gets the scenario lines each action ran.
    QString episode(const QList<Action> &actions, QStringList *lines = nullptr, int *failedAt = nullptr)
    {
        runner_ = std::make_unique<ScenarioRunner>();
        lines_ = lines;
        for (const char *l : {"request complete", "set solicitu OTIPOEXPOR=0 TIPO_EXPOR=M MER_RET=N TSOL=N DEVOL_SOL=0",
                              "record impTLC PAIS_IMPOR=CANADA CAN_MIMP=3 MONT_SOLIC=600", "medium", "open",
                              "today 2026-06-15"})
            run(QString::fromLatin1(l));
        for (int i = 0; i < actions.size(); ++i) {
            if (lines)
                lines->append(QStringLiteral("# step %1").arg(i + 1));
            const QString wrong = act(actions[i]);
            if (!wrong.isEmpty()) {
                if (failedAt)
                    *failedAt = i;
                runner_.reset();
                return wrong;
            }
        }
        runner_.reset();
        return {};
    }

private:
    bool run(const QString &line)
    {
        if (lines_)
            lines_->append(line);
        // Leaving a tab may ask whether to go on: the user says yes.
        if (line.startsWith(QLatin1String("tab ")))
            runner_->runLine(QStringLiteral("answer Yes"));
        const bool done = runner_->runLine(line); // a step the window refuses is no failure
        if (!done && lines_)
            lines_->append(QStringLiteral("#   (%1; %2)").arg(runner_->error(), MessageBox::shownTexts().join(u'|')));
        return done;
    }
    WindowHarness &h() { return runner_->harness(); }
    QString folder() { return h().fixture.folder(); }
    int rowsOf(const Grid &g)
    {
        auto *grid = h().window ? h().get<BoundGrid>(QString::fromLatin1(g.name)) : nullptr;
        return grid ? grid->recordModel()->rowCount() : 0; // the new-record line included
    }
    QJsonObject ask(const QJsonObject &request)
    {
        oracle_.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
        while (!oracle_.canReadLine() && oracle_.waitForReadyRead(60000)) {
        }
        return QJsonDocument::fromJson(oracle_.readLine()).object();
    }

    // The totalling mode of the header's choices: a direct request of
    // transformed goods totals originating and other goods apart, capped,
    // only when they are a mixture; any other direct request counts all.
    QJsonObject modeOf()
    {
        const int refund = h().get<QComboBox>(QStringLiteral("cmbTDevolucion"))->currentIndex();
        const int exports = h().get<QComboBox>(QStringLiteral("cmbTExportacion"))->currentIndex();
        return {{"mdev", refund == 0 && exports == 1 ? 2 : 1}, {"units", refund == 0}};
    }

    QString check(const QString &dir, QJsonObject shown)
    {
        QJsonObject request = modeOf();
        request.insert(QStringLiteral("check"), dir);
        request.insert(QStringLiteral("shown"), shown);
        const QJsonArray wrong = ask(request).value(QStringLiteral("wrong")).toArray();
        QStringList out;
        for (const QJsonValue &w : wrong)
            out << w.toString();
        return out.join(QStringLiteral("; "));
    }
    // The requests made here are direct ones, once their refund is chosen
    // (an erased one has none until then, and no mode to total by).
    bool moded()
    {
        return h().window && h().window->isVisible() && h().get<QComboBox>(QStringLiteral("cmbTDevolucion"))->currentIndex() >= 0
               && h().get<QRadioButton>(QStringLiteral("opcTSolicitud(0)"))->isChecked();
    }
    QString checkWindow()
    {
        if (!moded())
            return {};
        QJsonObject shown;
        QStringList boxes{"txtTO", "txtTNO", "txtDevS", "txtTLCAN(0)", "txtTLCAN(1)"};
        for (int i = 0; i < 4; ++i)
            boxes << QStringLiteral("txtTED(%1)").arg(i) << QStringLiteral("txtTEI(%1)").arg(i);
        // A unit cost being typed shows 0 until its row is written.
        if (modeOf().value(QStringLiteral("units")).toBool() && !h().get<BoundGrid>("dbCU")->recordModel()->hasPendingRow())
            boxes << QStringLiteral("txtTCU");
        for (const QString &b : boxes)
            shown.insert(b, h().get<QLineEdit>(b)->text());
        return check(folder(), shown);
    }
    // The amount the last command asked about, from its question.
    QString asked()
    {
        static const QString question = QStringLiteral("El monto aproximado a devolver por esta solicitud es de $");
        for (const QString &m : MessageBox::shownTexts())
            if (m.startsWith(question))
                return m.mid(question.size()).section(QStringLiteral(". Esta"), 0, 0);
        return {};
    }

    // Leaves no row half typed: a step that stopped midway is taken back.
    void settle()
    {
        for (const Grid &g : kGrids)
            if (h().window && h().get<BoundGrid>(QString::fromLatin1(g.name))->recordModel()->hasPendingRow())
                run(QStringLiteral("key Escape")), run(QStringLiteral("key Escape"));
        MessageBox::setNextAnswers({});
        MessageBox::clearShown();
    }

    void typeRow(const Grid &g, const Action &a)
    {
        const int at = rowsOf(g) - 1;
        if (!run(QStringLiteral("tab %1").arg(g.tab)))
            return;
        const QString n = QString::number(a.b % 90 + 10);
        const quint32 whole = a.b % 900 + 100, part = a.c % whole + 1;
        QString typed;
        switch (&g - kGrids) {
        case 0: typed = QStringLiteral("%1\\ttornillos\\t%2\\t5\\t").arg(a.c % 3 ? "73181500" : "85444299", amount(a.c)); break;
        case 1:
            run(QStringLiteral("cell dbMI %1 TIPO").arg(at));
            run(QStringLiteral("type \"a1\\n\\t2601234567890%1\\t010326\\t7318\\n\"").arg(n));
            typed = QStringLiteral("\\t\\t%1\\n\\t%2\\t%3\\t").arg(QStringList{"jap", "estados", "canad"}[a.c % 3]).arg(whole).arg(part);
            run(QStringLiteral("type \"%1\"").arg(typed));
            typed.clear();
            break;
        case 2: typed = QStringLiteral("2609876543210%1\\t150326\\testados\\n\\t%2\\t%3\\t%2\\t%3").arg(n).arg(whole).arg(part); break;
        case 3: typed = QStringLiteral("F-%1\\t020326\\t%2\\t%3\\t%2\\t%3\\t\\t\\tmaquiladora sur").arg(n).arg(whole).arg(part); break;
        default: typed = QStringLiteral("canad\\n\\t73181500\\t010326\\t%1\\t2.5\\t5\\t\\t%2").arg(whole).arg(amount(a.c)); break;
        }
        if (!typed.isEmpty())
            run(QStringLiteral("cell %1 %2 %3 \"%4\"").arg(g.name).arg(at).arg(g.first, typed));
        run(QStringLiteral("key Down"));
    }
    // An amount edited, left with Enter, Tab and Down or a click on another row.
    void editRow(const Grid &g, const Action &a)
    {
        const int rows = rowsOf(g) - 1;
        if (rows <= 0 || !run(QStringLiteral("tab %1").arg(g.tab)))
            return;
        const int row = int(a.b % quint32(rows));
        const bool country = &g == &kGrids[1] && a.c % 4 == 0;
        run(QStringLiteral("cell %1 %2 %3 %4").arg(g.name).arg(row).arg(country ? "PAIS_IMPOR" : g.edited,
                                                                     q(country ? QString(kCountries[a.a % 5]).toUpper() : amount(a.c))));
        switch (a.a % 3) {
        case 0: run(QStringLiteral("key Return")), run(QStringLiteral("key Down")); break;
        case 1: run(QStringLiteral("key Tab")), run(QStringLiteral("key Down")); break;
        default: run(QStringLiteral("key Tab")), run(QStringLiteral("cell %1 %2 %3").arg(g.name).arg((row + 1) % (rows + 1)).arg(g.first));
        }
    }
    QString rowsText(const Action &a, bool comma)
    {
        QString text;
        for (quint32 i = 0; i <= a.c % 3; ++i) {
            const quint32 whole = (a.b >> (i * 4)) % 4000 + 1000;
            const QString value = comma ? QStringLiteral("%1.%2,50").arg(whole / 1000).arg(whole % 1000, 3, 10, QLatin1Char('0'))
                                        : QStringLiteral("%1,%2.50").arg(whole / 1000).arg(whole % 1000, 3, 10, QLatin1Char('0'));
            text += QStringLiteral("A1\\t26012345678%1\\t01/03/2026\\t7318.15.00\\t\\t%2\\t%3\\t%3\\n")
                        .arg(a.a % 9000 + 1000 + i).arg(kCountries[(a.a >> 8) % 5], value);
        }
        return text;
    }
    void foreign(const Action &a)
    {
        const int t = int(a.a % 5);
        static const char *const ops[] = {"edit", "edit", "append", "delete", "cut"};
        QJsonObject write{{"write", h().fixture.file(QString::fromLatin1(kGrids[t].table))},
                          {"op", ops[a.b % 5]}, {"row", int(a.c % 7)}, {"field", kForeignFields[t]},
                          {"value", double(a.c % 90000) / 100}};
        if (t == 1 && a.b % 10 == 1)
            write.insert(QStringLiteral("field"), QStringLiteral("PAIS_IMPOR")),
                write.insert(QStringLiteral("value"), QString::fromLatin1(kCountries[a.c % 2 ? 0 : 3]));
        if (lines_)
            lines_->append(QStringLiteral("# another program: ") + QJsonDocument(write).toJson(QJsonDocument::Compact));
        QTest::qWait(15); // past the tick of the window's last write
        ask(write);
    }

    // One action, then the checks it calls for: empty when all hold.
    QString act(const Action &a)
    {
        if (!h().window && !run(QStringLiteral("reopen")))
            return {};
        const Grid &g = kGrids[a.a % 5];
        QString wrong;
        switch (a.kind) {
        case TypeRow: typeRow(g, a); break;
        case EditRow: editRow(g, a); break;
        case DeleteRow:
            if (rowsOf(g) > 1 && run(QStringLiteral("tab %1").arg(g.tab))) {
                run(QStringLiteral("cell %1 %2 %3").arg(g.name).arg(a.b % quint32(rowsOf(g) - 1)).arg(g.first));
                run(QStringLiteral("answer Yes")), run(QStringLiteral("key Delete"));
            }
            break;
        case PasteRows:
            if (run(QStringLiteral("tab 5")) && run(QStringLiteral("cell dbMI %1 TIPO").arg(a.b % quint32(rowsOf(kGrids[1])))))
                run(QStringLiteral("answer Yes Yes")), run(QStringLiteral("paste \"%1\"").arg(rowsText(a, a.c % 2)));
            break;
        case ImportRows:
            if (run(QStringLiteral("tab 6"))) {
                QString csv = QStringLiteral("NUMERO DE PEDIMENTO O DOCUMENTO;fecha;Pais de destino;cant_total;Cantidad Exportada;"
                                             "Valor total FOB del pedimento dlls.;VALOR_UTI\\n");
                for (quint32 i = 0; i <= a.c % 3; ++i)
                    csv += QStringLiteral("2600000000000%1;05/03/2026;japon;%2;%3;%2;%3\\n").arg(a.b % 90 + 10 + i).arg(a.c % 900 + 100).arg(a.a % 100);
                run(QStringLiteral("file filas.csv \"%1\"").arg(csv));
                run(QStringLiteral("cell dbED 0 NO_PEDIMEN")), run(QStringLiteral("choose filas.csv"));
                run(QStringLiteral("answer Yes Yes")), run(QStringLiteral("key Ctrl+Shift+I"));
            }
            break;
        case Undo:
            if (run(QStringLiteral("tab %1").arg(a.b % 2 ? 5 : 6)))
                run(QStringLiteral("cell %1").arg(a.b % 2 ? "dbMI 0 TIPO" : "dbED 0 NO_PEDIMEN")), run(QStringLiteral("key Ctrl+Z"));
            break;
        case Erase:
            run(QStringLiteral("answer Yes")), run(QStringLiteral("click cmdAccion(%1)").arg(a.b % 2 ? 2 : 3));
            run(QStringLiteral("click opcTSolicitud(0)")), run(QStringLiteral("pick cmbTDevolucion 0"));
            [[fallthrough]];
        case ChangeMode: run(QStringLiteral("pick cmbTExportacion %1").arg(a.c % 3)); break;
        case Save:
            run(QStringLiteral("answer Yes")), run(QStringLiteral("click cmdAccion(6)"));
            if (moded() && (wrong = checkWindow()).isEmpty())
                wrong = check(folder(), {{"stored", QString()}});
            break;
        case CloseReopen: {
            const QString refund = h().get<QLineEdit>("txtDevS")->text();
            const bool yes = a.b % 2, saved = yes && moded();
            run(QStringLiteral("answer %1").arg(yes ? "Yes" : "No")), run(QStringLiteral("close"));
            if (!h().window->isVisible() && saved)
                wrong = check(folder(), {{"stored", refund}});
            if (!h().window->isVisible())
                run(QStringLiteral("reopen"));
            break;
        }
        case Print:
        case CopyToA: {
            run(QStringLiteral("answer Yes Yes Yes")), run(QStringLiteral("click cmdAccion(%1)").arg(a.kind == Print ? 5 : 4));
            const QString amountAsked = asked();
            if (amountAsked.isEmpty())
                break;
            QJsonObject shown{{"asked", amountAsked}};
            if (auto *imp = h().window->findChild<FrmImp *>(QStringLiteral("frmImp")); a.kind == Print && imp) {
                const QString text = imp->rtImpCG->toPlainText();
                const qsizetype at = text.indexOf(QStringLiteral("DEV. SOLICITADA M.N. : "));
                shown.insert(QStringLiteral("printed"), at < 0 ? QStringLiteral("(not printed)") : text.mid(at + 23).section(u'\n', 0, 0));
                imp->close();
            }
            wrong = check(folder(), shown);
            if (wrong.isEmpty() && a.kind == CopyToA)
                wrong = check(runner_->mediumFolder(), {{"stored", QString()}, {"asked", amountAsked}});
            break;
        }
        case Recover: run(QStringLiteral("answer Yes Yes")), run(QStringLiteral("click cmdAccion(7)")); break;
        case Foreign: foreign(a); break;
        case ForeignWhileTyping: foreign(a), editRow(kGrids[a.a % 5], {EditRow, a.a, a.c, a.b}); break;
        case KindCount: break;
        }
        if (!wrong.isEmpty())
            return wrong;
        settle();
        // Another program's write is shown once the file system tells of it.
        if (a.kind != Foreign && a.kind != ForeignWhileTyping)
            return checkWindow();
        (void)QTest::qWaitFor([this, &wrong] { return (wrong = checkWindow()).isEmpty(); }, 3000);
        return wrong;
    }

    QRandomGenerator rng_;
    QProcess oracle_;
    std::unique_ptr<ScenarioRunner> runner_;
    QStringList *lines_ = nullptr;
};

// The shortest part of the sequence that still fails (each run from a new
// request), by taking out ever smaller slices.
QList<Action> shrink(Model &model, QList<Action> actions)
{
    int runs = 0;
    for (qsizetype slice = actions.size() / 2; slice >= 1 && runs < 300; slice /= 2)
        for (qsizetype at = 0; at < actions.size() && runs < 300; ++runs) {
            QList<Action> fewer = actions;
            fewer.remove(at, std::min(slice, actions.size() - at));
            if (!model.episode(fewer).isEmpty())
                actions = fewer, slice = std::min(slice, std::max<qsizetype>(1, actions.size() / 2));
            else
                at += slice;
        }
    return actions;
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir config; // the paper chosen, say, stays within this run
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    const QStringList args = app.arguments();
    const int steps = args.contains("--pasos") ? args.value(args.indexOf("--pasos") + 1).toInt() : 300;
    const quint32 seed = args.contains("--semilla") ? args.value(args.indexOf("--semilla") + 1).toUInt() : 1;
    if (!RequestFixture::haveTools())
        return std::puts("python3-dbf is not installed (bash scripts/test.sh installs it)"), 1;
    Model model(seed);
    for (int done = 0; done < steps; done += kEpisode) {
        QList<Action> actions;
        for (int i = 0; i < std::min(kEpisode, steps - done); ++i)
            actions.append(model.draw());
        int failedAt = 0;
        const QString wrong = model.episode(actions, nullptr, &failedAt);
        if (wrong.isEmpty())
            continue;
        std::printf("semilla %u, pasos %d a %d: %s\n", seed, done + 1, done + failedAt + 1, qPrintable(wrong));
        QStringList lines;
        const QString still = model.episode(shrink(model, actions.mid(0, failedAt + 1)), &lines);
        std::printf("the shortest sequence that still fails (%s):\n%s\n", qPrintable(still), qPrintable(lines.join(u'\n')));
        return 1;
    }
    std::printf("semilla %u: %d pasos, todos los totales son la suma de los renglones\n", seed, steps);
    return 0;
}

// Drives the real request window through a scenario: a short story of what
// a user does and what the user, or the ministry reading the tables, then
// finds. The scenario tests run one per *.scn file; the crash trials run
// single lines as their operations.
//
// A scenario is one step per line; "#" starts a comment. Words are split on
// blanks, and a "quoted text" is one word (\" inside it is a quote).
//
// The request, written with python3-dbf before the window opens:
//   request NAME                   start from: empty | complete (the review
//                                  passes: every box filled, a row per grid)
//   set TABLE FIELD=VALUE ...      fields of the table's first record
//   record TABLE FIELD=VALUE ...   one more record of the table
//   (a VALUE is a number, a date yyyy-mm-dd, true, false, null or a text; a
//   quoted value is always text)
//   open                           the folder written, the window opened
//   today yyyy-mm-dd               the date the grids take as today
//
// What the user does:
//   tab N                          a click on tab N
//   click NAME                     a mouse click on the control
//   cell GRID ROW FIELD            a click on the grid's cell (FIELD is the
//                                  column's table field)
//   type TEXT                      keys typed into the focused control
//   key KEY                        Tab, Backtab, Return, Escape, Delete,
//                                  Backspace, Down or Up
//   pick COMBO N                   entry N chosen from the combo's list
//   answer Yes|No ...              the answers to the next questions
//   close                          the window's close button
//   reopen                         the window closed and opened again on
//                                  the folder
//   medium                         drive A is an empty folder from now on
//
// What is found (every message the program shows must be expected, in order):
//   message TEXT                   the next message shown is TEXT
//   message-start TEXT             ... begins with TEXT
//   focus NAME                     the focused control (a grid's name for
//                                  any of its cells)
//   value NAME TEXT                a box's text, or a combo's current text
//   stored TABLE ROW FIELD TEXT    python3-dbf reads that value
//   stored A:TABLE ROW FIELD TEXT  ... in the table copied to drive A
//   rows TABLE N                   python3-dbf reads N records
//   report TEXT                    the printing window shows a line
//                                  containing TEXT
//   status TEXT                    the status line shows TEXT
//   window open|closed             whether the request window is open
#pragma once

#include "complete_request.h"

#include "grids/bound_grid.h"
#include "platform/drive_a.h"
#include "printing/frm_imp.h"

#include <QApplication>
#include <QDirIterator>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabBar>
#include <QTextEdit>

namespace scenario {

inline QStringList words(const QString &line)
{
    QStringList out;
    QString word;
    bool quoted = false;
    bool inWord = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'\\' && i + 1 < line.size() && line[i + 1] == u'"')
                word += line[++i];
            else if (c == u'"')
                quoted = false;
            else
                word += c;
        } else if (c == u'"') {
            quoted = inWord = true;
            word += QChar(0x1); // marks a quoted word
        } else if (c == u'#' && !inWord) {
            break;
        } else if (c.isSpace()) {
            if (inWord)
                out.append(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        out.append(word);
    return out;
}

inline bool isQuoted(const QString &w) { return w.startsWith(QChar(0x1)); }
inline QString plain(const QString &w) { return isQuoted(w) ? w.mid(1) : w; }

inline QVariant valueOf(const QString &w)
{
    if (isQuoted(w))
        return plain(w);
    if (w == QLatin1String("null"))
        return {};
    if (w == QLatin1String("true") || w == QLatin1String("false"))
        return w == QLatin1String("true");
    bool number = false;
    const double d = w.toDouble(&number);
    if (number)
        return d;
    const QDate date = QDate::fromString(w, Qt::ISODate);
    return date.isValid() ? QVariant(date) : QVariant(w);
}

inline Qt::Key keyNamed(const QString &name)
{
    static const QMap<QString, Qt::Key> keys{
        {"Tab", Qt::Key_Tab},       {"Backtab", Qt::Key_Backtab},     {"Return", Qt::Key_Return},
        {"Escape", Qt::Key_Escape}, {"Delete", Qt::Key_Delete},       {"Backspace", Qt::Key_Backspace},
        {"Down", Qt::Key_Down},     {"Up", Qt::Key_Up}};
    return keys.value(name, Qt::Key_unknown);
}

inline QString shownText(QWidget *w)
{
    if (auto *box = qobject_cast<QLineEdit *>(w))
        return box->text();
    if (auto *combo = qobject_cast<QComboBox *>(w))
        return combo->currentText();
    return {};
}

// The named control the focus is in: the grid for a cell being typed.
inline QString focusName(const FrmQuelvar &window)
{
    for (QWidget *w = QApplication::focusWidget(); w && w != &window; w = w->parentWidget())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            return w->objectName();
    return {};
}

class ScenarioRunner {
public:
    ScenarioRunner() = default;
    ~ScenarioRunner() { DriveA::setPlacesForTests(nullptr); }

    // Runs every line of the file; stops at the first that fails.
    bool runFile(const QString &file)
    {
        file_ = QFileInfo(file).fileName();
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
            return fail(QStringLiteral("cannot read the scenario"));
        const QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
        for (line_ = 1; line_ <= lines.size(); ++line_)
            if (!runLine(lines[line_ - 1]))
                return false;
        return finish();
    }
    // One step; a blank line or a comment passes.
    bool runLine(const QString &line)
    {
        const QStringList w = words(line);
        const bool ok = w.isEmpty() || step(w);
        QCoreApplication::processEvents();
        return ok;
    }
    // Every message the program showed was expected.
    bool finish() { return allMessagesExpected(); }
    // Where and why the last step failed.
    QString error() const { return error_; }
    WindowHarness &harness() { return h_; }

private:
    bool fail(const QString &why)
    {
        error_ = QStringLiteral("%1:%2: %3").arg(file_).arg(line_).arg(why);
        return false;
    }
    bool expect(bool ok, const QString &what, const QString &found)
    {
        return ok || fail(QStringLiteral("expected %1, found «%2»").arg(what, found));
    }
    bool needs(const QStringList &w, int count)
    {
        return w.size() >= count || fail(QStringLiteral("«%1» needs %2 words").arg(w.first()).arg(count - 1));
    }
    QWidget *control(const QString &name)
    {
        if (name.startsWith(QLatin1String("frmImp."))) {
            auto *imp = h_.window->findChild<FrmImp *>(QStringLiteral("frmImp"));
            return imp ? imp->findChild<QWidget *>(name.mid(7)) : nullptr;
        }
        return h_.window ? h_.window->findChild<QWidget *>(name) : nullptr;
    }
    QList<QVariantMap> rowsOf(const QString &table) const
    {
        if (!table.startsWith(QLatin1String("A:")))
            return h_.rows(table);
        const QStringList files = QDir(medium_.path()).entryList({table.mid(2) + QStringLiteral(".dbf")}, QDir::Files);
        return files.isEmpty() ? QList<QVariantMap>() : RequestFixture::rowsIn(medium_.path(), files.first());
    }
    bool allMessagesExpected()
    {
        const QStringList shown = MessageBox::shownTexts();
        return shown.size() <= seen_ || fail(QStringLiteral("unexpected message «%1»").arg(shown.value(seen_)));
    }

    bool step(const QStringList &w)
    {
        const QString &verb = w.first();
        const QString arg = w.size() > 1 ? plain(w[1]) : QString();
        if (verb == QLatin1String("request")) {
            if (arg == QLatin1String("complete"))
                records_ = completeRequest({});
            else if (arg != QLatin1String("empty"))
                return fail(QStringLiteral("no request named ") + arg);
            return true;
        }
        if (verb == QLatin1String("set") || verb == QLatin1String("record")) {
            if (!needs(w, 2))
                return false;
            QList<QVariantMap> &table = records_[arg];
            if (verb == QLatin1String("record") || table.isEmpty())
                table.append(QVariantMap());
            QVariantMap &record = verb == QLatin1String("set") ? table.first() : table.last();
            for (const QString &pair : w.mid(2)) {
                const qsizetype eq = pair.indexOf(u'=');
                if (eq < 0)
                    return fail(QStringLiteral("FIELD=VALUE expected: ") + pair);
                const QString value = pair.mid(eq + 1);
                record.insert(plain(pair.left(eq)).toUpper(), valueOf(value));
            }
            return true;
        }
        if (verb == QLatin1String("open"))
            return h_.open(records_) || fail(QStringLiteral("the request could not be written"));
        if (verb == QLatin1String("reopen")) {
            seen_ = 0;
            return h_.reopen();
        }
        if (verb == QLatin1String("medium")) {
            places_.named = medium_.path();
            DriveA::setPlacesForTests(&places_);
            return true;
        }
        if (!h_.window)
            return fail(QStringLiteral("the window is not open yet"));
        if (verb == QLatin1String("today")) {
            h_.window->setToday(QDate::fromString(arg, Qt::ISODate));
            return true;
        }
        if (verb == QLatin1String("tab")) {
            QTabBar *bar = h_.tabs()->tabBar();
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(arg.toInt()).center());
            return expect(h_.tabs()->currentIndex() == arg.toInt(), QStringLiteral("tab ") + arg,
                          QString::number(h_.tabs()->currentIndex()));
        }
        if (verb == QLatin1String("click")) {
            QWidget *c = control(arg);
            if (!c || !c->isVisible())
                return fail(QStringLiteral("no visible control ") + arg);
            QTest::mouseClick(c, Qt::LeftButton, {}, c->rect().center());
            return true;
        }
        if (verb == QLatin1String("cell")) {
            if (!needs(w, 4))
                return false;
            auto *g = qobject_cast<BoundGrid *>(control(arg));
            if (!g)
                return fail(QStringLiteral("no grid ") + arg);
            int column = -1;
            for (int c = 0; c < g->ColumnsCount(); ++c)
                if (g->Columns(c).DataField().compare(plain(w[3]), Qt::CaseInsensitive) == 0)
                    column = c;
            const QModelIndex cell = g->model()->index(plain(w[2]).toInt(), column);
            if (!cell.isValid())
                return fail(QStringLiteral("no such cell"));
            g->scrollTo(cell);
            QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(cell).center());
            return true;
        }
        if (verb == QLatin1String("type")) {
            for (const QChar c : arg)
                QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
            return true;
        }
        if (verb == QLatin1String("key")) {
            if (keyNamed(arg) == Qt::Key_unknown)
                return fail(QStringLiteral("no key ") + arg);
            QTest::keyClick(QApplication::focusWidget(), keyNamed(arg));
            return true;
        }
        if (verb == QLatin1String("close")) {
            h_.window->close();
            return true;
        }
        if (verb == QLatin1String("pick")) {
            if (!needs(w, 3))
                return false;
            h_.pick(arg, plain(w[2]).toInt());
            return true;
        }
        if (verb == QLatin1String("answer")) {
            QList<MessageBox::Answer> answers;
            for (const QString &a : w.mid(1))
                answers.append(plain(a) == QLatin1String("Yes") ? MessageBox::Answer::Yes : MessageBox::Answer::No);
            MessageBox::setNextAnswers(answers);
            return true;
        }
        return expectation(w, verb, arg);
    }

    bool expectation(const QStringList &w, const QString &verb, const QString &arg)
    {
        if (verb == QLatin1String("message") || verb == QLatin1String("message-start")) {
            const QString next = MessageBox::shownTexts().value(seen_, QStringLiteral("(no message)"));
            ++seen_;
            return expect(verb == QLatin1String("message") ? next == arg : next.startsWith(arg), arg, next);
        }
        if (!allMessagesExpected())
            return false;
        if (verb == QLatin1String("focus"))
            return expect(focusName(*h_.window) == arg, QStringLiteral("the focus in ") + arg, focusName(*h_.window));
        if (verb == QLatin1String("value")) {
            if (!needs(w, 3))
                return false;
            const QString found = shownText(control(arg));
            return expect(found == plain(w[2]), plain(w[2]), found);
        }
        if (verb == QLatin1String("stored")) {
            if (!needs(w, 5))
                return false;
            const QVariant v = rowsOf(arg).value(plain(w[2]).toInt()).value(plain(w[3]).toUpper());
            return expect(v.toString() == plain(w[4]), plain(w[4]), v.toString());
        }
        if (verb == QLatin1String("rows")) {
            const int n = int(rowsOf(arg).size());
            return expect(n == plain(w.value(2)).toInt(), plain(w.value(2)) + QStringLiteral(" rows"),
                          QString::number(n));
        }
        if (verb == QLatin1String("report")) {
            auto *imp = h_.window->findChild<FrmImp *>(QStringLiteral("frmImp"));
            const QString text = imp && imp->isVisible() ? imp->rtImpCG->toPlainText() : QString();
            for (const QString &line : text.split(u'\n'))
                if (line.contains(arg))
                    return true;
            return fail(QStringLiteral("no line of the report shows «%1»").arg(arg));
        }
        if (verb == QLatin1String("window"))
            return expect(h_.window->isVisible() == (arg == QLatin1String("open")), QStringLiteral("the window ") + arg,
                          h_.window->isVisible() ? QStringLiteral("open") : QStringLiteral("closed"));
        if (verb == QLatin1String("status")) {
            const QString found = h_.window->statusBar()->currentMessage();
            return expect(found == arg, arg, found);
        }
        return fail(QStringLiteral("unknown step «%1»").arg(verb));
    }

    QString file_;
    QString error_;
    int line_ = 0;
    RequestFixture::Records records_;
    WindowHarness h_;
    int seen_ = 0; // messages expected so far
    QTemporaryDir medium_;
    DriveA::Places places_;
};

} // namespace scenario

using scenario::ScenarioRunner;

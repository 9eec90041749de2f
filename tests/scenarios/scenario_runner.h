// Drives the real request window through a scenario: a short story of what
// a user does and what the user, or the ministry reading the tables, then
// finds. The scenario tests run one per *.scn file; the crash trials run
// single lines as their operations.
//
// A scenario is one step per line; "#" starts a comment. Words are split on
// blanks, and a "quoted text" is one word (inside it \" is a quote, \n a
// line break and \t a tab).
//
// The request folder, written with python3-dbf before the program starts:
//   request empty|complete         the records to start from (complete: the
//                                  review passes, every box filled, a row per
//                                  grid, a reply to folio 0012/2024)
//   set TABLE FIELD=VALUE ...      fields of the table's first record
//   record TABLE FIELD=VALUE ...   one more record of the table
//   (once the folder is written, also while the window is open, both are
//   python3-dbf writing the table file, as another program would)
//   empty TABLE                    no records in the table
//   (a VALUE is a number, a date yyyy-mm-dd, true, false, null or a text; a
//   quoted value is always text)
//   width TABLE FIELD N[.D]        the field written N wide (D decimals)
//   cut TABLE N                    the table file cut to its first N bytes
//                                  (N < 0: its last -N bytes gone)
//   poke TABLE ROW FIELD TEXT      TEXT put into the field's bytes as they are
//   remove TABLE                   the table file deleted (also while open);
//                                  remove @carpeta/NAME: that file or folder
//   open                           the folder written if not yet, and the
//                                  program started on it as its main does
//   reopen                         the window gone, the program started again
//   newfolder                      the window gone; from now on an empty
//                                  request folder of its own
//   today yyyy-mm-dd               the date the grids take as today
//
// What the user does:
//   tab N [M]                      a click on tab N, which opens it (or, when
//                                  the program refuses, leaves tab M shown)
//   click NAME [TEXT]              a mouse click on a control (frmImp.NAME:
//                                  on the printing window), then TEXT typed
//   cell GRID ROW FIELD [TEXT]     a click on the grid's cell (FIELD is the
//                                  column's table field), then TEXT typed
//   type TEXT                      keys typed into the focused control (\t:
//                                  Tab, \n: Return)
//   paste TEXT                     TEXT on the clipboard, then Ctrl+V
//   key KEY                        Tab, Backtab, Return, Escape, Delete,
//                                  Backspace, Down, Up, Left, Right, or a
//                                  combination such as Ctrl+Z
//   pick COMBO N                   entry N chosen from the combo's list
//   answer Yes|No ...              the answers to the next questions
//   cancel [N]                     "Cancelar" on the next progress dialog at
//                                  its Nth step (1 unless given; a copy to or
//                                  from drive A: one a table copied, then one
//                                  a table read back or checked)
//   close                          the window's close button
//   medium [none|readonly]         drive A: an empty folder, missing, or one
//                                  that cannot be written
//   medium-cut TABLE N             the copy on drive A cut as cut does
//   medium-remove TABLE            the copy on drive A deleted
//   program [quelvar-tablas] ARG ...  quelvar (or the tool) run from the
//                                  command line; @carpeta is the request
//                                  folder, @pdf a file to write, @NAME a file
//                                  of the scenario's own
//   file NAME TEXT                 a file of the scenario's own (@carpeta/NAME:
//                                  of the request folder; folders in NAME are
//                                  made): TEXT as UTF-8
//                                  text; NAME.xlsx: a sheet written by
//                                  openpyxl (rows by line, cells by tab, a
//                                  number as a number, yyyy-mm-dd as a date);
//                                  NAME.zip: a customs package holding TEXT
//                                  as its file 551
//   choose NAME [TYPE]             the next file dialog answers file NAME,
//                                  with TYPE chosen ("Texto CSV (*.csv)";
//                                  else the type it opens on)
//   remarks WORD ...               the next dialog of remarks on rows is shown
//                                  for real, each WORD a click on its button
//                                  of that text or a key as key names it;
//                                  recorded as a message once closed (so
//                                  after a message it shows itself)
//
// What is found (every message the program shows must be expected, in order):
//   message TEXT                   the next message shown is TEXT
//   message-start TEXT             ... begins with TEXT (@carpeta in TEXT: the
//                                  request folder; @archivos: the folder of
//                                  the scenario's own files)
//   file-start NAME TEXT           the scenario's own file NAME begins with
//                                  TEXT (read as UTF-8, without its mark)
//   page N                         the tab shown is tab N
//   focus NAME                     the focused control (a grid's name for
//                                  any of its cells)
//   value NAME TEXT ...            the text of a box, a label or a combo (one
//                                  NAME TEXT pair or more)
//   state NAME WORD ...            enabled, disabled, shown, hidden, checked,
//                                  unchecked
//   shows GRID ROW FIELD TEXT      the text the grid's cell shows
//   current GRID ROW FIELD         the grid's current cell
//   columns GRID CAPTION ...       the grid's visible columns, in order
//   tabs CAPTION ...               the visible tabs, in order
//   title NAME TEXT                the window's caption (window or frmImp)
//                                  begins with TEXT
//   stored TABLE ROW FIELD TEXT ...  python3-dbf reads that value (one FIELD
//                                  TEXT pair or more)
//   stored A:TABLE ROW FIELD TEXT  ... in the table copied to drive A
//   clipboard TEXT                 the clipboard holds TEXT
//   rows [A:]TABLE N               python3-dbf reads N records
//   report TEXT                    the printing window shows a line
//                                  containing TEXT
//   report-is FILE                 ... exactly the text of golden/FILE
//                                  (QUELVAR_GOLDEN_WRITE=1 writes it anew)
//   status TEXT                    the status line shows TEXT
//   window open|closed|centred     whether the request window is open, or
//                                  open in the middle of the screen
//   exit N                         the last program run ended with status N
//   output TEXT                    ... and printed TEXT (either stream)
//   pdf TEXT|none                  the PDF it wrote (or the printing window's,
//                                  after choose solicitud.pdf) holds TEXT, or
//                                  none written and no scratch file left
#pragma once

#include "complete_request.h"
#include "python_dbf.h"

#include "grids/bound_grid.h"
#include "platform/drive_a.h"
#include "platform/file_choice.h"
#include "platform/work_progress.h"
#include "printing/frm_imp.h"
#include "store/dbf_table.h"
#include "window/grids/remarks_dialog.h"

#include <QApplication>
#include <QAbstractButton>
#include <QClipboard>
#include <QDialog>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>

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
            if (c == u'\\' && i + 1 < line.size() && QStringLiteral("\"nt").contains(line[i + 1]))
                word += line[i + 1] == u'n' ? QChar(u'\n') : line[i + 1] == u't' ? QChar(u'\t') : line[i + 1], ++i;
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
        {"Tab", Qt::Key_Tab},       {"Backtab", Qt::Key_Backtab}, {"Return", Qt::Key_Return},
        {"Escape", Qt::Key_Escape}, {"Delete", Qt::Key_Delete},   {"Backspace", Qt::Key_Backspace},
        {"Down", Qt::Key_Down},     {"Up", Qt::Key_Up},           {"Left", Qt::Key_Left},       {"Right", Qt::Key_Right}};
    return keys.value(name, Qt::Key_unknown);
}

inline QString shownText(QWidget *w)
{
    if (auto *box = qobject_cast<QLineEdit *>(w))
        return box->text();
    if (auto *combo = qobject_cast<QComboBox *>(w))
        return combo->currentText();
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    return {};
}

// The named control the focus is in: the grid for a cell being typed.
inline QString focusName(const QWidget &window)
{
    for (QWidget *w = QApplication::focusWidget(); w && w != &window; w = w->parentWidget())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            return w->objectName();
    return {};
}

// The words that describe a control's state, in the order state lists them.
inline QStringList stateOf(QWidget *w)
{
    QStringList s{w->isEnabled() ? "enabled" : "disabled", w->isHidden() ? "hidden" : "shown"};
    if (auto *b = qobject_cast<QAbstractButton *>(w); b && b->isCheckable())
        s << (b->isChecked() ? "checked" : "unchecked");
    return s;
}

class ScenarioRunner {
public:
    ScenarioRunner() = default;
    ~ScenarioRunner() { DriveA::setPlacesForTests(nullptr); }

    // Runs every line of the file; stops at the first that fails.
    bool runFile(const QString &file)
    {
        file_ = QFileInfo(file).fileName();
        dir_ = QFileInfo(file).absolutePath();
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
    WindowHarness &harness() { return *h_; }
    QString mediumFolder() const { return medium_.path(); }

private:
    bool fail(const QString &why)
    {
        error_ = QStringLiteral("%1:%2: %3").arg(file_).arg(line_).arg(why);
        return false;
    }
    bool expect(bool ok, const QString &what, const QString &found)
    {
        return ok || fail(QStringLiteral("expected «%1», found «%2»").arg(what, found));
    }
    bool needs(const QStringList &w, int count)
    {
        return w.size() >= count || fail(QStringLiteral("«%1» needs %2 words").arg(w.first()).arg(count - 1));
    }
    QWidget *control(const QString &name)
    {
        if (!h_->window)
            return nullptr;
        if (name.startsWith(QLatin1String("frmImp"))) {
            auto *imp = h_->window->findChild<FrmImp *>(QStringLiteral("frmImp"));
            return imp && name.size() > 7 ? imp->findChild<QWidget *>(name.mid(7)) : imp;
        }
        return name == QLatin1String("window") ? h_->window.get() : h_->window->findChild<QWidget *>(name);
    }
    BoundGrid *grid(const QString &name, int *column = nullptr, const QString &field = {})
    {
        auto *g = qobject_cast<BoundGrid *>(control(name));
        for (int c = 0; g && column && c < g->ColumnsCount(); ++c)
            if (g->Columns(c).DataField().compare(field, Qt::CaseInsensitive) == 0)
                *column = c;
        return g;
    }
    // The grid's cell named by the words GRID ROW FIELD from w[1].
    QModelIndex cellOf(const QStringList &w, BoundGrid **g)
    {
        int column = -1;
        *g = w.size() > 3 ? grid(plain(w[1]), &column, plain(w[3])) : nullptr;
        return *g ? (*g)->model()->index(plain(w[2]).toInt(), column) : QModelIndex();
    }
    // The control's window in front, as a click brings it: a dialog shown
    // and gone (a progress after half a second) leaves no window active
    // where no window manager gives the focus back.
    static void activate(QWidget *c)
    {
        if (QApplication::activeWindow() == c->window())
            return;
        c->window()->activateWindow();
        (void)QTest::qWaitForWindowActive(c->window(), 2000); // a click says what went wrong
    }
    // Keys into the focused control, one by one, as a person types them.
    bool typed(const QString &text)
    {
        for (const QChar c : text) {
            QWidget *to = QApplication::focusWidget();
            if (!to)
                return fail(QStringLiteral("no control has the focus"));
            if (c == u'\t' || c == u'\n')
                QTest::keyClick(to, c == u'\t' ? Qt::Key_Tab : Qt::Key_Return);
            else
                QTest::keyClick(to, c.toLatin1());
            QCoreApplication::processEvents();
        }
        return true;
    }
    bool same(const QString &found, const QString &wanted) { return expect(found == wanted, wanted, found); }
    QString mediumFile(const QString &table) const
    {
        const QStringList files =
            QDir(medium_.path()).entryList({table + QStringLiteral(".dbf")}, QDir::Files); // any case
        return files.isEmpty() ? QString() : medium_.filePath(files.first());
    }
    QList<QVariantMap> rowsOf(const QString &table) const
    {
        if (!table.startsWith(QLatin1String("A:")))
            return h_->rows(table);
        const QString file = mediumFile(table.mid(2));
        return file.isEmpty() ? QList<QVariantMap>() : RequestFixture::rowsIn(medium_.path(), QFileInfo(file).fileName());
    }
    bool allMessagesExpected()
    {
        const QStringList shown = MessageBox::shownTexts();
        return shown.size() <= seen_ || fail(QStringLiteral("unexpected message «%1»").arg(shown.value(seen_)));
    }
    bool written()
    {
        if (!written_) {
            written_ = true;
            const QString error = h_->fixture.create(records_, widths_);
            if (!error.isEmpty())
                return fail(QStringLiteral("the request could not be written: ") + error);
        }
        return true;
    }
    bool cut(const QString &file, const QString &size)
    {
        QFile f(file);
        const qint64 n = size.toLongLong();
        return (!file.isEmpty() && f.resize(n < 0 ? f.size() + n : n)) || fail(QStringLiteral("cannot cut ") + file);
    }
    bool poke(const QStringList &w)
    {
        const std::unique_ptr<DbfTable> t = DbfTable::open(h_->fixture.file(plain(w[1])));
        const int field = t->fieldIndex(plain(w[3]).toUpper());
        const int row = plain(w[2]).toInt();
        if (field < 0 || row >= int(t->recordCount()))
            return fail(QStringLiteral("no such field or record"));
        const FieldDef &f = t->field(field);
        QByteArray bytes(t->record(row), t->recordLength());
        bytes.replace(f.offset, f.length, plain(w[4]).toLatin1().leftJustified(f.length, ' ', true));
        t->writeRecord(row, bytes);
        return true;
    }
    // python3-dbf writes fields of a record of the table's file.
    bool writtenBy(const char *record, const QString &table, const QStringList &pairs)
    {
        QJsonObject values;
        for (const QString &pair : pairs)
            values.insert(plain(pair.section(u'=', 0, 0)).toUpper(), PythonDbf::toJson(valueOf(pair.section(u'=', 1))));
        QString error;
        PythonDbf::runTool({QStringLiteral("set"), h_->fixture.file(table), QString::fromLatin1(record)},
                           QJsonDocument(values).toJson(), &error);
        return error.isEmpty() || fail(error);
    }
    bool runProgram(QStringList args)
    {
        const QString program = args.value(0) == QLatin1String("quelvar-tablas") ? args.takeFirst() : "quelvar";
        QStringList arguments;
        for (const QString &a : args)
            arguments << (plain(a) == QLatin1String("@carpeta") ? h_->fixture.folder()
                          : plain(a) == QLatin1String("@pdf")   ? out_.filePath(QStringLiteral("solicitud.pdf"))
                          : a.startsWith(u'@')                  ? out_.filePath(plain(a).mid(1))
                                                                : plain(a));
        QFile::remove(out_.filePath(QStringLiteral("solicitud.pdf")));
        QProcess p;
        p.start(QStringLiteral(QUELVAR_TOOLS_DIR "/") + program, arguments);
        if (!p.waitForFinished(120000))
            return fail(QStringLiteral("quelvar did not finish"));
        exit_ = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        output_ = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        return true;
    }

    // A file of the scenario's own; sheets and packages made by Python, as
    // other programs make them.
    bool writeFile(const QString &name, const QString &text)
    {
        const QString path = name.startsWith(QLatin1String("@carpeta/"))
                                 ? QDir(h_->fixture.folder()).filePath(name.mid(9))
                                 : out_.filePath(name);
        if (!name.endsWith(QLatin1String(".xlsx")) && !name.endsWith(QLatin1String(".zip"))) {
            QDir().mkpath(QFileInfo(path).path());
            QFile f(path);
            return f.open(QIODevice::WriteOnly) && f.write(text.toUtf8()) >= 0;
        }
        static const char *script = R"(
import sys, zipfile, datetime
path, text = sys.argv[1], sys.stdin.read()
if path.endswith('.zip'):
    with zipfile.ZipFile(path, 'w') as z:
        z.writestr('datastage/1234567_551.asc', text.replace('\n', '\r\n').encode('cp1252'))
    sys.exit(0)
import openpyxl
book = openpyxl.Workbook()
for line in text.splitlines():
    row = []
    for cell in line.split('	'):
        try:
            row.append(datetime.datetime.strptime(cell, '%Y-%m-%d'))
        except ValueError:
            try:
                row.append(float(cell) if '.' in cell else int(cell))
            except ValueError:
                row.append(cell if cell else None)
    book.active.append(row)
for row in book.active.iter_rows():
    for c in row:
        if isinstance(c.value, datetime.datetime):
            c.number_format = 'dd/mm/yyyy'
book.save(path)
)";
        QProcess p;
        p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(script), path});
        p.write(text.toUtf8());
        p.closeWriteChannel();
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            return fail(QStringLiteral("python3 could not write ") + name + ": " + p.readAllStandardError());
        return true;
    }

    bool step(const QStringList &w)
    {
        const QString &verb = w.first();
        const QString arg = w.size() > 1 ? plain(w[1]) : QString();
        if (verb == QLatin1String("request"))
            return (records_ = arg == QLatin1String("complete") ? completeRequest({}) : RequestFixture::Records()), true;
        if (verb == QLatin1String("set") || verb == QLatin1String("record")) {
            if (!needs(w, 2))
                return false;
            if (written_)
                return writtenBy(verb == QLatin1String("set") ? "0" : "new", arg, w.mid(2));
            QList<QVariantMap> &table = records_[arg];
            if (verb == QLatin1String("record") || table.isEmpty())
                table.append(QVariantMap());
            QVariantMap &record = verb == QLatin1String("set") ? table.first() : table.last();
            for (const QString &pair : w.mid(2)) {
                const qsizetype eq = pair.indexOf(u'=');
                if (eq < 0)
                    return fail(QStringLiteral("FIELD=VALUE expected: ") + pair);
                record.insert(plain(pair.left(eq)).toUpper(), valueOf(pair.mid(eq + 1)));
            }
            return true;
        }
        if (verb == QLatin1String("empty"))
            return records_[arg].clear(), true;
        if (verb == QLatin1String("width")) {
            widths_.insert(arg + u'.' + plain(w.value(2)).toUpper(), plain(w.value(3)));
            return needs(w, 4);
        }
        if (verb == QLatin1String("cut"))
            return needs(w, 3) && written() && cut(h_->fixture.file(arg), plain(w[2]));
        if (verb == QLatin1String("poke"))
            return needs(w, 5) && written() && poke(w);
        if (verb == QLatin1String("remove") && arg.startsWith(QLatin1String("@carpeta/"))) {
            const QString path = QDir(h_->fixture.folder()).filePath(arg.mid(9));
            return QFile::remove(path) || QDir(path).removeRecursively() || fail(QStringLiteral("cannot remove ") + arg);
        }
        if (verb == QLatin1String("remove"))
            return (written() && QFile::remove(h_->fixture.file(arg))) || fail(QStringLiteral("cannot remove ") + arg);
        if (verb == QLatin1String("open") || verb == QLatin1String("reopen"))
            return written() && (seen_ = 0, h_->reopen(), true);
        if (verb == QLatin1String("newfolder")) {
            h_ = std::make_unique<WindowHarness>(); // the one before goes, and its folder
            MessageBox::clearShown();
            records_.clear(), widths_.clear(), written_ = false, seen_ = 0;
            return true;
        }
        if (verb == QLatin1String("medium")) {
            places_.named = arg == QLatin1String("none")       ? QString()
                            : arg == QLatin1String("readonly") ? QStringLiteral("/proc")
                                                               : medium_.path();
            return DriveA::setPlacesForTests(&places_), true;
        }
        if (verb == QLatin1String("medium-cut"))
            return needs(w, 3) && cut(mediumFile(arg), plain(w[2]));
        if (verb == QLatin1String("medium-remove"))
            return QFile::remove(mediumFile(arg)) || fail(QStringLiteral("cannot remove ") + arg);
        if (verb == QLatin1String("file"))
            return needs(w, 3) && writeFile(arg, plain(w[2]));
        if (verb == QLatin1String("choose"))
            return FileChoice::setScripted({out_.filePath(arg) + (w.size() > 2 ? u'|' + plain(w[2]) : QString())}), true;
        if (verb == QLatin1String("remarks")) {
            QStringList acts;
            for (const QString &a : w.mid(1))
                acts << plain(a);
            RemarksDialog::actOnNext([acts](QDialog *dialog) {
                // In front and taking the keys, as the user finds it.
                (void)QTest::qWaitFor([dialog] { return QApplication::activeWindow() == dialog; }, 2000);
                for (const QString &a : acts) {
                    QWidget *focus = QApplication::focusWidget();
                    if (keyNamed(a) != Qt::Key_unknown)
                        QTest::keyClick(focus && dialog->isAncestorOf(focus) ? focus : dialog, keyNamed(a));
                    for (QAbstractButton *b : dialog->findChildren<QAbstractButton *>())
                        if (b->text() == a)
                            QTest::mouseClick(b, Qt::LeftButton);
                }
            });
            return true;
        }
        if (verb == QLatin1String("program"))
            return written() && runProgram(w.mid(1));
        if (verb == QLatin1String("cancel"))
            return WorkProgress::cancelNextAt(w.size() > 1 ? arg.toInt() : 1), true;
        if (verb == QLatin1String("answer")) {
            QList<MessageBox::Answer> answers;
            for (const QString &a : w.mid(1))
                answers.append(plain(a) == QLatin1String("Yes") ? MessageBox::Answer::Yes : MessageBox::Answer::No);
            return MessageBox::setNextAnswers(answers), true;
        }
        if (verb.startsWith(QLatin1String("message")) || verb == QLatin1String("exit")
            || verb == QLatin1String("output") || verb == QLatin1String("pdf") || verb == QLatin1String("window")
            || verb == QLatin1String("rows") || verb == QLatin1String("stored") || verb == QLatin1String("file-start"))
            return expectation(w, verb, arg);
        if (!h_->window)
            return fail(QStringLiteral("the window is not open"));
        if (verb == QLatin1String("today"))
            return h_->window->setToday(QDate::fromString(arg, Qt::ISODate)), true;
        if (verb == QLatin1String("tab")) {
            QTabBar *bar = h_->tabs()->tabBar();
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(arg.toInt()).center());
            return same(QString::number(h_->tabs()->currentIndex()), plain(w.value(2, arg)));
        }
        if (verb == QLatin1String("click")) {
            QWidget *c = control(arg);
            if (!c || !c->isVisible())
                return fail(QStringLiteral("no visible control ") + arg);
            activate(c);
            QTest::mouseClick(c, Qt::LeftButton, {}, c->rect().center());
            return typed(plain(w.value(2)));
        }
        if (verb == QLatin1String("cell")) {
            BoundGrid *g = nullptr;
            const QModelIndex cell = cellOf(w, &g);
            if (!cell.isValid())
                return fail(QStringLiteral("no such cell"));
            g->scrollTo(cell);
            activate(g);
            QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(cell).center());
            return typed(plain(w.value(4)));
        }
        if (verb == QLatin1String("type"))
            return typed(arg);
        if ((verb == QLatin1String("paste") || verb == QLatin1String("key")) && !QApplication::focusWidget())
            return fail(QStringLiteral("no control has the focus"));
        if (verb == QLatin1String("paste"))
            return QApplication::clipboard()->setText(arg),
                   QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier), true;
        if (verb == QLatin1String("key") && arg.contains(u'+'))
            return QTest::keySequence(QApplication::focusWidget(), QKeySequence(arg)), true;
        if (verb == QLatin1String("key"))
            return keyNamed(arg) == Qt::Key_unknown
                       ? fail(QStringLiteral("no key ") + arg)
                       : (QTest::keyClick(QApplication::focusWidget(), keyNamed(arg)), true);
        if (verb == QLatin1String("close"))
            return h_->window->close(), true;
        if (verb == QLatin1String("pick"))
            return !needs(w, 3) || !qobject_cast<QComboBox *>(control(arg)) ? fail(QStringLiteral("no list ") + arg)
                                                                           : (h_->pick(arg, plain(w[2]).toInt()), true);
        return expectation(w, verb, arg);
    }

    bool expectation(const QStringList &w, const QString &verb, QString arg)
    {
        if (verb == QLatin1String("message") || verb == QLatin1String("message-start")) {
            const QString next = MessageBox::shownTexts().value(seen_, QStringLiteral("(no message)"));
            ++seen_;
            arg.replace(QStringLiteral("@carpeta"), QDir::toNativeSeparators(h_->fixture.folder()));
            arg.replace(QStringLiteral("@archivos"), QDir::toNativeSeparators(out_.path()));
            return expect(verb == QLatin1String("message") ? next == arg : next.startsWith(arg), arg, next);
        }
        if (!allMessagesExpected())
            return false;
        if (verb == QLatin1String("window") && arg == QLatin1String("centred") && h_->window) {
            const QRect area = h_->window->screen()->availableGeometry();
            const QPoint centred = area.topLeft() + QPoint(std::max(0, (area.width() - h_->window->width()) / 2),
                                                           std::max(0, (area.height() - h_->window->height()) / 2));
            return expect(h_->window->pos() == centred, QStringLiteral("centred"), QStringLiteral("elsewhere"));
        }
        if (verb == QLatin1String("window")) {
            const bool open = h_->window && h_->window->isVisible();
            return expect(open == (arg == QLatin1String("open")), arg, open ? "open" : "closed");
        }
        if (verb == QLatin1String("exit"))
            return same(QString::number(exit_), arg);
        if (verb == QLatin1String("output"))
            return expect(output_.contains(arg), arg, output_);
        if (verb == QLatin1String("pdf")) {
            const QString pdf = out_.filePath(QStringLiteral("solicitud.pdf"));
            if (arg == QLatin1String("none"))
                return expect(!QFileInfo::exists(pdf) && QDir(out_.path()).entryList(QDir::Files | QDir::Hidden).isEmpty(),
                              arg, QDir(out_.path()).entryList(QDir::Files | QDir::Hidden).join(u' '));
            QProcess text;
            text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
            text.waitForFinished(60000);
            const QString found = QString::fromUtf8(text.readAllStandardOutput());
            return expect(found.contains(arg), arg, found.left(200));
        }
        if (verb == QLatin1String("file-start")) {
            QFile f(out_.filePath(arg));
            QString text = f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QStringLiteral("(no file)");
            if (text.startsWith(QChar(0xFEFF)))
                text.remove(0, 1);
            return expect(text.startsWith(plain(w.value(2))), plain(w.value(2)), text.left(200));
        }
        if (verb == QLatin1String("clipboard"))
            return same(QApplication::clipboard()->text(), arg);
        if (verb == QLatin1String("rows"))
            return same(QString::number(rowsOf(arg).size()), plain(w.value(2)));
        if (verb == QLatin1String("stored")) {
            const QVariantMap row = needs(w, 5) ? rowsOf(arg).value(plain(w[2]).toInt()) : QVariantMap();
            for (qsizetype i = 3; i + 1 < w.size(); i += 2)
                if (!same(row.value(plain(w[i]).toUpper()).toString(), plain(w[i + 1])))
                    return false;
            return w.size() >= 5;
        }
        if (!h_->window)
            return fail(QStringLiteral("the window is not open"));
        if (verb == QLatin1String("page"))
            return same(QString::number(h_->tabs()->currentIndex()), arg);
        if (verb == QLatin1String("focus"))
            return same(focusName(*h_->window), arg);
        if (verb == QLatin1String("value")) {
            for (qsizetype i = 1; i < w.size(); i += 2)
                if (!same(shownText(control(plain(w[i]))), plain(w.value(i + 1))))
                    return false;
            return true;
        }
        if (verb == QLatin1String("state")) {
            QWidget *c = control(arg);
            if (!c)
                return fail(QStringLiteral("no control ") + arg);
            for (const QString &word : w.mid(2))
                if (!stateOf(c).contains(plain(word)))
                    return expect(false, plain(word), stateOf(c).join(u' '));
            return true;
        }
        if (verb == QLatin1String("shows")) {
            BoundGrid *g = nullptr;
            return same(cellOf(w, &g).data().toString(), plain(w.value(4)));
        }
        if (verb == QLatin1String("current")) {
            BoundGrid *g = nullptr;
            const QModelIndex wanted = cellOf(w, &g);
            const QModelIndex at = g ? g->currentIndex() : QModelIndex();
            return expect(at.isValid() && at == wanted, plain(w.value(2)) + u' ' + plain(w.value(3)),
                          at.isValid() ? QStringLiteral("%1 %2").arg(at.row()).arg(g->Columns(at.column()).DataField())
                                       : QString());
        }
        if (verb == QLatin1String("columns") || verb == QLatin1String("tabs")) {
            QStringList found, wanted;
            for (const QString &word : w.mid(verb == QLatin1String("tabs") ? 1 : 2))
                wanted << plain(word);
            if (verb == QLatin1String("tabs")) {
                for (int i = 0; i < h_->tabs()->count(); ++i)
                    if (h_->tabs()->isTabVisible(i))
                        found << h_->tabs()->tabText(i);
            } else if (BoundGrid *g = grid(arg)) {
                for (int c = 0; c < g->ColumnsCount(); ++c)
                    if (!g->isColumnHidden(c))
                        found << g->model()->headerData(c, Qt::Horizontal).toString();
            }
            return expect(found == wanted, wanted.join(u'|'), found.join(u'|'));
        }
        if (verb == QLatin1String("title")) {
            QWidget *c = control(arg);
            const QString found = c ? c->windowTitle() : QString();
            return expect(found.startsWith(plain(w.value(2))), plain(w.value(2)), found);
        }
        if (verb == QLatin1String("report") || verb == QLatin1String("report-is")) {
            auto *imp = qobject_cast<FrmImp *>(control(QStringLiteral("frmImp")));
            const QString text = imp && imp->isVisible() ? imp->rtImpCG->toPlainText() : QString();
            if (verb == QLatin1String("report-is")) {
                QFile golden(dir_ + QStringLiteral("/golden/") + arg);
                if (qEnvironmentVariableIsSet("QUELVAR_GOLDEN_WRITE") && golden.open(QIODevice::WriteOnly))
                    golden.write(text.toUtf8()), golden.close(); // a new golden text, to be read over
                if (!golden.open(QIODevice::ReadOnly))
                    return fail(QStringLiteral("no golden file ") + arg);
                return expect(text == QString::fromUtf8(golden.readAll()), arg, text.left(300));
            }
            for (const QString &line : text.split(u'\n'))
                if (line.contains(arg))
                    return true;
            return fail(QStringLiteral("no line of the report shows «%1»").arg(arg));
        }
        if (verb == QLatin1String("status"))
            return same(h_->window->statusBar()->currentMessage(), arg);
        return fail(QStringLiteral("unknown step «%1»").arg(verb));
    }

    QString file_, dir_, error_;
    int line_ = 0;
    RequestFixture::Records records_;
    QMap<QString, QString> widths_;
    bool written_ = false;
    std::unique_ptr<WindowHarness> h_ = std::make_unique<WindowHarness>();
    int seen_ = 0; // messages expected so far
    QTemporaryDir medium_, out_;
    DriveA::Places places_;
    int exit_ = -1;
    QString output_;
};

} // namespace scenario

using scenario::ScenarioRunner;

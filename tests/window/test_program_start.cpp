// Starting the program on a request folder: damaged or missing tables and a
// second program on the same folder are refused with a message, and nothing
// is written to the folder; an erase or a recovery that a program did not
// live to end is ended first.
#include "test_registry.h"
#include "app/program_start.h"
#include "exchange/request_exchange.h"
#include "exchange/unfinished_work.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "table_files.h"
#include "platform/message_box.h"
#include "folder_snapshot.h"
#include "request_fixture.h"
#include "window/frm_quelvar.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include <cstdio>

namespace {

QStringList args(const QString &folder) { return {QStringLiteral("quelvar"), folder}; }

} // namespace

class TestProgramStart : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!RequestFixture::haveTools())
            QFAIL("python3-dbf is not installed (bash scripts/test.sh installs it)");
        MessageBox::setScripted(true);
    }

    void init() { MessageBox::clearShown(); }

    void opensAGoodFolder()
    {
        RequestFixture f;
        QVERIFY(f.create().isEmpty());
        auto program = startProgram(args(f.folder()));
        QVERIFY(program->window);
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(program->window->folder(), QDir(f.folder()).absolutePath());
    }

    void damagedTableIsNamedAndNothingIsWritten_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("remove");
        QTest::newRow("solicitu damaged") << "solicitu.dbf" << false;
        QTest::newRow("catalogue missing") << "Paises.dbf" << true;
    }

    void damagedTableIsNamedAndNothingIsWritten()
    {
        QFETCH(QString, file);
        QFETCH(bool, remove);
        RequestFixture f;
        QVERIFY(f.create().isEmpty());
        const QString path = QDir(f.folder()).filePath(file);
        if (remove) {
            QVERIFY(QFile::remove(path));
        } else {
            QFile table(path);
            QVERIFY(table.open(QIODevice::ReadWrite));
            table.seek(8); // header length
            table.write("\x01\x00", 2);
        }
        const FolderSnapshot before = snapshot(f.folder());
        auto program = startProgram(args(f.folder()));
        QVERIFY(!program->window);
        QCOMPARE(MessageBox::shown().size(), 1);
        const QString message = MessageBox::shown().first().text;
        QVERIFY2(message.contains(file, Qt::CaseInsensitive), qPrintable(message));
        QVERIFY2(message.contains(QDir::toNativeSeparators(f.folder())), qPrintable(message));
        QCOMPARE(MessageBox::shown().first().title, QStringLiteral("QUELVAR"));
        program.reset();
        QVERIFY(snapshot(f.folder()) == before);
    }

    void secondProgramOnTheSameFolderIsRefused()
    {
        RequestFixture f;
        QVERIFY(f.create().isEmpty());
        auto first = startProgram(args(f.folder()));
        QVERIFY(first->window);
        const FolderSnapshot before = snapshot(f.folder());

        auto second = startProgram(args(f.folder()));
        QVERIFY(!second->window);
        QVERIFY(!second->lock);
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::shown().first().text.contains(QDir::toNativeSeparators(f.folder())));
        second.reset();
        QVERIFY(snapshot(f.folder()) == before);

        // Once the first program ends, the folder can be opened again.
        first.reset();
        MessageBox::clearShown();
        auto third = startProgram(args(f.folder()));
        QVERIFY(third->window);
    }

    // A folder left by a program that died while it erased or recovered the
    // request: the start ends the work, says so, and opens the window on
    // the result, with nothing of the work left over.
    void unfinishedWorkIsEndedAtStart_data()
    {
        QTest::addColumn<bool>("recovery");
        QTest::newRow("an erase of everything, two tables emptied") << false;
        QTest::newRow("a recovery, three tables moved") << true;
    }
    void unfinishedWorkIsEndedAtStart()
    {
        QFETCH(bool, recovery);
        RequestFixture f;
        QVERIFY(f.create({{"empresas", {{{"NOMBRE", "EXPORTADORA"}}}},
                          {"solicitu", {{{"DESCRIP", "TORNILLOS"}}}},
                          {"insupedi", {{{"TIPO", "A1"}}, {{"TIPO", "A3"}}}},
                          {"impTLC", {{{"PAIS_IMPOR", "CANADA"}}}}})
                    .isEmpty());
        RequestFixture drive;
        QVERIFY(drive.create({{"empresas", {{{"NOMBRE", "IMPORTADORA"}}}}}).isEmpty());
        std::unique_ptr<RequestExchange::Recovery> cut;
        if (recovery) {
            struct Death {};
            cut = std::make_unique<RequestExchange::Recovery>(f.folder());
            for (const QString &table : RequestExchange::tables())
                RequestExchange::copyTable(drive.folder(), cut->staging(), RequestExchange::fileOf(table));
            int moves = 0;
            RequestExchange::setRenameFunction([&moves](const QByteArray &from, const QByteArray &to) {
                if (++moves > 3)
                    throw Death{};
                return std::rename(from.constData(), to.constData());
            });
            QVERIFY_THROWS_EXCEPTION(Death, cut->install());
            RequestExchange::setRenameFunction({});
        } else {
            UnfinishedWork::noteErase(f.folder(), true);
            for (const char *table : {"impTLC", "insupedi"}) {
                Recordset rs(DbfTable::open(f.file(QString::fromLatin1(table))));
                EliminaRegistros(rs);
            }
        }
        writeAll(QDir(f.folder()).filePath(QStringLiteral(".quelvar.devolucion.aB3dE9")), "R");

        auto program = startProgram(args(f.folder()));
        QVERIFY(program->window);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().first().icon, MessageBox::Icon::Information);
        QVERIFY(MessageBox::shown().first().text.contains(recovery ? "recuperación" : "borrado"));
        QCOMPARE(program->window->findChild<QLineEdit *>(QStringLiteral("txtRSocial"))->text(),
                 recovery ? QStringLiteral("IMPORTADORA") : QString());
        for (const char *table : {"solicitu", "insupedi", "impTLC"})
            QVERIFY2(f.rows(QString::fromLatin1(table)).isEmpty(), table);
        QCOMPARE(UnfinishedWork::pending(f.folder()).kind, UnfinishedWork::Note::None);
        QStringList left = QDir(f.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        left.removeIf([](const QString &name) { return name.endsWith(QLatin1String(".dbf")); });
        left.sort();
        QStringList expected{QStringLiteral(".quelvar.lock")};
        if (recovery)
            expected.append(QStringLiteral("respaldos"));
        QCOMPARE(left, expected);
        cut.reset();
    }
};

QUELVAR_TEST_CLASS(TestProgramStart)
#include "test_program_start.moc"

// Starting the program on a request folder: damaged or missing tables and a
// second program on the same folder are refused with a message, and nothing
// is written to the folder.
#include "test_registry.h"
#include "app/program_start.h"
#include "platform/message_box.h"
#include "folder_snapshot.h"
#include "request_fixture.h"
#include "window/frm_quelvar.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

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
};

QUELVAR_TEST_CLASS(TestProgramStart)
#include "test_program_start.moc"

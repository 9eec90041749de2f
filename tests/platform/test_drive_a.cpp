// Which folder stands for drive A: the one named by QUELVAR_UNIDAD_A, the
// floppy, or the user's removable medium (picked from a list when several);
// one that cannot be written (/proc, for root too) is no good for an export.

#include "test_registry.h"

#include "platform/drive_a.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestDriveA : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    // "A", "B", "C": folders; "file": a file; "gone": nothing; "": not there;
    // an absolute path: itself.
    QString path(const QString &token) const
    {
        return token.isEmpty() || QDir::isAbsolutePath(token) ? token : dir_.filePath(token);
    }

private slots:
    void initTestCase()
    {
        for (const char *name : {"A", "B", "C"})
            QVERIFY(QDir(dir_.path()).mkdir(QString::fromLatin1(name)));
        QFile file(path(QStringLiteral("file")));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    void cleanup()
    {
        DriveA::setPlacesForTests(nullptr);
        DriveA::setPickForTests({});
    }

    void choice_data()
    {
        QTest::addColumn<QString>("named");
        QTest::addColumn<QString>("floppy");
        QTest::addColumn<QStringList>("removable");
        QTest::addColumn<int>("pick"); // the index the user picks from the list
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("chosen");
        using enum DriveA::Choice::Status;
        struct Row {
            const char *name, *named, *floppy;
            QStringList removable;
            int pick;
            DriveA::Choice::Status status;
            const char *chosen;
        };
        const QList<Row> rows{
            {"the named folder first", "A", "B", {"C"}, 0, Ready, "A"},
            {"the named decides alone: a file", "file", "B", {}, 0, NotReady, ""},
            {"the named decides alone: gone", "gone", "B", {"C"}, 0, NotReady, ""},
            {"the named decides alone: cannot be written", "/proc", "B", {}, 0, NotWritable, "/proc"},
            {"then the floppy", "", "B", {"C"}, 0, Ready, "B"},
            {"then the one removable medium", "", "", {"C"}, 0, Ready, "C"},
            {"several: the one picked", "", "", {"A", "C"}, 1, Ready, "C"},
            {"several: none picked", "", "", {"A", "C"}, -1, Cancelled, ""},
            {"nothing", "", "", {}, 0, NotReady, ""},
        };
        for (const Row &r : rows)
            QTest::newRow(r.name) << QString::fromLatin1(r.named) << QString::fromLatin1(r.floppy) << r.removable
                                  << r.pick << int(r.status) << QString::fromLatin1(r.chosen);
    }
    void choice()
    {
        QFETCH(QString, named);
        QFETCH(QString, floppy);
        QFETCH(QStringList, removable);
        QFETCH(int, pick);
        QFETCH(int, status);
        QFETCH(QString, chosen);
        DriveA::Places places{path(named), path(floppy), {}};
        for (const QString &token : removable)
            places.removable.append(path(token));
        DriveA::setPlacesForTests(&places);
        QStringList offered;
        DriveA::setPickForTests([&](const QStringList &folders) {
            offered = folders;
            return pick;
        });
        for (DriveA::Use use : {DriveA::Use::Read, DriveA::Use::Write}) {
            const DriveA::Choice choice = DriveA::choose(nullptr, use);
            const bool onlyRead = use == DriveA::Use::Read && status == DriveA::Choice::NotWritable;
            QCOMPARE(int(choice.status), onlyRead ? DriveA::Choice::Ready : status);
            QCOMPARE(choice.folder, path(chosen));
            QCOMPARE(offered,
                     removable.size() > 1 && named.isEmpty() && floppy.isEmpty() ? places.removable : QStringList{});
        }
    }

    void namedByTheEnvironment()
    {
        qputenv("QUELVAR_UNIDAD_A", path(QStringLiteral("A")).toLocal8Bit());
        const DriveA::Places places = DriveA::systemPlaces();
        qunsetenv("QUELVAR_UNIDAD_A");
        QCOMPARE(places.named, path(QStringLiteral("A")));
        QCOMPARE(DriveA::systemPlaces().named, QString());
    }
};

QUELVAR_TEST_CLASS(TestDriveA)
#include "test_drive_a.moc"

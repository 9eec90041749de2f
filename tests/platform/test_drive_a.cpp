// Which folder stands for drive A: the one named by QUELVAR_UNIDAD_A, else
// the floppy, else the user's removable medium (picked from a list when
// several); one that cannot be written (/proc, for root too) serves for
// reading only.

#include "test_registry.h"

#include "platform/drive_a.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// "A", "B", "C": folders; "file": a file; "": not there;
// an absolute path: itself. pick: the index the user picks from the list.
struct Case { QString named, floppy; QStringList removable; int pick; DriveA::Choice::Status status; QString chosen; };

} // namespace

class TestDriveA : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString path(const QString &token) const
    {
        return token.isEmpty() || QDir::isAbsolutePath(token) ? token : dir_.filePath(token);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir(dir_.path()).mkpath("A") && QDir(dir_.path()).mkpath("B") && QDir(dir_.path()).mkpath("C"));
        QFile file(path(QStringLiteral("file")));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    void choice_data()
    {
        QTest::addColumn<Case>("c");
        using enum DriveA::Choice::Status;
        QTest::newRow("the named folder first") << Case{"A", "B", {"C"}, 0, Ready, "A"};
        QTest::newRow("the named decides alone: a file") << Case{"file", "B", {}, 0, NotReady, ""};
        QTest::newRow("the named decides alone: not writable") << Case{"/proc", "B", {}, 0, NotWritable, "/proc"};
        QTest::newRow("then the floppy") << Case{"", "B", {"C"}, 0, Ready, "B"};
        QTest::newRow("several: the one picked") << Case{"", "", {"A", "C"}, 1, Ready, "C"};
        QTest::newRow("several: none picked") << Case{"", "", {"A", "C"}, -1, Cancelled, ""};
        QTest::newRow("nothing") << Case{"", "", {}, 0, NotReady, ""};
    }
    void choice()
    {
        QFETCH(Case, c);
        DriveA::Places places{path(c.named), path(c.floppy), {}};
        for (const QString &token : c.removable)
            places.removable.append(path(token));
        DriveA::setPlacesForTests(&places);
        QStringList offered;
        DriveA::setPickForTests([&](const QStringList &folders) { return offered = folders, c.pick; });
        for (DriveA::Use use : {DriveA::Use::Read, DriveA::Use::Write}) {
            const DriveA::Choice choice = DriveA::choose(nullptr, use);
            const bool readOnly = use == DriveA::Use::Read && c.status == DriveA::Choice::NotWritable;
            QCOMPARE(choice.status, readOnly ? DriveA::Choice::Ready : c.status);
            QCOMPARE(choice.folder, path(c.chosen));
            const bool listed = c.removable.size() > 1 && (c.named + c.floppy).isEmpty();
            QCOMPARE(offered, listed ? places.removable : QStringList());
        }
        DriveA::setPlacesForTests(nullptr);
        DriveA::setPickForTests({});
        qputenv("QUELVAR_UNIDAD_A", path(c.named).toLocal8Bit());
        QCOMPARE(DriveA::systemPlaces().named, path(c.named));
        qunsetenv("QUELVAR_UNIDAD_A");
    }
};

QUELVAR_TEST_CLASS(TestDriveA)
#include "test_drive_a.moc"

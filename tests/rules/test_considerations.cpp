// Which considerations file is shown, and how its bytes are read.
#include "rules/considerations.h"
#include "test_registry.h"

#include <QTemporaryDir>
#include <QTest>

class TestConsiderations : public QObject {
    Q_OBJECT
private slots:
    void decodesUtf8OrWindows1252_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTF-8") << QByteArray("Informaci\xc3\xb3n\n") << QStringLiteral("Información\n");
        QTest::newRow("UTF-8 with its mark") << QByteArray("\xef\xbb\xbf" "A\xc3\xb1o") << QStringLiteral("Año");
        QTest::newRow("Windows-1252") << QByteArray("Informaci\xf3n \x93" "cita\x94 \x80") << QStringLiteral("Información “cita” €");
        QTest::newRow("Windows line ends") << QByteArray("uno\r\ndos\rtres") << QStringLiteral("uno\ndos\ntres");
        QTest::newRow("UTF-8 cut in a letter is not UTF-8") << QByteArray("a\xc3") << QStringLiteral("aÃ");
    }
    void decodesUtf8OrWindows1252()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(Considerations::decode(bytes), text);
    }

    // The request folder's own copy wins; the refund type picks the file
    // (no type chosen reads the second one).
    void requestFolderCopyWins()
    {
        QTemporaryDir request, program;
        QCOMPARE(Considerations::path(request.path(), program.path(), 0), program.filePath("consider.txt"));
        QCOMPARE(Considerations::path(request.path(), program.path(), -1), program.filePath("consideret.txt"));
        QCOMPARE(Considerations::path(request.path(), program.path(), 2), program.filePath("consideret.txt"));
        QFile own(request.filePath("consider.txt"));
        QVERIFY(own.open(QIODevice::WriteOnly));
        own.close();
        QCOMPARE(Considerations::path(request.path(), program.path(), 0), request.filePath("consider.txt"));
        QCOMPARE(Considerations::path(request.path(), program.path(), 1), program.filePath("consideret.txt"));
    }

    void missingOrUnreadableIsSaid()
    {
        QTemporaryDir dir;
        Considerations::Loaded loaded = Considerations::load(dir.filePath("consider.txt"));
        QVERIFY(loaded.text.isEmpty());
        QVERIFY(loaded.error.contains(dir.filePath("consider.txt")));
        loaded = Considerations::load(dir.path()); // a folder is no text
        QVERIFY(!loaded.error.isEmpty());
    }

    // The texts shipped: present for both kinds and printable without a
    // wrapped line at 8.5 points (100 characters).
    void shippedTextsFitTheLine_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("transformed goods") << "consider.txt";
        QTest::newRow("returned or repaired") << "consideret.txt";
    }
    void shippedTextsFitTheLine()
    {
        QFETCH(QString, name);
        const Considerations::Loaded loaded = Considerations::load(QStringLiteral(QUELVAR_DATA_DIR "/") + name);
        QVERIFY2(loaded.error.isEmpty(), qPrintable(loaded.error));
        const QStringList lines = loaded.text.split(u'\n');
        QVERIFY(lines.size() > 50);
        for (const QString &line : lines)
            QVERIFY2(line.size() <= 100 && !line.contains(u'\t'), qPrintable(line));
    }
};

QUELVAR_TEST_CLASS(TestConsiderations)
#include "test_considerations.moc"

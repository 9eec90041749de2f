// The customs Data Stage package: file 551 read by its field names from a
// zip or a folder, the pedimento number, and the rows it gives the grids.
#include "incoming/data_stage.h"
#include "incoming/folder_context.h"
#include "rules/fraction_line.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/request_folder.h"
#include "store/store_error.h"
#include "test_registry.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// File 551 as packages write it (Windows-1252, CR LF, a "|" ending each
// item), with published names in another order and one unknown ("Nuevo").
const QByteArray k551 =
    "ValorDolares|Fraccion|FechaPagoReal|DescripcionMercancia|Nuevo|Patente|CantidadUMTarifa|ClaveDocumento|"
    "PaisOrigenDestino|SeccionAduanera|ValorAduana|TipoOperacion|CantidadUMComercial|Pedimento|PrecioUnitario\r\n"
    "|39012001|2024-03-15 00:00:00|RESINA \321AND\332|x|3420|10.000|A1|USA|470|0.1|1|5|4001234|02.50|\r\n"
    "|40000000|2024-03-15 00:00:00||x|3420||A1|JPN|470|0.2|1|07|4001234||\r\n\r\n"
    "| 39012001|15/04/2009|||12|1|V1|XXZ|70|007.50|1||5||\r\n"
    "0.1|84829999|20240510|||1|1.5|A1|USA|240||2|3|2||\r\n"
    "0.2|84829999|20240510|||1|2.25||CAN|240||2|4|2||\r\n";

// The package in a temporary folder, unpacked (folder "d") and zipped by
// python3 with its files in a subfolder ("p.zip"): `files` split at each
// "\f" (a second download), named `name`, then "x" + `name`.
QString package(const QTemporaryDir &dir, const QByteArray &files, const QString &name)
{
    const char *script = "import os, sys, zipfile; d = sys.argv[1]; os.mkdir(d + '/d'); "
                         "z = zipfile.ZipFile(d + '/p.zip', 'w', zipfile.ZIP_DEFLATED)\n"
                         "for n, h in zip(sys.argv[2::2], sys.argv[3::2]):\n"
                         " b = bytes.fromhex(h); open(d + '/d/' + n, 'wb').write(b); z.writestr('p/' + n, b)\n"
                         "z.close()";
    QStringList args{"-c", script, dir.path()};
    for (const QByteArray &file : files.split('\f'))
        args << (args.size() == 3 ? name : "x" + name) << QString::fromLatin1(file.toHex());
    QProcess::execute("/usr/bin/python3", args);
    return dir.filePath("p.zip");
}

// What a package gives: the first item's unit price, the pedimentos, rows
// of imports and exports by tariff unit, and of the other fraction by
// commercial unit for one pedimento; then what the reading left out.
QString given(const QString &path)
{
    const DataStage::Package package = DataStage::read(path);
    const QList<DataStage::Item> &items = package.items;
    const QHash<QString, QString> names{{"USA", "ESTADOS UNIDOS"}, {"JPN", "JAPÓN"}};
    QStringList out{items.first().unitPrice};
    for (const auto &p : DataStage::pedimentos(items, 1) + DataStage::pedimentos(items, 2))
        out << QStringList{p.number, p.key, QString::number(p.items), p.value}.join(u' ');
    for (const auto &row : DataStage::importRows(items, {"39012001 "}, names, true)
                               + DataStage::exportRows(items, names, true)
                               + DataStage::importRows(items, {"40000000"}, names, false, {"244734204001234"}))
        out << row.join(u'|');
    return (out + package.notes()).join(u'\n');
}

} // namespace

class TestDataStage : public QObject {
    Q_OBJECT
private slots:
    // How the package is read (its zip, its folder, its zip cut in half, its
    // zip holding the file as 501), the 551 file, and what the package gives
    // or a part of the error's text.
    void reads_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("given");
        const QString rows = "2.5\n244734204001234 A1 2 0.3\n090700120000005 V1 1 7.5\n242400010000002 A1 2 0.3\n"
                             "A1|244734204001234|15/03/2024|39012001|||ESTADOS UNIDOS|10||0.1|||||\n"
                             "V1|090700120000005|15/04/2009|39012001|||XXZ|1||7.5|||||\n"
                             "242400010000002|10/05/2024|ESTADOS UNIDOS|3.75||0.3||\n"
                             "A1|244734204001234|15/03/2024|40000000|||JAPÓN|7||0.2|||||";
        QTest::newRow("zip") << "zip" << k551 << rows;
        QTest::newRow("carpeta") << "d" << k551 << rows;
        QTest::newRow("sin 551") << "501" << k551 << "no trae el archivo de partidas";
        QTest::newRow("zip cortado") << "cut" << k551 << "no es un archivo .zip";
        QTest::newRow("sin campo") << "zip" << QByteArray(k551).replace("ValorAduana", "V") << "campo «ValorAduana»";
        // A line refused alone; a second download, its items kept once.
        QTest::newRow("líneas rechazadas")
            << "d" << k551 + "1|2|3\r\n0.2|84829999||||1|2.25||CAN|240||2|4|2||\r\n"
            << rows + "\nLínea 8 de «9_551.asc»: tiene 3 datos, menos que los 15 nombres de campo de la primera "
                      "línea; la partida no se trae.\nLínea 9 de «9_551.asc»: el campo «FechaPagoReal» tiene «», "
                      "que no es una fecha; la partida no se trae.";
        QTest::newRow("otra descarga") << "zip" << k551 + '\f' + k551
                                       << rows + "\n5 partidas repetidas en el paquete se omiten.";
        const QByteArray names = "Patente|Pedimento|SeccionAduanera|Fraccion|SecuenciaFraccion|PrecioUnitario|"
                                 "ValorAduana|ValorDolares|CantidadUMTarifa|CantidadUMComercial|PaisOrigenDestino|"
                                 "TipoOperacion|ClaveDocumento|FechaPagoReal|\r\n";
        const QByteArray export1 = "3420|4009999|470|84713001|1|1|10|250.5|7|3|USA|2|A1|2026-04-03 10:00:00|\r\n";
        QTest::newRow("por secuencia")
            << "d"
            << names + export1 + QByteArray(export1).replace("|1|1|", "|2|1|") + '\f' + names
                   + QByteArray(export1).replace("|1|1|10|250.5", "|01|1|10|1")
                   + QByteArray(export1).replace("|1|1|10|250.5", "|3|1|10|0.25")
            << "1\n264734204009999 A1 3 501.25\n264734204009999|03/04/2026|ESTADOS UNIDOS|21||501.25||\n"
               "1 partidas repetidas en el paquete se omiten.";
        // Lines of one number and office under two patents are two pedimentos.
        QTest::newRow("otra patente") << "d" << names + export1 + QByteArray(export1).replace("3420|", "3421|")
                                      << "1\n264734204009999 A1 1 250.5\n264734214009999 A1 1 250.5\n"
                                         "264734204009999|03/04/2026|ESTADOS UNIDOS|7||250.5||\n"
                                         "264734214009999|03/04/2026|ESTADOS UNIDOS|7||250.5||";
    }
    void reads()
    {
        QFETCH(QString, how);
        QFETCH(QByteArray, file);
        QFETCH(QString, given);
        QTemporaryDir dir;
        QFile zip(package(dir, file, how == "501" ? "9_501.asc" : "9_551.asc"));
        QVERIFY(how != "cut" || (zip.open(QIODevice::ReadWrite) && zip.resize(zip.size() / 2)));
        try {
            QCOMPARE(::given(how == "d" ? dir.filePath("d") : zip.fileName()), given);
        } catch (const StoreError &e) {
            QVERIFY2(e.message().contains(given), qPrintable(e.message()));
        }
    }

    // The rows a package gives a grid, with the table holding some of its
    // items ("pedimento tariff-item value", the item empty for exports) and
    // the pedimentos chosen (none: all): each row's pedimento, tariff item
    // and value, what was left out, then the items held of each pedimento.
    void stageRows_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<QStringList>("held");
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QString>("given");
        const QString exports = "2 partidas no se traen: son de exportación: 84713001 (2)\n";
        const QString imports = "6 partidas no se traen: son de importación: 73181500 (5), 39269099 (1)\n";
        const QString others = "1 partidas no se traen: su fecha de pago no es de este año o del anterior, o es "
                               "posterior a hoy: 73181500 (1)\n1 partidas no se traen: su fracción no está en Costos "
                               "Unitarios: 39269099 (1)";
        // Of two items alike, one is in the table: the other comes.
        QTest::newRow("una de dos iguales")
            << "dbMI" << QStringList{"264734204001234 73181500 100.00"}
            << QStringList{"264734204001234", "264734204001237"}
            << "264734204001234 73181500 100\n264734204001234 73181500 250\n264734204001237 73181500 10\n" + exports
                   + "1 partidas no se traen: ya están en la tabla: 73181500 (1)\n" + others + "\n264734204001234=1";
        QTest::newRow("otro valor") << "dbMI" << QStringList{"264734204001234 73181500 99.99"}
                                    << QStringList{"264734204001234"}
                                    << "264734204001234 73181500 100\n264734204001234 73181500 100\n"
                                       "264734204001234 73181500 250\n"
                                           + exports + others
                                           + "\n1 partidas no se traen: su pedimento no se eligió: 73181500 (1)";
        QTest::newRow("exportación con otro total") << "dbED" << QStringList{"264734204009999  250.7"} << QStringList()
                                                    << "264734204009999  250.75\n" + imports.chopped(1);
        QTest::newRow("exportación en la tabla")
            << "dbED" << QStringList{"264734204009999  250.75"} << QStringList()
            << imports + "2 partidas no se traen: ya están en la tabla: 84713001 (2)\n264734204009999=2";
    }
    void stageRows()
    {
        QFETCH(QString, grid);
        QFETCH(QStringList, held);
        QFETCH(QStringList, chosen);
        QFETCH(QString, given);
        QTemporaryDir dir;
        RequestFolder::create(dir.path(), QStringLiteral(QUELVAR_DATA_DIR));
        const bool imports = grid == "dbMI";
        Recordset table(DbfTable::open(dir.filePath(imports ? "insupedi.dbf" : "exporped.dbf")));
        for (const QString &record : held) {
            const QStringList cells = record.split(u' ');
            table.AddNew();
            table.Fields(imports ? "NUM_DOCUME" : "NO_PEDIMEN").setValue(cells[0]);
            if (imports)
                table.Fields("FRACCION").setValue(cells[1]);
            table.Fields(imports ? "VAL_TOT_IN" : "VAL_TOTPED").setValue(cells[2].toDouble());
            table.Update();
        }
        QFile file(dir.filePath("9_551.asc"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        const char *line = "3420|%1|470|%2|%3|1.5|%4|%5|40|400|JPN|%6|A1|%7|\r\n";
        file.write("Patente|Pedimento|SeccionAduanera|Fraccion|SecuenciaFraccion|PrecioUnitario|ValorAduana|"
                   "ValorDolares|CantidadUMTarifa|CantidadUMComercial|PaisOrigenDestino|TipoOperacion|"
                   "ClaveDocumento|FechaPagoReal|\r\n");
        for (const char *item : {"4001234 73181500 1 100.00 5 1 2026-03-01", "4001234 73181500 2 100 5 1 2026-03-01",
                                 "4001234 73181500 3 250 5 1 2026-03-01", "4001234 39269099 4 10 5 1 2026-03-01",
                                 "4001236 73181500 1 10 5 1 2024-01-05", "4001237 73181500 1 10 5 1 2026-04-01",
                                 "4009999 84713001 1 10 250.5 2 2026-04-03", "4009999 84713001 2 10 0.25 2 2026-04-03"}) {
            QString text = QString::fromLatin1(line);
            for (const QString &cell : QString::fromLatin1(item).split(u' '))
                text = text.arg(cell);
            file.write(text.toLatin1());
        }
        file.close();

        IncomingRows::Context context;
        context.grid = grid;
        context.today = QDate(2026, 6, 15);
        context.fractionLines = {FractionLine::build("73181500", 5, 2.25)};
        const QList<DataStage::Item> items = DataStage::read(dir.path()).items;
        const IncomingRows::StageRows staged =
            IncomingRows::stageRows(context, table, items, {}, true, QSet<QString>(chosen.begin(), chosen.end()));
        QStringList out;
        for (const QStringList &row : staged.rows)
            out << (imports ? QStringList{row[1], row[3], row[9]} : QStringList{row[0], QString(), row[5]}).join(u' ');
        out += staged.leftOut;
        // The items the pedimento dialog marks as in the table.
        const QHash<QString, int> counts = IncomingRows::heldItems(context, table, items);
        for (auto at = counts.cbegin(); at != counts.cend(); ++at)
            out << at.key() + u'=' + QString::number(at.value());
        QCOMPARE(out.join(u'\n'), given);
    }

    // Year, section, patent and number, then the pedimento number ("-": none).
    void pedimentoNumber_data()
    {
        QTest::addColumn<QStringList>("cells");
        for (const char *row : {"2024 470 3420 4001234 244734204001234", "2009 70 12 5 090700120000005",
                                "2024 4700 3420 1 -", "2024 470 34200 1 -", "2024 470 3420 40O1234 -"})
            QTest::newRow(row) << QString::fromLatin1(row).split(u' ');
    }
    void pedimentoNumber()
    {
        QFETCH(QStringList, cells);
        QCOMPARE(DataStage::pedimentoNumber(cells[0].toInt(), cells[1], cells[2], cells[3]), cells[4].remove(u'-'));
    }
};

QUELVAR_TEST_CLASS(TestDataStage)
#include "test_data_stage.moc"

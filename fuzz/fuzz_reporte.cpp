// The printed request, built from tables the input fills. A request folder
// is made once per process from the data folder; each input then gives the
// header's choices, the window's texts and the record bytes of the five
// tables the report walks, written under the tables' own headers.
//
// The input is cut at each 0x1E byte into at most six parts:
//   1. the choices, one byte each: refund option (0 to 6), request type,
//      request kind, refund type, export type, appendix 8, annex B, and a
//      byte whose low five bits leave out a table (as a closed record set);
//      then the window's texts as UTF-8 lines "name=value";
//   2.-6. the record bytes of insunit, insupedi, exporped, factura and
//      impTLC: whole records are counted, a partial last one is left in the
//      file past them.
// Any report or refusal is fine; a crash, a sanitizer report or an escaping
// exception is a finding.
#include "fuzz_support.h"

#include "rules/request_report.h"
#include "store/dbf_table.h"
#include "store/recordset.h"
#include "store/request_folder.h"
#include "store/request_schema.h"
#include "store/store_error.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <array>

namespace {

constexpr std::array<const char *, 5> kTables = {"insunit", "insupedi", "exporped", "factura", "impTLC"};
constexpr char kSeparator = 0x1E;

struct Template {
    QString path;
    QByteArray header; // the header of the empty table, terminator included
    int recordLength = 0;
};

const std::array<Template, 5> &templates()
{
    static const std::array<Template, 5> made = [] {
        const QString folder = FuzzSupport::scratchFolder() + QStringLiteral("/solicitud");
        QDir().mkpath(folder);
        try {
            RequestFolder::create(folder, QStringLiteral(QUELVAR_DATA_DIR));
        } catch (const StoreError &e) {
            FuzzSupport::broken("no se pudo crear la carpeta de la solicitud", e.message());
        }
        std::array<Template, 5> out;
        for (size_t i = 0; i < kTables.size(); ++i) {
            const TableSchema *schema = RequestSchema::find(QString::fromLatin1(kTables[i]));
            out[i].path = folder + u'/' + schema->file;
            QFile file(out[i].path);
            if (!file.open(QIODevice::ReadOnly))
                FuzzSupport::broken("no se puede leer la tabla vacía", out[i].path);
            const QByteArray bytes = file.readAll();
            const auto *h = reinterpret_cast<const unsigned char *>(bytes.constData());
            out[i].header = bytes.left(h[8] | h[9] << 8);
            out[i].recordLength = h[10] | h[11] << 8;
        }
        return out;
    }();
    return made;
}

// The table's header over the given record bytes.
void writeTable(const Template &t, const QByteArray &records)
{
    QByteArray file = t.header;
    const quint32 count = quint32(records.size() / t.recordLength);
    for (int i = 0; i < 4; ++i)
        file[4 + i] = char(count >> (8 * i));
    file += records;
    file += char(0x1A);
    FuzzSupport::writeFile(t.path, file.constData(), size_t(file.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto &tables = templates();
    const QList<QByteArray> parts = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size))
                                        .split(kSeparator);
    const QByteArray head = parts.value(0);
    const auto choice = [&head](int at) { return at < head.size() ? quint8(head[at]) : 0; };

    RequestReport::Choices choices;
    choices.opcDT = choice(0) % 7;
    choices.direct = (choice(1) & 1) == 0;
    choices.tSolicitud = choice(2) % 6 - 1;
    choices.tDevolucion = choice(3) % 6 - 1;
    choices.tExportacion = choice(4) % 5 - 1;
    choices.appendix8 = choice(5) & 1;
    choices.annexB = choice(6) & 1;
    const int leftOut = choice(7);

    QHash<QString, QString> window;
    for (const QByteArray &line : head.mid(8).split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0)
            window.insert(QString::fromUtf8(line.left(eq)), QString::fromUtf8(line.mid(eq + 1)));
    }

    std::array<std::unique_ptr<Recordset>, 5> sets;
    for (size_t i = 0; i < tables.size(); ++i) {
        writeTable(tables[i], parts.value(qsizetype(i) + 1));
        try {
            sets[i] = std::make_unique<Recordset>(DbfTable::open(tables[i].path));
        } catch (const StoreError &e) {
            // The header is the engine's own and the count fits the file.
            FuzzSupport::broken("la tabla escrita bajo su propio encabezado no abre", e.message());
        }
        if (leftOut & (1 << i))
            sets[i]->Close();
    }

    const auto shown = [&window](const QString &name) { return window.value(name); };
    const RequestReport::Report report = RequestReport::build(
        shown, choices, {sets[0].get(), sets[1].get(), sets[2].get(), sets[3].get(), sets[4].get()});
    if (report.outcome != RequestReport::Report::Outcome::Built && !report.text.isEmpty())
        FuzzSupport::broken("un reporte que no se imprime trae texto");
    for (const RequestReport::Range &r : report.centred)
        if (r.start < 0 || r.length < 0 || r.start + r.length > report.text.size())
            FuzzSupport::broken("un bloque centrado sale del texto");
    return 0;
}

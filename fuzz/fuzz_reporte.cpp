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
#include <QHash>
#include <QtEndian>

#include <array>

namespace {

// The request folder, made once, and the empty header of each table the
// report walks.
const QList<std::pair<QString, QByteArray>> &templates()
{
    static const QList<std::pair<QString, QByteArray>> made = [] {
        const QString folder = FuzzSupport::scratchFolder() + QStringLiteral("/solicitud");
        QList<std::pair<QString, QByteArray>> out;
        try {
            RequestFolder::create((QDir().mkpath(folder), folder), QStringLiteral(QUELVAR_DATA_DIR));
        } catch (const StoreError &e) {
            FuzzSupport::broken("no se pudo crear la carpeta de la solicitud", e.message());
        }
        for (const char *table : {"insunit", "insupedi", "exporped", "factura", "impTLC"}) {
            QFile file(folder + u'/' + RequestSchema::find(QString::fromLatin1(table))->file);
            const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(32, '\0');
            out.append({file.fileName(), bytes.left(qFromLittleEndian<quint16>(bytes.constData() + 8))});
        }
        return out;
    }();
    return made;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> parts = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)).split(0x1E);
    const QByteArray head = parts.value(0);
    const auto choice = [&head](int at) { return at < head.size() ? quint8(head[at]) : 0; };
    const RequestReport::Choices choices{choice(0) % 7,     (choice(1) & 1) == 0, choice(2) % 6 - 1, choice(3) % 6 - 1,
                                         choice(4) % 5 - 1, bool(choice(5) & 1),  bool(choice(6) & 1)};
    QHash<QString, QString> window;
    for (const QByteArray &line : head.mid(8).split('\n'))
        if (const qsizetype eq = line.indexOf('='); eq > 0)
            window.insert(QString::fromUtf8(line.left(eq)), QString::fromUtf8(line.mid(eq + 1)));

    // Each table: its own header over the input's record bytes, the count
    // of whole records in it, a partial last one left past them.
    std::array<std::unique_ptr<Recordset>, 5> sets;
    for (qsizetype i = 0; i < 5; ++i) {
        const auto &[path, header] = templates()[i];
        QByteArray file = header + parts.value(i + 1) + char(0x1A);
        qToLittleEndian(quint32(parts.value(i + 1).size() / std::max(1, int(qFromLittleEndian<quint16>(header.constData() + 10)))), file.data() + 4);
        FuzzSupport::writeFile(path, file.constData(), size_t(file.size()));
        try {
            sets[i] = std::make_unique<Recordset>(DbfTable::open(path));
        } catch (const StoreError &e) {
            FuzzSupport::broken("la tabla escrita bajo su propio encabezado no abre", e.message());
        }
        if (choice(7) & (1 << i))
            sets[i]->Close();
    }
    const RequestReport::Report report = RequestReport::build([&window](const QString &name) { return window.value(name); },
                                                              choices, {sets[0].get(), sets[1].get(), sets[2].get(), sets[3].get(), sets[4].get()});
    if (report.outcome != RequestReport::Report::Outcome::Built && !report.text.isEmpty())
        FuzzSupport::broken("un reporte que no se imprime trae texto");
    for (const RequestReport::Range &r : report.centred)
        if (r.start < 0 || r.length < 0 || r.start + r.length > report.text.size())
            FuzzSupport::broken("un bloque centrado sale del texto");
    return 0;
}

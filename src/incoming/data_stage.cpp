#include "data_stage.h"

#include "checks/number_text.h"
#include "rules/grid_columns.h"
#include "store/code_page.h"
#include "store/store_error.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <tuple>
#include <vector>

namespace DataStage {

namespace {

// More than any real file 551 (200,000 items take some 40 MB): refused rather
// than read whole, so that a damaged or hostile zip cannot exhaust memory.
constexpr qint64 kLargest = qint64(1) << 30;

enum Field {
    Patente,
    NumeroPedimento,
    SeccionAduanera,
    Fraccion,
    PrecioUnitario,
    ValorAduana,
    ValorDolares,
    CantidadUMComercial,
    CantidadUMTarifa,
    PaisOrigenDestino,
    TipoOperacion,
    ClaveDocumento,
    FechaPagoReal,
    FieldCount,
    SecuenciaFraccion = FieldCount, // may be missing: see read()
    CellCount
};

constexpr std::array<const char *, CellCount> kFieldNames{
    "Patente",       "Pedimento",      "SeccionAduanera",     "Fraccion",         "PrecioUnitario",
    "ValorAduana",   "ValorDolares",   "CantidadUMComercial", "CantidadUMTarifa", "PaisOrigenDestino",
    "TipoOperacion", "ClaveDocumento", "FechaPagoReal",       "SecuenciaFraccion"};

// One 551 file as found in the package: where it is (shown in messages) and
// its bytes.
struct Source {
    QString name;
    QByteArray bytes;
};

QString shown(const QString &path) { return QDir::toNativeSeparators(path); }

// A file 551 by its name: any name ending in "551.asc", save the copies of
// resource forks some archivers add ("._x_551.asc", "__MACOSX/").
bool isItemsFile(const QString &path)
{
    const QString name = path.section(u'/', -1);
    return name.endsWith(QLatin1String("551.asc"), Qt::CaseInsensitive) && !name.startsWith(QLatin1String("._"))
           && !path.contains(QLatin1String("__MACOSX/"));
}

QList<Source> readFolder(const QString &folder)
{
    const QDir dir(QFileInfo(folder).absoluteFilePath());
    QStringList names; // relative to the folder
    QDirIterator it(dir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString name = dir.relativeFilePath(it.next());
        if (isItemsFile(name))
            names << name;
    }
    std::sort(names.begin(), names.end());
    QList<Source> out;
    for (const QString &name : names) {
        QFile file(dir.filePath(name));
        if (file.size() > kLargest)
            throw StoreError(QStringLiteral("El archivo de partidas «%1» del paquete Data Stage «%2» es demasiado "
                                            "grande para leerse.")
                                 .arg(shown(name), shown(folder)));
        QByteArray bytes;
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw StoreError(QStringLiteral("No se pudo leer el archivo de partidas «%1» del paquete Data Stage "
                                            "«%2»: %3")
                                 .arg(shown(name), shown(folder), file.errorString()));
        out.append({shown(name), bytes});
    }
    return out;
}

QList<Source> readZip(const QString &path)
{
    const QString damaged = QStringLiteral("No se pudo leer el paquete Data Stage «%1»: no es un archivo .zip "
                                           "válido, o está incompleto o dañado.")
                                .arg(shown(path));
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip))
        throw StoreError(damaged);
    QStringList names;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        const QString name = zip.getCurrentFileName();
        if (isItemsFile(name))
            names << name;
    }
    if (zip.getZipError() != UNZ_OK)
        throw StoreError(damaged);
    std::sort(names.begin(), names.end());

    QList<Source> out;
    for (const QString &name : names) {
        const QString entryDamaged = QStringLiteral("No se pudo leer el archivo de partidas «%1» del paquete Data "
                                                    "Stage «%2»: el .zip está incompleto o dañado.")
                                         .arg(name, shown(path));
        if (!zip.setCurrentFile(name))
            throw StoreError(entryDamaged);
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::ReadOnly))
            throw StoreError(entryDamaged);
        QuaZipFileInfo64 info;
        QByteArray bytes;
        // Room for the size the entry declares, within what its compressed
        // size can hold (deflate packs at most some 1,000 to 1).
        if (zip.getCurrentFileInfo(&info))
            bytes.reserve(
                qsizetype(std::min({info.uncompressedSize, info.compressedSize * 1100 + 65536, quint64(kLargest)})));
        char buffer[1 << 16];
        for (;;) {
            const qint64 n = file.read(buffer, sizeof buffer);
            if (n < 0)
                throw StoreError(entryDamaged);
            if (n == 0)
                break;
            if (bytes.size() + n > kLargest)
                throw StoreError(QStringLiteral("El archivo de partidas «%1» del paquete Data Stage «%2» es "
                                                "demasiado grande para leerse.")
                                     .arg(name, shown(path)));
            bytes.append(buffer, n);
        }
        file.close(); // checks the entry's CRC, now that it was read whole
        if (file.getZipError() != UNZ_OK)
            throw StoreError(entryDamaged);
        out.append({name, bytes});
    }
    return out;
}


bool allDigits(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A date as the package writes it; an invalid QDate when it is none.
QDate dateOf(QStringView text)
{
    text = text.trimmed();
    // The date alone: what comes before a time.
    const qsizetype space = text.indexOf(u' ');
    if (space >= 0)
        text = text.left(space);
    if (text.size() > 10 && text[10] == u'T')
        text = text.left(10);
    if (text.size() == 8 && allDigits(text))
        return QDate(text.left(4).toInt(), text.mid(4, 2).toInt(), text.right(2).toInt());
    const QChar separator = text.contains(u'-') ? u'-' : u'/';
    const QList<QStringView> pieces = text.split(separator);
    if (pieces.size() != 3 || !std::all_of(pieces.begin(), pieces.end(), allDigits))
        return {};
    if (pieces[0].size() == 4 && pieces[1].size() <= 2 && pieces[2].size() <= 2)
        return QDate(pieces[0].toInt(), pieces[1].toInt(), pieces[2].toInt());
    if (separator == u'/' && pieces[2].size() == 4 && pieces[0].size() <= 2 && pieces[1].size() <= 2)
        return QDate(pieces[2].toInt(), pieces[1].toInt(), pieces[0].toInt());
    return {};
}

// A cell's amount as plain decimal text ("012.500" gives "12.5", "-0" gives
// "0"); empty for an empty cell; nothing when it is no decimal number.
std::optional<QString> plainDecimal(QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty())
        return QString();
    const bool sign = text.front() == u'-' || text.front() == u'+';
    const bool negative = text.front() == u'-';
    const QStringView number = sign ? text.mid(1) : text;
    const qsizetype point = number.indexOf(u'.');
    QStringView whole = point < 0 ? number : number.left(point);
    QStringView fraction = point < 0 ? QStringView() : number.mid(point + 1);
    if ((whole.isEmpty() && fraction.isEmpty()) || (!whole.isEmpty() && !allDigits(whole))
        || (!fraction.isEmpty() && !allDigits(fraction)))
        return std::nullopt;
    while (whole.size() > 1 && whole.front() == u'0')
        whole = whole.mid(1);
    while (!fraction.isEmpty() && fraction.back() == u'0')
        fraction.chop(1);
    const bool zero = (whole.isEmpty() || whole == u"0") && fraction.isEmpty();
    // Mostly what is written already, with a sign and zeros cut off its ends:
    // one piece of the cell, copied once.
    if (!whole.isEmpty() && (!negative || zero || whole.data() == number.data())) {
        const QChar *begin = negative && !zero ? text.data() : whole.data();
        const QChar *end = fraction.isEmpty() ? whole.data() + whole.size() : fraction.data() + fraction.size();
        return QStringView(begin, end).toString();
    }
    QString out;
    out.reserve(whole.size() + fraction.size() + 3);
    if (negative && !zero)
        out += u'-';
    out += whole.isEmpty() ? QStringView(u"0") : whole;
    if (!fraction.isEmpty())
        out += u'.' + fraction.toString();
    return out;
}

// An exact sum of plain decimal texts, as a whole number of units of the
// smallest place written so far. Should it ever pass the range of 64 bits,
// it goes on as a double and is written with 15 significant digits.
class DecimalSum {
public:
    void add(QStringView text)
    {
        if (text.isEmpty())
            return;
        if (overflow_) {
            approx_ += text.toDouble();
            return;
        }
        const bool negative = text.front() == u'-';
        const QStringView number = negative ? text.mid(1) : text;
        const qsizetype point = number.indexOf(u'.');
        const qsizetype places = point < 0 ? 0 : number.size() - point - 1;
        // Worked on copies, kept only when nothing overflows.
        qint64 units = 0, total = total_;
        qsizetype scale = places_;
        bool ok = true;
        for (qsizetype i = 0; ok && i < number.size(); ++i) {
            const int digit = number[i].unicode() - u'0';
            if (i != point)
                ok = digit >= 0 && digit <= 9 && !qMulOverflow(units, qint64(10), &units)
                     && !qAddOverflow(units, qint64(digit), &units);
        }
        for (; ok && scale < places; ++scale)
            ok = !qMulOverflow(total, qint64(10), &total);
        for (qsizetype p = places; ok && p < scale; ++p)
            ok = !qMulOverflow(units, qint64(10), &units);
        if (ok && !qAddOverflow(total, negative ? -units : units, &total)) {
            total_ = total;
            places_ = scale;
            return;
        }
        // Out of range (or no plain decimal): what was summed so far, then
        // this, as doubles.
        overflow_ = true;
        approx_ = double(total_) / std::pow(10.0, double(places_)) + text.toDouble();
    }

    QString text() const
    {
        if (overflow_)
            return decimalText(approx_);
        // The magnitude unsigned: the least qint64 has no positive counterpart.
        QString digits = QString::number(total_ < 0 ? 0 - quint64(total_) : quint64(total_));
        if (places_ > 0) {
            if (digits.size() <= places_)
                digits.prepend(QString(places_ - digits.size() + 1, u'0'));
            digits.insert(digits.size() - places_, u'.');
            while (digits.endsWith(u'0'))
                digits.chop(1);
            if (digits.endsWith(u'.'))
                digits.chop(1);
        }
        return total_ < 0 ? u'-' + digits : digits;
    }

private:
    qint64 total_ = 0;
    qsizetype places_ = 0;
    bool overflow_ = false;
    double approx_ = 0;
};

// The same string as for the last text given, when the text is the same:
// the items of one pedimento repeat its key and country, often its fraction.
class Shared {
public:
    const QString &operator()(QStringView text)
    {
        if (text != last_)
            last_ = text.toString();
        return last_;
    }

private:
    QString last_;
};

// dd/mm/yyyy, written by hand: QDate::toString parses its format each time.
QString dayText(const QDate &date)
{
    if (!date.isValid())
        return {};
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    QString out(10, u'/');
    const auto put = [&out](int value, int at, int places) {
        for (int i = places - 1; i >= 0; --i, value /= 10)
            out[at + i] = QChar(u'0' + value % 10);
    };
    put(day, 0, 2);
    put(month, 3, 2);
    put(year, 6, 4);
    return out;
}

// Writes a part of the pedimento number right-aligned in its places at
// `out`, zeros on its left; false when it does not fit or is no number.
bool putPadded(QStringView part, qsizetype places, QChar *out)
{
    part = part.trimmed();
    if (part.size() > places || !allDigits(part))
        return false;
    std::fill(out, out + places - part.size(), QChar(u'0'));
    std::copy(part.begin(), part.end(), out + places - part.size());
    return true;
}

QString pedimentoNumberOf(int year, QStringView section, QStringView patent, QStringView number)
{
    std::array<QChar, 3> office;
    std::array<QChar, 15> out;
    if (year <= 0 || !putPadded(section, 3, office.data()) || !putPadded(patent, 4, &out[4])
        || !putPadded(number, 7, &out[8]))
        return {};
    out[0] = QChar(u'0' + year / 10 % 10);
    out[1] = QChar(u'0' + year % 10);
    out[2] = office[0];
    out[3] = office[1];
    return QString(out.data(), qsizetype(out.size()));
}

// The sequence number of an item in its pedimento; 0 for none (an empty
// cell, or one that is no whole number from 1 on).
int sequenceOf(QStringView text)
{
    text = text.trimmed();
    if (text.size() > 9 || !allDigits(text))
        return 0;
    int number = 0;
    for (const QChar c : text)
        number = number * 10 + (c.unicode() - u'0');
    return number;
}

// Tells the items read from their repeats in another download: by
// pedimento and sequence, or for a line without a sequence, by every field
// read. Pedimento and sequence are noted as numbers and told at the end, by
// sorting them: faster than looking up each item in a table.
class Repeats {
public:
    // False when the item, one without a sequence, repeats one before; an
    // item with a sequence is noted as the item `at` (see drop).
    bool note(const Item &item, qsizetype at)
    {
        if (item.sequence <= 0) {
            // A line break never comes inside a cell.
            const auto before = byFields_.size();
            byFields_.insert(QStringList{item.pedimento, QString::number(item.operation), item.key,
                                         item.paid.toString(Qt::ISODate), item.fraction, item.country, item.unitPrice,
                                         item.customsValue, item.dollarValue, item.tariffQuantity,
                                         item.commercialQuantity}
                                 .join(u'\n'));
            return byFields_.size() > before;
        }
        // The items of a pedimento come one after the other, sharing the
        // string of its number: it is read as a number once.
        if (item.pedimento.constData() != pedimento_.constData() && item.pedimento != pedimento_) {
            pedimento_ = item.pedimento;
            number_ = 0;
            for (const QChar c : pedimento_)
                number_ = number_ * 10 + (c.unicode() - u'0');
        }
        bySequence_.push_back({number_, item.sequence, at});
        return true;
    }

    // Takes out of the items those noted with the pedimento and sequence of
    // one before them; returns how many.
    int drop(QList<Item> &items)
    {
        const auto byKey = [](const Noted &a, const Noted &b) {
            return std::tie(a.number, a.sequence, a.at) < std::tie(b.number, b.sequence, b.at);
        };
        if (!std::is_sorted(bySequence_.begin(), bySequence_.end(), byKey))
            std::sort(bySequence_.begin(), bySequence_.end(), byKey);
        std::vector<bool> repeated(size_t(items.size()), false);
        int count = 0;
        for (size_t i = 1; i < bySequence_.size(); ++i) {
            const Noted &a = bySequence_[i - 1], &b = bySequence_[i];
            if (a.number == b.number && a.sequence == b.sequence) {
                repeated[size_t(b.at)] = true;
                ++count;
            }
        }
        if (count > 0) {
            qsizetype kept = 0;
            for (qsizetype i = 0; i < items.size(); ++i)
                if (!repeated[size_t(i)])
                    items[kept++] = std::move(items[i]);
            items.resize(kept);
        }
        return count;
    }

private:
    struct Noted {
        qint64 number;
        int sequence;
        qsizetype at;
    };
    std::vector<Noted> bySequence_;
    QString pedimento_; // the last one noted
    qint64 number_ = 0; // its number
    QSet<QString> byFields_;
};

void parse(const Source &source, const QString &package, Package &out, Repeats &repeats)
{
    const QString text = CodePage::decodeText(source.bytes);
    const QString where =
        QStringLiteral("del archivo de partidas «%1» del paquete Data Stage «%2»").arg(source.name, shown(package));
    const QStringView all(text);

    // Cells are found by a plain scan: on short cells, QStringView::indexOf
    // of one character costs more than the scan itself.
    const QChar *pos = all.begin();
    int lineNumber = 0;
    // The next line, without its end; false past the last one.
    const auto nextLine = [&](QStringView &line) {
        if (pos == all.end())
            return false;
        const qsizetype at = all.indexOf(u'\n', pos - all.begin());
        const QChar *end = at < 0 ? all.end() : all.begin() + at;
        line = QStringView(pos, end);
        if (line.endsWith(u'\r'))
            line.chop(1);
        pos = end == all.end() ? end : end + 1;
        ++lineNumber;
        return true;
    };
    QVarLengthArray<QStringView, 64> cells;
    const auto split = [&cells](QStringView line) {
        cells.clear();
        const QChar *from = line.begin();
        for (const QChar *bar; (bar = std::find(from, line.end(), u'|')) != line.end(); from = bar + 1)
            cells.append(QStringView(from, bar));
        cells.append(QStringView(from, line.end()));
    };

    QStringView line;
    bool found = false;
    while (!found && nextLine(line))
        found = !line.trimmed().isEmpty();
    if (!found)
        throw StoreError(
            QStringLiteral("No hay nombres de campo en la primera línea %1: el archivo está vacío.").arg(where));
    split(line);
    qsizetype names = cells.size();
    while (names > 0 && cells[names - 1].trimmed().isEmpty())
        --names; // a "|" at the end of the line names nothing
    // The column of each field; the sequence's is -1 when the file lacks it.
    std::array<qsizetype, CellCount> column{};
    for (int f = 0; f < CellCount; ++f) {
        const QLatin1String name(kFieldNames[size_t(f)]);
        const auto at = std::find_if(cells.begin(), cells.begin() + names, [&](QStringView c) {
            return c.trimmed().compare(name, Qt::CaseInsensitive) == 0;
        });
        if (at == cells.begin() + names && f < FieldCount)
            throw StoreError(QStringLiteral("Falta el campo «%1» en la primera línea %2.").arg(name, where));
        column[size_t(f)] = at == cells.begin() + names ? -1 : at - cells.begin();
    }

    // Neighbouring lines mostly belong to one pedimento: its date, number,
    // key and country are read once and their strings shared.
    Shared key, country, fraction;
    QStringView lastDate, lastSection, lastPatent, lastNumber;
    QDate paid;
    QString pedimento;
    std::array<QStringView, CellCount> cell;
    const auto refuse = [&](const QString &reason) { out.refused.append({source.name, lineNumber, reason}); };
    const auto notA = [&](Field f, const QString &what) {
        refuse(QStringLiteral("el campo «%1» tiene «%2», que no es %3")
                   .arg(QLatin1String(kFieldNames[size_t(f)]), cell[f].toString(), what));
    };
    while (nextLine(line)) {
        if (line.trimmed().isEmpty())
            continue;
        split(line);
        if (cells.size() < names) {
            refuse(QStringLiteral("tiene %1 datos, menos que los %2 nombres de campo de la primera línea")
                       .arg(cells.size())
                       .arg(names));
            continue;
        }
        for (int f = 0; f < CellCount; ++f)
            cell[size_t(f)] = column[size_t(f)] < 0 ? QStringView() : cells[column[size_t(f)]].trimmed();

        Item item;
        if (cell[FechaPagoReal] != lastDate || pedimento.isEmpty()) {
            lastDate = cell[FechaPagoReal];
            paid = dateOf(lastDate);
            pedimento.clear();
        }
        if (!paid.isValid()) {
            notA(FechaPagoReal, QStringLiteral("una fecha"));
            continue;
        }
        item.paid = paid;
        bool ok = false;
        item.operation = cell[TipoOperacion].toInt(&ok);
        if (!ok) {
            notA(TipoOperacion, QStringLiteral("un número entero"));
            continue;
        }
        if (pedimento.isEmpty() || cell[SeccionAduanera] != lastSection || cell[Patente] != lastPatent
            || cell[NumeroPedimento] != lastNumber) {
            lastSection = cell[SeccionAduanera];
            lastPatent = cell[Patente];
            lastNumber = cell[NumeroPedimento];
            pedimento = pedimentoNumberOf(paid.year(), lastSection, lastPatent, lastNumber);
        }
        if (pedimento.isEmpty()) {
            refuse(QStringLiteral("no da un número de pedimento de 15 dígitos (sección aduanera «%1», patente «%2», "
                                  "pedimento «%3»)")
                       .arg(lastSection.toString(), lastPatent.toString(), lastNumber.toString()));
            continue;
        }
        item.pedimento = pedimento;
        item.key = key(cell[ClaveDocumento]);
        item.fraction = fraction(cell[Fraccion]);
        item.country = country(cell[PaisOrigenDestino]);
        const std::pair<Field, QString Item::*> amounts[] = {{PrecioUnitario, &Item::unitPrice},
                                                             {ValorAduana, &Item::customsValue},
                                                             {ValorDolares, &Item::dollarValue},
                                                             {CantidadUMTarifa, &Item::tariffQuantity},
                                                             {CantidadUMComercial, &Item::commercialQuantity}};
        bool amountsRead = true;
        for (const auto &[field, member] : amounts) {
            std::optional<QString> value = plainDecimal(cell[field]);
            if (!value) {
                notA(field, QStringLiteral("un número"));
                amountsRead = false;
                break;
            }
            item.*member = std::move(*value);
        }
        if (!amountsRead)
            continue;
        item.sequence = sequenceOf(cell[SecuenciaFraccion]);
        if (repeats.note(item, out.items.size()))
            out.items.append(std::move(item));
        else
            ++out.repeated;
    }
}

} // namespace

QString Refused::text() const
{
    return QStringLiteral("Línea %1 de «%2»: %3; la partida no se trae.").arg(line).arg(file, reason);
}

QStringList Package::notes() const
{
    QStringList out;
    if (repeated > 0)
        out.append(QStringLiteral("%1 partidas repetidas en el paquete se omiten.").arg(repeated));
    for (const Refused &r : refused)
        out.append(r.text());
    return out;
}

Package read(const QString &package)
{
    const QFileInfo info(package);
    if (!info.exists())
        throw StoreError(QStringLiteral("No se encontró el paquete Data Stage «%1».").arg(shown(package)));
    const QList<Source> sources = info.isDir() ? readFolder(package) : readZip(package);
    if (sources.isEmpty())
        throw StoreError(QStringLiteral("El paquete Data Stage «%1» no trae el archivo de partidas (un archivo "
                                        "cuyo nombre termina en 551.asc).")
                             .arg(shown(package)));
    Package out;
    Repeats repeats;
    for (const Source &source : sources)
        parse(source, package, out, repeats);
    out.repeated += repeats.drop(out.items);
    return out;
}

QString pedimentoNumber(int year, const QString &section, const QString &patent, const QString &number)
{
    return pedimentoNumberOf(year, section, patent, number);
}

QList<Pedimento> pedimentos(const QList<Item> &items, int operation)
{
    QList<Pedimento> out;
    QList<DecimalSum> sums;
    QHash<QString, qsizetype> at;
    for (const Item &item : items) {
        if (item.operation != operation)
            continue;
        auto found = at.constFind(item.pedimento);
        if (found == at.constEnd()) {
            found = at.insert(item.pedimento, out.size());
            out.append({item.pedimento, item.paid, item.key, 0, {}});
            sums.append(DecimalSum());
        }
        ++out[*found].items;
        sums[*found].add(operation == 2 ? item.dollarValue : item.customsValue);
    }
    for (qsizetype i = 0; i < out.size(); ++i)
        out[i].value = sums[i].text();
    return out;
}

QStringList importRow(const Item &item, const QHash<QString, QString> &countryNames, bool tariffUnit)
{
    QStringList row(int(ImportCol::MontSolic) + 1);
    row[columnIndex(ImportCol::Clave)] = item.key;
    row[columnIndex(ImportCol::Pedimento)] = item.pedimento;
    row[columnIndex(ImportCol::FechaPago)] = dayText(item.paid);
    row[columnIndex(ImportCol::Fraccion)] = item.fraction;
    row[columnIndex(ImportCol::Pais)] = countryNames.value(item.country, item.country);
    row[columnIndex(ImportCol::CantidadImportada)] = tariffUnit ? item.tariffQuantity : item.commercialQuantity;
    row[columnIndex(ImportCol::ValorTotal)] = item.customsValue;
    return row;
}

QList<QStringList> importRows(const QList<Item> &items, const QStringList &unitCostItems,
                              const QHash<QString, QString> &countryNames, bool tariffUnit, const QSet<QString> &chosen)
{
    QSet<QString> fractions;
    for (const QString &f : unitCostItems)
        fractions.insert(f.trimmed());
    QList<QStringList> rows;
    for (const Item &item : items)
        if (item.operation == 1 && fractions.contains(item.fraction.trimmed())
            && (chosen.isEmpty() || chosen.contains(item.pedimento)))
            rows.append(importRow(item, countryNames, tariffUnit));
    return rows;
}

QList<QStringList> exportRows(const QList<Item> &items, const QHash<QString, QString> &countryNames, bool tariffUnit,
                              const QSet<QString> &chosen)
{
    struct Document {
        const Item *first;
        DecimalSum quantity, value;
    };
    QList<Document> documents;
    QHash<QString, qsizetype> at;
    for (const Item &item : items) {
        if (item.operation != 2 || (!chosen.isEmpty() && !chosen.contains(item.pedimento)))
            continue;
        auto found = at.constFind(item.pedimento);
        if (found == at.constEnd()) {
            found = at.insert(item.pedimento, documents.size());
            documents.append(Document{&item, {}, {}});
        }
        documents[*found].quantity.add(tariffUnit ? item.tariffQuantity : item.commercialQuantity);
        documents[*found].value.add(item.dollarValue);
    }
    QList<QStringList> rows;
    for (const Document &d : documents) {
        QStringList row(int(DirectExportCol::SaldoDocumento) + 1);
        row[columnIndex(DirectExportCol::Pedimento)] = d.first->pedimento;
        row[columnIndex(DirectExportCol::Fecha)] = dayText(d.first->paid);
        row[columnIndex(DirectExportCol::PaisDestino)] = countryNames.value(d.first->country, d.first->country);
        row[columnIndex(DirectExportCol::CantidadTotal)] = d.quantity.text();
        row[columnIndex(DirectExportCol::ValorTotal)] = d.value.text();
        rows.append(row);
    }
    return rows;
}

} // namespace DataStage

#include "row_files.h"

#include "checks/number_text.h"
#include "store/code_page.h"
#include "store/csv_text.h"
#include "store/store_error.h"
#include "xml_scanner.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTemporaryFile>
#include <QXmlStreamReader>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <dlfcn.h>
#include <filesystem>
#include <system_error>
#include <type_traits>

namespace RowFiles {

namespace {

QString shortName(const QString &path) { return QFileInfo(path).fileName(); }

StoreError noRows(const QString &name)
{
    return StoreError(QStringLiteral("El archivo «%1» no tiene renglones.").arg(name));
}

StoreError unreadable(const QString &path, const QString &reason)
{
    return StoreError(QStringLiteral("El archivo «%1» no es una hoja de cálculo que se pueda leer: %2.")
                          .arg(shortName(path), reason));
}

StoreError unwritable(const QString &path, const QString &reason)
{
    return StoreError(QStringLiteral("No se pudo escribir el archivo «%1»: %2.").arg(shortName(path), reason));
}

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

QString dayText(const QDate &date)
{
    return QStringLiteral("%1/%2/%3")
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

// The text of a CSV file. A UTF-8 or UTF-16 mark says what it is; without
// one, bytes that are all valid UTF-8 are read as such, anything else as
// Windows-1252 (what Excel writes on a Spanish Windows).
QString csvText(const QByteArray &bytes, const QString &name)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return utf16(bytes.sliced(2));
    }
    // Text never holds a NUL: this is some other kind of file.
    if (bytes.contains('\0'))
        throw StoreError(QStringLiteral("El archivo «%1» no es un texto CSV ni una hoja de cálculo .xlsx.").arg(name));
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.sliced(3));
    return CodePage::decodeText(bytes);
}

// The separator that cuts the first line with text into the most cells
// outside quotes; the comma when none is there.
QChar csvSeparator(QStringView text)
{
    static constexpr char16_t kCandidates[] = {u',', u';', u'\t', u'|'};
    int counts[4] = {};
    bool quoted = false;
    bool seen = false;
    for (const QChar c : text) {
        if (c == u'"') {
            quoted = !quoted; // a doubled quote turns it back
            seen = true;
        } else if (!quoted && c == u'\n') {
            if (seen)
                break;
        } else if (!quoted) {
            for (int k = 0; k < 4; ++k)
                counts[k] += c == kCandidates[k];
            seen = seen || !c.isSpace();
        }
    }
    int best = 0;
    for (int k = 1; k < 4; ++k)
        if (counts[k] > counts[best])
            best = k;
    return QChar(kCandidates[best]);
}

bool blankRow(const QStringList &row)
{
    return std::all_of(row.begin(), row.end(), [](const QString &c) { return c.trimmed().isEmpty(); });
}

// An .xlsx: a zip of XML parts, each read as a stream.
class Package {
public:
    explicit Package(const QString &path) : path_(path), zip_(path)
    {
        if (!zip_.open(QuaZip::mdUnzip))
            throw unreadable(path, QStringLiteral("el archivo está cortado o dañado"));
    }

    bool has(const QString &part) { return zip_.setCurrentFile(part); }

    // Runs read over the part's XML, with QXmlStreamReader; a damaged part
    // is refused. read goes on while more(xml).
    template <typename Read> void parse(const QString &part, Read &&read)
    {
        open(part, [&](QuaZipFile &file) {
            QXmlStreamReader xml(&file);
            read(xml);
            while (more(xml))
                xml.readNext();
            return !xml.hasError();
        });
    }

    // The same with XmlScanner, for the large parts.
    template <typename Read> void scan(const QString &part, Read &&read)
    {
        open(part, [&](QuaZipFile &file) {
            try {
                XmlScanner xml(&file);
                read(xml);
                while (xml.next() != XmlScanner::Done) {
                }
                return true;
            } catch (const XmlScanner::Broken &) {
                return false;
            }
        });
    }

    // Whether the reader has more to give; not after an error. After a
    // premature end atEnd() answers the device's, and a part the zip cannot
    // read through (its data or its header damaged) is never at its end:
    // reading on would never stop.
    static bool more(const QXmlStreamReader &xml) { return !xml.atEnd() && !xml.hasError(); }

    QString text(const QString &part)
    {
        if (!zip_.setCurrentFile(part))
            return {};
        QuaZipFile file(&zip_);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.read(200)).trimmed() : QString();
    }

private:
    template <typename Read> void open(const QString &part, Read &&read)
    {
        if (!zip_.setCurrentFile(part))
            throw unreadable(path_, QStringLiteral("le falta la parte «%1»").arg(part));
        QuaZipFile file(&zip_);
        if (!file.open(QIODevice::ReadOnly))
            throw damaged(part);
        const bool whole = read(file);
        file.close();
        if (!whole || file.getZipError() != UNZ_OK)
            throw damaged(part);
    }

    StoreError damaged(const QString &part) const
    {
        return unreadable(path_, QStringLiteral("su parte «%1» está dañada").arg(part));
    }

    QString path_;
    QuaZip zip_;
};

struct Relation {
    QString type;   // the last word of its type: "worksheet", "sharedStrings"...
    QString target; // the part's name in the zip
};

// The relations of a part ("xl/workbook.xml": "xl/_rels/workbook.xml.rels";
// the package's own: "_rels/.rels"), by id, their targets resolved against
// the part's folder.
QHash<QString, Relation> relations(Package &package, const QString &part)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    const QString folder = part.left(slash + 1);
    const QString file = folder + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
    QHash<QString, Relation> out;
    if (!package.has(file))
        return out;
    package.parse(file, [&](QXmlStreamReader &xml) {
        while (Package::more(xml)) {
            if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"Relationship")
                continue;
            const QXmlStreamAttributes a = xml.attributes();
            const QString type = a.value(QLatin1String("Type")).toString();
            QString target = a.value(QLatin1String("Target")).toString();
            target = target.startsWith(u'/') ? target.mid(1) : QDir::cleanPath(folder + target);
            out.insert(a.value(QLatin1String("Id")).toString(), {type.mid(type.lastIndexOf(u'/') + 1), target});
        }
    });
    return out;
}

// A text of shared strings or an inline string: its <t>, or the <t> of
// each run, leaving out phonetic guides. Characters XML cannot carry come
// as _xHHHH_.
QString richText(XmlScanner &xml)
{
    QString text;
    while (xml.nextChild()) {
        if (xml.named("t")) {
            text += xml.elementText();
        } else if (xml.named("r")) {
            while (xml.nextChild()) {
                if (xml.named("t"))
                    text += xml.elementText();
                else
                    xml.skipElement();
            }
        } else {
            xml.skipElement();
        }
    }
    if (!text.contains(QLatin1String("_x")))
        return text;
    static const QRegularExpression escaped(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString out;
    qsizetype from = 0;
    for (auto it = escaped.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).sliced(from, m.capturedStart() - from);
        out += QChar(char16_t(m.capturedView(1).toUShort(nullptr, 16)));
        from = m.capturedEnd();
    }
    return out.append(QStringView(text).mid(from));
}

// A number format shows a date when its code has days, months or years
// (a month is an "m" with no hours or seconds near: "mm:ss" is minutes).
// Quoted text, escaped characters and bracketed parts ([Red], [$-409]) are
// no part of the pattern; only the first section (positive numbers) counts.
bool isDateFormat(int id, const QString *code)
{
    if (!code)
        return (id >= 14 && id <= 22) || (id >= 45 && id <= 47);
    QString pattern;
    for (qsizetype i = 0; i < code->size(); ++i) {
        const QChar c = code->at(i).toLower();
        if (c == u';')
            break;
        if (c == u'"') {
            const qsizetype end = code->indexOf(u'"', i + 1);
            i = end < 0 ? code->size() : end;
        } else if (c == u'[') {
            const qsizetype end = code->indexOf(u']', i + 1);
            i = end < 0 ? code->size() : end;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else {
            pattern += c;
        }
    }
    if (pattern.contains(u'd') || pattern.contains(u'y'))
        return true;
    return pattern.contains(u'm') && !pattern.contains(u'h') && !pattern.contains(u's');
}

// An Excel day number as dd/mm/yyyy; the time of day is left out. In the
// 1900 system day 1 is 1900-01-01 and day 60 is 29/02/1900, a day that
// never was but Excel counts; in the 1904 system day 0 is 1904-01-01.
QString serialDate(double serial, bool date1904)
{
    const double day = std::floor(serial + 0.5 / 86400000.0);
    if (!(day >= 0 && day <= 2958465))
        return decimalText(serial);
    const qint64 n = qint64(day);
    if (date1904)
        return dayText(QDate(1904, 1, 1).addDays(n));
    if (n == 0)
        return QStringLiteral("00/01/1900");
    if (n == 60)
        return QStringLiteral("29/02/1900");
    return dayText(QDate(1899, 12, 31).addDays(n < 60 ? n : n - 1));
}

// A cell's number as written in the sheet ("1234.5", "1.5E-7"): read
// straight off its characters, QString::toDouble being slow for millions.
template <typename Number> bool readNumber(const QString &text, Number *out)
{
    char bytes[64];
    const QStringView t = QStringView(text).trimmed();
    if (t.isEmpty() || t.size() > qsizetype(sizeof bytes))
        return false;
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i].unicode() > 127)
            return false;
        bytes[i] = char(t[i].unicode());
    }
    const char *end = bytes + t.size();
    const auto [stop, error] = std::from_chars(bytes, end, *out);
    if constexpr (std::is_floating_point_v<Number>)
        return stop == end && error == std::errc() && std::isfinite(*out);
    return stop == end && error == std::errc();
}

// Whether a number as the sheet writes it is already as decimalText()
// would give it back: plain, at most 15 significant digits, no zeros
// before or after ("6.25", "-0.5", "42"). Most are, and are taken as they
// come.
bool plainDecimal(QStringView t)
{
    qsizetype i = t.startsWith(u'-') ? 1 : 0;
    const qsizetype whole = i;
    while (i < t.size() && isDigit(t[i]))
        ++i;
    if (i == whole || (i - whole > 1 && t[whole] == u'0'))
        return false;
    qsizetype significant = t[whole] == u'0' ? 0 : i - whole;
    if (i < t.size()) {
        if (t[i] != u'.' || i + 1 == t.size() || t.back() == u'0')
            return false;
        for (qsizetype k = i + 1; k < t.size(); ++k) {
            if (!isDigit(t[k]))
                return false;
            if (significant > 0 || t[k] != u'0')
                ++significant;
        }
    }
    return significant == 0 ? t == u"0" : significant <= 15;
}

// The column of a cell reference ("AB12": 27), from 0; -1 when it has none
// or is beyond XFD.
int referenceColumn(QByteArrayView reference)
{
    int column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference[i] >= 'A' && reference[i] <= 'Z'; ++i) {
        column = column * 26 + (reference[i] - 'A' + 1);
        if (column > 16384)
            return -1;
    }
    return i == 0 ? -1 : column - 1;
}

struct Workbook {
    QString sheet; // the part of its first worksheet
    QString sheetName;
    QString sharedStrings;
    QString styles;
    bool date1904 = false;
};

Workbook workbookOf(Package &package, const QString &path)
{
    // The workbook is the package's office document, usually xl/workbook.xml.
    QString part = QStringLiteral("xl/workbook.xml");
    for (const Relation &r : relations(package, QString()))
        if (r.type == u"officeDocument")
            part = r.target;
    if (!package.has(part)) {
        if (package.text(QStringLiteral("mimetype")).contains(QLatin1String("opendocument")))
            throw unreadable(path, QStringLiteral("es una hoja de OpenDocument (.ods); guárdela como .xlsx o CSV"));
        throw unreadable(path, QStringLiteral("le falta el libro (%1)").arg(part));
    }
    const QHash<QString, Relation> rels = relations(package, part);
    Workbook book;
    QString firstSheet, firstName;
    package.parse(part, [&](QXmlStreamReader &xml) {
        while (Package::more(xml)) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QXmlStreamAttributes a = xml.attributes();
            if (xml.name() == u"workbookPr") {
                const QStringView flag = a.value(QLatin1String("date1904"));
                book.date1904 = flag == u"1" || flag == u"true";
            } else if (xml.name() == u"sheet" && book.sheet.isEmpty()) {
                // The relation id is the attribute "id" of the relations' namespace.
                for (const QXmlStreamAttribute &attribute : a) {
                    const Relation r = rels.value(attribute.value().toString());
                    if (attribute.name() != u"id" || attribute.namespaceUri().isEmpty() || r.type != u"worksheet")
                        continue;
                    const QString name = a.value(QLatin1String("name")).toString();
                    if (a.value(QLatin1String("state")).isEmpty() || a.value(QLatin1String("state")) == u"visible") {
                        book.sheet = r.target;
                        book.sheetName = name;
                    } else if (firstSheet.isEmpty()) {
                        firstSheet = r.target;
                        firstName = name;
                    }
                }
            }
        }
    });
    if (book.sheet.isEmpty()) {
        book.sheet = firstSheet;
        book.sheetName = firstName;
    }
    if (book.sheet.isEmpty())
        throw unreadable(path, QStringLiteral("no tiene ninguna hoja de datos"));
    for (const Relation &r : rels) {
        if (r.type == u"sharedStrings")
            book.sharedStrings = r.target;
        else if (r.type == u"styles")
            book.styles = r.target;
    }
    return book;
}

QStringList sharedStrings(Package &package, const QString &part)
{
    QStringList out;
    if (part.isEmpty())
        return out;
    package.scan(part, [&](XmlScanner &xml) {
        for (XmlScanner::Token token; (token = xml.next()) != XmlScanner::Done;) {
            if (token != XmlScanner::Start)
                continue;
            if (xml.named("sst"))
                out.reserve(qBound(0, xml.attribute("uniqueCount").toInt(), 1 << 20));
            else if (xml.named("si"))
                out.append(richText(xml));
        }
    });
    return out;
}

// For each cell style, whether its number format shows a date.
QList<bool> dateStyles(Package &package, const QString &part)
{
    QList<bool> out;
    if (part.isEmpty())
        return out;
    QHash<int, QString> codes;
    QList<int> formats;
    package.parse(part, [&](QXmlStreamReader &xml) {
        bool cellStyles = false;
        while (Package::more(xml)) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (token == QXmlStreamReader::EndElement && xml.name() == u"cellXfs")
                cellStyles = false;
            if (token != QXmlStreamReader::StartElement)
                continue;
            const QXmlStreamAttributes a = xml.attributes();
            if (xml.name() == u"numFmt")
                codes.insert(a.value(QLatin1String("numFmtId")).toInt(),
                             a.value(QLatin1String("formatCode")).toString());
            else if (xml.name() == u"cellXfs")
                cellStyles = true;
            else if (xml.name() == u"xf" && cellStyles)
                formats.append(a.value(QLatin1String("numFmtId")).toInt());
        }
    });
    out.reserve(formats.size());
    for (const int id : formats) {
        const auto code = codes.constFind(id);
        out.append(isDateFormat(id, code == codes.constEnd() ? nullptr : &*code));
    }
    return out;
}

// A cell written to a spreadsheet as a number: a plain decimal with no
// leading zeros ("0012" is a code) that reads back as written, its whole
// part at most 11 digits (a longer one is a document number, which Excel
// would show in exponent form).
bool writtenAsNumber(const QString &text, double *value)
{
    const QStringView t(text);
    qsizetype i = t.startsWith(u'-') ? 1 : 0;
    const qsizetype start = i;
    while (i < t.size() && isDigit(t[i]))
        ++i;
    const qsizetype whole = i - start;
    if (whole == 0 || whole > 11 || (whole > 1 && t[start] == u'0'))
        return false;
    qsizetype end = t.size();
    if (i < t.size()) {
        if (t[i] != u'.' || i + 1 == t.size())
            return false;
        for (qsizetype k = i + 1; k < t.size(); ++k)
            if (!isDigit(t[k]))
                return false;
        while (t[end - 1] == u'0')
            --end;
        if (t[end - 1] == u'.')
            --end;
    }
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok && decimalText(*value) == t.first(end);
}

void writeCsv(const QString &path, const Sheet &sheet)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw unwritable(path, file.errorString());
    // The mark lets Excel see UTF-8; the names quote any separator the
    // reader could take for the file's own.
    QByteArray out("\xEF\xBB\xBF");
    out += CsvText::line(sheet.names, u',', u";\t|").toUtf8() + "\r\n";
    for (const QStringList &row : sheet.rows) {
        out += CsvText::line(row).toUtf8() + "\r\n";
        if (out.size() > (1 << 20)) {
            file.write(out);
            out.clear();
        }
    }
    file.write(out);
    if (!file.commit())
        throw unwritable(path, file.errorString());
}

// libxlsxwriter, loaded on first use into a link namespace of its own.
// QuaZip exports its copy of minizip under minizip's own names (zipOpen,
// zipClose...), with other arguments; in the program's namespace
// libxlsxwriter's calls to Debian's minizip would land in QuaZip's and
// crash. Alone, it finds its minizip, and a C library whose locale is
// still "C", so numbers go out with a decimal point whatever the desktop's
// language.
struct XlsxWriter {
    decltype(&workbook_new_opt) newBook = nullptr;
    decltype(&workbook_add_worksheet) addSheet = nullptr;
    decltype(&workbook_add_format) addFormat = nullptr;
    decltype(&format_set_bold) setBold = nullptr;
    decltype(&worksheet_write_number) writeNumber = nullptr;
    decltype(&worksheet_write_string) writeString = nullptr;
    decltype(&workbook_close) close = nullptr;
    decltype(&lxw_workbook_free) discard = nullptr;
    decltype(&lxw_strerror) describe = nullptr;
    QString missing; // why it could not be loaded
};

const XlsxWriter &xlsxWriter()
{
    static const XlsxWriter library = [] {
        XlsxWriter w;
        void *handle = dlmopen(LM_ID_NEWLM, QUELVAR_XLSXWRITER_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            w.missing = QString::fromLocal8Bit(dlerror());
            return w;
        }
        const auto find = [&](auto &function, const char *name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(handle, name));
            if (!function && w.missing.isEmpty())
                w.missing = QString::fromLocal8Bit(dlerror());
        };
        find(w.newBook, "workbook_new_opt");
        find(w.addSheet, "workbook_add_worksheet");
        find(w.addFormat, "workbook_add_format");
        find(w.setBold, "format_set_bold");
        find(w.writeNumber, "worksheet_write_number");
        find(w.writeString, "worksheet_write_string");
        find(w.close, "workbook_close");
        find(w.discard, "lxw_workbook_free");
        find(w.describe, "lxw_strerror");
        return w;
    }();
    return library;
}

QString xlsxFault(const XlsxWriter &w, lxw_error error)
{
    switch (error) {
    case LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE:
        return QStringLiteral("una hoja de cálculo admite a lo más 1,048,576 renglones y 16,384 columnas");
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED:
        return QStringLiteral("una celda de una hoja de cálculo admite a lo más 32,767 caracteres");
    default:
        return QString::fromUtf8(w.describe(error));
    }
}

void writeXlsx(const QString &path, const Sheet &sheet)
{
    const XlsxWriter &w = xlsxWriter();
    if (!w.missing.isEmpty())
        throw unwritable(path, QStringLiteral("falta libxlsxwriter (%1)").arg(w.missing));
    // libxlsxwriter writes by name: a temporary name in the target's folder,
    // renamed over the target once the workbook is whole.
    const QFileInfo info(path);
    QTemporaryFile temp(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX"));
    if (!temp.open())
        throw unwritable(path, temp.errorString());
    temp.close();
    temp.setPermissions(info.exists() ? info.permissions()
                                      : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser
                                            | QFile::ReadGroup | QFile::ReadOther);
    const QByteArray tempName = QFile::encodeName(temp.fileName());

    lxw_workbook_options options{};
    lxw_workbook *book = w.newBook(tempName.constData(), &options);
    if (!book)
        throw unwritable(path, QStringLiteral("no hay memoria para la hoja de cálculo"));
    lxw_worksheet *page = w.addSheet(book, "Hoja1");
    lxw_format *bold = w.addFormat(book);
    w.setBold(bold);
    lxw_error error = LXW_NO_ERROR;
    const auto writeRow = [&](lxw_row_t r, const QStringList &cells, lxw_format *format) {
        for (qsizetype c = 0; c < cells.size() && error == LXW_NO_ERROR; ++c) {
            double value = 0;
            if (c >= LXW_COL_MAX)
                error = LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE;
            else if (cells[c].isEmpty())
                continue;
            else if (!format && writtenAsNumber(cells[c], &value))
                error = w.writeNumber(page, r, lxw_col_t(c), value, nullptr);
            else
                error = w.writeString(page, r, lxw_col_t(c), cells[c].toUtf8().constData(), format);
        }
    };
    writeRow(0, sheet.names, bold);
    for (qsizetype r = 0; r < sheet.rows.size() && error == LXW_NO_ERROR; ++r) {
        if (r + 1 >= LXW_ROW_MAX)
            error = LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE;
        else
            writeRow(lxw_row_t(r + 1), sheet.rows[r], nullptr);
    }
    if (error != LXW_NO_ERROR) {
        w.discard(book);
        throw unwritable(path, xlsxFault(w, error));
    }
    error = w.close(book);
    if (error != LXW_NO_ERROR)
        throw unwritable(path, xlsxFault(w, error));
    std::error_code failure;
    std::filesystem::rename(tempName.constData(), QFile::encodeName(info.absoluteFilePath()).constData(), failure);
    if (failure)
        throw unwritable(path, QString::fromLocal8Bit(failure.message()));
    temp.setAutoRemove(false);
}

// A name as compared: no accents, case folded, blanks collapsed, no final
// "." or ":".
QString comparable(const QString &name)
{
    const QString decomposed = name.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    bool blank = false;
    for (const QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c.isSpace()) {
            blank = true;
            continue;
        }
        if (blank && !out.isEmpty())
            out += u' ';
        blank = false;
        out += c.toCaseFolded();
    }
    while (!out.isEmpty() && (out.back() == u'.' || out.back() == u':' || out.back() == u' '))
        out.chop(1);
    return out;
}

} // namespace

Sheet readCsv(const QByteArray &bytes, const QString &sourceName)
{
    const QString text = csvText(bytes, sourceName);
    QList<int> starts;
    QList<QStringList> lines = CsvText::parse(text, sourceName, csvSeparator(text), &starts);
    Sheet sheet;
    sheet.rows.reserve(lines.size());
    sheet.lines.reserve(lines.size());
    bool named = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QStringList &row = lines[i];
        if (blankRow(row))
            continue;
        // A line break in quotes reads as "\n", with every CR before its LF
        // ("\r\r\n" too, as a line's end outside quotes).
        static const QRegularExpression lineBreak(QStringLiteral("\r+\n"));
        for (QString &cell : row)
            if (cell.contains(u'\r'))
                cell.replace(lineBreak, QStringLiteral("\n"));
        if (named) {
            sheet.rows.append(std::move(row));
            sheet.lines.append(starts.value(i));
        } else {
            sheet.names = std::move(row);
            named = true;
        }
    }
    if (!named)
        throw noRows(sourceName);
    return sheet;
}

Sheet readXlsx(const QString &path)
{
    Package package(path);
    const Workbook book = workbookOf(package, path);
    const QStringList strings = sharedStrings(package, book.sharedStrings);
    const QList<bool> dates = dateStyles(package, book.styles);

    Sheet sheet;
    bool named = false;
    QStringList row;
    QBitArray numbers; // of the row being read
    int rowNumber = 0;
    QList<Fault> faults; // of the row being read
    const auto endRow = [&] {
        if (row.isEmpty())
            return;
        if (named) {
            while (row.size() < sheet.names.size())
                row.append(QString());
            for (Fault &f : faults)
                f.row = int(sheet.rows.size());
            sheet.faults += faults;
            sheet.rows.append(std::move(row));
            sheet.lines.append(rowNumber);
            if (!numbers.isEmpty()) {
                // Told for every row once a row has numbers: the marks stay in step with the rows.
                while (sheet.numbers.size() < sheet.rows.size() - 1)
                    sheet.numbers.append(QBitArray());
                sheet.numbers.append(numbers);
            }
        } else {
            sheet.names = std::move(row);
            named = true;
        }
        row = QStringList();
        row.reserve(sheet.names.size());
        numbers.clear();
        faults.clear();
    };
    // The address of a cell in the sheet, for the user to find it.
    const auto address = [&](int column) {
        QString letters;
        for (int c = column + 1; c > 0; c = (c - 1) / 26)
            letters.prepend(QChar(u'A' + (c - 1) % 26));
        const QString name = book.sheetName.contains(u' ') ? u'\'' + book.sheetName + u'\'' : book.sheetName;
        return (name.isEmpty() ? QString() : name + u'!') + letters + QString::number(rowNumber);
    };
    enum class Kind { Number, Shared, Inline, Boolean, Date, Error, Plain };
    package.scan(book.sheet, [&](XmlScanner &xml) {
        int column = -1;
        for (XmlScanner::Token token; (token = xml.next()) != XmlScanner::Done;) {
            if (token != XmlScanner::Start)
                continue;
            if (xml.named("row")) {
                endRow();
                column = -1;
                const int r = xml.attribute("r").toInt();
                rowNumber = r > 0 ? r : rowNumber + 1;
                continue;
            }
            if (xml.named("dimension")) {
                // "A1:O100000": room for the rows, read ahead of them.
                const QByteArrayView range = xml.attribute("ref");
                qsizetype digit = range.indexOf(':') + 1;
                while (digit > 0 && digit < range.size() && !isDigit(QChar::fromLatin1(range[digit])))
                    ++digit;
                sheet.rows.reserve(qBound(0, digit > 0 ? range.sliced(digit).toInt() : 0, 1 << 20));
                continue;
            }
            if (!xml.named("c"))
                continue;
            const QByteArrayView reference = xml.attribute("r");
            column = reference.isEmpty() ? column + 1 : referenceColumn(reference);
            if (column < 0 || column >= 16384)
                throw unreadable(
                    path,
                    QStringLiteral("la celda «%1» no tiene una columna válida").arg(QString::fromUtf8(reference)));
            const QByteArrayView t = xml.attribute("t");
            const Kind kind = t.isEmpty() || XmlScanner::equal(t, "n") ? Kind::Number
                              : XmlScanner::equal(t, "s")              ? Kind::Shared
                              : XmlScanner::equal(t, "inlineStr")      ? Kind::Inline
                              : XmlScanner::equal(t, "b")              ? Kind::Boolean
                              : XmlScanner::equal(t, "d")              ? Kind::Date
                              : XmlScanner::equal(t, "e")              ? Kind::Error
                                                                       : Kind::Plain;
            const int style = xml.attribute("s").toInt();
            QString value;
            QString inlineText;
            bool formula = false, valued = false;
            while (xml.nextChild()) {
                if (xml.named("v")) {
                    value = xml.elementText();
                    valued = true;
                } else if (xml.named("is")) {
                    inlineText = richText(xml);
                } else {
                    formula = formula || xml.named("f");
                    xml.skipElement();
                }
            }
            // A formula whose result was not stored has no figure to give:
            // an empty cell would bring the row in without it.
            const bool unvalued = formula && kind != Kind::Inline && (!valued || (value.isEmpty() && kind != Kind::Plain));
            if (unvalued || kind == Kind::Error) {
                const QString where = address(column);
                faults.append({0, column, where,
                               unvalued ? QStringLiteral("La celda %1 tiene una fórmula cuyo resultado no se guardó; "
                                                         "abra el archivo en una hoja de cálculo y guárdelo antes de "
                                                         "importarlo.")
                                              .arg(where)
                                        : QStringLiteral("La celda %1 tiene el error %2; corríjalo en la hoja de "
                                                         "cálculo, guarde el archivo e impórtelo de nuevo.")
                                              .arg(where, value)});
                while (row.size() <= column)
                    row.append(QStringLiteral(""));
                continue;
            }
            QString text;
            switch (kind) {
            case Kind::Shared: {
                qsizetype index = -1;
                if (!readNumber(value, &index) || index < 0 || index >= strings.size())
                    throw unreadable(
                        path, QStringLiteral("la hoja nombra un texto que no está en el libro (el %1)").arg(value));
                text = strings.at(index);
                break;
            }
            case Kind::Inline:
                text = inlineText;
                break;
            case Kind::Boolean:
                text = value.isEmpty() ? QString()
                       : value == u"1" ? QStringLiteral("VERDADERO")
                                       : QStringLiteral("FALSO");
                break;
            case Kind::Date:
                text = plainDate(value);
                break;
            case Kind::Error:
            case Kind::Plain:
                text = value;
                break;
            case Kind::Number:
                const bool dated = style >= 0 && style < dates.size() && dates.at(style);
                double number = 0;
                text = !dated && plainDecimal(value) ? value
                       : !readNumber(value, &number) ? value
                       : dated                       ? serialDate(number, book.date1904)
                                                     : decimalText(number);
                if (!dated && !text.isEmpty()) {
                    if (numbers.size() <= column)
                        numbers.resize(column + 1);
                    numbers.setBit(column);
                }
                break;
            }
            if (text.isEmpty())
                continue;
            while (row.size() < column)
                row.append(QString());
            if (row.size() == column)
                row.append(text);
            else
                row[column] = text;
        }
    });
    endRow();
    if (!named)
        throw noRows(shortName(path));
    return sheet;
}

Sheet read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StoreError(
            QStringLiteral("No se pudo abrir el archivo «%1»: %2.").arg(shortName(path), file.errorString()));
    const QByteArray head = file.peek(4);
    if (head == "PK\x03\x04" || head == "PK\x05\x06") {
        file.close();
        return readXlsx(path);
    }
    if (head == "\xD0\xCF\x11\xE0")
        throw StoreError(QStringLiteral("El archivo «%1» es un libro de Excel 97-2003 (.xls), que no se puede leer; "
                                        "guárdelo como .xlsx o CSV.")
                             .arg(shortName(path)));
    return readCsv(file.readAll(), shortName(path));
}

void write(const QString &path, const Sheet &sheet)
{
    if (path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        writeXlsx(path, sheet);
    else
        writeCsv(path, sheet);
}

int matchName(const QString &name, const QStringList &candidates)
{
    const QString wanted = comparable(name);
    if (wanted.isEmpty())
        return -1;
    for (qsizetype i = 0; i < candidates.size(); ++i)
        if (comparable(candidates[i]) == wanted)
            return int(i);
    return -1;
}

namespace {

// A figure's reading in one style, the sign apart.
struct Reading {
    bool number = false;
    bool negative = false;
    bool exponent = false;
    QString plain;
};

bool isBlank(QChar c) { return c == u' ' || c == u'\u00A0' || c == u'\u202F'; }

Reading readIn(QStringView t, Decimal style)
{
    Reading r;
    t = t.trimmed();
    const auto trim = [&t] {
        while (!t.isEmpty() && isBlank(t.front()))
            t = t.sliced(1);
        while (!t.isEmpty() && isBlank(t.back()))
            t.chop(1);
    };
    trim();
    if (t.size() >= 2 && t.front() == u'(' && t.back() == u')') {
        r.negative = true;
        t = t.sliced(1, t.size() - 2);
        trim();
    }
    bool signed_ = r.negative;
    const auto sign = [&] {
        if (!signed_ && !t.isEmpty() && (t.front() == u'-' || t.front() == u'+')) {
            r.negative = t.front() == u'-';
            signed_ = true;
            t = t.sliced(1);
            trim();
        }
    };
    sign();
    if (!t.isEmpty() && t.front() == u'$') {
        t = t.sliced(1);
        trim();
        sign();
    }
    if (!signed_ && !t.isEmpty() && t.back() == u'-') {
        r.negative = true;
        t.chop(1);
        trim();
    }
    const QChar thousands = style == Decimal::Comma ? u'.' : u',';
    const QChar mark = style == Decimal::Comma ? u',' : u'.';
    QString &out = r.plain;
    out.reserve(t.size() + 1);
    // The whole part: a first group, then groups of three after one kind of
    // separator.
    qsizetype i = 0;
    int group = 0;       // digits of the group being read
    QChar separator;     // the one that groups this figure, once seen
    bool grouped = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (isDigit(c)) {
            out += c;
            ++group;
        } else if (c == thousands || isBlank(c)) {
            const QChar kind = isBlank(c) ? QChar(u' ') : c;
            // Nobody groups the thousands of a figure that begins with 0.
            if (group == 0 || (grouped ? group != 3 : group > 3 || out.startsWith(u'0'))
                || (grouped && kind != separator))
                return r;
            separator = kind;
            grouped = true;
            group = 0;
        } else {
            break;
        }
    }
    if (grouped && group != 3)
        return r;
    const qsizetype whole = out.size();
    if (i < t.size() && t[i] == mark) {
        out += u'.';
        for (++i; i < t.size() && isDigit(t[i]); ++i)
            out += t[i];
        if (out.endsWith(u'.'))
            out.chop(1);
    }
    if (whole == 0 && out.size() < 2)
        return r;
    if (i < t.size() && (t[i] == u'e' || t[i] == u'E')) {
        qsizetype k = i + 1;
        if (k < t.size() && (t[k] == u'-' || t[k] == u'+'))
            ++k;
        r.exponent = k < t.size() && std::all_of(t.begin() + k, t.end(), isDigit);
        return r;
    }
    if (i != t.size())
        return r;
    if (whole == 0)
        out.prepend(u'0');
    r.number = true;
    return r;
}

} // namespace

Figure readFigure(const QString &text, Decimal style)
{
    if (text.trimmed().isEmpty())
        return {};
    const Reading r = readIn(text, style == Decimal::Comma ? Decimal::Comma : Decimal::Point);
    if (r.exponent)
        return {{}, QStringLiteral("Está en notación científica; escríbalo como número decimal.")};
    if (!r.number)
        return {{}, style == Decimal::Comma
                        ? QStringLiteral("No es un número escrito con coma decimal (como 1.234,56).")
                        : QStringLiteral("No es un número escrito con punto decimal (como 1,234.56).")};
    if (r.negative && std::any_of(r.plain.cbegin(), r.plain.cend(), [](QChar c) { return c > u'0' && c <= u'9'; }))
        return {{}, QStringLiteral("Es negativo, y esta columna no admite cantidades negativas.")};
    return {r.plain, {}};
}

void DecimalVote::add(QStringView text)
{
    // Digits alone read alike in both styles, and are most figures.
    if (std::all_of(text.begin(), text.end(), isDigit))
        return;
    const Reading point = readIn(text, Decimal::Point);
    const Reading comma = readIn(text, Decimal::Comma);
    if (point.number && comma.number)
        differ_ += point.plain != comma.plain;
    else if (point.number)
        ++point_;
    else if (comma.number)
        ++comma_;
}

Decimal DecimalVote::style() const
{
    if (point_ > 0 && comma_ > 0)
        return Decimal::Unknown;
    if (comma_ > 0)
        return Decimal::Comma;
    return point_ > 0 || differ_ == 0 ? Decimal::Point : Decimal::Unknown;
}

QString plainDate(const QString &text)
{
    // dd/mm/yyyy already, as most rows bring it: left to the date check.
    if (text.size() == 10 && text[2] == u'/' && text[5] == u'/'
        && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return isDigit(c) || c == u'/'; }))
        return text;
    static const QRegularExpression dayFirst(QStringLiteral(R"(^(\d{1,2})([/-])(\d{1,2})\2(\d{4})$)"));
    static const QRegularExpression yearFirst(QStringLiteral(
        R"(^(\d{4})([/-])(\d{1,2})\2(\d{1,2})(?:T\d{1,2}:\d{2}(?::\d{2}(?:\.\d+)?)?(?:Z|[+-]\d{2}:?\d{2})?)?$)"));
    const QString t = text.trimmed();
    QRegularExpressionMatch m = dayFirst.match(t);
    QDate date;
    if (m.hasMatch()) {
        date = QDate(m.capturedView(4).toInt(), m.capturedView(3).toInt(), m.capturedView(1).toInt());
    } else if ((m = yearFirst.match(t)).hasMatch()) {
        date = QDate(m.capturedView(1).toInt(), m.capturedView(3).toInt(), m.capturedView(4).toInt());
    }
    return date.isValid() ? dayText(date) : text;
}

} // namespace RowFiles

#include "table_csv.h"

#include "code_page.h"
#include "csv_text.h"
#include "dbf_table.h"
#include "field_codec.h"

#include <QDate>
#include <QStringList>
#include <array>
#include <string>

namespace TableCsv {

namespace {

constexpr std::size_t kPiece = 256 * 1024;

bool isBlank(char c) { return c == ' ' || c == '\0'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// What each byte of the table's code page becomes in the text.
struct ByteText {
    std::array<std::array<char, 4>, 256> utf8{};
    std::array<unsigned char, 256> length{};
    std::array<bool, 256> quoted{}; // a comma, a quote or a line break: the cell is quoted
    std::array<bool, 256> space{};  // a blank: quoted at either end of a cell
    std::array<bool, 256> quote{};  // doubled inside a quoted cell

    explicit ByteText(const CodePage &cp)
    {
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString s = cp.decode(&byte, 1);
            const QByteArray u = s.toUtf8();
            length[size_t(b)] = static_cast<unsigned char>(u.size());
            std::copy(u.begin(), u.end(), utf8[size_t(b)].begin());
            const QChar c = s.at(0);
            quote[size_t(b)] = c == u'"';
            quoted[size_t(b)] = c == u',' || c == u'"' || c == u'\n' || c == u'\r';
            space[size_t(b)] = c == u' ';
        }
    }
};

class Writer {
public:
    Writer(const DbfTable &table, const Sink &sink) : table_(table), text_(table.codePage()), sink_(sink)
    {
        out_.reserve(kPiece + std::size_t(table.recordLength()) * 8 + 1024);
    }

    void header()
    {
        QStringList names;
        for (int i = 0; i < table_.fieldCount(); ++i)
            names.append(table_.field(i).name);
        out_ += (CsvText::line(names) + u'\n').toUtf8().toStdString();
    }

    void record(const char *r)
    {
        for (int i = 0; i < table_.fieldCount(); ++i) {
            if (i > 0)
                out_ += ',';
            const FieldDef &f = table_.field(i);
            const char *p = r + f.offset;
            switch (f.type) {
            case 'C':
                characters(p, f.length);
                break;
            case 'N':
            case 'F':
                number(f, r);
                break;
            case 'D':
                date(p, f.length);
                break;
            case 'L':
                flag(*p);
                break;
            default:
                break; // memo references are not shown
            }
        }
        out_ += '\n';
        if (out_.size() >= kPiece)
            flush();
    }

    void flush()
    {
        if (!out_.empty())
            sink_(out_.data(), out_.size());
        out_.clear();
    }

private:
    // Trailing blanks are no part of the text; blanks only are null.
    void characters(const char *p, int length)
    {
        while (length > 0 && isBlank(p[length - 1]))
            --length;
        if (length == 0)
            return;
        const auto *bytes = reinterpret_cast<const unsigned char *>(p);
        bool quoted = text_.space[bytes[0]] || text_.space[bytes[length - 1]];
        for (int i = 0; i < length && !quoted; ++i)
            quoted = text_.quoted[bytes[i]];
        if (quoted)
            out_ += '"';
        for (int i = 0; i < length; ++i) {
            const unsigned char b = bytes[i];
            if (b < 0x80 && !text_.quote[b] && text_.length[b] == 1) {
                out_ += char(text_.utf8[b][0]);
                continue;
            }
            if (text_.quote[b])
                out_ += '"';
            out_.append(text_.utf8[b].data(), text_.length[b]);
        }
        if (quoted)
            out_ += '"';
    }

    // A number is blanks, one sign, digits and one point; anything else
    // shows as null, as does a field of blanks. Its text is the shortest that
    // reads back as the same number: up to 15 significant digits that is the
    // field's own digits without the zeros at either end; a longer number
    // goes through its double, as FieldCodec reads it.
    void number(const FieldDef &f, const char *record)
    {
        const char *p = record + f.offset;
        const char *end = p + f.length;
        while (p < end && isBlank(*p))
            ++p;
        while (end > p && isBlank(end[-1]))
            --end;
        if (p == end)
            return;
        const bool negative = *p == '-';
        if (*p == '-' || *p == '+')
            ++p;
        const char *intStart = p;
        while (p < end && isDigit(*p))
            ++p;
        const char *intEnd = p;
        const char *fracStart = p;
        const char *fracEnd = p;
        if (p < end && *p == '.') {
            fracStart = ++p;
            while (p < end && isDigit(*p))
                ++p;
            fracEnd = p;
        }
        if (p != end || (intStart == intEnd && fracStart == fracEnd))
            return; // not a number
        while (intStart < intEnd && *intStart == '0')
            ++intStart;
        while (fracEnd > fracStart && fracEnd[-1] == '0')
            --fracEnd;
        // The significant digits run from the first non-zero digit to the
        // last one.
        const char *first = intStart;
        if (first == intEnd) {
            first = fracStart;
            while (first < fracEnd && *first == '0')
                ++first;
        }
        const char *last = fracEnd;
        if (fracEnd == fracStart) {
            last = intEnd;
            while (last > intStart && last[-1] == '0')
                --last;
        }
        const long significant = (last - first) - ((first < intEnd && last > fracStart) ? 1 : 0);
        if (significant <= 0) {
            out_ += '0';
            return;
        }
        if (significant > 15) {
            bool isNull = false;
            const double d = FieldCodec::decodeNumber(f, record, &isNull);
            if (!isNull)
                out_ += FieldCodec::plainNumber(d).toStdString();
            return;
        }
        if (negative)
            out_ += '-';
        if (intStart == intEnd)
            out_ += '0';
        else
            out_.append(intStart, intEnd);
        if (fracEnd > fracStart) {
            out_ += '.';
            out_.append(fracStart, fracEnd);
        }
    }

    // yyyymmdd of a valid date, as yyyy-mm-dd; anything else is null.
    void date(const char *p, int length)
    {
        if (length != 8)
            return;
        int value[3] = {0, 0, 0};
        for (int i = 0; i < 8; ++i) {
            if (!isDigit(p[i]))
                return;
            int &part = value[i < 4 ? 0 : (i < 6 ? 1 : 2)];
            part = part * 10 + (p[i] - '0');
        }
        if (!QDate(value[0], value[1], value[2]).isValid())
            return;
        out_.append(p, 4);
        out_ += '-';
        out_.append(p + 4, 2);
        out_ += '-';
        out_.append(p + 6, 2);
    }

    void flag(char c)
    {
        switch (c) {
        case 'T': case 't': case 'Y': case 'y':
            out_ += 'T';
            break;
        case 'F': case 'f': case 'N': case 'n':
            out_ += 'F';
            break;
        default:
            break;
        }
    }

    const DbfTable &table_;
    const ByteText text_;
    const Sink &sink_;
    std::string out_;
};

} // namespace

QString write(const QString &tableFile, const Sink &sink)
{
    const std::unique_ptr<DbfTable> table = DbfTable::open(tableFile);
    Writer writer(*table, sink);
    writer.header();
    const quint32 count = table->recordCount();
    for (quint32 r = 0; r < count; ++r) {
        const char *record = table->record(r);
        if (record[0] != '*')
            writer.record(record);
    }
    writer.flush();
    return table->countAheadText();
}

} // namespace TableCsv

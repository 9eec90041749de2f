#include "csv_text.h"

#include "store_error.h"

#include <algorithm>

namespace CsvText {

QList<QStringList> parse(const QString &text, const QString &sourceName, QChar separator, QList<int> *lines)
{
    QList<QStringList> rows;
    QStringList row;
    QString cell;
    bool cellStarted = false;
    int lineNumber = 1;
    int rowLine = 1; // where the row being read began
    const auto endCell = [&] {
        row.append(cell);
        cell = QString();
        cellStarted = false;
    };
    const auto endRow = [&] {
        endCell();
        const qsizetype width = row.size();
        if (!(width == 1 && row.first().isEmpty())) {
            rows.append(row);
            if (lines)
                lines->append(rowLine);
        }
        row.clear();
        row.reserve(width);
    };
    // Plain characters are taken a run at a time, up to the next one that
    // means something: the separator, a quote, a line feed or a carriage
    // return (dropped outside quotes).
    const QStringView all(text);
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size) {
        const QChar c = all[i];
        if (c == u'"' && !cellStarted) {
            cellStarted = true;
            const int openedOn = lineNumber;
            // A quoted run: up to the quote that is not doubled.
            for (++i;;) {
                const qsizetype quote = text.indexOf(u'"', i);
                const qsizetype end = quote < 0 ? size : quote;
                const QStringView piece = all.sliced(i, end - i);
                lineNumber += int(piece.count(u'\n'));
                cell.append(piece);
                if (quote < 0)
                    throw StoreError(QStringLiteral("«%1»: una comilla abierta en la línea %2 no se cierra.")
                                         .arg(sourceName)
                                         .arg(openedOn));
                if (quote + 1 < size && all[quote + 1] == u'"') {
                    cell.append(u'"');
                    i = quote + 2;
                } else {
                    i = quote + 1;
                    break;
                }
            }
            continue;
        }
        if (c == separator) {
            endCell();
        } else if (c == u'\n') {
            endRow();
            rowLine = ++lineNumber;
        } else if (c != u'\r') {
            qsizetype end = i + 1;
            while (end < size) {
                const QChar d = all[end];
                if (d == separator || d == u'\n' || d == u'\r' || d == u'"')
                    break;
                ++end;
            }
            // A quote after the cell has begun is an ordinary character.
            if (end < size && all[end] == u'"')
                ++end;
            // Most cells are one run: taken whole, they take no more room than they need.
            if (cell.isEmpty())
                cell = all.sliced(i, end - i).toString();
            else
                cell.append(all.sliced(i, end - i));
            cellStarted = true;
            i = end;
            continue;
        }
        ++i;
    }
    if (cellStarted || !row.isEmpty())
        endRow();
    return rows;
}

QString line(const QStringList &cells, QChar separator, QStringView alsoQuoted)
{
    QStringList out;
    out.reserve(cells.size());
    for (const QString &c : cells) {
        const bool quote = c.contains(separator) || c.contains(u'"') || c.contains(u'\n') || c.contains(u'\r')
            || c.startsWith(u' ') || c.endsWith(u' ')
            || std::any_of(alsoQuoted.begin(), alsoQuoted.end(), [&](QChar q) { return c.contains(q); });
        if (quote) {
            QString q = c;
            q.replace(QLatin1String("\""), QLatin1String("\"\""));
            out.append(u'"' + q + u'"');
        } else {
            out.append(c);
        }
    }
    return out.join(separator);
}

} // namespace CsvText

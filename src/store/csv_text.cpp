#include "csv_text.h"

#include "store_error.h"

namespace CsvText {

QList<QStringList> parse(const QString &text, const QString &sourceName)
{
    QList<QStringList> rows;
    QStringList row;
    QString cell;
    bool quoted = false;
    bool cellStarted = false;
    int lineNumber = 1;
    const auto endRow = [&] {
        row.append(cell);
        cell.clear();
        cellStarted = false;
        if (!(row.size() == 1 && row.first().isEmpty()))
            rows.append(row);
        row.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text.at(i + 1) == u'"') {
                    cell += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == u'\n')
                    ++lineNumber;
                cell += c;
            }
            continue;
        }
        if (c == u'"' && !cellStarted) {
            quoted = true;
            cellStarted = true;
        } else if (c == u',') {
            row.append(cell);
            cell.clear();
            cellStarted = false;
        } else if (c == u'\n') {
            endRow();
            ++lineNumber;
        } else if (c != u'\r') {
            cell += c;
            cellStarted = true;
        }
    }
    if (quoted)
        throw StoreError(QStringLiteral("«%1»: una comilla abierta en la línea %2 no se cierra.").arg(sourceName).arg(lineNumber));
    if (cellStarted || !row.isEmpty())
        endRow();
    return rows;
}

QString line(const QStringList &cells)
{
    QStringList out;
    out.reserve(cells.size());
    for (const QString &c : cells) {
        const bool quote = c.contains(u',') || c.contains(u'"') || c.contains(u'\n') || c.contains(u'\r')
            || c.startsWith(u' ') || c.endsWith(u' ');
        if (quote) {
            QString q = c;
            q.replace(QLatin1String("\""), QLatin1String("\"\""));
            out.append(u'"' + q + u'"');
        } else {
            out.append(c);
        }
    }
    return out.join(u',');
}

} // namespace CsvText

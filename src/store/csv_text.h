#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Comma-separated text: a cell is quoted with double quotes when it holds a
// comma, a quote, a line break or a blank at either end; an inner quote is
// doubled.
namespace CsvText {

// Rows of cells. Throws StoreError naming the source on an unclosed quote.
QList<QStringList> parse(const QString &text, const QString &sourceName);
QString line(const QStringList &cells); // without the line feed

} // namespace CsvText

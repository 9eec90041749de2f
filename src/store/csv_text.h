#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// Separated text: a cell is quoted with double quotes when it holds the
// separator (a comma unless told), a quote, a line break or a blank at
// either end; an inner quote is doubled.
namespace CsvText {

// Rows of cells; empty lines are skipped. Throws StoreError naming the
// source and the line of a quote that is never closed. lines, when given,
// takes the line each row begins on, from 1.
QList<QStringList> parse(const QString &text, const QString &sourceName, QChar separator = u',',
                         QList<int> *lines = nullptr);
// One line, without the line feed. A cell holding any of alsoQuoted is
// quoted too (a name line quotes the separators a reader might take).
QString line(const QStringList &cells, QChar separator = u',', QStringView alsoQuoted = {});

} // namespace CsvText

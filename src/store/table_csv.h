#pragma once

#include <QString>

#include <cstddef>
#include <functional>

// A table file as CSV text in UTF-8, written as it is read: the records are
// decoded from the file's bytes straight into the output, which goes out in
// pieces of a few hundred kilobytes. The text is the one described at
// RequestFolder::toCsv.
namespace TableCsv {

// Receives each piece of the text, in order.
using Sink = std::function<void(const char *data, std::size_t size)>;

// Throws StoreError when the table cannot be opened or read. A header that
// counts more records than the file holds whole does not stop it: the whole
// records are written, and the count is returned in words
// (DbfTable::countAheadText); empty when the count is sound.
QString write(const QString &tableFile, const Sink &sink);

} // namespace TableCsv

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Spreadsheet and CSV files of grid rows: what a file brings in as text, and
// a grid's rows written out. Every failure throws StoreError with a Spanish
// message naming the file and what is wrong with it.
namespace RowFiles {

// A file's rows of text: the names of its first line, then every further row
// (cells as text).
struct Sheet {
    QStringList names;
    QList<QStringList> rows;
};

// Reads a CSV or .xlsx file, told apart by its content: a zip is a
// spreadsheet, anything else CSV (an Excel 97-2003 book is refused with a
// word on saving it otherwise). A file with names and no rows gives a sheet
// without rows; an empty file is refused.
Sheet read(const QString &path);

// CSV from its bytes. The encoding: UTF-8 (with or without its mark), UTF-16
// with its mark, else Windows-1252. The separator: whichever of comma,
// semicolon, tab and pipe cuts the first line into the most cells outside
// quotes (the first of them in that order on a tie). Double-quoted cells may
// hold the separator, doubled quotes and line breaks (read as "\n"); CRLF
// or LF; lines with no text in any cell are skipped.
Sheet readCsv(const QByteArray &bytes, const QString &sourceName);

// The first worksheet of an .xlsx (the first visible one, if any is hidden).
// Texts as they are ("0012" stored as text stays so), booleans as
// VERDADERO and FALSO, numbers as plain decimal text of up to 15
// significant digits, and numbers in a date format (built-in 14-22 and
// 45-47, or a code with days, months or years) as dd/mm/yyyy, in the
// workbook's 1900 or 1904 date system. A missing cell is an empty text at
// its column, every row at least as wide as the names; rows with nothing in
// them are skipped, and the first row with something is the names.
Sheet readXlsx(const QString &path);

// Writes the sheet: ".xlsx" (any case) as a spreadsheet with the names in
// bold in its first row, a cell that is wholly a plain decimal number as a
// number (not one with leading zeros, "0012", nor a whole part over 11
// digits, a document number) and every other cell as text; any other name
// as UTF-8 CSV (with its mark, which Excel needs to see the accents) with
// comma and CRLF. The file is written under a temporary name in the same
// folder and put in place whole; on a failure nothing is left behind and a
// file already there stays as it was.
void write(const QString &path, const Sheet &sheet);

// The index of the candidate a file's column name stands for, with case,
// accents, blanks at either end, runs of inner blanks and a final "." or ":"
// not counting; -1 when none.
int matchName(const QString &name, const QStringList &candidates);

// A number as files write it, in the program's reading: "1,234.50" gives
// "1234.50", " 12 " "12", "$1,000" "1000". Any other text comes back as it
// is, for the row check to refuse with its own message.
QString plainNumber(const QString &text);

// A date as files write it (dd/mm/yyyy, d/m/yyyy, dd-mm-yyyy, yyyy-mm-dd,
// yyyy/mm/dd, yyyy-mm-ddThh:mm:ss) as dd/mm/yyyy. Any other text, or no
// real day, comes back as it is.
QString plainDate(const QString &text);

} // namespace RowFiles

#pragma once

#include <QBitArray>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Spreadsheet and CSV files of grid rows: what a file brings in as text, and
// a grid's rows written out. Every failure throws StoreError with a Spanish
// message naming the file and what is wrong with it.
namespace RowFiles {

// A cell of a file that has no value to take: a formula whose result was
// never stored, an error value.
struct Fault {
    int row = 0;      // of the rows, from 0
    int column = 0;   // of the file
    QString address;  // as the spreadsheet names it: "Hoja1!F7"
    QString message;
};

// A file's rows of text: the names of its first line, then every further row
// (cells as text).
struct Sheet {
    QStringList names;
    QList<QStringList> rows;
    QList<int> lines;          // the line (CSV) or row (spreadsheet) of each row, from 1
    QList<QBitArray> numbers;  // a spreadsheet's: the cells of each row stored as numbers
    QList<Fault> faults;
};

// How a file writes its figures: "1,234.56", with a decimal point, as
// Mexican documents write them, or "1.234,56", with a decimal comma.
enum class Decimal : quint8 { Point, Comma, Unknown };

// A figure as written in that style, as plain decimal text ("1.234,50" in
// Comma gives "1234.50"), or why it is none. Blanks may group the
// thousands in either style and a "$" may lead. A minus sign, parentheses
// or a trailing minus make it negative, which no figure that comes in may
// be; an exponent is refused; no separator is ever dropped to make a text
// fit. An empty text gives an empty figure.
struct Figure {
    QString plain;
    QString refusal;
};
Figure readFigure(const QString &text, Decimal style);

// The style a column's figures are written in, from its texts: the one in
// which every text that reads in only one style reads ("1,5" and "2,25":
// Comma); Point when every text reads alike in both ("12", "1 000"); Unknown
// when texts disagree, or some read differently in the two and none tells
// ("1,234" alone: a thousand or one and a fraction).
class DecimalVote {
public:
    void add(QStringView text);
    Decimal style() const;
    // Unknown because its texts disagree ("1,5" beside "1,234.56"), not
    // only because none tells.
    bool disagrees() const { return point_ > 0 && comma_ > 0; }
    // Some text reads in one style only.
    bool tells() const { return point_ + comma_ > 0; }

private:
    int point_ = 0, comma_ = 0, differ_ = 0;
};

// Reads a CSV or .xlsx file, told apart by its content: a zip is a
// spreadsheet, anything else CSV (an Excel 97-2003 book is refused with a
// word on saving it otherwise). A file with names and no rows gives a sheet
// without rows; an empty file is refused. Cells are as written: figures are
// read by the row check, in the style the file's columns use.
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
// them are skipped, and the first row with something is the names. A
// formula stored without its result (as some programs write them) and an
// error value (#N/A) are faults of their row, with the cell's address.
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


// A date as files write it (dd/mm/yyyy, d/m/yyyy, dd-mm-yyyy, yyyy-mm-dd,
// yyyy/mm/dd, yyyy-mm-ddThh:mm:ss) as dd/mm/yyyy. Any other text, or no
// real day, comes back as it is.
QString plainDate(const QString &text);

} // namespace RowFiles

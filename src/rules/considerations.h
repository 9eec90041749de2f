#pragma once

#include <QByteArray>
#include <QString>

// The general considerations: a plain text file per kind of refund, shipped
// with the program. An office can put its own copy in the request folder,
// which then wins.
namespace Considerations {

// "consider.txt" for transformed goods (refund type at position 0),
// "consideret.txt" for any other refund type or none.
QString fileName(int refundTypePosition);

// The file to show: the request folder's own copy when it has one, else
// the program's.
QString path(const QString &requestFolder, const QString &programData, int refundTypePosition);

// A text file's bytes as text: UTF-8 when they are valid UTF-8 (a byte-order
// mark is dropped), else Windows-1252. Line ends become line feeds, tabs
// blanks up to the next multiple of eight columns.
QString decode(const QByteArray &bytes);

struct Loaded {
    QString text;
    QString error; // in Spanish, naming the file; empty when loaded
};
Loaded load(const QString &path);

} // namespace Considerations

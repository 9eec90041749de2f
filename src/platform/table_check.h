#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class DbfTable;

// Before the window opens: every table it uses must open from the request
// folder, and the request tables must have the fields the program uses.
// Opening reads the headers only; nothing is written to the files.
namespace TableCheck {

// The table files the window opens: the seven request tables, then the four
// catalogues, as shipped (looked up in a folder without regard to case).
QStringList tableFiles();

// Opens a table file of a request folder, found under any case of its name:
// throws StoreError naming the file when it does not open or, being one of
// the request tables, lacks a field the program uses or holds it otherwise
// (RequestSchema::fieldUses).
std::unique_ptr<DbfTable> open(const QString &path);

// Empty when every table opens; otherwise a Spanish message about the first
// that is missing or cannot be opened, naming the folder, the file and the
// fault. When notice is given it receives, for tables that opened with fewer
// records than their header counts (a power cut during an append), one
// message naming them; empty otherwise.
QString problem(const QString &folder, QString *notice = nullptr);

} // namespace TableCheck

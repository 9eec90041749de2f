#pragma once

#include <QStringList>

// The command line of the program: "quelvar [CARPETA]" opens the window;
// "quelvar --imprimir SALIDA.pdf [CARPETA]" prints the request of a folder
// to a PDF file without a window, for printing many requests in one go.
namespace CommandLine {

// True when the arguments (program first) ask for a print without window.
bool printsWithoutWindow(int argc, char *argv[]);
bool asksForHelp(const QStringList &arguments);
QString help();

// Opens the folder as the program does, reviews the request as the print
// command does and writes its report's pages to the file. The amount to
// refund goes to standard output; every message to standard error. Returns
// the exit status: 0 printed, 1 the folder or the file failed, 2 the request
// is incomplete, 64 the command line is wrong.
int printRequest(const QStringList &arguments);

} // namespace CommandLine

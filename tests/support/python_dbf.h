#pragma once

// Debian's python3-dbf, driven through dbf_tool.py (see its header for the
// commands), and dbview: the other xBase programs the tests exchange tables
// with. Both are required; a test that finds one missing fails.

#include "store/dbf_field.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>
#include <QVariant>

namespace PythonDbf {

// Empty when python3-dbf and dbview are both there, else what to install.
QString missingTools();

// Runs a program to completion with the input on its standard input; returns
// its standard output. On failure *error gets its standard error.
QByteArray runProgram(const QString &program, const QStringList &args, const QByteArray &input, QString *error);
// Runs dbf_tool.py with the arguments.
QByteArray runTool(const QStringList &args, const QByteArray &input, QString *error);

// The table as dbf_tool.py dumps it (only the last `tail` records when given).
QJsonObject dump(const QString &path, int tail = -1);

// "NAME C(20); VALUE N(12,2); ..." as python-dbf declares fields.
QString fieldSpec(const QList<FieldDef> &fields);
// A value as dbf_tool.py takes it: dates as "YYYY-MM-DD", null when invalid.
QJsonValue toJson(const QVariant &value);
// One record for create, append and folder.
QJsonObject record(const QVariantList &values, bool deleted = false);

// dbf_tool.py create or append on path; returns an error text, empty on success.
QString write(const QString &command, const QString &path, const QString &codepage, const QList<FieldDef> &fields,
              const QJsonArray &records);

} // namespace PythonDbf

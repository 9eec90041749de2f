#pragma once

// python3-dbf reading the trial's tables: one python process for the whole
// run (dbf_tool.py serve), asked once per trial for the seven tables.

#include "protocol.h"

#include <QMap>
#include <QProcess>

namespace CrashTrial {

class PythonReader {
public:
    struct Table {
        QString error; // empty when python3-dbf read it
        QStringList fields;
        QList<Row> rows; // live records, in the text form of protocol.h
        int deleted = 0;
    };

    PythonReader() = default;
    ~PythonReader();
    PythonReader(const PythonReader &) = delete;
    PythonReader &operator=(const PythonReader &) = delete;

    // Empty on success, else why python3-dbf cannot serve.
    QString start();
    // The files (names in the folder) as python3-dbf reads them.
    QMap<QString, Table> read(const QString &folder, const QStringList &files);

private:
    QProcess process_;
};

} // namespace CrashTrial

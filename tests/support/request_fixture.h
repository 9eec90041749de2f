#pragma once

// Request folders for the window tests, written by python3-dbf as a
// deployment ships them, and read back with it: what the window stores is
// checked by another program's reading of the files.

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <QVariantMap>

class RequestFixture {
public:
    using Records = QMap<QString, QList<QVariantMap>>; // table file -> records (field -> value)

    RequestFixture();

    QString folder() const { return dir_.path(); }
    QString file(const QString &table) const;

    // Writes the eleven tables: the request tables with the given records
    // (empty otherwise) and the catalogues from the data folder. Returns an
    // error text, empty on success.
    // widths: "TABLE.FIELD" -> "length" or "length.decimals", for a table
    // another program wrote with widths of its own.
    QString create(const Records &records = {}, const QMap<QString, QString> &widths = {});

    // The live records of a request table as python3-dbf reads them: field
    // names in upper case, text trimmed of trailing blanks, numbers as
    // doubles, flags as bools, dates as "yyyy-mm-dd", null as an invalid
    // QVariant.
    QList<QVariantMap> rows(const QString &table) const;
    // The same of the file of that name in any folder.
    static QList<QVariantMap> rowsIn(const QString &folder, const QString &name);

    static bool haveTools();

private:
    QTemporaryDir dir_;
};

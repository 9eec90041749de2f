#pragma once

#include <QString>

// One column of a table file, as its field descriptor declares it.
struct FieldDef {
    QString name;     // as stored in the file (usually upper case)
    char type = 'C';  // C, N, F, D, L; M, G and P are memo references
    int length = 0;   // bytes in the record
    int decimals = 0; // for N and F
    int offset = 0;   // position in the record; byte 0 is the deletion flag

    bool isNumeric() const { return type == 'N' || type == 'F'; }
    bool isMemo() const { return type == 'M' || type == 'G' || type == 'P'; }
};

inline FieldDef charField(const QString &name, int length) { return {name, 'C', length, 0, 0}; }
inline FieldDef numField(const QString &name, int length, int decimals) { return {name, 'N', length, decimals, 0}; }
inline FieldDef dateField(const QString &name) { return {name, 'D', 8, 0, 0}; }
inline FieldDef flagField(const QString &name) { return {name, 'L', 1, 0, 0}; }

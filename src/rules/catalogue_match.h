#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// A text that arrives whole for a list (a country, a document key, a tariff
// item) is found in the list the way a person reads it: case, accents,
// blanks and punctuation do not count, so "Estados Unidos de América",
// "ESTADOSUNIDOSDEAMERICA" and "estados unidos" all find "ESTADOS UNIDOS DE
// AMERICA", and "7318.15.00" finds "73181500". An entry that reads the same
// as the text is taken first; else the one entry it begins. None, or more
// than one, and nothing is taken.
namespace CatalogueMatch {

// The text as compared: letters without their accents in upper case, and
// digits; nothing else.
QString key(QStringView text);

class Index {
public:
    // entries: what the list offers; keys: what each is compared by (its
    // own text when empty).
    explicit Index(QStringList entries, const QStringList &keys = {});

    struct Found {
        int at = -1;         // the entry taken, -1 for none
        QStringList others;  // when more than one would do: the first few of them
    };
    // Answers are remembered: a file repeats its codes row after row.
    const Found &find(const QString &text);
    const QString &entry(int at) const { return entries_[at]; }

private:
    QStringList entries_;
    QStringList keys_;
    QHash<QString, Found> found_;
};

} // namespace CatalogueMatch

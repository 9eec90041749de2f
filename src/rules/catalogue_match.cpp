#include "catalogue_match.h"

namespace CatalogueMatch {

QString key(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 128) {
            const char16_t u = c.unicode();
            if ((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z'))
                out += c;
            else if (u >= u'a' && u <= u'z')
                out += QChar(u - 32);
            continue;
        }
        // "É" is "E" and a combining accent; "Ñ" is "N" and a tilde.
        for (const QChar d : QString(c).normalized(QString::NormalizationForm_D))
            if (d.isLetterOrNumber())
                out += d.toUpper();
    }
    return out;
}

Index::Index(QStringList entries, const QStringList &keys) : entries_(std::move(entries))
{
    keys_.reserve(entries_.size());
    for (qsizetype i = 0; i < entries_.size(); ++i)
        keys_.append(key(i < keys.size() ? keys[i] : entries_[i]));
}

const Index::Found &Index::find(const QString &text)
{
    if (const auto known = found_.constFind(text); known != found_.cend())
        return *known;
    const QString wanted = key(text);
    Found found;
    if (!wanted.isEmpty()) {
        QList<int> same, begun;
        for (int i = 0; i < keys_.size(); ++i) {
            if (keys_[i] == wanted)
                same.append(i);
            else if (keys_[i].startsWith(wanted))
                begun.append(i);
        }
        // Entries written alike are one: a catalogue may repeat a line.
        const QList<int> &candidates = same.isEmpty() ? begun : same;
        QStringList texts;
        for (int i : candidates)
            if (!texts.contains(entries_[i]))
                texts.append(entries_[i]);
        if (texts.size() == 1)
            found.at = candidates.first();
        else if (texts.size() > 1)
            found.others = texts.mid(0, 4);
    }
    return *found_.insert(text, found);
}

} // namespace CatalogueMatch

#include "key_rules.h"

#include <QList>

namespace KeyRules {

namespace {

const QChar kBackspace(8);

bool inSet(const QString &set, int keyAscii) { return keyAscii > 0 && keyAscii <= 0xFFFF && set.contains(QChar(keyAscii)); }

int upper(int keyAscii) { return int(QChar::toUpper(char32_t(keyAscii))); }

} // namespace

QString digits() { return QStringLiteral("0123456789") + kBackspace; }
QString digitsAndPoint() { return QStringLiteral("0123456789.") + kBackspace; }
QString space() { return QStringLiteral(" ") + kBackspace; }
QString letters() { return QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ") + kBackspace; }
QString lettersAndAmpersand() { return QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ&") + kBackspace; }
QString lettersAndDigits() { return QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789") + kBackspace; }
QString checkCharacter() { return QStringLiteral("0123456789A") + kBackspace; }

int AceptaSoloNum(int keyAscii, int point)
{
    if (keyAscii == 13)
        return keyAscii;
    return inSet(point == 1 ? digitsAndPoint() : digits(), keyAscii) ? keyAscii : 0;
}

int taxIdKey(int keyAscii, int position)
{
    if (keyAscii == 13 || position >= 14)
        return keyAscii;
    if (position <= 1)
        return inSet(space(), keyAscii) ? keyAscii : 0;
    QString set;
    if (position == 2 || position == 4)
        set = letters();
    else if (position == 3)
        set = lettersAndAmpersand();
    else if (position <= 10)
        return inSet(digits(), keyAscii) ? keyAscii : 0;
    else if (position <= 12)
        set = lettersAndDigits();
    else
        set = checkCharacter();
    return inSet(set, upper(keyAscii)) ? keyAscii : 0;
}

int filterKey(Rule rule, int keyAscii, int position)
{
    switch (rule) {
    case Rule::Free:
        return keyAscii;
    case Rule::Digits:
        return AceptaSoloNum(keyAscii, 0);
    case Rule::Decimal:
        return AceptaSoloNum(keyAscii, 1);
    case Rule::ShowOnly:
        return keyAscii == 13 ? keyAscii : 0;
    case Rule::TaxId:
        return taxIdKey(keyAscii, position);
    }
    return 0;
}

QString filterInserted(Rule rule, const QString &inserted, int position)
{
    QString out;
    // Character by character, an emoji (two UTF-16 units) being one.
    for (const uint u : inserted.toUcs4()) {
        const char32_t c = u;
        // A pasted line break is no Enter, nor a Backspace a deletion.
        if (c == U'\r' || c == U'\n' || c == 8)
            continue;
        if (filterKey(rule, int(c), position + int(out.size())) != 0)
            out.append(QString::fromUcs4(&c, 1));
    }
    return out;
}

} // namespace KeyRules

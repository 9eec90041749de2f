#pragma once

#include <QString>

// What a text box lets the user type, key by key. A key is given by its code
// as typed: the character (its Unicode code point), 8 for Backspace, 13 for
// Enter. A filter answers
// the code to type, 0 when the key is swallowed.
namespace KeyRules {

enum class Rule {
    Free,       // every key
    Digits,     // digits and Backspace
    Decimal,    // digits, the point and Backspace
    ShowOnly,   // nothing but Enter: the program fills the box
    TaxId,      // the tax id, character by character
};

// The character sets, as typed (the Backspace character at the end).
QString digits();
QString digitsAndPoint();
QString space();
QString letters();
QString lettersAndAmpersand();
QString lettersAndDigits();
QString checkCharacter();

// The numeric filter: Enter passes; otherwise the key must be in the digits
// (point = 0) or in the digits and point (point = 1).
int AceptaSoloNum(int keyAscii, int point = 0);

// The tax id's filter for the character typed at a position (1 = the first
// character): a blank first, then three letters (the middle one may be "&"),
// six digits of the date, two letters or digits and the check character
// (a digit or "A"). Letters are tested in upper case; past position 13
// anything passes.
int taxIdKey(int keyAscii, int position);

// The key under a rule, typed at a position of the text (1-based).
int filterKey(Rule rule, int keyAscii, int position);

// Text inserted at once (pasted or dropped) at a position of the text, as if
// its characters had been typed one after the other: what the filter would
// let through, in order. Line breaks are never let through.
QString filterInserted(Rule rule, const QString &inserted, int position);

} // namespace KeyRules

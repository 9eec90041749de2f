#pragma once

#include <QList>
#include <QString>

class QKeyEvent;

// The text a key puts into a line edit, by the line edit's own rule: any
// printable text, whatever Alt, AltGr or Meta is held with it, and
// characters beyond the Basic Multilingual Plane (an emoji) too; nothing for
// Ctrl or Ctrl+Shift alone, which are shortcuts. Empty for a key that types
// nothing.
QString insertedText(const QKeyEvent *event);

// The codes of a key as the key handlers see them: 8 for Backspace, 13 for
// Enter, otherwise one code per character the key types (a Unicode code
// point, so an emoji is one code above 0xFFFF). Empty for keys that type
// nothing (moves, Escape, Tab, Delete, shortcuts).
QList<int> typedKeyCodes(const QKeyEvent *event);

// The code of a key that types one character (or Backspace, or Enter); 0
// for any other key.
int typedKeyCode(const QKeyEvent *event);

#pragma once

class QKeyEvent;

// The code of a key as the key handlers see it: the character typed, 8 for
// Backspace, 13 for Enter; 0 for keys that type nothing (moves, Escape, Tab,
// Delete, shortcuts).
int typedKeyCode(const QKeyEvent *event);

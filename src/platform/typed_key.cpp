#include "typed_key.h"

#include <QKeyEvent>

QString insertedText(const QKeyEvent *event)
{
    const QString text = event->text();
    if (text.isEmpty())
        return {};
    const QChar c = text.at(0);
    // Joiners and marks of direction are typed with Ctrl+Shift on some
    // systems: they are text all the same.
    if (c.category() == QChar::Other_Format)
        return text;
    if (event->modifiers() == Qt::ControlModifier
        || event->modifiers() == (Qt::ShiftModifier | Qt::ControlModifier))
        return {};
    if (c.isPrint() || c.category() == QChar::Other_PrivateUse)
        return text;
    if (c.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate())
        return text;
    return {};
}

QList<int> typedKeyCodes(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Backspace:
        return {8};
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return {13};
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return {};
    default:
        break;
    }
    QList<int> codes;
    for (const uint c : insertedText(event).toUcs4())
        codes.append(int(c));
    return codes;
}

int typedKeyCode(const QKeyEvent *event)
{
    const QList<int> codes = typedKeyCodes(event);
    return codes.size() == 1 ? codes.first() : 0;
}

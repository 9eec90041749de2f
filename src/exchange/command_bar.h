#pragma once

#include <QFrame>

// The bar of the eight commands under the request: cmdAccion(1) to
// cmdAccion(8), each an icon with its tool-tip; a click raises `command`.
class CommandBar : public QFrame {
    Q_OBJECT
public:
    explicit CommandBar(QWidget *parent = nullptr);

    // The question a command asks before it acts; empty when it acts at once.
    static QString question(int index);

signals:
    void command(int index);
};

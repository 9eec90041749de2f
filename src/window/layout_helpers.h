#pragma once

// Small pieces the request window is laid out with: captions, titles,
// combos, rows of a form, grid pages and rows of totals.

#include <QList>
#include <QPair>
#include <QString>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QVBoxLayout;
class QWidget;

namespace Layout {

QLabel *label(const QString &name, const QString &caption, QWidget *parent);
// A bold, centred caption.
QLabel *title(const QString &name, const QString &caption, QWidget *parent);
QComboBox *combo(const QString &name, QWidget *parent);
QCheckBox *checkBox(const QString &name, QWidget *parent);
// Width of a text box for a typing limit, in average characters.
int widthFor(const QWidget *w, int limit);
// A caption in front of its field, both in a row of a grid layout.
void addRow(QGridLayout *grid, int row, QLabel *caption, QWidget *field, int column = 0);
// The caption of a text field, from the field table.
QLabel *captionOf(const QString &field, QWidget *parent);
// A grid tab: its title, then the grid and whatever the tab adds below.
QVBoxLayout *gridPage(QWidget *page, QLabel *heading);
// Totals in a row, each under its caption.
QWidget *totalsRow(QWidget *parent, const QList<QPair<QLabel *, QWidget *>> &items);

} // namespace Layout

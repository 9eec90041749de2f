#include "layout_helpers.h"

#include "rules/request_fields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

namespace Layout {

QLabel *label(const QString &name, const QString &caption, QWidget *parent)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(name);
    return l;
}

QLabel *title(const QString &name, const QString &caption, QWidget *parent)
{
    QLabel *l = label(name, caption, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

QComboBox *combo(const QString &name, QWidget *parent)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(name);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(12);
    return c;
}

QCheckBox *checkBox(const QString &name, QWidget *parent)
{
    auto *c = new QCheckBox(parent);
    c->setObjectName(name);
    return c;
}

// Width of a text box for a typing limit, in average characters.
int widthFor(const QWidget *w, int limit)
{
    // Sized on a capital letter: most fields are typed in upper case.
    const int chars = std::clamp(limit, 4, 40);
    return w->fontMetrics().horizontalAdvance(u'X') * (chars + 2);
}

// A caption in front of its field, both in a row of a grid layout.
void addRow(QGridLayout *grid, int row, QLabel *caption, QWidget *field, int column)
{
    caption->setBuddy(field);
    grid->addWidget(caption, row, column, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(field, row, column + 1, Qt::AlignLeft | Qt::AlignVCenter);
}

// A text field with its caption from the field table.
QLabel *captionOf(const QString &field, QWidget *parent)
{
    for (const RequestFields::Control &s : RequestFields::textFields())
        if (s.name == field)
            return label(s.label, s.caption, parent);
    return label(QStringLiteral("lbl") + field, field, parent);
}

// A grid tab: its title, the grid, and below it whatever the tab adds.
QVBoxLayout *gridPage(QWidget *page, QLabel *heading)
{
    auto *column = new QVBoxLayout(page);
    column->addWidget(heading);
    return column;
}

// Totals in a row, each under its caption.
QWidget *totalsRow(QWidget *parent, const QList<QPair<QLabel *, QWidget *>> &items)
{
    auto *row = new QWidget(parent);
    auto *grid = new QGridLayout(row);
    grid->setContentsMargins(0, 0, 0, 0);
    int c = 0;
    for (const auto &[caption, field] : items) {
        caption->setBuddy(field);
        caption->setAlignment(Qt::AlignCenter);
        grid->addWidget(caption, 0, c);
        grid->addWidget(field, 1, c);
        ++c;
    }
    return row;
}

} // namespace Layout

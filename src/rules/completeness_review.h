#pragma once

#include "grid_columns.h"

#include <QList>
#include <QString>
#include <functional>

// What must be filled before a request is copied for the ministry or
// printed, in the order it is reviewed: forty single fields and lists, then
// the rows of the five document grids. The review stops at the first blank
// and names it.
namespace CompletenessReview {

// When a single check applies.
enum class When {
    Always,
    ReplyToFolio, // the request answers an earlier folio
    Shown,        // the object itself is shown
    CostTabShown, // the cost structure's tab is shown
};

struct SingleCheck {
    QString object; // a text box or a list of the window
    When when;
    int tab;        // brought forward when the object is blank (0 for the header)
    QString phrase; // what is missing, a leading blank included
};

// The forty checks, in order.
const QList<SingleCheck> &singleChecks();

struct ColumnCheck {
    int column;
    QString phrase;
    // An alternative: the column is tested only when that column of the row
    // is blank (-1: always).
    int onlyWhenBlank = -1;
};

struct Section {
    QString grid;
    int tab;
    bool namesTab; // the phrase is followed by the tab's caption and "."
    QList<ColumnCheck> columns;
};

// The five grid sections, in order.
const QList<Section> &sections();

// The first check of a row that finds its column blank, among the columns
// shown; nullptr when the row is complete.
const ColumnCheck *firstBlank(const Section &section, const std::function<bool(int)> &blank,
                              const std::function<bool(int)> &shown);

// The messages: a blank found (with its phrase, and for a grid section the
// tab's caption), an empty section, and the question on the amount.
QString missing(const QString &phrase);
QString missingIn(const Section &section, const ColumnCheck &check, const QString &tabCaption);
QString emptySection(const QString &tabCaption);
QString amountQuestion(const QString &amountShown);

inline const QString kAnnexRequired =
    QStringLiteral("Al presentar una solicitud de transferencia - constancia de transferencia de mercancías debes "
                   "determinar el tipo de anexo que se presenta para la devolución.");

} // namespace CompletenessReview

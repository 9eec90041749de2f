#pragma once

#include "store/request_choices.h"
#include "unfinished_work.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

class RequestLinks;

// Saves and erases the request kept in a folder, through the window's data
// links: what the bound fields and grid rows hold reaches the tables with
// them, and the window hands over what is bound to no field.
class RequestWriter {
public:
    RequestWriter(RequestLinks &links, const QString &folder);

    // The header's choices and the lists that are not bound to a field.
    struct Unbound {
        RequestChoices::Choices choices;
        std::optional<QVariant> state;  // the state's code, when one is chosen
        QString bank;
        std::optional<QVariant> sector; // the sector's code, when one is chosen
        QString unit;
    };

    // Stores the rows pending in the grids, then the company and request
    // records and the refund type as one step (unfinished_work.h); `relink`
    // re-establishes the window's links once they are written. Throws
    // StoreError, leaving no record in edit mode, the two records and the
    // refund type as they were, and the boxes' edits pending.
    void save(const Unbound &values, const std::function<void()> &relink);

    // Empties the request's tables (and the company's with `everything`)
    // and forgets the refund type kept beside them, all on the disk when it
    // returns; a program that dies part-way leaves the rest to the next
    // start (unfinished_work.h). Throws StoreError.
    void erase(bool everything);

private:
    // Puts back what a failed save wrote over; answers what to add to its
    // message.
    QString takeBack(const UnfinishedWork::SaveBefore &before);

    RequestLinks &links_;
    QString folder_;
};

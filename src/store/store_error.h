#pragma once

#include <QString>
#include <stdexcept>

// Every failure of the table engine: a file that cannot be opened or is
// damaged, a value that does not fit its field, an operation that the record
// set cannot carry out. The message is in Spanish, ready to be shown to the
// user, and names the table (and field) concerned.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const QString &message)
        : std::runtime_error(message.toStdString()), message_(message) {}

    const QString &message() const { return message_; }

private:
    QString message_;
};

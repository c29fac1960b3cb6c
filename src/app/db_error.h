#pragma once

#include <QString>
#include <stdexcept>

// A failure of the database engine, carrying the engine's own message.
// The engine layer never shows a window; callers decide what the operator sees.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message)
    {
    }
    const QString& message() const { return message_; }

private:
    QString message_;
};

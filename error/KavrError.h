#pragma once
// The one error type of the program: a message for the operator. Whatever throws it inside an
// event handler ends that handler; the general error handler shows the text with a full stop.
#include <QString>

#include <stdexcept>

namespace kavr {

class KavrError : public std::runtime_error
{
public:
    explicit KavrError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};

} // namespace kavr

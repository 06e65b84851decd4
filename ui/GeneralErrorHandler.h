#pragma once
// The one place where an error that escaped an event handler is shown: a message box titled
// "KAVR.IM" with the error icon, OK and the text followed by a full stop. The program then
// goes on with the next event.
#include <QString>

#include <functional>

class QWidget;

namespace kavr::ui {

using ErrorSink = std::function<void(const QString &text)>;

// The message box. Its text is the error text and a full stop.
void ShowErrorMessage(QWidget *parent, const QString &errorText);
QString ErrorMessageText(const QString &errorText);

// Runs an event handler; whatever it throws goes to sink.
void RunGuarded(const ErrorSink &sink, const std::function<void()> &handler);

} // namespace kavr::ui

#pragma once
// The date and time of day of a protocol's set-up, read from its "Дата ПФО" text.
//
// The program writes them in the regional settings of its workstation, which the report does
// not know. The text is read with the report's own short date format first (a lab's protocols
// are mostly made where they are reported), then in the common forms: day first with dots or
// hyphens (dd.MM.yyyy), ISO (yyyy-MM-dd), and slashes. A slash date that reads both as
// month/day and as day/month, and differently, is left unread rather than guessed. Two-digit
// years are taken as 20yy. The time of day is hours, minutes and seconds (AM/PM read too);
// the program leaves it out exactly when it is 00:00:00, so a date alone means midnight.
#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

namespace kavr::report {

struct ProtocolDate
{
    std::optional<QDate> date; // empty when the text cannot be read for sure
    std::optional<QTime> time;
};

// localDateFormat: the short date format of the report's regional settings (QDateTime syntax).
ProtocolDate ReadProtocolDate(const QString &text, const QString &localDateFormat);

} // namespace kavr::report

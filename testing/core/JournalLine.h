#pragma once
// One line of the journal of a test in progress (see TestJournal.h for the events): fields
// separated by tabs, a checksum field last, a line feed at the end. UTF-8; a tab, a line
// break or a backslash inside a field is written \t, \n, \r, \\.
#include <QByteArray>
#include <QStringList>

#include <optional>

namespace kavr::journal {

// The first line of every journal; a later version of the format says so here, so that a
// program that does not know an event leaves the journal to one that does.
inline constexpr QStringView Magic = u"KAVR.IM journal 2";
// The format before the priority event, still read.
inline constexpr QStringView EarlierMagic = u"KAVR.IM journal 1";
// The events, first field of their line.
inline constexpr QStringView StartEvent = u"start";
inline constexpr QStringView LineEvent = u"line";
inline constexpr QStringView VariantEvent = u"variant";
inline constexpr QStringView AnswerEvent = u"answer";
inline constexpr QStringView PickEvent = u"pick";
inline constexpr QStringView PlaceEvent = u"place";
inline constexpr QStringView FinishEvent = u"finish";
inline constexpr QStringView PriorityEvent = u"priority";
// Whether the priority event's processor was granted.
inline constexpr QStringView Granted = u"granted";
inline constexpr QStringView Refused = u"refused";

// fields, escaped and joined, then "\t#" and the CRC-16 (ISO 3309) of what comes before the
// tab, as four hex digits, then "\n".
QByteArray EncodeLine(const QStringList &fields);
// The fields of line (its line feed already taken off); nothing when the checksum does not
// match, so that a line cut short or overwritten with anything else is told from a whole one.
std::optional<QStringList> DecodeLine(QByteArrayView line);

} // namespace kavr::journal

#pragma once
// One protocol as a page for the psychologist writing up the subject: one A4 sheet when
// printed, readable in grey, self-contained (HtmlPage.h, FigurePictures.h).
//
//   - who, which variant, when; notes for an interrupted test (a recovered protocol), a set-up
//     that ran more than once, and rows that contradict one board;
//   - the twelve task panels as shown at the exposure, drawn with the program's own pictures
//     where the protocol tells them (BoardFacts.h), the others marked plainly as not known
//     from the protocol, with the figures they held between them;
//   - beside it the board as the subject left it: the figure put on each panel with the
//     placement's order, time and mark, the panels left empty, the figures not placed;
//   - the scores, and the twelve rows as a table and as a chart of their times.
//
// Each board cell frames its picture area in a colour of its kind, FrameWidth pixels wide, and
// no other part of the page has those colours: the cells can be found on a screenshot as well
// as by eye. In grey the kinds differ by weight and line: correct thick and dark, wrong a
// double line under a dark heading, empty and unknown light.
#include "report/html/FigurePictures.h"
#include "report/read/ProtocolRecord.h"

#include <QByteArray>
#include <QString>

namespace kavr::report {

struct SubjectPageOptions
{
    QString decimalMark = QStringLiteral(".");
    bool withNames = true;
    QString generator; // "kavr-im-report 2.01", in the page's foot
    PictureSource pictures; // the program's catalogue; without it figures go by number
};

QByteArray SubjectPage(const ProtocolRecord &record, const SubjectPageOptions &options);

// The page's file name: the protocol's, with .html for .txt ("Иванов-01.IM.html",
// "Иванов-01.IM.recovered.html"); from the code when the record has no file.
QString SubjectPageFileName(const ProtocolRecord &record);

namespace cell {
inline constexpr int FrameWidth = 3;
inline constexpr char Shown[] = "#37474f"; // exposure: the figure is known
inline constexpr char Unknown[] = "#b0bec5"; // exposure: not known from the protocol
inline constexpr char Correct[] = "#1b5e20"; // left: the right figure (solid)
inline constexpr char Wrong[] = "#c62828"; // left: another figure (a double line)
inline constexpr char Empty[] = "#bcaaa4"; // left: nothing put there
} // namespace cell

} // namespace kavr::report

#include "report/read/ProtocolReader.h"

#include "parameters/Figures.h"
#include "platform/files/FileAccess.h"
#include "report/read/ProtocolLineParser.h"
#include "testing/core/CodePage.h"
#include "testing/core/Protocol.h"
#include "testing/core/ProtocolFile.h"

#include <QCoreApplication>
#include <QStringDecoder>

#include <limits>

namespace kavr::report {

namespace p = kavr::protocol;

namespace {

// The program's layouts, compiled once.
struct Layouts
{
    ProtocolLineParser subject{p::SubjectLineFormat};
    ProtocolLineParser instruction{p::InstructionLineFormat};
    ProtocolLineParser finishTime{p::FinishTimeLineFormat};
    ProtocolLineParser variant{p::VariantLineFormat};
    ProtocolLineParser counts{p::CountsLineFormat};
    // Its last %s is always the per-cent sign, read as fixed text: as a field it would touch V
    // and take a digit of a V of 100 % or more.
    ProtocolLineParser spread{
        p::SpreadLineFormat.toString().replace(QStringLiteral("%s"), QStringLiteral("%%"))};
    ProtocolLineParser seconds{p::SecondsLineFormat};
    ProtocolLineParser row{p::RowFormat};
    // The titles line holds no data: it is compared whole.
    QString columnTitles = Format(p::ColumnTitlesFormat,
                                  {p::ColumnTitles[0].toString(), p::ColumnTitles[1].toString(),
                                   p::ColumnTitles[2].toString(), p::ColumnTitles[3].toString(),
                                   p::ColumnTitles[4].toString(), p::ColumnTitles[5].toString()},
                                  FormatSettings{});
};

const Layouts &TheLayouts()
{
    static const Layouts layouts;
    return layouts;
}

// A text named before it is shown (QT_TRANSLATE_NOOP in the console's context), in the user's
// language.
QString Translated(const char *text)
{
    return QCoreApplication::translate("kavr-im-report", text);
}

struct Refusal
{
    int line;
    QString message;
};

QString Quoted(const QString &text)
{
    constexpr qsizetype Shown = 60;
    return u'"' + (text.size() > Shown ? text.first(Shown) + u'…' : text) + u'"';
}

bool StartsWithUtf8Bom(const QByteArray &bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF");
}

// The text in the program's code page, or in UTF-8 when the file was converted to it: the
// title line tells which.
QString Decode(const QByteArray &bytes)
{
    if (StartsWithUtf8Bom(bytes))
        return QString::fromUtf8(bytes.sliced(3));
    const qsizetype end = bytes.indexOf('\n');
    const QByteArray first = bytes.first(end < 0 ? bytes.size() : end);
    const QByteArray title = first.endsWith('\r') ? first.chopped(1) : first;
    if (FromWindows1251(title) != p::TitleLine) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8.decode(bytes);
        if (!utf8.hasError() && text.startsWith(p::TitleLine))
            return text;
    }
    return FromWindows1251(bytes);
}

struct Lines
{
    QStringList lines;
    bool lastEnded = true; // the last line has its line end: the file was not cut inside it
};

Lines SplitLines(const QString &text)
{
    Lines split{text.split(u'\n'), true};
    if (split.lines.last().isEmpty())
        split.lines.removeLast(); // the line end of the last line
    else
        split.lastEnded = false;
    for (QString &line : split.lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return split;
}

class Reader
{
public:
    explicit Reader(Lines split) : m_lines(std::move(split.lines)), m_lastEnded(split.lastEnded) { }

    ProtocolRecord read()
    {
        ProtocolRecord record;
        if (m_lines.isEmpty())
            throw Refusal{0, QCoreApplication::translate("kavr-im-report", "the file is empty")};
        for (qsizetype i = 0; i < m_lines.size(); ++i) {
            if (m_lines.at(i).size() > MaxLineLength)
                throw Refusal{int(i + 1),
                              QCoreApplication::translate(
                                  "kavr-im-report", "longer than %1 characters: not a protocol")
                                  .arg(MaxLineLength)};
        }
        if (m_lines.first() != p::TitleLine) {
            if (m_lines.size() == 1 && !m_lastEnded && p::TitleLine.startsWith(m_lines.first()))
                throw Refusal{1,
                              QCoreApplication::translate("kavr-im-report",
                                                          "the file ends inside the title line: "
                                                          "it is cut short")};
            throw Refusal{
                1,
                QCoreApplication::translate("kavr-im-report",
                                            "not a KAVR.IM protocol: the title line is missing")};
        }

        // Set-ups and starts in the order they happened; the last of each counts.
        record.setUps = 0;
        int starts = 0;
        while (!atEnd()) {
            if (current() == p::TitleLine) {
                readHeader(record);
                ++record.setUps;
            } else if (const auto f = TheLayouts().instruction.match(current())) {
                record.instructionSeconds = number(
                    f->at(0), QT_TRANSLATE_NOOP("kavr-im-report", "instruction time"));
                ++starts;
                advance();
            } else {
                break;
            }
        }
        if (starts == 0)
            expected(QCoreApplication::translate("kavr-im-report", "the instruction time line"));

        record.finishTime = fields(TheLayouts().finishTime,
                                   QT_TRANSLATE_NOOP("kavr-im-report", "the finish time line"))
                                .at(0);
        advance();

        record.variant = fields(TheLayouts().variant,
                                QT_TRANSLATE_NOOP("kavr-im-report", "the variant line"))
                             .at(0);
        advance();

        const QStringList counts = fields(
            TheLayouts().counts,
            QT_TRANSLATE_NOOP("kavr-im-report", "the line of N[+], N[-] and N[0]"));
        const int countsLine = lineNo();
        record.answerSeconds = number(counts.at(0),
                                      QT_TRANSLATE_NOOP("kavr-im-report", "answer time"));
        record.score.correct = integer(counts.at(1), 0, FigureCount, "N[+]");
        record.score.wrong = integer(counts.at(2), 0, FigureCount, "N[-]");
        record.score.missing = integer(counts.at(3), 0, FigureCount, "N[0]");
        record.score.placed = FigureCount - record.score.missing;
        advance();

        const QStringList spread = fields(
            TheLayouts().spread, QT_TRANSLATE_NOOP("kavr-im-report", "the line of Tcp, SD and V"));
        record.score.cv = number(spread.at(2), "V");
        advance();
        record.score.mean = number(
            fields(TheLayouts().seconds, QT_TRANSLATE_NOOP("kavr-im-report", "the Tcp line")).at(0),
            "Tcp");
        advance();
        record.score.sd = number(
            fields(TheLayouts().seconds, QT_TRANSLATE_NOOP("kavr-im-report", "the SD line")).at(0),
            "SD");
        advance();

        if (atEnd() || current() != TheLayouts().columnTitles)
            expected(QCoreApplication::translate("kavr-im-report", "the column titles"));
        advance();

        for (int i = 1; i <= FigureCount; ++i) {
            record.choices[i] = readRow(i);
            advance();
        }
        checkCounts(record, countsLine);

        for (; !atEnd(); advance()) {
            if (!current().trimmed().isEmpty())
                refuse(lineNo(),
                       QCoreApplication::translate("kavr-im-report",
                                                   "unexpected text after the twelfth row: %1")
                           .arg(Quoted(current())));
        }
        return record;
    }

private:
    static constexpr double Infinity = std::numeric_limits<double>::infinity();

    bool atEnd() const { return m_next >= m_lines.size(); }
    const QString &current() const { return m_lines.at(m_next); }
    int lineNo() const { return int(m_next + 1); }
    void advance() { ++m_next; }

    // A refusal of line; when that is the last line and the file stops inside it, the cut is
    // what went wrong, and the message says so first.
    [[noreturn]] void refuse(int line, const QString &message) const
    {
        if (line == m_lines.size() && !m_lastEnded)
            throw Refusal{line,
                          QCoreApplication::translate("kavr-im-report",
                                                      "the file ends inside this line: it is cut "
                                                      "short (%1)")
                              .arg(message)};
        throw Refusal{line, message};
    }

    // what: a line the layout calls for, already in the user's language.
    [[noreturn]] void expected(const QString &what) const
    {
        if (atEnd())
            throw Refusal{int(m_lines.size()),
                          //: %1 is a line that should follow ("строка …" in Russian).
                          QCoreApplication::translate(
                              "kavr-im-report", "the file ends here, before %1: it is cut short")
                              .arg(what)};
        refuse(lineNo(),
               //: %1 is the line that belongs here ("строка …" in Russian), %2 the file's text.
               QCoreApplication::translate("kavr-im-report", "%1 expected, found %2")
                   .arg(what, Quoted(current())));
    }

    QStringList fields(const ProtocolLineParser &layout, const char *what) const
    {
        if (!atEnd()) {
            if (std::optional<QStringList> f = layout.match(current()))
                return *f;
        }
        expected(Translated(what));
    }

    // Seconds or per cent: never negative.
    double number(const QString &text, const char *what) const
    {
        bool ok = false;
        const double value = text.toDouble(&ok); // C locale: the field comes with '.'
        if (!ok || !(value >= 0 && value < Infinity))
            refuse(lineNo(), OutOfRange(what, text));
        return value;
    }

    int integer(const QString &text, int low, int high, const char *what) const
    {
        bool ok = false;
        const int value = text.toInt(&ok);
        if (!ok || value < low || value > high)
            refuse(lineNo(), OutOfRange(what, text));
        return value;
    }

    // what: a field's name (QT_TRANSLATE_NOOP), or a symbol such as N[+] that no language
    // changes.
    static QString OutOfRange(const char *what, const QString &text)
    {
        return QCoreApplication::translate("kavr-im-report", "%1 %2 is out of range")
            .arg(Translated(what), text);
    }

    void readHeader(ProtocolRecord &record)
    {
        advance(); // the title
        const QStringList subject = fields(
            TheLayouts().subject,
            QT_TRANSLATE_NOOP("kavr-im-report", "the line of code, name and date"));
        advance();
        if (atEnd())
            expected(QCoreApplication::translate("kavr-im-report", "the code line"));
        if (current() != subject.at(0))
            refuse(lineNo(),
                   QCoreApplication::translate("kavr-im-report",
                                               "the code %1 differs from %2 on the line before")
                       .arg(Quoted(current()), Quoted(subject.at(0))));
        record.code = subject.at(0);
        record.name = subject.at(1);
        record.dateTime = subject.at(2);
        advance();
    }

    ChoiceRecord readRow(int i) const
    {
        const QString what =
            QCoreApplication::translate("kavr-im-report", "the row of placement %1").arg(i);
        if (atEnd())
            expected(what);
        const std::optional<QStringList> f = TheLayouts().row.match(current());
        if (!f)
            expected(what);
        if (integer(f->at(0), 0, 99, QT_TRANSLATE_NOOP("kavr-im-report", "placement number")) != i)
            refuse(lineNo(),
                   QCoreApplication::translate("kavr-im-report",
                                               "placement number %1 where %2 belongs")
                       .arg(f->at(0))
                       .arg(i));
        ChoiceRecord record;
        record.Time = number(f->at(1), QT_TRANSLATE_NOOP("kavr-im-report", "time"));
        record.PanelNo = integer(f->at(2), -1, FigureCount,
                                 QT_TRANSLATE_NOOP("kavr-im-report", "panel"));
        if (record.PanelNo == 0)
            refuse(lineNo(),
                   QCoreApplication::translate("kavr-im-report", "panel 0 is out of range"));
        record.Key = integer(f->at(3), 0, FigureCount, QT_TRANSLATE_NOOP("kavr-im-report", "key"));
        record.PictureNo = integer(f->at(4), 0, FigureCount,
                                   QT_TRANSLATE_NOOP("kavr-im-report", "picture"));
        record.Answer = integer(f->at(5), 0, FigureCount,
                                QT_TRANSLATE_NOOP("kavr-im-report", "answer"));
        if (f->at(6) != p::RowMark(record))
            refuse(lineNo(),
                   QCoreApplication::translate("kavr-im-report",
                                               "the mark %1 does not agree with panel, key "
                                               "and answer (%2 belongs there)")
                       .arg(Quoted(f->at(6)), Quoted(p::RowMark(record).toString())));
        return record;
    }

    static void checkCounts(const ProtocolRecord &record, int countsLine)
    {
        int placed = 0, correct = 0;
        for (int i = 1; i <= FigureCount; ++i) {
            placed += record.choices[i].placed();
            correct += record.choices[i].correct();
        }
        const Score &s = record.score;
        if (s.correct != correct || s.wrong != placed - correct
            || s.missing != FigureCount - placed)
            throw Refusal{countsLine,
                          QCoreApplication::translate("kavr-im-report",
                                                      "N[+] = %1, N[-] = %2, N[0] = %3 do not "
                                                      "agree with the rows (%4, %5, %6)")
                              .arg(s.correct)
                              .arg(s.wrong)
                              .arg(s.missing)
                              .arg(correct)
                              .arg(placed - correct)
                              .arg(FigureCount - placed)};
    }

    QStringList m_lines;
    bool m_lastEnded;
    qsizetype m_next = 0;
};

ReadError TooLarge()
{
    return {0,
            QCoreApplication::translate("kavr-im-report", "larger than %1 bytes: not a protocol")
                .arg(MaxProtocolBytes)};
}

} // namespace

ReadOutcome ReadProtocol(const QByteArray &bytes)
{
    if (bytes.size() > MaxProtocolBytes)
        return {std::nullopt, TooLarge()};
    try {
        return {Reader(SplitLines(Decode(bytes))).read(), {}};
    } catch (const Refusal &refusal) {
        return {std::nullopt, {refusal.line, refusal.message}};
    }
}

ReadOutcome ReadProtocolFile(const QString &path)
{
    // A shared Result may hold anything under a protocol's name: a link is not followed, a FIFO
    // or a device not opened, a large file not read past the bound.
    const platform::FileRead file = platform::ReadRegularFile(path, MaxProtocolBytes);
    if (file.error.code == platform::FileError::Code::TooLarge)
        return {std::nullopt, TooLarge()};
    if (file.error.code == platform::FileError::Code::NotRegular)
        return {std::nullopt,
                {0,
                 QCoreApplication::translate("kavr-im-report", "cannot be read: %1")
                     .arg(file.error.reason)}};
    if (file.error)
        return {std::nullopt,
                {0,
                 QCoreApplication::translate("kavr-im-report", "cannot be opened: %1")
                     .arg(file.error.reason)}};
    ReadOutcome outcome = ReadProtocol(file.bytes);
    if (outcome.record) {
        outcome.record->path = path;
        outcome.record->recovered = path.endsWith(RecoveredSuffix);
    }
    return outcome;
}

} // namespace kavr::report

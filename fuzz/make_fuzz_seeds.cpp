// Writes seed protocols for the fuzzer, built and encoded by the program's own code, and a
// libFuzzer dictionary of the fixed texts of the line layouts in the protocol's code page.
// Usage: make_fuzz_seeds <seed folder> <dictionary file>
#include "parameters/Figures.h"
#include "report/read/ProtocolLineParser.h"
#include "testing/core/CodePage.h"
#include "testing/core/Protocol.h"
#include "testing/core/ProtocolFile.h"

#include <QDir>
#include <QFile>

#include <cstdio>

using namespace kavr;
namespace p = kavr::protocol;

namespace {

bool Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList Protocol(const FormatSettings &settings, int setUps, int placed)
{
    ChoiceTable choices{};
    for (int i = 1; i <= placed; ++i)
        choices[i] = {1.0 + i * 0.375, i, (i * 5) % FigureCount + 1, AllPlaced - i,
                      i % 3 ? (i * 5) % FigureCount + 1 : i};
    if (placed < FigureCount)
        choices[placed + 1] = {12.5, -1, 0, 3, 7};
    QStringList lines;
    for (int k = 0; k < setUps; ++k)
        lines << p::HeaderLines(QStringLiteral("Иванов-01"), QStringLiteral("Иванов И.И."),
                                QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9 + k)), settings);
    lines << p::InstructionLine(47.6, settings) << p::FinishTimeLine(QTime(14, 7, 31), settings)
          << p::ResultLines(QStringLiteral("Вариант A"), placed < FigureCount ? 60.016 : 41.2,
                            ScoreChoices(choices), choices, settings);
    return lines;
}

// A libFuzzer dictionary entry: printable ASCII as it is, everything else as \xNN.
QByteArray Entry(const QString &text)
{
    const std::optional<QByteArray> bytes = ToWindows1251(text);
    QByteArray entry = "\"";
    for (const char c : bytes.value_or(QByteArray())) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && c != '"' && c != '\\')
            entry += c;
        else
            entry += QByteArray("\\x") + QByteArray::number(u, 16).rightJustified(2, '0');
    }
    return entry + "\"\n";
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fputs("usage: make_fuzz_seeds <seed folder> <dictionary file>\n", stderr);
        return 2;
    }
    const QString seeds = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(seeds);
    const FormatSettings ru = FormatSettings::fromLocale(QLocale(QLocale::Russian));
    const FormatSettings us
        = FormatSettings::fromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    const struct
    {
        const char *name;
        QStringList lines;
    } cases[] = {
        {"complete-ru", Protocol(ru, 1, FigureCount)},
        {"timeout-us", Protocol(us, 1, 7)},
        {"twice-ru", Protocol(ru, 2, FigureCount)},
        {"nothing-ru", Protocol(ru, 1, 0)},
    };
    for (const auto &c : cases) {
        if (!Write(seeds + u'/' + QString::fromLatin1(c.name), EncodeProtocol(c.lines)))
            return 1;
    }

    QByteArray dictionary;
    for (QStringView format :
         {p::SubjectLineFormat, p::InstructionLineFormat, p::FinishTimeLineFormat,
          p::VariantLineFormat, p::CountsLineFormat, p::SpreadLineFormat}) {
        for (const QString &literal : report::ProtocolLineParser(format).literals())
            dictionary += Entry(literal);
    }
    dictionary += Entry(p::TitleLine.toString()) + Entry(Protocol(ru, 1, 0).at(10))
        + Entry(QStringLiteral("\r\n")) + Entry(QStringLiteral("    +"))
        + Entry(QStringLiteral("    -")) + Entry(QStringLiteral("       -1"));
    return Write(QString::fromLocal8Bit(argv[2]), dictionary) ? 0 : 1;
}

#include "report/command/ReportOptions.h"

#include "parameters/TestVariant.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>

namespace kavr::report {

namespace {

// One character that can stand between or inside fields without quoting trouble.
std::optional<QChar> OneCharacter(const QString &text)
{
    if (text == QStringLiteral("tab") || text == QStringLiteral("\\t"))
        return u'\t';
    if (text.size() != 1)
        return std::nullopt;
    const QChar c = text.front();
    if (c == u'"' || c == u'\r' || c == u'\n')
        return std::nullopt;
    return c;
}

OptionsOutcome Error(const QString &message)
{
    return {std::nullopt, message};
}

// ISO 2026-03-01, or as Russian settings write it, 01.03.2026.
std::optional<QDate> DateArgument(const QString &text)
{
    for (const QString &format : {QStringLiteral("yyyy-MM-dd"), QStringLiteral("dd.MM.yyyy"),
                                  QStringLiteral("d.M.yyyy")}) {
        const QDate date = QDate::fromString(text, format);
        if (date.isValid())
            return date;
    }
    return std::nullopt;
}

// A variant's letter, Latin or the Cyrillic capital of the same shape (the board letters look
// alike), either case; -1 for any other text.
int VariantArgument(const QString &text)
{
    QString letter = text.trimmed().toUpper();
    const QString cyrillic = QStringLiteral("АВЕКМНОРСТХ");
    const QString latin = QStringLiteral("ABEKMHOPCTX");
    if (letter.size() == 1 && cyrillic.contains(letter.front()))
        letter = latin.at(cyrillic.indexOf(letter.front()));
    for (int i = 0; i < VariantCount; ++i)
        if (letter == QChar(TestVariants[i].letter))
            return i;
    return -1;
}

// The variants' letters as the help names them ("A or B"), or joined by sep ("A|B").
QString VariantLetters(QStringView sep = {})
{
    QStringList letters;
    for (const TestVariant &variant : TestVariants)
        letters << QString(QChar(variant.letter));
    if (!sep.isEmpty())
        return letters.join(sep);
    const QString last = letters.takeLast();
    return letters.isEmpty()
        ? last
        : QCoreApplication::translate("kavr-im-report", "%1 or %2").arg(letters.join(u", "), last);
}

// The options and the folder argument, described once for parsing and for the help text.
struct CommandLine
{
    CommandLine()
    {
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
        parser.setApplicationDescription(QCoreApplication::translate(
            "kavr-im-report",
            "Reads every *.IM.txt protocol in RESULT_FOLDER and writes one CSV row per protocol:\n"
            "code, name, date and time, variant, instruction time, answer time, N[+], N[-],\n"
            "N[0], Tcp, SD, V, and time, panel, key, picture, answer and mark of each of the\n"
            "twelve placements.\n"
            "\n"
            "The CSV is UTF-8 with a byte-order mark. Files that cannot be read are named on\n"
            "standard error with the line at fault, and skipped. Recovered protocols\n"
            "(*.IM.recovered.txt, interrupted tests) are read and marked; the group figures\n"
            "leave them out.\n"
            "\n"
            "--since, --until, --variant and --code choose the protocols every output covers;\n"
            "with a date condition, a protocol whose date cannot be read for sure is left out.\n"
            "--no-names leaves the names out of every output; the codes stay, so codes that\n"
            "name the subject still do.\n"
            "\n"
            "Exit status: 0 all protocols read, 1 some files skipped, 2 usage error (also a\n"
            "missing folder), 3 the report could not be written."));
        parser.addOptions({output, html, pages, longCsv, summary, xlsx, since, until, variant,
                           code, noNames, separator, decimal, window, help, version});
        parser.addPositionalArgument(
            QCoreApplication::translate("kavr-im-report", "RESULT_FOLDER"),
            QCoreApplication::translate("kavr-im-report",
                                        "The folder of protocols (default: Result "
                                        "beside this program)."),
            QCoreApplication::translate("kavr-im-report", "[RESULT_FOLDER]"));
    }

    QCommandLineParser parser;
    const QCommandLineOption output{
        QStringList{QStringLiteral("o"), QStringLiteral("output")},
        QCoreApplication::translate("kavr-im-report",
                                    "Write the CSV to <file> (default: standard output)."),
        QCoreApplication::translate("kavr-im-report", "file")};
    const QCommandLineOption html{
        QStringLiteral("html"),
        QCoreApplication::translate("kavr-im-report",
                                    "Also write an HTML page of the group to <file>: "
                                    "the group figures with heat maps, and all "
                                    "subjects with a chart of their times."),
        QCoreApplication::translate("kavr-im-report", "file")};
    const QCommandLineOption pages{
        QStringLiteral("pages"),
        QCoreApplication::translate(
            "kavr-im-report",
            "Write one page per protocol into <folder> (made when missing), named "
            "after the protocol file: the boards as shown and as left, the scores "
            "and the times; one A4 sheet each when printed."),
        QCoreApplication::translate("kavr-im-report", "folder")};
    const QCommandLineOption longCsv{
        QStringLiteral("long"),
        QCoreApplication::translate(
            "kavr-im-report",
            "Also write one CSV row per placement record (twelve per protocol) to "
            "<file>."),
        QCoreApplication::translate("kavr-im-report", "file")};
    const QCommandLineOption summary{
        QStringLiteral("summary"),
        QCoreApplication::translate(
            "kavr-im-report",
            "Also write the group figures to <file> (CSV): what was included, per "
            "variant the scores' statistics, per panel and per figure the share "
            "correct and the times, each subject's z-scores."),
        QCoreApplication::translate("kavr-im-report", "file")};
    const QCommandLineOption xlsx{
        QStringLiteral("xlsx"),
        QCoreApplication::translate(
            "kavr-im-report",
            "Also write the three tables to <file> as one workbook for Excel: a sheet "
            "each for the protocols, the placements and the group figures; codes and "
            "names as text, figures as numbers, dates as dates."),
        QCoreApplication::translate("kavr-im-report", "file")};
    const QCommandLineOption since{
        QStringLiteral("since"),
        QCoreApplication::translate("kavr-im-report",
                                    "Only tests set up on <date> or later "
                                    "(2026-03-01 or 01.03.2026)."),
        QCoreApplication::translate("kavr-im-report", "date")};
    const QCommandLineOption until{
        QStringLiteral("until"),
        QCoreApplication::translate("kavr-im-report", "Only tests set up on <date> or earlier."),
        QCoreApplication::translate("kavr-im-report", "date")};
    const QCommandLineOption variant{
        QStringLiteral("variant"),
        QCoreApplication::translate("kavr-im-report", "Only variant %1.").arg(VariantLetters()),
        VariantLetters(u"|")};
    const QCommandLineOption code{
        QStringLiteral("code"),
        QCoreApplication::translate(
            "kavr-im-report",
            "Only codes matching <pattern> (* any text, ? one character, case "
            "ignored); may be given more than once."),
        QCoreApplication::translate("kavr-im-report", "pattern")};
    const QCommandLineOption noNames{
        QStringLiteral("no-names"),
        QCoreApplication::translate("kavr-im-report",
                                    "Leave the subjects' names out of every "
                                    "output (codes only).")};
    const QCommandLineOption separator{
        QStringLiteral("separator"),
        QCoreApplication::translate(
            "kavr-im-report",
            "Field separator: one character, or tab. Default ';' where the locale's "
            "decimal mark is ',', else ','."),
        QCoreApplication::translate("kavr-im-report", "c")};
    const QCommandLineOption decimal{
        QStringLiteral("decimal"),
        QCoreApplication::translate("kavr-im-report",
                                    "Decimal mark. Default the locale's (LC_NUMERIC)."),
        QCoreApplication::translate("kavr-im-report", "c")};
    const QCommandLineOption window{
        QStringLiteral("window"),
        QCoreApplication::translate("kavr-im-report",
                                    "Open the report as a window, as when started from the "
                                    "desktop; the folder and the choices given are its first.")};
    // Named by hand rather than with addHelpOption() and addVersionOption(), which would also
    // take -v, -? and --help-all.
    const QCommandLineOption help{QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QCoreApplication::translate("kavr-im-report", "Show this text.")};
    const QCommandLineOption version{
        QStringLiteral("version"),
        QCoreApplication::translate("kavr-im-report", "Show the version.")};
};

} // namespace

OptionsOutcome ParseReportOptions(const QStringList &arguments, const QLocale &locale,
                                  const QString &defaultFolder)
{
    CommandLine commandLine;
    QCommandLineParser &parser = commandLine.parser;
    // The program name first, as QCommandLineParser expects.
    if (!parser.parse(QStringList{QStringLiteral("kavr-im-report")} + arguments))
        return Error(parser.errorText());

    ReportOptions options;
    options.help = parser.isSet(commandLine.help);
    options.version = parser.isSet(commandLine.version);
    if (options.help || options.version)
        return {options, {}};
    for (const QCommandLineOption *option :
         {&commandLine.output, &commandLine.html, &commandLine.pages, &commandLine.longCsv,
          &commandLine.summary, &commandLine.xlsx, &commandLine.since, &commandLine.until,
          &commandLine.variant, &commandLine.separator, &commandLine.decimal}) {
        const QStringList values = parser.values(*option);
        if (values.size() > 1)
            return Error(QCoreApplication::translate("kavr-im-report", "--%1 given twice")
                             .arg(option->names().last()));
        if (values.size() == 1 && values.front().isEmpty())
            return Error(QCoreApplication::translate("kavr-im-report", "--%1 needs a value")
                             .arg(option->names().last()));
    }
    options.csvPath = parser.value(commandLine.output);
    options.htmlPath = parser.value(commandLine.html);
    options.pagesFolder = parser.value(commandLine.pages);
    options.longPath = parser.value(commandLine.longCsv);
    options.summaryPath = parser.value(commandLine.summary);
    options.xlsxPath = parser.value(commandLine.xlsx);
    options.withNames = !parser.isSet(commandLine.noNames);
    options.window = parser.isSet(commandLine.window);
    options.format = CsvFormat::fromLocale(locale);
    options.localDateFormat = locale.dateFormat(QLocale::ShortFormat);

    Selection &selection = options.selection;
    for (const auto &[option, date] : {std::pair{&commandLine.since, &selection.since},
                                       std::pair{&commandLine.until, &selection.until}}) {
        if (!parser.isSet(*option))
            continue;
        *date = DateArgument(parser.value(*option));
        if (!*date)
            return Error(
                QCoreApplication::translate("kavr-im-report",
                                            "--%1 takes a date as 2026-03-01 or 01.03.2026, not %2")
                    .arg(option->names().last(), parser.value(*option)));
    }
    if (selection.since && selection.until && *selection.since > *selection.until)
        return Error(QCoreApplication::translate("kavr-im-report", "--since is after --until"));
    if (parser.isSet(commandLine.variant)) {
        selection.variantIndex = VariantArgument(parser.value(commandLine.variant));
        if (selection.variantIndex < 0)
            return Error(QCoreApplication::translate("kavr-im-report", "--variant takes %1, not %2")
                             .arg(VariantLetters(), parser.value(commandLine.variant)));
    }
    selection.codePatterns = parser.values(commandLine.code);
    if (selection.codePatterns.contains(QString()))
        return Error(QCoreApplication::translate("kavr-im-report", "--code needs a value"));
    const bool separatorTaken = parser.isSet(commandLine.separator);
    const bool decimalTaken = parser.isSet(commandLine.decimal);
    const QString separator = parser.value(commandLine.separator);
    const QString decimal = parser.value(commandLine.decimal);

    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return Error(QCoreApplication::translate("kavr-im-report", "one folder only, not %1")
                         .arg(positional.size()));
    options.folder = positional.isEmpty() ? defaultFolder : positional.front();

    if (separatorTaken) {
        const std::optional<QChar> c = OneCharacter(separator);
        if (!c)
            return Error(QCoreApplication::translate(
                             "kavr-im-report", "--separator takes one character (or tab), not %1")
                             .arg(separator));
        options.format.separator = *c;
    }
    if (decimalTaken) {
        const std::optional<QChar> c = OneCharacter(decimal);
        if (!c || c->isDigit() || *c == u'-' || *c == u'\t')
            return Error(
                QCoreApplication::translate("kavr-im-report",
                                            "--decimal takes one character other than a digit or "
                                            "a sign, not %1")
                    .arg(decimal));
        options.format.decimalMark = QString(*c);
        // A mark that is now the separator moves the separator out of its way, as the locale
        // rule would.
        if (!separatorTaken)
            options.format.separator = *c == u',' ? u';' : u',';
    }
    if (QString(options.format.separator) == options.format.decimalMark)
        return Error(QCoreApplication::translate("kavr-im-report",
                                                 "the separator and the decimal mark must differ"));

    // Each output a file of its own.
    QStringList outputs;
    for (const QString &path : {options.csvPath, options.htmlPath, options.longPath,
                                options.summaryPath, options.xlsxPath, options.pagesFolder}) {
        if (path.isEmpty())
            continue;
        const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        if (outputs.contains(absolute))
            return Error(QCoreApplication::translate(
                             "kavr-im-report", "the output files must differ: %1 is named twice")
                             .arg(path));
        outputs << absolute;
    }
    return {options, {}};
}

QString ReportUsage()
{
    return CommandLine().parser.helpText();
}

} // namespace kavr::report

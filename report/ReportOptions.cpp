#include "report/ReportOptions.h"

#include <QCommandLineParser>
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

// The options and the folder argument, described once for parsing and for the help text.
struct CommandLine
{
    CommandLine()
    {
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
        parser.setApplicationDescription(QStringLiteral(
            "Reads every *.IM.txt protocol in RESULT_FOLDER and writes one CSV row per protocol:\n"
            "code, name, date and time, variant, instruction time, answer time, N[+], N[-],\n"
            "N[0], Tcp, SD, V, and time, panel, key, picture, answer and mark of each of the\n"
            "twelve placements.\n"
            "\n"
            "The CSV is UTF-8 with a byte-order mark. Files that cannot be read are named on\n"
            "standard error with the line at fault, and skipped.\n"
            "Exit status: 0 all protocols read, 1 some files skipped, 2 usage error (also a\n"
            "missing folder), 3 the report could not be written."));
        parser.addOptions({output, html, separator, decimal, help, version});
        parser.addPositionalArgument(QStringLiteral("RESULT_FOLDER"),
                                     QStringLiteral("The folder of protocols (default: Result "
                                                    "beside this program)."),
                                     QStringLiteral("[RESULT_FOLDER]"));
    }

    QCommandLineParser parser;
    const QCommandLineOption output{
        QStringList{QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Write the CSV to <file> (default: standard output)."), QStringLiteral("file")};
    const QCommandLineOption html{QStringLiteral("html"),
                                  QStringLiteral("Also write an HTML summary with a chart per "
                                                 "subject to <file>."),
                                  QStringLiteral("file")};
    const QCommandLineOption separator{
        QStringLiteral("separator"),
        QStringLiteral("Field separator: one character, or tab. Default ';' where the locale's "
                       "decimal mark is ',', else ','."),
        QStringLiteral("c")};
    const QCommandLineOption decimal{
        QStringLiteral("decimal"),
        QStringLiteral("Decimal mark. Default the locale's (LC_NUMERIC)."), QStringLiteral("c")};
    // Named by hand rather than with addHelpOption() and addVersionOption(), which would also
    // take -v, -? and --help-all.
    const QCommandLineOption help{QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this text.")};
    const QCommandLineOption version{QStringLiteral("version"),
                                     QStringLiteral("Show the version.")};
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
    for (const QCommandLineOption *option : {&commandLine.output, &commandLine.html,
                                             &commandLine.separator, &commandLine.decimal}) {
        const QStringList values = parser.values(*option);
        if (values.size() > 1)
            return Error(QStringLiteral("--%1 given twice").arg(option->names().last()));
        if (values.size() == 1 && values.front().isEmpty())
            return Error(QStringLiteral("--%1 needs a value").arg(option->names().last()));
    }
    options.csvPath = parser.value(commandLine.output);
    options.htmlPath = parser.value(commandLine.html);
    options.format = CsvFormat::fromLocale(locale);
    const bool separatorTaken = parser.isSet(commandLine.separator);
    const bool decimalTaken = parser.isSet(commandLine.decimal);
    const QString separator = parser.value(commandLine.separator);
    const QString decimal = parser.value(commandLine.decimal);

    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return Error(QStringLiteral("one folder only, not %1").arg(positional.size()));
    options.folder = positional.isEmpty() ? defaultFolder : positional.front();

    if (separatorTaken) {
        const std::optional<QChar> c = OneCharacter(separator);
        if (!c)
            return Error(
                QStringLiteral("--separator takes one character (or tab), not %1").arg(separator));
        options.format.separator = *c;
    }
    if (decimalTaken) {
        const std::optional<QChar> c = OneCharacter(decimal);
        if (!c || c->isDigit() || *c == u'-' || *c == u'\t')
            return Error(QStringLiteral("--decimal takes one character other than a digit or "
                                        "a sign, not %1")
                             .arg(decimal));
        options.format.decimalMark = QString(*c);
        // A mark that is now the separator moves the separator out of its way, as the locale
        // rule would.
        if (!separatorTaken)
            options.format.separator = *c == u',' ? u';' : u',';
    }
    if (QString(options.format.separator) == options.format.decimalMark)
        return Error(QStringLiteral("the separator and the decimal mark must differ"));

    if (!options.csvPath.isEmpty() && !options.htmlPath.isEmpty()
        && QFileInfo(options.csvPath).absoluteFilePath()
            == QFileInfo(options.htmlPath).absoluteFilePath())
        return Error(QStringLiteral("the CSV and the HTML file must differ"));
    return {options, {}};
}

QString ReportUsage()
{
    return CommandLine().parser.helpText();
}

} // namespace kavr::report

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

} // namespace

OptionsOutcome ParseReportOptions(const QStringList &arguments, const QLocale &locale,
                                  const QString &defaultFolder)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")}, {},
                                    QStringLiteral("file"));
    const QCommandLineOption html(QStringLiteral("html"), {}, QStringLiteral("file"));
    const QCommandLineOption separatorOption(QStringLiteral("separator"), {}, QStringLiteral("c"));
    const QCommandLineOption decimalOption(QStringLiteral("decimal"), {}, QStringLiteral("c"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({output, html, separatorOption, decimalOption, help, version});
    // The program name first, as QCommandLineParser expects.
    if (!parser.parse(QStringList{QStringLiteral("kavr-im-report")} + arguments))
        return Error(parser.errorText());

    ReportOptions options;
    options.help = parser.isSet(help);
    options.version = parser.isSet(version);
    if (options.help || options.version)
        return {options, {}};
    for (const QCommandLineOption *option : {&output, &html, &separatorOption, &decimalOption}) {
        const QStringList values = parser.values(*option);
        if (values.size() > 1)
            return Error(QStringLiteral("--%1 given twice").arg(option->names().last()));
        if (values.size() == 1 && values.front().isEmpty())
            return Error(QStringLiteral("--%1 needs a value").arg(option->names().last()));
    }
    options.csvPath = parser.value(output);
    options.htmlPath = parser.value(html);
    options.format = CsvFormat::fromLocale(locale);
    const bool separatorTaken = parser.isSet(separatorOption);
    const bool decimalTaken = parser.isSet(decimalOption);
    const QString separator = parser.value(separatorOption);
    const QString decimal = parser.value(decimalOption);

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
    return QStringLiteral(
        "Usage: kavr-im-report [RESULT_FOLDER] [-o OUT.csv] [--html OUT.html]\n"
        "                      [--separator C] [--decimal C]\n"
        "\n"
        "Reads every *.IM.txt protocol in RESULT_FOLDER (default: Result beside this program)\n"
        "and writes one CSV row per protocol: code, name, date and time, variant, instruction\n"
        "time, answer time, N[+], N[-], N[0], Tcp, SD, V, and time, panel, key, picture,\n"
        "answer and mark of each of the twelve placements.\n"
        "\n"
        "  -o, --output FILE   write the CSV to FILE (default: standard output)\n"
        "      --html FILE     also write an HTML summary with a chart per subject\n"
        "      --separator C   field separator (one character, or tab); default ';' where\n"
        "                      the locale's decimal mark is ',', else ','\n"
        "      --decimal C     decimal mark; default the locale's (LC_NUMERIC)\n"
        "  -h, --help          show this text\n"
        "      --version       show the version\n"
        "\n"
        "The CSV is UTF-8 with a byte-order mark. Files that cannot be read are named on\n"
        "standard error with the line at fault, and skipped.\n"
        "Exit status: 0 all protocols read, 1 some files skipped, 2 usage error (also a\n"
        "missing folder), 3 the report could not be written.\n");
}

} // namespace kavr::report

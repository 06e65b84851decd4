#include "report/html/HtmlPage.h"

namespace kavr::report {

QString HtmlStart(const QString &title, const QString &css)
{
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\"/>\n"
                          "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src "
                          "'none'; style-src 'unsafe-inline'; img-src data:\"/>\n<title>")
        + HtmlEscaped(title) + QStringLiteral("</title>\n<style>") + css
        + QStringLiteral("</style>\n</head>\n<body>\n");
}

QString HtmlEnd()
{
    return QStringLiteral("</body>\n</html>\n");
}

QString HtmlEscaped(const QString &text)
{
    return text.toHtmlEscaped();
}

} // namespace kavr::report

#pragma once
// What every HTML page of the report shares: UTF-8, a Content-Security-Policy under which the
// browser fetches nothing and runs nothing (pictures travel inside the page as data: URIs),
// and well-formed XML, so that tools can read a page back.
#include <QString>

namespace kavr::report {

QString HtmlStart(const QString &title, const QString &css);
QString HtmlEnd();
QString HtmlEscaped(const QString &text);

} // namespace kavr::report

#include "report/select/Selection.h"

#include "parameters/TestVariant.h"

namespace kavr::report {

Selection::Verdict Selection::judge(const ProtocolRecord &record, const ProtocolDate &date) const
{
    if ((variantIndex >= 0 && record.variantIndex() != variantIndex) || !codeTaken(record.code))
        return Verdict::Refused;
    if (datesMatter()) {
        if (!date.date)
            return Verdict::Undated;
        if ((since && *date.date < *since) || (until && *date.date > *until))
            return Verdict::Refused;
    }
    return Verdict::Taken;
}

bool Selection::codeTaken(const QString &code) const
{
    if (codePatterns.isEmpty())
        return true;
    if (m_compiled.isEmpty()) {
        for (const QString &pattern : codePatterns)
            m_compiled << QRegularExpression::fromWildcard(pattern, Qt::CaseInsensitive);
    }
    for (const QRegularExpression &pattern : m_compiled) {
        if (pattern.match(code).hasMatch())
            return true;
    }
    return false;
}

QString Selection::description() const
{
    QStringList parts;
    const auto iso = [](const QDate &date) { return date.toString(Qt::ISODate); };
    if (since && until)
        parts << QStringLiteral("с %1 по %2").arg(iso(*since), iso(*until));
    else if (since)
        parts << QStringLiteral("с %1").arg(iso(*since));
    else if (until)
        parts << QStringLiteral("по %1").arg(iso(*until));
    if (variantIndex >= 0)
        parts << TestVariants[variantIndex].itemText.toString();
    if (!codePatterns.isEmpty()) {
        QStringList quoted;
        for (const QString &pattern : codePatterns)
            quoted << u'«' + pattern + u'»';
        parts << (codePatterns.size() == 1 ? QStringLiteral("код ") : QStringLiteral("коды "))
                + quoted.join(QStringLiteral(", "));
    }
    return parts.isEmpty() ? QStringLiteral("все протоколы") : parts.join(QStringLiteral("; "));
}

} // namespace kavr::report

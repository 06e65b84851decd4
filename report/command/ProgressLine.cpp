#include "report/command/ProgressLine.h"

#include "platform/console/Console.h"

#include <QCoreApplication>
#include <QString>

namespace kavr::report {

ProgressLine::ProgressLine(int total, std::FILE *stream, bool terminal, const char *task)
    : m_total(total), m_stream(stream), m_task(task), m_terminal(terminal)
{ }

ProgressLine::~ProgressLine()
{
    clear();
}

void ProgressLine::step()
{
    ++m_done;
    if (m_total < Threshold)
        return;
    const int part = m_terminal ? m_done * 100 / m_total : m_done * 10 / m_total;
    if (part == m_shownPart && (m_drawn || !m_terminal))
        return;
    m_shownPart = part;
    draw();
}

void ProgressLine::clear()
{
    if (!m_terminal || !m_drawn)
        return;
    std::fprintf(m_stream, "\r%*s\r", 40, "");
    std::fflush(m_stream);
    m_drawn = false;
}

void ProgressLine::draw()
{
    // Through the console's own writing: a Windows console would garble translated words as
    // UTF-8 bytes.
    const QString line = QCoreApplication::translate("kavr-im-report", "%1: %2 of %3")
                             .arg(QCoreApplication::translate("kavr-im-report", m_task))
                             .arg(m_done)
                             .arg(m_total);
    const QByteArray utf8 = m_terminal ? QString(u'\r' + line).toUtf8()
                                       : QString(line + u'\n').toUtf8();
    kavr::platform::WriteText(m_stream, {utf8.constData(), size_t(utf8.size())});
    m_drawn = m_terminal;
    std::fflush(m_stream);
}

} // namespace kavr::report

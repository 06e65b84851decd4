#include "report/command/ProgressLine.h"

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
    if (m_terminal) {
        std::fprintf(m_stream, "\r%s: %d of %d", m_task, m_done, m_total);
        m_drawn = true;
    } else {
        std::fprintf(m_stream, "%s: %d of %d\n", m_task, m_done, m_total);
    }
    std::fflush(m_stream);
}

} // namespace kavr::report

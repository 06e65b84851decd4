#pragma once
// "reading protocols: 120 of 500" on a stream (stderr) while a large folder is read (or its
// pages written: the task names itself). On a terminal one line is rewritten in place as the
// percentage grows; elsewhere (a log) a whole line is written at each tenth. Small folders
// show nothing. The words are the user's language's (the task is marked for translation with
// QT_TRANSLATE_NOOP in the context "kavr-im-report").
#include <QtGlobal>

#include <cstdio>

namespace kavr::report {

class ProgressLine final
{
public:
    static constexpr int Threshold = 50; // files from which progress is shown

    ProgressLine(int total, std::FILE *stream, bool terminal,
                 const char *task = QT_TRANSLATE_NOOP("kavr-im-report", "reading protocols"));
    ~ProgressLine();

    void step(); // one more file done
    void clear(); // before other text goes to the stream; the next step draws the line again

private:
    void draw();

    int m_total;
    int m_done = 0;
    int m_shownPart = -1; // percent on a terminal, tenths elsewhere
    std::FILE *m_stream;
    const char *m_task;
    bool m_terminal;
    bool m_drawn = false;
};

} // namespace kavr::report

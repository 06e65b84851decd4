#pragma once
// The read-only instruction text: no wrapping, no scroll bars, and once it has the focus the
// Tab key stays in it. It offers no edit menu of its own; a right click goes to the window.
#include <QTextEdit>

namespace kavr::ui {

class InstructionMemo : public QTextEdit
{
    Q_OBJECT
public:
    explicit InstructionMemo(QWidget *parent = nullptr);

    // Replaces the text: left-aligned lines as given, or centred lines wrapped at the edge.
    // The first shownWhole lines are shown whole: where the face's own line spacing would put
    // the last of them below the lower edge, the lines are set closer, never closer than the
    // height of their letters.
    void setLines(const QStringList &lines, bool centred, int shownWhole = 0);

protected:
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void setLineSpacing(const QStringList &lines, int shownWhole);
};

} // namespace kavr::ui

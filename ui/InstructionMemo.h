#pragma once
// The read-only instruction text: no wrapping, no scroll bars, and once it has the focus the
// Tab key stays in it. It offers no edit menu of its own; a right click goes to the window.
#include <QPlainTextEdit>

namespace kavr::ui {

class InstructionMemo : public QPlainTextEdit
{
public:
    explicit InstructionMemo(QWidget *parent = nullptr);

    // Replaces the text: left-aligned lines as given, or centred lines wrapped at the edge.
    void setLines(const QStringList &lines, bool centred);

protected:
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
};

} // namespace kavr::ui

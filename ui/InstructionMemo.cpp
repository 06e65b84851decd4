#include "ui/InstructionMemo.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QTextCursor>
#include <QTextOption>

namespace kavr::ui {

InstructionMemo::InstructionMemo(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setTabChangesFocus(false);
    setUndoRedoEnabled(false);
    document()->setDocumentMargin(1);
}

void InstructionMemo::setLines(const QStringList &lines, bool centred)
{
    // Centred text is the closing message, whose lines must be read whole: it wraps at the
    // box's edge. The instruction keeps the line breaks set by hand.
    QTextOption option = document()->defaultTextOption();
    option.setAlignment(centred ? Qt::AlignHCenter : Qt::AlignLeft);
    document()->setDefaultTextOption(option);
    setLineWrapMode(centred ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    setPlainText(lines.join(QLatin1Char('\n')));
    moveCursor(QTextCursor::Start);
}

bool InstructionMemo::focusNextPrevChild(bool)
{
    return false;
}

void InstructionMemo::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void InstructionMemo::contextMenuEvent(QContextMenuEvent *event)
{
    event->ignore();
}

} // namespace kavr::ui

#include "ui/InstructionMemo.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>

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
    setPlainText(lines.join(QLatin1Char('\n')));
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setAlignment(centred ? Qt::AlignHCenter : Qt::AlignLeft);
    cursor.mergeBlockFormat(format);
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

#include "ui/InstructionMemo.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextOption>

#include <algorithm>

namespace kavr::ui {

InstructionMemo::InstructionMemo(QWidget *parent) : QTextEdit(parent)
{
    setReadOnly(true);
    setAcceptRichText(false);
    setLineWrapMode(QTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setTabChangesFocus(false);
    setUndoRedoEnabled(false);
    document()->setDocumentMargin(1);
}

void InstructionMemo::setLines(const QStringList &lines, bool centred, int shownWhole)
{
    // Centred text is the closing message, whose lines must be read whole: it wraps at the
    // box's edge. The instruction keeps the line breaks set by hand.
    QTextOption option = document()->defaultTextOption();
    option.setAlignment(centred ? Qt::AlignHCenter : Qt::AlignLeft);
    document()->setDefaultTextOption(option);
    setLineWrapMode(centred ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
    setPlainText(lines.join(QLatin1Char('\n')));
    setLineSpacing(lines, shownWhole);
    moveCursor(QTextCursor::Start);
}

void InstructionMemo::setLineSpacing(const QStringList &lines, int shownWhole)
{
    // Courier New at 19 px takes 22 px a line, here and on Windows, and the box is 305 px
    // tall with its border: fourteen lines would need 308. Set 21 px apart they fit, and the
    // letters (18 px from the top of a capital to the foot of у or a bracket) stay apart.
    const QFontMetrics metrics(font());
    const int natural = metrics.lineSpacing();
    int pitch = natural;
    if (shownWhole > 1) {
        const int room = contentsRect().height() - int(document()->documentMargin()) - natural;
        const int letters = metrics.tightBoundingRect(lines.mid(0, shownWhole).join(QString())).height();
        pitch = std::min(natural, std::max(letters, room / (shownWhole - 1)));
    }
    if (pitch == natural)
        return;
    QTextBlockFormat format;
    format.setLineHeight(pitch - natural, QTextBlockFormat::LineDistanceHeight);
    QTextCursor all(document());
    all.select(QTextCursor::Document);
    all.mergeBlockFormat(format);
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
    QTextEdit::keyPressEvent(event);
}

void InstructionMemo::contextMenuEvent(QContextMenuEvent *event)
{
    event->ignore();
}

} // namespace kavr::ui

#include "controls/CConsole.h"

#include <QScrollBar>

CConsole::CConsole(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setMaximumBlockCount(MAX_LINES);
    // Read-only, yet the keyboard can still move through and select the text.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void CConsole::appendLine(const QString& line)
{
    QScrollBar* bar = verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    const int kept = bar->value();
    appendPlainText(line);
    bar->setValue(atEnd ? bar->maximum() : kept);
}

#include "shell/CHexEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>

namespace varnu {

bool isEditingCharacter(QChar ch) {
    constexpr char16_t kDeleteCharacter = 0x7F;
    return ch.unicode() < 0x20 || ch.unicode() == kDeleteCharacter;
}

CHexEdit::CHexEdit(QObject* parent) : QObject(parent), beep([] { QApplication::beep(); }) {}

void CHexEdit::attach(QWidget* target) {
    if (edit)
        edit->removeEventFilter(this);
    edit = target;
    edit->installEventFilter(this);
}

bool CHexEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched != edit || event->type() != QEvent::KeyPress)
        return false;
    const QString text = static_cast<QKeyEvent*>(event)->text();
    // Keys without a character (arrows, Home, function keys) are not typed characters.
    if (text.isEmpty() || accepts(text.front()))
        return false;
    beep();
    return true;
}

bool CHexEdit::accepts(QChar ch) const {
    if (isEditingCharacter(ch))
        return true;
    const char16_t code = ch.unicode();
    if (code >= '0' && code <= '9')
        return true;
    if (hexMode)
        return (code >= 'a' && code <= 'f') || (code >= 'A' && code <= 'F');
    // Decimal: one minus, typed in front of a text that has none yet.
    return code == '-' && selectionStart() == 0 && firstCharacter() != QLatin1Char('-');
}

int CHexEdit::selectionStart() const {
    if (auto* line = qobject_cast<QLineEdit*>(edit))
        return line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(edit))
        return plain->textCursor().selectionStart();
    return 0;
}

QChar CHexEdit::firstCharacter() const {
    QString first;
    if (auto* line = qobject_cast<QLineEdit*>(edit))
        first = line->text();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(edit))
        first = plain->document()->firstBlock().text();
    return first.isEmpty() ? QChar() : first.front();
}

} // namespace varnu

#include "shell/UpperCaseEdits.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QValidator>

#include "shell/CHexEdit.h"

namespace varnu {
namespace {

// Accepts everything and turns it to upper case, for typing and pasting alike.
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        input = input.toUpper();
        return Acceptable;
    }
};

bool isTypedCharacter(const QKeyEvent* event) {
    return !event->text().isEmpty() && !isEditingCharacter(event->text().front());
}

bool isPlainEnter(const QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    return enter && !(event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier));
}

} // namespace

UpperLineEdit::UpperLineEdit(QWidget* parent) : QLineEdit(parent) {
    setValidator(new UpperCaseValidator(this));
}

void UpperLineEdit::keyPressEvent(QKeyEvent* event) {
    if (typingLimit >= 0 && isTypedCharacter(event) && text().size() - selectedText().size() >= typingLimit) {
        QApplication::beep();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

UpperPlainTextEdit::UpperPlainTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
}

void UpperPlainTextEdit::keyPressEvent(QKeyEvent* event) {
    if (isPlainEnter(event)) {
        event->ignore();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & Qt::ControlModifier)) {
        textCursor().insertText(QStringLiteral("\n"));
        return;
    }
    if (isTypedCharacter(event) && event->text() != event->text().toUpper()) {
        QKeyEvent upper(event->type(), event->key(), event->modifiers(), event->text().toUpper(), event->isAutoRepeat(),
                        static_cast<ushort>(event->count()));
        QPlainTextEdit::keyPressEvent(&upper);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void UpperPlainTextEdit::insertFromMimeData(const QMimeData* source) {
    if (source->hasText())
        textCursor().insertText(source->text().toUpper());
}

} // namespace varnu

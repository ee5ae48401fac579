#pragma once
// Edit fields that show and store letters in upper case, typed or pasted, as the window's
// entry fields do.

#include <QLineEdit>
#include <QPlainTextEdit>

namespace varnu {

// A one-line field. The typing limit refuses characters typed into a full field but, unlike
// QLineEdit::setMaxLength, never cuts a longer text that the program put there.
class UpperLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit UpperLineEdit(QWidget* parent = nullptr);

    void setTypingLimit(int characters) { typingLimit = characters; } // < 0: none
    int limit() const { return typingLimit; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int typingLimit = -1;
};

// A wrapping multi-line field. Plain Enter is left to the window (it runs the default button);
// Ctrl+Enter breaks the line.
class UpperPlainTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit UpperPlainTextEdit(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
};

} // namespace varnu

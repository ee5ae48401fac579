#pragma once
// A key filter for an edit field that refuses, with a beep, every typed character that cannot
// belong to a number of its mode: hex digits in hexadecimal mode; decimal digits and one
// leading minus in decimal mode. Control characters (backspace, the clipboard shortcuts, the
// Delete key) pass.
// Pasted text and text the program sets never pass through a key filter.

#include <QObject>
#include <functional>

class QKeyEvent;
class QWidget;

namespace varnu {

// Keys whose text edits rather than types: the control characters (backspace, the clipboard
// shortcuts) and DEL (0x7F), the text of the Delete key on X11, Shift+Delete (cut) included.
bool isEditingCharacter(QChar ch);

class CHexEdit : public QObject {
    Q_OBJECT
public:
    explicit CHexEdit(QObject* parent = nullptr);

    void setHexMode(bool hex) { hexMode = hex; }
    bool isHexMode() const { return hexMode; }

    // Bind to a QLineEdit or QPlainTextEdit so that its typed characters reach the filter first.
    void attach(QWidget* edit);
    bool isAttached() const { return edit != nullptr; }

    // The refusal sound; tests replace it to count refusals.
    std::function<void()> beep;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool accepts(QChar ch) const;
    int selectionStart() const;
    QChar firstCharacter() const;

    bool hexMode = true;
    QWidget* edit = nullptr;
};

} // namespace varnu

#include "shell/DialogBuilder.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "shell/ExtentListWidget.h"
#include "shell/FrameTitleStyle.h"
#include "shell/GlyphFallback.h"
#include "shell/SingleChoiceListWidget.h"
#include "shell/UpperCaseEdits.h"

namespace varnu {
namespace {

// A frame's mnemonic moves the focus to the control after the frame, which need not be its
// child: the frame's own shortcut would only look among its children.
class FrameMnemonic : public QObject {
public:
    FrameMnemonic(QWidget* frame, QWidget* next) : QObject(frame), next(next) { frame->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Shortcut)
            return false;
        next->setFocus(Qt::ShortcutFocusReason);
        return true;
    }

private:
    QWidget* next;
};

QWidget* createControl(QWidget* parent, const ControlSpec& row, const QIcon& icon) {
    const QString caption = drawableText(captionText(row.caption), parent->font());
    switch (row.kind) {
    case ControlKind::GroupFrame: {
        auto* frame = new QGroupBox(caption, parent);
        frame->setStyle(frameTitleStyle());
        return frame;
    }
    case ControlKind::RadioButton: {
        auto* radio = new QRadioButton(caption, parent);
        radio->setAutoExclusive(false); // the button group decides, so that "none" can be shown
        return radio;
    }
    case ControlKind::Label: {
        auto* label = new QLabel(caption, parent);
        label->setTextFormat(Qt::PlainText);
        return label;
    }
    case ControlKind::DropDownList: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(false);
        return combo;
    }
    case ControlKind::ListBox: {
        // A list box with a horizontal scroll bar scrolls as far as its extent says.
        const bool scrollsSideways = (row.style & kHorizontalScroll) != 0;
        QListWidget* list = scrollsSideways ? new ExtentListWidget(parent) : new SingleChoiceListWidget(parent);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setHorizontalScrollBarPolicy(scrollsSideways ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        return list;
    }
    case ControlKind::LineEdit:
        return new UpperLineEdit(parent);
    case ControlKind::MultiLineEdit: {
        auto* edit = new UpperPlainTextEdit(parent);
        edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit->document()->setDocumentMargin(1);
        return edit;
    }
    case ControlKind::ReadOnlyText: {
        auto* edit = new QPlainTextEdit(parent);
        edit->setReadOnly(true);
        edit->setTabChangesFocus(true);
        edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
        return edit;
    }
    case ControlKind::PushButton:
    case ControlKind::DefaultButton: {
        auto* button = new QPushButton(caption, parent);
        button->setAutoDefault(true); // a focused push button takes the Enter key
        button->setDefault(row.kind == ControlKind::DefaultButton);
        return button;
    }
    case ControlKind::Icon: {
        auto* label = new QLabel(parent);
        label->setPixmap(icon.pixmap(32, 32));
        return label;
    }
    }
    return new QWidget(parent);
}

bool takesFocus(const ControlSpec& row) {
    return row.kind != ControlKind::GroupFrame && row.kind != ControlKind::Label && row.kind != ControlKind::Icon;
}

void placeControl(QWidget* widget, const ControlSpec& row, const DialogUnits& units) {
    QRect rect = units.toPixels(row.rect);
    if (row.kind == ControlKind::DropDownList) {
        // The table gives the height with the list dropped down; the closed box is one line.
        rect.setHeight(std::min(rect.height(), widget->sizeHint().height()));
    }
    if (row.kind == ControlKind::Icon)
        rect.setSize(QSize(32, 32));
    widget->setGeometry(rect);
}

void setFocusPolicy(QWidget* widget, const ControlSpec& row, bool inTabbedGroup) {
    if (!takesFocus(row))
        return;
    // Radio buttons of a group without a tab stop are reached by click only (Hex and Dec).
    const bool tabStop = (row.style & kTabStop) || (row.kind == ControlKind::RadioButton && inTabbedGroup);
    widget->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
}

} // namespace

QString captionText(std::string_view caption) {
    return QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
}

BuiltDialog buildDialogControls(QWidget* parent, const DialogSpec& dialog, const DialogUnits& units,
                                const QIcon& icon) {
    BuiltDialog built;
    std::vector<QWidget*> widgets;
    QButtonGroup* radioGroup = nullptr;
    bool radioGroupTabbed = false;

    for (const ControlSpec& control : dialog.controls) {
        QWidget* widget = createControl(parent, control, icon);
        placeControl(widget, control, units);
        if (control.style & kStartsGroup)
            radioGroup = nullptr;
        if (control.kind == ControlKind::RadioButton) {
            if (!radioGroup) {
                radioGroup = new QButtonGroup(parent);
                radioGroup->setExclusive(true);
                radioGroupTabbed = control.style & kTabStop;
                built.radioGroups[control.id] = radioGroup;
            }
            radioGroup->addButton(static_cast<QRadioButton*>(widget), static_cast<int>(radioGroup->buttons().size()));
        }
        setFocusPolicy(widget, control, radioGroupTabbed);
        if (control.id != -1)
            built.byId[control.id] = widget;
        widgets.push_back(widget);
    }

    // Mnemonics of labels and frames go to the next control that can take the focus.
    for (std::size_t i = 0; i < widgets.size(); ++i) {
        const ControlSpec& control = dialog.controls[i];
        if (control.caption.find('&') == std::string_view::npos)
            continue;
        QWidget* next = nullptr;
        for (std::size_t j = i + 1; j < widgets.size() && !next; ++j) {
            if (takesFocus(dialog.controls[j]))
                next = widgets[j];
        }
        if (!next)
            continue;
        if (auto* label = qobject_cast<QLabel*>(widgets[i])) {
            label->setTextFormat(Qt::AutoText);
            label->setBuddy(next);
        } else if (qobject_cast<QGroupBox*>(widgets[i])) {
            new FrameMnemonic(widgets[i], next);
        }
    }
    return built;
}

} // namespace varnu

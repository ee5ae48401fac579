#pragma once
// The main window and the About box as data: every control with its kind, caption, style and
// place in dialog units, in creation order (which is also the tab order). The window builds
// itself from these tables.

#include <span>
#include <string_view>

namespace varnu {

enum class ControlKind {
    GroupFrame,
    RadioButton,
    Label,
    DropDownList, // combo box without typing
    ListBox,
    LineEdit,
    MultiLineEdit,
    ReadOnlyText, // multi-line, read-only, both scroll bars
    PushButton,
    DefaultButton,
    Icon,
};

// Style bits beyond the kind.
enum ControlStyle : unsigned {
    kPlain = 0,
    kStartsGroup = 1u << 0,
    kTabStop = 1u << 1,
    kHorizontalScroll = 1u << 2,
};

struct DialogRect {
    int x, y, width, height;
};

struct ControlSpec {
    int id;
    ControlKind kind;
    std::string_view caption; // UTF-8; "&" marks the mnemonic
    unsigned style;
    DialogRect rect;
};

struct DialogSpec {
    std::string_view title;
    int width, height; // dialog units
    std::span<const ControlSpec> controls;
};

const DialogSpec& mainWindowSpec();
const DialogSpec& aboutBoxSpec();

} // namespace varnu

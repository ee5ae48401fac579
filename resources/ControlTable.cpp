#include "resources/ControlTable.h"

#include "resources/ResourceIds.h"
#include "varnu/Version.h"

namespace varnu {
namespace {

using K = ControlKind;
using namespace ids;

constexpr unsigned kGroupTab = kStartsGroup | kTabStop;

// Dialog 102. Creation order is the tab order; positions are x, y, width, height.
constexpr ControlSpec kMainControls[] = {
    {kAttributesFrame, K::GroupFrame, "Attributes(&M)", kPlain, {5, 11, 140, 20}},
    {kSetRadio, K::RadioButton, "Set", kGroupTab, {10, 20, 30, 10}},
    {kGetRadio, K::RadioButton, "Get", kPlain, {45, 20, 30, 10}},
    {kResetRadio, K::RadioButton, "Reset", kPlain, {80, 20, 36, 10}},
    {kFunctionsFrame, K::GroupFrame, "Functions", kPlain, {5, 34, 140, 72}},
    {kClassLabel, K::Label, "Class(&G):", kStartsGroup, {9, 47, 37, 8}},
    {kClassCombo, K::DropDownList, "", kTabStop, {57, 45, 85, 42}},
    {kFunctionLabel, K::Label, "Function(&I):", kStartsGroup, {9, 59, 49, 8}},
    {kFunctionList, K::ListBox, "", kTabStop, {57, 59, 85, 43}},
    {kDataFrame, K::GroupFrame, "Data\uFF1A", kPlain, {5, 109, 140, 99}},
    {kTargetLabel, K::Label, "Transmit to(&P):", kStartsGroup, {9, 123, 60, 8}},
    {kTargetCombo, K::DropDownList, "", kTabStop, {71, 120, 68, 41}},
    {kAddress1Label, K::Label, "Address 1(&V):", kStartsGroup, {9, 136, 53, 10}},
    {kAddress1Edit, K::LineEdit, "", kTabStop, {71, 134, 35, 12}},
    {kNone, K::Label, "(Hex)", kPlain, {108, 136, 27, 8}},
    {kAddress2Label, K::Label, "Address 2(&W):", kStartsGroup, {9, 149, 53, 8}},
    {kAddress2Edit, K::LineEdit, "", kTabStop, {71, 147, 35, 12}},
    {kNone, K::Label, "(Hex)", kPlain, {108, 149, 27, 8}},
    {kDataLabel, K::Label, "Data(&T):", kStartsGroup, {9, 163, 41, 11}},
    {kDataEdit, K::LineEdit, "", kTabStop, {71, 162, 35, 12}},
    {kNone, K::GroupFrame, "", kPlain, {108, 155, 31, 24}},
    {kHexRadio, K::RadioButton, "Hex", kStartsGroup, {110, 161, 25, 8}},
    {kDecRadio, K::RadioButton, "Dec", kPlain, {110, 170, 25, 8}},
    {kMultiBytesLabel, K::Label, "Multi bytes data(&B):", kStartsGroup, {9, 179, 82, 8}},
    {kMultiRange, K::Label, "", kStartsGroup, {82, 179, 58, 7}},
    {kMultiBytesEdit, K::MultiLineEdit, "", kTabStop, {9, 188, 132, 12}},
    {kAdd, K::DefaultButton, "Add(&A)", kTabStop, {148, 20, 48, 15}},
    {kDelete, K::PushButton, "Delete(&D)", kTabStop, {148, 36, 48, 15}},
    {kOpen, K::PushButton, "Open(&O)...", kTabStop, {148, 60, 48, 15}},
    {kSave, K::PushButton, "Save(&S)...", kTabStop, {148, 76, 48, 15}},
    {kTransmit, K::PushButton, "Transmit(&C)", kTabStop, {148, 112, 48, 30}},
    {kClear, K::PushButton, "Clear(&R)", kTabStop, {148, 155, 48, 15}},
    {kTransmitListLabel, K::Label, "Transmit List:", kStartsGroup, {199, 10, 57, 9}},
    {kTransmitList, K::ListBox, "", kGroupTab | kHorizontalScroll, {199, 19, 130, 74}},
    {kReceiveListLabel, K::Label, "Receive List:", kStartsGroup, {199, 101, 57, 8}},
    {kReceiveList, K::ReadOnlyText, "", kGroupTab, {199, 111, 130, 97}},
    {kNone, K::GroupFrame, "", kPlain, {5, 209, 245, 19}},
    {kStatusLine, K::Label, "", kStartsGroup, {8, 216, 239, 10}},
    {kClose, K::PushButton, "Close", kTabStop, {254, 212, 75, 16}},
};

// Dialog 100. The second line of text is this program's own.
constexpr ControlSpec kAboutControls[] = {
    {kNone, K::Icon, "", kPlain, {11, 17, 20, 20}},
    {kNone, K::Label, "Varnu Version " VARNU_VERSION, kPlain, {40, 10, 119, 8}},
    {kNone, K::Label, "Projector service tool", kPlain, {40, 25, 119, 8}},
    {kClose, K::DefaultButton, "OK", kGroupTab, {176, 6, 32, 14}},
};

constexpr DialogSpec kMainWindow{"Varnu", 336, 231, kMainControls};
constexpr DialogSpec kAboutBox{"About Varnu", 217, 55, kAboutControls};

} // namespace

const DialogSpec& mainWindowSpec() {
    return kMainWindow;
}
const DialogSpec& aboutBoxSpec() {
    return kAboutBox;
}

} // namespace varnu

#pragma once
// Resource ids of the main window's controls and menu commands. Handlers and tests name
// controls by these ids; the transmit and list code reaches the same controls through them.

namespace varnu::ids {

inline constexpr int kNone = -1; // a control without an id of its own (frames, unit labels)

// Commands shared by buttons and menu items.
inline constexpr int kClose = 1;
inline constexpr int kCancel = 2; // the Escape key
inline constexpr int kAbout = 16;
inline constexpr int kPortSettings = 32779;
inline constexpr int kReconnect = 32780;

// Commands of the menu items added around the dialog: Port > Stop and View > Session.
inline constexpr int kStop = 33001;
inline constexpr int kSession = 33002;

// Main window controls.
inline constexpr int kSetRadio = 1001;
inline constexpr int kGetRadio = 1002;
inline constexpr int kResetRadio = 1003;
inline constexpr int kFunctionsFrame = 1004;
inline constexpr int kAttributesFrame = 1005;
inline constexpr int kClassLabel = 1006;
inline constexpr int kFunctionLabel = 1007;
inline constexpr int kClassCombo = 1008;
inline constexpr int kFunctionList = 1009;
inline constexpr int kTargetLabel = 1010;
inline constexpr int kAddress1Label = 1011;
inline constexpr int kTargetCombo = 1012;
inline constexpr int kAddress1Edit = 1013;
inline constexpr int kAddress2Edit = 1014;
inline constexpr int kAddress2Label = 1015;
inline constexpr int kDataFrame = 1016;
inline constexpr int kAdd = 1018;
inline constexpr int kReceiveList = 1019;
inline constexpr int kTransmit = 1020;
inline constexpr int kDataLabel = 1021;
inline constexpr int kDataEdit = 1022;
inline constexpr int kTransmitListLabel = 1023;
inline constexpr int kReceiveListLabel = 1024;
inline constexpr int kDelete = 1025;
inline constexpr int kOpen = 1026;
inline constexpr int kStatusLine = 1027;
inline constexpr int kTransmitList = 1028;
inline constexpr int kSave = 1029;
inline constexpr int kClear = 1030;
inline constexpr int kMultiBytesLabel = 1031;
inline constexpr int kMultiBytesEdit = 1032;
inline constexpr int kMultiRange = 1035;
inline constexpr int kHexRadio = 1037;
inline constexpr int kDecRadio = 1038;

} // namespace varnu::ids

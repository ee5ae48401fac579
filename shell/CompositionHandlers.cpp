// The main window's reactions to choosing class, function, target and attribute, and the
// behaviour of the parameter fields while the user works in them.

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextLayout>

#include "resources/PromptStrings.h"
#include "resources/ResourceIds.h"
#include "shell/CVarnuDlg.h"
#include "shell/DataFieldText.h"
#include "shell/UpperCaseEdits.h"
#include "transmit_list/DataRadixText.h"
#include "transmit_list/FieldDefaults.h"

namespace varnu {
namespace {

using namespace ids;

constexpr int kDecDataLimit = 4;
constexpr int kHexDataLimit = 2;
// A line break in the field counts as the two characters CR LF.
constexpr int kLineBreakLength = 2;

} // namespace

// An operation owns the exchange unless an outer one holds batchUpdate.
class CVarnuDlg::BatchScope {
public:
    explicit BatchScope(CVarnuDlg& window) : window(window), owned(window.batchUpdate == 0) {
        if (!owned)
            return;
        window.exchange(Exchange::Collect);
        window.batchUpdate = 1;
    }
    ~BatchScope() {
        if (!owned)
            return;
        window.exchange(Exchange::Show);
        window.batchUpdate = 0;
    }

private:
    CVarnuDlg& window;
    bool owned;
};

namespace {

// The display line holding the caret: its first character (counting line breaks as CR LF)
// and its length. Long text wraps, so this is a visual line, not a paragraph.
std::pair<int, int> caretLine(const QPlainTextEdit* edit) {
    const QTextCursor cursor = edit->textCursor();
    const QTextBlock block = cursor.block();
    int start = 0;
    for (QTextBlock before = edit->document()->firstBlock(); before != block; before = before.next())
        start += static_cast<int>(before.text().size()) + kLineBreakLength;
    const QTextLayout* layout = block.layout();
    const int inBlock = cursor.position() - block.position();
    if (!layout || layout->lineCount() == 0)
        return {start, static_cast<int>(block.text().size())};
    const QTextLine line = layout->lineForTextPosition(inBlock);
    if (!line.isValid())
        return {start, static_cast<int>(block.text().size())};
    return {start + line.textStart(), line.textLength()};
}

} // namespace

void CVarnuDlg::selectClass() {
    const BatchScope batch(*this);
    auto* functionList = static_cast<QListWidget*>(control(kFunctionList));
    {
        const QSignalBlocker blocker(functionList);
        functionList->clear();
        const int classIndex = selection.classIndex;
        if (classIndex >= 0 && classIndex < static_cast<int>(catalogue_.groups.size())) {
            for (const CommandFunction& function : catalogue_.groups[static_cast<std::size_t>(classIndex)].functions)
                functionList->addItem(display(function.name));
        }
        if (functionList->count() > 0)
            functionList->setCurrentRow(0);
    }
    selection.functionIndex = 0;
    selectFunction();
}

void CVarnuDlg::selectFunction() {
    const BatchScope batch(*this);
    fillTargets();
    fillFieldDefaults();
}

void CVarnuDlg::fillTargets() {
    auto* combo = static_cast<QComboBox*>(control(kTargetCombo));
    const QSignalBlocker blocker(combo);
    combo->clear();
    const std::vector<std::string>* targets = catalogue_.targets(selection.classIndex, selection.functionIndex);
    const bool choice = targets && targets->size() >= 2;
    combo->setEnabled(choice);
    control(kTargetLabel)->setEnabled(choice);
    if (choice) {
        for (const std::string& name : *targets)
            combo->addItem(display(name));
        selection.targetIndex = 0;
    } else {
        selection.targetIndex = -1; // the function's only target (or none) is used
    }
    enableFieldsForCodes(0);
}

void CVarnuDlg::enableFieldsForCodes(int position) {
    if (position < 0)
        return;
    const std::vector<std::string>* targets = catalogue_.targets(selection.classIndex, selection.functionIndex);
    std::optional<FieldFlags> flags;
    if (targets)
        flags = fieldFlagsForTarget(catalogue_, *targets, position, selection.attribute);
    // Without a function, target or layout there is nothing a field could be used for.
    const FieldFlags use = flags.value_or(FieldFlags{});
    setFieldsEnabled(use.address1, use.address2, use.data, use.multi);
}

void CVarnuDlg::setFieldsEnabled(bool address1, bool address2, bool data, bool multi) {
    const std::pair<int, bool> fields[] = {
        {kAddress1Label, address1}, {kAddress1Edit, address1}, {kAddress2Label, address2}, {kAddress2Edit, address2},
        {kDataLabel, data},         {kDataEdit, data},         {kMultiBytesLabel, multi},  {kMultiBytesEdit, multi},
    };
    for (const auto& [id, enabled] : fields)
        control(id)->setEnabled(enabled);
}

void CVarnuDlg::fillFieldDefaults() {
    varnu::fillFieldDefaults(catalogue_, selection);
}

void CVarnuDlg::selectTarget() {
    exchange(Exchange::Collect);
    enableFieldsForCodes(targetPosition(selection));
    fillFieldDefaults();
    exchange(Exchange::Show);
}

void CVarnuDlg::selectAttribute() {
    exchange(Exchange::Collect);
    fillFieldDefaults();
    enableFieldsForCodes(targetPosition(selection));
    exchange(Exchange::Show);
}

void CVarnuDlg::showFieldPrompt(int editId) {
    exchange(Exchange::Collect);
    if (selection.classIndex < 0 || selection.functionIndex < 0)
        return;
    const CommandFunction* function = catalogue_.function(selection.classIndex, selection.functionIndex);
    const FormLookup lookup = findSelectedForm(catalogue_, selection);
    if (!function || !lookup.form)
        return;
    const TargetForm& form = *lookup.form;
    const std::pair<int, PromptId> prompts[] = {
        {kAddress1Edit, form.slavePrompt},
        {kAddress2Edit, form.addressPrompt},
        {kDataEdit, form.dataPrompt},
        {kMultiBytesEdit, form.multiPrompt},
    };
    for (const auto& [id, prompt] : prompts) {
        if (id == editId)
            statusText = std::string(promptString(prompt));
    }
    if (editId == kDataEdit)
        statusText += dataRangeHint(function->dataMin, function->dataMax, selection.dataRadix);
    exchange(Exchange::Show);
}

void CVarnuDlg::clearFieldPrompt() {
    exchange(Exchange::Collect);
    statusText.clear();
    exchange(Exchange::Show);
}

void CVarnuDlg::switchDataRadix(DataRadix radix) {
    const DataRadix inForce = selection.dataRadix;
    exchange(Exchange::Collect);
    // A click on the radix already in force would read the text in the wrong radix.
    if (radix == inForce)
        return;
    selection.dataText =
        radix == DataRadix::Dec ? decimalDataText(selection.dataText) : hexDataText(selection.dataText);
    setDataLimit(radix);
    exchange(Exchange::Show);
}

void CVarnuDlg::setDataLimit(DataRadix radix) {
    const bool hex = radix == DataRadix::Hex;
    static_cast<UpperLineEdit*>(control(kDataEdit))->setTypingLimit(hex ? kHexDataLimit : kDecDataLimit);
    dataEdit.setHexMode(hex);
}

void CVarnuDlg::showMultiRange() {
    exchange(Exchange::Collect);
    const auto [start, length] = caretLine(static_cast<QPlainTextEdit*>(control(kMultiBytesEdit)));
    rangeText = multiRangeText(start, length);
    exchange(Exchange::Show);
}

} // namespace varnu

#pragma once
// The file dialogs of Open and Save: default suffix "DAT", list files shown first (all files
// on request), no initial name, in the folder of the list last opened or saved; Save asks
// before it replaces a file, Open also takes a name that does not exist (the read then fails
// with its own message).

#include <QString>

class QWidget;

namespace varnu {

enum class ListFileDialog { Open, Save };

// The full path chosen, or an empty text on cancel.
QString runListFileDialog(ListFileDialog kind, QWidget* parent);

} // namespace varnu

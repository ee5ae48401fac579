#pragma once
// The About box: the icon, the version line and one line about the tool.

#include <QDialog>

namespace varnu {

class CAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit CAboutBox(const QIcon& icon, QWidget* parent = nullptr);
};

} // namespace varnu

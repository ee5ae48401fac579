#include <QApplication>
#include <cstdio>

#include "shell/CVarnuApp.h"
#include "shell/SerialLinkConnection.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VARNU"));
    QString error;
    const std::optional<varnu::AppOptions> options = varnu::parseAppOptions(QApplication::arguments(), error);
    if (!options) {
        std::fputs(qPrintable(error), stderr);
        return 2;
    }
    varnu::SerialLinkConnection link;
    varnu::CVarnuApp app(link);
    return app.run(*options);
}

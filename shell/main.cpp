#include <QApplication>
#include <cstdio>

#include "shell/CVarnuApp.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VARNU"));
    QString error;
    const std::optional<varnu::AppOptions> options = varnu::parseAppOptions(QApplication::arguments(), error);
    if (!options) {
        std::fputs(qPrintable(error), stderr);
        return 2;
    }
    varnu::CVarnuApp app;
    return app.run(*options);
}

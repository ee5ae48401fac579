#include <QApplication>

#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "shell/CVarnuApp.h"

int main(int argc, char* argv[]) {
    // Before the application object: --help and --version need no display.
    const std::vector<std::string> args(argv + 1, argv + argc);
    const std::variant<varnu::AppOptions, int> options = varnu::parseAppOptions(args, std::cout, std::cerr);
    if (const int* status = std::get_if<int>(&options))
        return *status;

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VARNU"));
    // Where the window keeps its settings: ~/.config/Varnu/VARNU.conf.
    QApplication::setOrganizationName(QStringLiteral("Varnu"));
    varnu::CVarnuApp app;
    return app.run(std::get<varnu::AppOptions>(options));
}

#include <QApplication>

#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "shell/CVarnuApp.h"

int main(int argc, char* argv[]) {
    const auto arguments = [&] { return std::vector<std::string>(argv + 1, argv + argc); };
    const auto parse = [&] { return varnu::parseAppOptions(arguments(), std::cout, std::cerr); };
    // Read before the application object where possible: --help, --version and refusals then
    // need no display. Qt's own options wait for it, which takes them out of argc and argv.
    const bool readFirst = !varnu::holdsToolkitOptions(arguments());
    std::variant<varnu::AppOptions, int> options = readFirst ? parse() : varnu::AppOptions{};
    if (const int* status = std::get_if<int>(&options))
        return *status;

    QApplication application(argc, argv);
    if (!readFirst) {
        options = parse();
        if (const int* status = std::get_if<int>(&options))
            return *status;
    }
    QApplication::setApplicationName(QStringLiteral("VARNU"));
    // Where the window keeps its settings: ~/.config/Varnu/VARNU.conf.
    QApplication::setOrganizationName(QStringLiteral("Varnu"));
    varnu::CVarnuApp app;
    return app.run(std::get<varnu::AppOptions>(options));
}

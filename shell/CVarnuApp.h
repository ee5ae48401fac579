#pragma once
// The application: owns the serial link's connection for the whole run, runs the main window
// modally, and closes the link once the window has ended.

#include <QString>
#include <optional>

namespace varnu {

class PortConnection;

struct AppOptions {
    QString cataloguePath = QStringLiteral("varnu.ini"); // in the working directory
    std::optional<QString> portName;                     // replaces the default "COM1"
};

class CVarnuApp {
public:
    explicit CVarnuApp(PortConnection& link) : link(link) {}

    // Runs the window to its end; returns the process exit status (always 0: neither a missing
    // catalogue nor a closed port ends the program with an error).
    int run(const AppOptions& options);

private:
    PortConnection& link;
};

// Reads --catalogue FILE and --port NAME; std::nullopt after printing usage or an error.
std::optional<AppOptions> parseAppOptions(const QStringList& arguments, QString& error);

} // namespace varnu

#pragma once
// The application: owns the serial link's connection for the whole run, runs the main window
// modally, and closes the link once the window has ended.

#include <QString>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <variant>

#include "serial/SerialLink.h"
#include "shell/SerialLinkConnection.h"

namespace varnu {

struct AppOptions {
    QString cataloguePath = QStringLiteral("varnu.ini"); // in the working directory
    std::optional<QString> portName;                     // replaces the default "COM1"
    std::optional<QString> transmitFile;                 // opened and sent once the window shows
    bool showSession = false;                            // the Session window opens with the window
};

class CVarnuApp {
public:
    // Runs the window to its end; returns the process exit status (always 0: neither a missing
    // catalogue nor a closed port ends the program with an error).
    int run(const AppOptions& options) { return runMainWindow(connection, options); }

    SerialLink& serialLink() { return link; }

    // The run over any port: the grey dialog look, the window, then the port closed before the
    // window (and with it the catalogue) goes.
    static int runMainWindow(PortConnection& port, const AppOptions& options);

private:
    SerialLink link; // closed, with the default settings, until the window opens it
    SerialLinkConnection connection{link};
};

// Reads --catalogue FILE, --port NAME, --transmit-file FILE and --session from `args` (without the program
// name), and answers --help, --version and refused arguments itself: the options to run with, or
// the exit status to end with after what it printed. Needs no application object.
std::variant<AppOptions, int> parseAppOptions(std::span<const std::string> args, std::ostream& out, std::ostream& err);

// Whether `args` hold an option of Qt's own (-platform, -style, -reverse: one dash and a word).
// Only the application object knows them and takes them out of the arguments; without them
// the arguments are read before it, so that --help, --version and refusals need no display.
bool holdsToolkitOptions(std::span<const std::string> args);

} // namespace varnu

#include "shell/CVarnuApp.h"

#include <QApplication>
#include <QFile>
#include <QPalette>
#include <QTimer>

#include <algorithm>
#include <vector>

#include "command_line/CommandLine.h"
#include "resources/ResourceIds.h"
#include "shell/CVarnuDlg.h"
#include "shell/PortConnection.h"

namespace varnu {
namespace {

constexpr std::string_view kUsage =
    "usage: varnu [--catalogue FILE] [--port NAME] [--transmit-file FILE] [--session]\n"
    "       varnu --help | --version\n"
    "  --catalogue FILE      the command catalogue (default: varnu.ini in the working directory)\n"
    "  --port NAME           the serial port, or tcp://HOST:PORT or rfc2217://HOST:PORT (default: COM1)\n"
    "  --transmit-file FILE  open this list file and transmit it once the window shows\n"
    "  --session             open the Session window (View > Session, F8) with the window\n";
constexpr ProgramUsage kProgram{"varnu", "varnu", kUsage};

const QString kCatalogueOption = QStringLiteral("catalogue");
const QString kPortOption = QStringLiteral("port");
const QString kTransmitFileOption = QStringLiteral("transmit-file");
const QString kSessionOption = QStringLiteral("session");

// The light grey of every dialog and message box.
const QColor kDialogGrey(192, 192, 192);

void useDialogColours() {
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, kDialogGrey);
    palette.setColor(QPalette::WindowText, Qt::black);
    QApplication::setPalette(palette);
}

} // namespace

int CVarnuApp::runMainWindow(PortConnection& link, const AppOptions& options) {
    useDialogColours();
    if (options.portName) {
        PortSettings settings = link.settings();
        settings.portName = options.portName->toStdString();
        link.setSettings(settings);
    }
    {
        CVarnuDlg window(link, options.cataloguePath);
        QApplication::setWindowIcon(window.windowIcon()); // the window's own, appIcon
        window.initialise();
        if (options.showSession)
            QTimer::singleShot(0, &window, [&window] { window.runCommand(ids::kSession); });
        if (options.transmitFile) {
            QTimer::singleShot(0, &window, [&window, path = *options.transmitFile] {
                window.openListFile(path);
                window.runCommand(ids::kTransmit);
            });
        }
        window.exec();
        // The port is released before the window (and with it the catalogue) goes.
        link.closePort();
    }
    return 0;
}

std::variant<AppOptions, int> parseAppOptions(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    CommandLine line;
    line.addValueOption(kCatalogueOption, QStringLiteral("FILE"));
    line.addValueOption(kPortOption, QStringLiteral("NAME"));
    line.addValueOption(kTransmitFileOption, QStringLiteral("FILE"));
    line.addFlag(kSessionOption);
    if (const std::optional<int> status = parseCommandLine(line, args, kProgram, out, err))
        return *status;
    if (const std::vector<std::string> extra = line.positional(); !extra.empty())
        return usageError(kProgram, "unexpected argument '" + extra.front() + "'", err);

    // Paths are bytes on the command line; Qt's file classes take them decoded as the system does.
    const auto path = [&line](const QString& option) {
        return QFile::decodeName(QByteArray::fromStdString(line.value(option)));
    };
    AppOptions options;
    if (line.isSet(kCatalogueOption))
        options.cataloguePath = path(kCatalogueOption);
    if (line.isSet(kPortOption))
        options.portName = path(kPortOption);
    if (line.isSet(kTransmitFileOption))
        options.transmitFile = path(kTransmitFileOption);
    options.showSession = line.isSet(kSessionOption);
    return options;
}

bool holdsToolkitOptions(std::span<const std::string> args) {
    // varnu's own options have two dashes, except -h.
    return std::ranges::any_of(
        args, [](const std::string& arg) { return arg.size() > 1 && arg[0] == '-' && arg[1] != '-' && arg != "-h"; });
}

} // namespace varnu

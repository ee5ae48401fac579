#include "shell/CVarnuApp.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPalette>
#include <QTimer>

#include "resources/ResourceIds.h"
#include "shell/CVarnuDlg.h"
#include "shell/PortConnection.h"

namespace varnu {
namespace {

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
        QApplication::setWindowIcon(window.appIcon);
        window.initialise();
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

std::optional<AppOptions> parseAppOptions(const QStringList& arguments, QString& error) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Sends framed service commands to a projector."));
    const QCommandLineOption catalogue(QStringLiteral("catalogue"),
                                       QStringLiteral("Command catalogue (default: varnu.ini here)."),
                                       QStringLiteral("FILE"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Serial port (default: COM1)."),
                                  QStringLiteral("NAME"));
    const QCommandLineOption transmitFile(
        QStringLiteral("transmit-file"),
        QStringLiteral("Open this list file and transmit it once the window shows (demonstrations, screenshots)."),
        QStringLiteral("FILE"));
    parser.addOptions({catalogue, port, transmitFile});
    if (!parser.parse(arguments)) {
        error = parser.errorText() + "\n" + parser.helpText();
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        error =
            QStringLiteral("Unexpected argument: ") + parser.positionalArguments().front() + "\n" + parser.helpText();
        return std::nullopt;
    }
    AppOptions options;
    if (parser.isSet(catalogue))
        options.cataloguePath = parser.value(catalogue);
    if (parser.isSet(port))
        options.portName = parser.value(port);
    if (parser.isSet(transmitFile))
        options.transmitFile = parser.value(transmitFile);
    return options;
}

} // namespace varnu

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>

#include "shell/tests/TestSuites.h"

int main(int argc, char** argv) {
    // The window's settings (Session window place, recent lists) go to a test location, never
    // the user's, and start empty.
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("VarnuTests"));
    QApplication::setApplicationName(QStringLiteral("shell_tests"));
    QSettings().clear();
    using namespace varnu::testing;
    int failures = 0;
    for (auto* suite : {runMainWindowTests, runHexEditTests, runFieldTextTests, runLayoutTests, runListCommandsTests,
                        runTransmitWindowTests, runAppOptionsTests, runClosingTests, runSessionWindowTests})
        failures += suite(argc, argv);
    return failures == 0 ? 0 : 1;
}

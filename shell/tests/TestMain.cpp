#include <QApplication>

#include "shell/tests/TestSuites.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    using namespace varnu::testing;
    int failures = 0;
    for (auto* suite : {runMainWindowTests, runHexEditTests, runFieldTextTests, runLayoutTests, runListCommandsTests,
                        runTransmitWindowTests, runAppOptionsTests})
        failures += suite(argc, argv);
    return failures == 0 ? 0 : 1;
}

// varnu's command line: the options, --help, --version and refusals, and the real program
// answering --help and --version where no display exists.

#include <QProcess>
#include <QTest>

#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "shell/CVarnuApp.h"
#include "shell/tests/TestSuites.h"
#include "varnu/Version.h"

namespace varnu::testing {
namespace {

using Args = std::vector<std::string>;

const std::string kVersionLine = "varnu " + std::string(kVersion) + "\n";

// The options given, as the window would get them ("-" for an option left out).
QString describe(const AppOptions& options) {
    return options.cataloguePath + "|" + options.portName.value_or("-") + "|" + options.transmitFile.value_or("-") +
           (options.showSession ? "|session" : "");
}

class AppOptionsTest : public QObject {
    Q_OBJECT
private slots:
    void conventions_data() {
        QTest::addColumn<Args>("args");
        QTest::addColumn<int>("status"); // -1: the window runs
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("out");     // a prefix
        QTest::addColumn<QString>("errLine"); // the line before the usage
        const QString usage = "usage: varnu [--catalogue FILE]";
        const QString none;
        QTest::newRow("defaults") << Args{} << -1 << "varnu.ini|-|-" << none << none;
        QTest::newRow("values apart") << Args{"--catalogue", "/tmp/x.ini", "--port", "/dev/pts/3"} << -1
                                      << "/tmp/x.ini|/dev/pts/3|-" << none << none;
        QTest::newRow("values joined") << Args{"--catalogue=/tmp/x.ini", "--port=/dev/pts/3", "--transmit-file=a.DAT"}
                                       << -1 << "/tmp/x.ini|/dev/pts/3|a.DAT" << none << none;
        QTest::newRow("session") << Args{"--session"} << -1 << "varnu.ini|-|-|session" << none << none;
        QTest::newRow("session takes no value")
            << Args{"--session=yes"} << 2 << none << none << "varnu: unexpected value after '--session'";
        QTest::newRow("--help") << Args{"--help"} << 0 << none << usage << none;
        QTest::newRow("-h") << Args{"--port", "x", "-h"} << 0 << none << usage << none;
        QTest::newRow("--version") << Args{"--version"} << 0 << none << QString::fromStdString(kVersionLine) << none;
        QTest::newRow("unknown option") << Args{"--bogus", "--port", "x"} << 2 << none << none
                                        << "varnu: unknown option '--bogus'";
        QTest::newRow("extra argument") << Args{"extra"} << 2 << none << none << "varnu: unexpected argument 'extra'";
        QTest::newRow("no value") << Args{"--port"} << 2 << none << none << "varnu: missing value after '--port'";
    }
    void conventions() {
        QFETCH(Args, args);
        QFETCH(int, status);
        std::ostringstream printed;
        std::ostringstream errors;
        const std::variant<AppOptions, int> parsed = parseAppOptions(args, printed, errors);
        if (status < 0) {
            QVERIFY(std::holds_alternative<AppOptions>(parsed));
            QTEST(describe(std::get<AppOptions>(parsed)), "options");
            QCOMPARE(printed.str(), std::string());
            QCOMPARE(errors.str(), std::string());
            return;
        }
        QVERIFY(std::holds_alternative<int>(parsed));
        QCOMPARE(std::get<int>(parsed), status);
        QFETCH(QString, out);
        QFETCH(QString, errLine);
        QVERIFY2(QString::fromStdString(printed.str()).startsWith(out), printed.str().c_str());
        if (errLine.isEmpty()) {
            QCOMPARE(errors.str(), std::string());
        } else {
            QCOMPARE(QString::fromStdString(errors.str()).section('\n', 0, 0), errLine);
            QVERIFY(QString::fromStdString(errors.str()).section('\n', 1).startsWith("usage: varnu "));
        }
    }

    // The program parses its arguments before it creates the application, which would stop it
    // where no display can be opened.
    void helpAndVersionNeedNoDisplay() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        for (const auto& [argument, output] : {std::pair{"--help", QString("usage: varnu ")},
                                               std::pair{"--version", QString::fromStdString(kVersionLine)}}) {
            QProcess varnu;
            varnu.setProcessEnvironment(environment);
            varnu.start(VARNU_BINARY, {argument});
            QVERIFY(varnu.waitForFinished(kProgramPatienceMs));
            QCOMPARE(varnu.exitStatus(), QProcess::NormalExit);
            QCOMPARE(varnu.exitCode(), 0);
            QVERIFY(QString::fromLocal8Bit(varnu.readAllStandardOutput()).startsWith(output));
        }
    }

private:
    static constexpr int kProgramPatienceMs = 10000;
};

} // namespace

int runAppOptionsTests(int argc, char** argv) {
    AppOptionsTest test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace varnu::testing

#include "AppOptionsTest.moc"

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

    // The real program where no display exists: --help, --version and refusals are answered
    // before the application object, which would stop it there; Qt's own options
    // (-platform, -style, -reverse) are taken by the application object and the rest read after.
    void theProgramWithoutDisplay_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out"); // a prefix
        QTest::addColumn<QString>("err"); // a line
        const QString usage = "usage: varnu ";
        const QString version = QString::fromStdString(kVersionLine);
        QTest::newRow("--help") << QStringList{"--help"} << 0 << usage << QString();
        QTest::newRow("-h") << QStringList{"-h"} << 0 << usage << QString();
        QTest::newRow("--version") << QStringList{"--version"} << 0 << version << QString();
        QTest::newRow("refused") << QStringList{"--bogus"} << 2 << QString() << "varnu: unknown option '--bogus'\n";
        QTest::newRow("-platform") << QStringList{"-platform", "offscreen", "--version"} << 0 << version << QString();
        QTest::newRow("-style -reverse") << QStringList{"-style", "Fusion", "-reverse", "-platform", "offscreen", "-h"}
                                         << 0 << usage << QString();
        QTest::newRow("-platform, refused") << QStringList{"-platform", "offscreen", "--bogus"} << 2 << QString()
                                            << "varnu: unknown option '--bogus'\n";
        QTest::newRow("unknown single dash")
            << QStringList{"-platform", "offscreen", "-bogus"} << 2 << QString() << "varnu: unknown option '-bogus'\n";
    }
    void theProgramWithoutDisplay() {
        QFETCH(QStringList, args);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        QProcess varnu;
        varnu.setProcessEnvironment(environment);
        varnu.start(VARNU_BINARY, args);
        QVERIFY(varnu.waitForFinished(kProgramPatienceMs));
        QCOMPARE(varnu.exitStatus(), QProcess::NormalExit);
        QTEST(varnu.exitCode(), "status");
        QFETCH(QString, out);
        QFETCH(QString, err);
        const QString printed = QString::fromLocal8Bit(varnu.readAllStandardOutput());
        const QString errors = QString::fromLocal8Bit(varnu.readAllStandardError());
        QVERIFY2(printed.startsWith(out), qPrintable(printed));
        if (out.isEmpty())
            QCOMPARE(printed, QString());
        // Qt may warn on the error stream too (with -platform): the refusal is one line of it.
        QVERIFY2(err.isEmpty() ? !errors.contains("varnu:") : errors.contains(err), qPrintable(errors));
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

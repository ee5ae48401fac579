// The real link on a pseudo-terminal, with the test playing the projector at the far end.
// Every test here needs /dev/ptmx; timings are checked with loose bounds (shared machines).

#include "serial/SerialLink.h"
#include "serial/PortFacts.h"
#include "serial/core/LinkTimings.h"
#include "serial/testing/PtyPeer.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <ctime>
#include <thread>

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

namespace varnu {
namespace {

using testing::PtyPeer;

// A frame as the projector sends it: the bytes from the length on sum to 0 modulo 256.
Bytes frameWith(const Bytes& body) {
    Bytes frame{kEsc, static_cast<std::uint8_t>(body.size() + 3)};
    frame.insert(frame.end(), body.begin(), body.end());
    std::uint8_t sum = 0;
    for (std::size_t i = 1; i < frame.size(); ++i) {
        sum = static_cast<std::uint8_t>(sum + frame[i]);
    }
    frame.push_back(static_cast<std::uint8_t>(-sum));
    return frame;
}

const Bytes kCommand = frameWith({0x01, 0x00, 0x08, 0x00});
const Bytes kDataFrame = frameWith({0x02, 0x01, 0x02, 0x10, 0x20});

// CPU time of the whole process, every thread included.
double cpuMs() {
    return static_cast<double>(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
}

// Wall and CPU time of one call.
struct Timed {
    qint64 wallMs;
    double cpuMs;
};
template <typename F> Timed timed(F&& call) {
    QElapsedTimer wall;
    const double cpuStart = cpuMs();
    wall.start();
    call();
    return {wall.elapsed(), cpuMs() - cpuStart};
}

// The projector's side of one command: take the frame, answer with one byte.
std::jthread answerCommand(PtyPeer& peer, Bytes& seen, std::uint8_t reply) {
    return std::jthread([&peer, &seen, reply] {
        seen = peer.receive(kCommand.size(), 2s);
        peer.send({reply});
    });
}

} // namespace

class SerialLinkTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<PtyPeer> peer;
    std::unique_ptr<SerialLink> link;

    void openOnNewPty(PortSettings settings = {}) {
        peer = std::make_unique<PtyPeer>();
        QVERIFY2(peer->ok(), "no pseudo-terminal (/dev/ptmx)");
        settings.portName = peer->path();
        link->setSettings(settings);
        QVERIFY(link->OpenPort());
    }

    void commandAndAck() {
        Bytes seen;
        std::jthread projector = answerCommand(*peer, seen, kAck);
        QCOMPARE(link->writePort(kCommand), kCommand.size());
        Bytes reply;
        QCOMPARE(link->readPort(reply, ReadMode::Byte), 1);
        projector.join();
        QCOMPARE(reply, Bytes{kAck});
        QCOMPARE(seen, kCommand);
    }

private slots:
    void init() { link = std::make_unique<SerialLink>(); }
    void cleanup() {
        link.reset();
        peer.reset();
    }

    void opensWithTheDefaultLineSettings() {
        openOnNewPty();
        // The pseudo-terminal refuses DTR and RTS: the port counts as open all the same.
        QVERIFY(link->isOpen());
        const termios far = peer->lineSettings();
        QCOMPARE(cfgetospeed(&far), speed_t(B9600));
        QCOMPARE(far.c_cflag & CSIZE, tcflag_t(CS8));
        QCOMPARE(far.c_cflag & (PARENB | CSTOPB | CMSPAR), tcflag_t(0));
        QCOMPARE(far.c_cc[VSTART], cc_t(kXonChar));
        QCOMPARE(far.c_cc[VSTOP], cc_t(kXoffChar));
    }

    void commandIsAcknowledged() {
        openOnNewPty();
        commandAndAck();
    }

    void silentProjectorGetsTwoShortAttempts() {
        openOnNewPty();
        Bytes reply;
        int result = -2;
        const Timed byteRead = timed([&] { result = link->readPort(reply, ReadMode::Byte); });
        QCOMPARE(result, 0);
        qInfo("silent one-byte read: %lld ms wall, %.2f ms CPU", byteRead.wallMs, byteRead.cpuMs);
        QVERIFY2(byteRead.wallMs >= 350 && byteRead.wallMs <= 900, qPrintable(QString::number(byteRead.wallMs)));
        QVERIFY(byteRead.cpuMs < 100);

        const Timed frameRead = timed([&] { result = link->readPort(reply, ReadMode::Frame); });
        QCOMPARE(result, 0);
        qInfo("silent frame read: %lld ms wall, %.2f ms CPU", frameRead.wallMs, frameRead.cpuMs);
        QVERIFY2(frameRead.wallMs >= 1300 && frameRead.wallMs <= 2200, qPrintable(QString::number(frameRead.wallMs)));
        QVERIFY(frameRead.cpuMs < 100);
    }

    // Nobody reads the far end: the block never gets through. Each of the two attempts waits
    // its second and is followed by a second's pause; a stalled attempt counts nothing.
    void stalledWriteGivesUpAfterTwoAttempts() {
        openOnNewPty();
        const Bytes block(256 * 1024, 0x55);
        std::size_t written = 1;
        const Timed write = timed([&] { written = link->writePort(block); });
        qInfo("stalled write: %lld ms wall, %.2f ms CPU", write.wallMs, write.cpuMs);
        QCOMPARE(written, std::size_t(0));
        QVERIFY2(write.wallMs >= 3500 && write.wallMs <= 6000, qPrintable(QString::number(write.wallMs)));
        QVERIFY(write.cpuMs < 200);
    }

    void frameAfterJunkIsTaken() {
        openOnNewPty();
        Bytes line{0xAA, 0xBB};
        line.insert(line.end(), kDataFrame.begin(), kDataFrame.end());
        peer->send(line);
        Bytes received;
        QCOMPARE(link->readPort(received, ReadMode::Frame), int(kDataFrame.size()));
        QCOMPARE(received, kDataFrame);
    }

    // At 9600 bits per second a byte takes about a millisecond: a paced frame is still one frame.
    void pacedFrameIsTaken() {
        openOnNewPty();
        std::jthread projector([this] {
            for (std::uint8_t byte : kDataFrame) {
                peer->send({byte});
                std::this_thread::sleep_for(2ms);
            }
        });
        Bytes received;
        QCOMPARE(link->readPort(received, ReadMode::Frame), int(kDataFrame.size()));
        projector.join();
        QCOMPARE(received, kDataFrame);
    }

    void frameCutShortIsBroken() {
        openOnNewPty();
        peer->send(Bytes(kDataFrame.begin(), kDataFrame.begin() + 6));
        Bytes received;
        int result = 0;
        // Six bytes at once, then two quiet attempts for the last two (300 ms each).
        const Timed read = timed([&] { result = link->readPort(received, ReadMode::Frame); });
        QCOMPARE(result, -1);
        qInfo("frame cut short: %lld ms", read.wallMs);
        QVERIFY2(read.wallMs >= 500 && read.wallMs <= 1300, qPrintable(QString::number(read.wallMs)));
    }

    void oversizedFrameIsRefusedAndPurged() {
        openOnNewPty();
        Bytes frame(60, 0x00);
        frame[0] = kEsc;
        frame[1] = 60;
        peer->send(frame);
        Bytes received;
        QCOMPARE(link->readPort(received, ReadMode::Frame), -1);
        QVERIFY(received.size() <= std::size_t(kMaxReceivedFrameBytes));
        QTest::qWait(50);
        link->purge();
        QCOMPARE(link->readPort(received, ReadMode::Byte), 0);
    }

    void reopenAtANewSpeed() {
        openOnNewPty();
        QVERIFY(link->reopenAt(38400));
        const termios far = peer->lineSettings();
        QCOMPARE(cfgetospeed(&far), speed_t(B38400));
        QCOMPARE(link->settings().baudRate, 38400u);
        commandAndAck();
    }

    // Leaving mark parity must not leave the stick-parity flag behind (a real UART would
    // then send space parity where even was asked for).
    void evenParityAfterMarkIsRealEvenParity() {
        PortSettings mark;
        mark.parity = Parity::Mark;
        openOnNewPty(mark);
        if ((peer->lineSettings().c_cflag & CMSPAR) == 0) {
            QSKIP("this kernel's pseudo-terminal does not keep the stick-parity flag");
        }
        link->ClosePort();
        PortSettings even = link->settings();
        even.parity = Parity::Even;
        link->setSettings(even);
        QVERIFY(link->OpenPort());
        // A pseudo-terminal drops PARENB but keeps the other parity flags: even parity leaves
        // neither PARODD nor CMSPAR.
        QCOMPARE(peer->lineSettings().c_cflag & (PARODD | CMSPAR), tcflag_t(0));
    }

    void refusedSettingsLeaveThePortClosed_data() {
        QTest::addColumn<quint32>("baud");
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<QString>("setting"); // as the failure names it
        QTest::newRow("baud 0 (text 'abc')") << 0u << 8 << 0 << 0 << "0 bit/s";
        QTest::newRow("4 data bits") << 9600u << 4 << 0 << 0 << "4 data bits";
        QTest::newRow("9 data bits") << 9600u << 9 << 0 << 0 << "9 data bits";
        QTest::newRow("parity code 5") << 9600u << 8 << 5 << 0 << "the parity code 5";
        QTest::newRow("stop-bit code 3") << 9600u << 8 << 0 << 3 << "the stop-bit code 3";
        // A pseudo-terminal's driver itself refuses 7 data bits.
        QTest::newRow("7 data bits") << 9600u << 7 << 0 << 0 << "7 data bits";
    }
    void refusedSettingsLeaveThePortClosed() {
        QFETCH(quint32, baud);
        QFETCH(int, dataBits);
        QFETCH(int, parity);
        QFETCH(int, stopBits);
        QFETCH(QString, setting);
        peer = std::make_unique<PtyPeer>();
        QVERIFY(peer->ok());
        // Codes beyond the enumerators reach the driver layer as they are, and it must refuse them.
        PortSettings settings{peer->path(), baud, Parity(parity), std::uint8_t(dataBits), StopBits(stopBits)};
        link->setSettings(settings);
        QVERIFY(!link->OpenPort());
        QVERIFY(!link->isOpen());
        QVERIFY(link->openFailure());
        QCOMPARE(link->openFailure()->problem, PortProblem::SettingRefused);
        QCOMPARE(QString::fromStdString(link->openFailure()->setting), setting);
        QCOMPARE(link->writePort(kCommand), std::size_t(0));
        // Nothing is left holding the device: good settings open it at once.
        link->setSettings(PortSettings{peer->path()});
        QVERIFY(link->OpenPort());
    }

    // What the name leads to decides the cause; the port is named as it was given.
    void missingDeviceDoesNotOpen() {
        QTemporaryDir dir;
        QFile file(dir.filePath("port.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(dir.filePath("nothing"), dir.filePath("dangling")));
        const struct {
            QString port;
            PortProblem problem;
            const char* kind;
        } cases[] = {
            {"/dev/varnu-no-such-port", PortProblem::NoSuchDevice, ""},
            {dir.filePath("dangling"), PortProblem::NoSuchDevice, ""},
            {file.fileName(), PortProblem::NotSerial, "a regular file"},
            {dir.path(), PortProblem::NotSerial, "a folder"},
            {"/dev/null", PortProblem::NotSerial, "a device of another kind"},
        };
        for (const auto& c : cases) {
            link->setSettings(PortSettings{c.port.toStdString()});
            QVERIFY(!link->OpenPort());
            QVERIFY(!link->isOpen());
            QVERIFY2(link->openFailure(), qPrintable(c.port));
            QCOMPARE(link->openFailure()->problem, c.problem);
            QCOMPARE(link->openFailure()->portName, c.port.toStdString());
            QCOMPARE(link->openFailure()->facts.kind, std::string(c.kind));
        }
    }

    // QSerialPort names its lock file after the path it opens.
    void lockFilesAreNamedAfterThePath() {
        QCOMPARE(QString::fromStdString(lockFilePathFor("/dev/ttyUSB0")), QString("/var/lock/LCK..ttyUSB0"));
        QCOMPARE(QString::fromStdString(lockFilePathFor("/dev/pts/3")), QString("/var/lock/LCK..pts_3"));
        QCOMPARE(QString::fromStdString(lockFilePathFor("/tmp/x/link")), QString("/var/lock/LCK.._tmp_x_link"));
    }

    // Whether a port can be opened is found without opening it: held by this process through
    // the link's lock; free; locked by a lock file that names no process; held by the program
    // a lock file names.
    void accessIsToldWithoutOpeningThePort() {
        openOnNewPty();
        PortAccess access = portAccess(peer->path());
        QCOMPARE(access.kind, PortAccessKind::InUse);
        QVERIFY(access.holder);
        QCOMPARE(access.holder->pid, QCoreApplication::applicationPid());

        // A device that no process has open, and its lock file. The lock file is named after
        // the path given: a link of this test's own gives a name no other run uses.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString link = dir.filePath("full");
        QVERIFY(QFile::link("/dev/full", link));
        const std::string device = link.toStdString();
        if (portAccess(device).kind != PortAccessKind::Ok)
            QSKIP("another process has /dev/full locked");
        const QString lockPath = QString::fromStdString(lockFilePathFor(device));
        QVERIFY(!QFile::exists(lockPath));
        const auto removeLock = qScopeGuard([&] { QFile::remove(lockPath); });
        QFile lock(lockPath);
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write("not a process number\n");
        lock.close();
        QCOMPARE(portAccessText(portAccess(device)), std::string("locked"));
        QProcess other;
        other.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(other.waitForStarted());
        QVERIFY(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
        lock.write(QByteArray::number(other.processId()) + "\nsleep\nlocalhost\n");
        lock.close();
        QCOMPARE(portAccessText(portAccess(device)), "in use by " + std::to_string(other.processId()) + " sleep");
        other.kill();
        QVERIFY(other.waitForFinished());
        QCOMPARE(portAccessText(portAccess(device)), std::string("ok")); // a stale lock file bars nobody
    }

    // A symbolic link and the device it points to are one port: whoever opens it second, by
    // either name, is refused and told who holds it, until the first closes it.
    void twoNamesOfOneDeviceHaveOneOwner() {
        openOnNewPty();
        QTemporaryDir dir;
        const QString alias = dir.filePath("projector");
        QVERIFY(QFile::link(QString::fromStdString(peer->path()), alias));
        SerialLink second;
        for (const QString& name : {alias, QString::fromStdString(peer->path())}) {
            second.setSettings(PortSettings{name.toStdString()});
            QVERIFY2(!second.OpenPort(), qPrintable(name));
            QCOMPARE(second.openFailure()->problem, PortProblem::InUse);
            QCOMPARE(second.openFailure()->devicePath, name == alias ? peer->path() : std::string());
            QVERIFY(second.openFailure()->facts.holder);
            QCOMPARE(second.openFailure()->facts.holder->pid, QCoreApplication::applicationPid());
        }
        link->ClosePort();
        QVERIFY(second.OpenPort());
    }

    // A lock file whose process has ended is cleared; one of a running program (a terminal
    // program that locks the port the same way) refuses the port and names that program.
    void lockFilesOfOtherProgramsAreHonouredOnlyWhileTheyRun() {
        peer = std::make_unique<PtyPeer>();
        QVERIFY(peer->ok());
        const QString lockPath = QString::fromStdString(lockFilePathFor(peer->path()));
        const auto writeLock = [&](qint64 pid, const char* program) {
            QFile lock(lockPath);
            QVERIFY(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
            lock.write(QByteArray::number(pid) + "\n" + program + "\nlocalhost\n");
        };
        QProcess other;
        other.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(other.waitForStarted());
        writeLock(other.processId(), "sleep");
        link->setSettings(PortSettings{peer->path()});
        QVERIFY(!link->OpenPort());
        QCOMPARE(link->openFailure()->problem, PortProblem::InUse);
        QVERIFY(link->openFailure()->facts.holder);
        QCOMPARE(link->openFailure()->facts.holder->pid, other.processId());
        QCOMPARE(link->openFailure()->facts.holder->program, std::string("sleep"));
        QCOMPARE(link->openFailure()->facts.holder->lockFile, lockPath.toStdString());

        other.kill();
        QVERIFY(other.waitForFinished());
        QVERIFY(link->OpenPort());
        QVERIFY(QFile(lockPath).open(QIODevice::ReadOnly));
        link->ClosePort();
        QVERIFY(!QFile::exists(lockPath));
    }

    // The far end goes away in the middle of a read: no hang, no spin, nothing moved, and
    // the link opens again on a new line.
    void farEndHangsUpDuringARead() {
        openOnNewPty();
        std::jthread projector([this] {
            std::this_thread::sleep_for(150ms);
            peer->hangUp();
        });
        Bytes received;
        int result = 1;
        const Timed read = timed([&] { result = link->readPort(received, ReadMode::Frame); });
        projector.join();
        qInfo("read across a hang-up: %lld ms wall, %.2f ms CPU", read.wallMs, read.cpuMs);
        QVERIFY(result <= 0);
        QVERIFY(read.wallMs < 3000);
        QVERIFY(read.cpuMs < 300);

        std::size_t written = 1;
        const Timed write = timed([&] { written = link->writePort(kCommand); });
        QCOMPARE(written, std::size_t(0));
        QVERIFY(write.wallMs < 1000);
        const Timed later = timed([&] { result = link->readPort(received, ReadMode::Byte); });
        QCOMPARE(result, 0);
        QVERIFY(later.wallMs < 500);
        // The link says the port is lost, until it is closed.
        QVERIFY(link->lostPort());
        QCOMPARE(link->lostPort()->problem, PortProblem::Lost);
        QCOMPARE(link->lostPort()->portName, peer->path());
        // An event loop running beside the vanished port stays idle too.
        const Timed idle = timed([] { QTest::qWait(300); });
        qInfo("event loop beside a vanished port: %.2f ms CPU in 300 ms", idle.cpuMs);
        QVERIFY(idle.cpuMs < 100);

        link->ClosePort();
        QVERIFY(!link->isOpen());
        QVERIFY(!link->lostPort());
        openOnNewPty();
        commandAndAck();
    }

    // The window runs transmissions on a worker thread and takes the link back afterwards.
    void runOnAWorkerThreadAndBack() {
        openOnNewPty();
        QTest::failOnWarning(QRegularExpression(".*QSocketNotifier.*"));
        QThread* home = QThread::currentThread();
        std::size_t written = 0;
        int replyCount = 0;
        Bytes reply;
        Bytes seen;
        std::jthread projector = answerCommand(*peer, seen, kNak);
        std::unique_ptr<QThread> worker(QThread::create([&] {
            written = link->writePort(kCommand);
            replyCount = link->readPort(reply, ReadMode::Byte);
            link->moveToThread(home);
        }));
        link->moveToThread(worker.get());
        worker->start();
        QVERIFY(worker->wait(10000));
        projector.join();
        QCOMPARE(written, kCommand.size());
        QCOMPARE(replyCount, 1);
        QCOMPARE(reply, Bytes{kNak});
        QCOMPARE(link->thread(), home);
        commandAndAck();
    }

    void stopRequestEndsAWaitAtOnce() {
        std::stop_source stop;
        link->setStopToken(stop.get_token());
        std::jthread window([&] {
            std::this_thread::sleep_for(50ms);
            stop.request_stop();
        });
        const Timed wait = timed([&] { link->waitPumping(5000ms); });
        window.join();
        QVERIFY(wait.wallMs < 1000);
    }
};

} // namespace varnu

QTEST_GUILESS_MAIN(varnu::SerialLinkTest)
#include "SerialLinkTest.moc"

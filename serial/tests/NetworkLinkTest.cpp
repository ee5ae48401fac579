// The real link on network ports over loopback: raw TCP to the simulator's --listen port, a
// connection dropped mid-run, a port nobody listens on, a host that does not answer, and a
// Telnet server that never answers the COM-PORT-OPTION. Timings are checked with loose bounds
// (shared machines); bench/serial measures them.

#include "serial/SerialLink.h"
#include "serial/core/PortFailureText.h"
#include "serial/testing/QtCoreEnvironment.h"
#include "tools/simulator/testing/LoopbackSocket.h"
#include "tools/simulator/testing/SimulatorProcess.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>

#include <ctime>

namespace varnu {
namespace {

// Why the link failed to open or lost its port, as the user reads it; empty while all is well.
std::string whyFailed(const SerialLink& link) {
    if (const auto lost = link.lostPort())
        return explainPortFailure(*lost);
    return link.openFailure() ? explainPortFailure(*link.openFailure()) : std::string();
}

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using testing::LoopbackSocket;
using testing::SimulatorProcess;

[[maybe_unused]] ::testing::Environment* const kQtCore =
    ::testing::AddGlobalTestEnvironment(new testing::QtCoreEnvironment);

const Bytes kSet{0x1B, 0x07, 0x01, 0x00, 0x08, 0x01, 0xEF};
const Bytes kAckByte{kAck};

double cpuMs() {
    return static_cast<double>(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
}

// Everything the peer sent, waiting at most `patience` for the first byte.
Bytes receiveAll(int fd, std::chrono::milliseconds patience) {
    Bytes got;
    pollfd pfd{fd, POLLIN, 0};
    while (::poll(&pfd, 1, got.empty() ? static_cast<int>(patience.count()) : 50) == 1) {
        std::uint8_t buffer[512];
        const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
        if (count <= 0)
            break;
        got.insert(got.end(), buffer, buffer + count);
    }
    return got;
}

bool endsWith(const Bytes& bytes, const Bytes& tail) {
    return bytes.size() >= tail.size() && std::equal(tail.begin(), tail.end(), bytes.end() - tail.size());
}

#ifdef VARNU_SIMULATOR_BINARY
constexpr const char* kRules = "on 1B 07 01 00 0A -> silence\n"
                               "on 1B 06 02 01 0C -> ack, delay 300, hangup\n";

class RawTcpLink : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.startListening(VARNU_SIMULATOR_BINARY, kRules)) << "simulator did not start";
        link.setSettings(PortSettings{sim.served()});
        ASSERT_TRUE(link.OpenPort()) << whyFailed(link);
    }
    Bytes command(const Bytes& frame) {
        EXPECT_EQ(link.writePort(frame), frame.size());
        Bytes reply;
        link.readPort(reply, ReadMode::Byte);
        return reply;
    }

    SimulatorProcess sim;
    SerialLink link;
};

TEST_F(RawTcpLink, CarriesTheConversationUnderTheSameTimeOutsAndSaysOnceWhatCannotReachTheFarSide) {
    const std::vector<std::string> notices = link.takeNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("carries bytes only"), std::string::npos) << notices[0];
    EXPECT_EQ(command(kSet), kAckByte);
    QElapsedTimer wall;
    wall.start();
    EXPECT_EQ(command({0x1B, 0x07, 0x01, 0x00, 0x0A, 0x01, 0xED}), Bytes{});
    EXPECT_GT(wall.elapsed(), 350);
    EXPECT_LT(wall.elapsed(), 900);
    // The speed switch keeps the connection: the projector goes on answering.
    ASSERT_EQ(command({0x1B, 0x07, 0x01, 0x00, 0x06, 0x02, 0xF0}), kAckByte);
    ASSERT_TRUE(link.reopenAt(38400));
    EXPECT_EQ(link.settings().baudRate, 38400u);
    EXPECT_EQ(command(kSet), kAckByte);
    // Said once per port, not at every open.
    link.ClosePort();
    ASSERT_TRUE(link.OpenPort());
    EXPECT_TRUE(link.takeNotices().empty());
}

// As a transmit run uses it: handed to a worker thread, used there, handed back.
TEST_F(RawTcpLink, WorksOnAWorkerThreadAndBackHome) {
    QThread* const home = QThread::currentThread();
    Bytes reply;
    const std::unique_ptr<QThread> worker(QThread::create([&] {
        reply = command(kSet);
        link.moveToThread(home);
    }));
    link.moveToThread(worker.get());
    worker->start();
    ASSERT_TRUE(worker->wait(5000));
    EXPECT_EQ(reply, kAckByte);
    EXPECT_EQ(command(kSet), kAckByte);
}

TEST_F(RawTcpLink, ADroppedConnectionEndsTheReadWithoutSpinningAndReconnectOpensItAgain) {
    ASSERT_EQ(command({0x1B, 0x06, 0x02, 0x01, 0x0C, 0xEB}), kAckByte);
    QElapsedTimer wall;
    wall.start();
    const double cpuStart = cpuMs();
    Bytes frame;
    EXPECT_EQ(link.readPort(frame, ReadMode::Frame), 0);
    EXPECT_LT(wall.elapsed(), 2000);
    EXPECT_LT(cpuMs() - cpuStart, 100.0);
    wall.restart();
    EXPECT_EQ(link.writePort(kSet), 0u);
    EXPECT_LT(wall.elapsed(), 500);
    EXPECT_NE(whyFailed(link).find("The connection to the network port \"" + sim.served() + "\" was lost"),
              std::string::npos)
        << whyFailed(link);
    EXPECT_NE(whyFailed(link).find("the connection was closed by the far end"), std::string::npos) << whyFailed(link);

    link.ClosePort();
    ASSERT_TRUE(link.OpenPort());
    EXPECT_EQ(whyFailed(link), "");
    EXPECT_EQ(command(kSet), kAckByte);
}
#endif

// Opens `name`: the open fails after `least` to `most` ms, saying `reason`, and the closed
// port moves nothing.
void expectOpenFails(const std::string& name, const std::string& reason, qint64 least, qint64 most) {
    SerialLink link;
    link.setSettings(PortSettings{name});
    QElapsedTimer wall;
    wall.start();
    EXPECT_FALSE(link.OpenPort()) << name;
    EXPECT_GE(wall.elapsed(), least) << name;
    EXPECT_LT(wall.elapsed(), most) << name;
    EXPECT_NE(whyFailed(link).find(reason), std::string::npos) << whyFailed(link);
    EXPECT_EQ(link.writePort(kSet), 0u);
}

TEST(NetworkPortOpen, FailsForAPortNobodyListensOnAndAHostThatDoesNotAnswer) {
    const LoopbackSocket closed(LoopbackSocket::kNeverListens);
    expectOpenFails(closed.name("tcp"), "refused the connection", 0, 1000);

    // A listener whose queue is full drops further connection requests unanswered.
    const LoopbackSocket full(0);
    std::vector<std::unique_ptr<LoopbackSocket>> queued;
    sockaddr_in address{};
    socklen_t size = sizeof address;
    ::getsockname(full.fd(), reinterpret_cast<sockaddr*>(&address), &size);
    for (int i = 0; i < 2; ++i) {
        queued.push_back(std::make_unique<LoopbackSocket>(LoopbackSocket::kNeverListens));
        const int fd = queued.back()->fd();
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), size);
    }
    std::this_thread::sleep_for(100ms);
    expectOpenFails(full.name("rfc2217"), "no answer to the connection request within 3000 ms", 2900, 4500);
}

// A Telnet server that takes the connection and never says a word: the option, the line
// settings and DTR count as refused, the port is usable, and 0xFF crosses doubled both ways.
TEST(NetworkPortOpen, ATelnetServerThatNeverAnswersStillGivesAUsablePort) {
    const LoopbackSocket server(1);
    SerialLink link;
    link.setSettings(PortSettings{server.name("rfc2217")});
    QElapsedTimer wall;
    wall.start();
    ASSERT_TRUE(link.OpenPort());
    EXPECT_LT(wall.elapsed(), 1500);
    const std::vector<std::string> notices = link.takeNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("does not take the COM-PORT-OPTION"), std::string::npos) << notices[0];

    const int peer = ::accept(server.fd(), nullptr, nullptr);
    ASSERT_GE(peer, 0);
    const Bytes opening = receiveAll(peer, 1000ms);
    EXPECT_TRUE(endsWith(opening, {0xFF, 0xFB, 0x2C})) << "WILL COM-PORT-OPTION first";
    EXPECT_EQ(link.writePort(Bytes{0x1B, 0xFF, 0x06}), 3u);
    EXPECT_EQ(receiveAll(peer, 1000ms), (Bytes{0x1B, 0xFF, 0xFF, 0x06}));

    const Bytes answer{0xFF, 0xFF, 0xFF, 0xFB, 0x01, 0x06};
    ASSERT_EQ(::send(peer, answer.data(), answer.size(), MSG_NOSIGNAL), static_cast<ssize_t>(answer.size()));
    Bytes reply;
    EXPECT_EQ(link.readPort(reply, ReadMode::Byte), 1);
    EXPECT_EQ(reply, Bytes{0xFF});
    EXPECT_EQ(link.readPort(reply, ReadMode::Byte), 1);
    EXPECT_EQ(reply, kAckByte);
    EXPECT_EQ(receiveAll(peer, 1000ms), (Bytes{0xFF, 0xFE, 0x01})) << "the offer to echo is refused";
    ::close(peer);
}

} // namespace
} // namespace varnu

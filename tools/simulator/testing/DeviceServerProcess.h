#pragma once
// ser2net, a real network device server, in front of a device (the simulator's
// pseudo-terminal): RFC 2217 or raw TCP on a free loopback port, for the end-to-end tests and
// the benchmarks. POSIX only.

#include "tools/simulator/testing/LoopbackSocket.h"
#include "tools/simulator/testing/SimulatorProcess.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <fstream>
#include <string>

namespace varnu::testing {

class DeviceServerProcess {
public:
    enum class Accepter { Rfc2217, RawTcp };

    static constexpr const char* kProgram = "/usr/sbin/ser2net";

    static bool available() { return ::access(kProgram, X_OK) == 0; }

    DeviceServerProcess() = default;
    DeviceServerProcess(const DeviceServerProcess&) = delete;
    DeviceServerProcess& operator=(const DeviceServerProcess&) = delete;
    ~DeviceServerProcess() { stop(); }

    // Serves `device` (at 9600 8N1 until a client asks otherwise) with its configuration in
    // `folder`, and waits until the port accepts connections.
    bool start(const std::string& device, Accepter accepter, const std::filesystem::path& folder) {
        for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
            port_ = freeLoopbackPort();
            const std::filesystem::path config = folder / "ser2net.yaml";
            std::ofstream(config) << "connection: &projector\n"
                                  << "  accepter: " << (accepter == Accepter::Rfc2217 ? "telnet(rfc2217)," : "")
                                  << "tcp,127.0.0.1," << port_ << "\n"
                                  << "  connector: serialdev," << device << ",9600n81,local\n";
            // In the foreground, without a pid file or syslog of its own.
            if (port_ != 0 && process_.start({kProgram, "-n", "-d", "-c", config.string()}) && accepts())
                break;
            stop();
        }
        scheme_ = accepter == Accepter::Rfc2217 ? "rfc2217://" : "tcp://";
        return port_ != 0 && process_.pid() > 0;
    }

    // The port name a client opens.
    std::string portName() const { return scheme_ + "127.0.0.1:" + std::to_string(port_); }

    // ser2net does not always end promptly on SIGTERM: it gets a moment, then SIGKILL.
    void stop() {
        if (process_.pid() <= 0)
            return;
        ::kill(process_.pid(), SIGTERM);
        process_.wait(kStopPatience);
    }

private:
    static constexpr int kStartAttempts = 3;
    static constexpr auto kStartPatience = std::chrono::milliseconds(5000);
    static constexpr auto kStopPatience = std::chrono::milliseconds(500);

    // A port nobody uses now: the system picks it for a socket that is closed again at once.
    static int freeLoopbackPort() { return LoopbackSocket().port(); }

    // Tries to connect until the port takes the connection (and lets it go again).
    bool accepts() const {
        const auto deadline = std::chrono::steady_clock::now() + kStartPatience;
        while (std::chrono::steady_clock::now() < deadline) {
            const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.sin_port = htons(static_cast<std::uint16_t>(port_));
            const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
            ::close(fd);
            if (connected)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    ChildProcess process_;
    int port_ = 0;
    std::string scheme_;
};

} // namespace varnu::testing

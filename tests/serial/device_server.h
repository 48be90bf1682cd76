#pragma once

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kt::serial::test {

// A loopback TCP port that nothing listens on at this moment.
inline int freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t size = sizeof(address);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

inline std::string loopbackAddress(int port)
{
    return "tcp://127.0.0.1:" + std::to_string(port);
}

// Whether the kernel lists a socket listening on loopback `port` (read, so as not to use up
// a server's one connection by trying it).
inline bool isListening(int port)
{
    char local[16];
    std::snprintf(local, sizeof(local), "0100007F:%04X", port);  // 127.0.0.1, as the kernel writes it
    std::ifstream table("/proc/net/tcp");
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, address, remote, state;
        fields >> slot >> address >> remote >> state;
        if (address == local && state == "0A")  // TCP_LISTEN
            return true;
    }
    return false;
}

// A serial device server on a free loopback port, forwarding between its TCP client and a
// terminal `device`, as the boxes in buildings do: Debian's ser2net, which serves one client at
// a time and tells a second one so before it drops it; or socat, which moves one byte at a time
// and serves a single connection. Stopped, then started again, it keeps its port.
class DeviceServer {
public:
    enum class Program { Ser2net, BytewiseSocat };

    explicit DeviceServer(std::string device, Program program = Program::Ser2net)
        : device_(std::move(device)), program_(program), port_(freeLoopbackPort())
    {
        start();
    }
    ~DeviceServer() { stop(); }
    DeviceServer(const DeviceServer&) = delete;
    DeviceServer& operator=(const DeviceServer&) = delete;

    std::string address() const { return loopbackAddress(port_); }
    bool isRunning() const { return processId_ > 0; }

    // Returns once it listens; false if it did not within 5 s.
    bool start()
    {
        const std::string port = std::to_string(port_);
        const std::vector<std::string> arguments = program_ == Program::Ser2net
            ? std::vector<std::string>{"ser2net", "-n", "-u", "-P", pidFile(), "-Y",
                                       "connection: &server#  accepter: tcp,127.0.0.1," + port
                                           + "#  connector: serialdev," + device_
                                           + ",9600n81,local#  options:#    kickolduser: false#    chardelay: false"}
            : std::vector<std::string>{"socat", "-b1", "TCP-LISTEN:" + port + ",bind=127.0.0.1,reuseaddr,nodelay",
                                       "FILE:" + device_ + ",raw,echo=0"};
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);  // its start-up notes
        const int failed = ::posix_spawnp(&processId_, argv[0], &actions, nullptr, argv.data(), environ);
        ::posix_spawn_file_actions_destroy(&actions);
        if (failed != 0)
            return processId_ = 0, false;
        for (int pass = 0; pass < 500; ++pass, std::this_thread::sleep_for(std::chrono::milliseconds(10)))
            if (isListening(port_))
                return true;
        return false;
    }

    // Ends the server: the connection it served is closed from its side.
    void stop()
    {
        if (processId_ <= 0)
            return;
        ::kill(processId_, SIGTERM);
        ::waitpid(processId_, nullptr, 0);
        processId_ = 0;
        std::remove(pidFile().c_str());
    }

private:
    std::string pidFile() const { return "/tmp/kt5270-test-ser2net-" + std::to_string(port_) + ".pid"; }

    std::string device_;
    Program program_;
    int port_;
    pid_t processId_ = 0;
};

// A loopback listener that never accepts, its backlog filled by one connection of its own:
// the kernel drops every further attempt, which then waits in vain for an answer.
class UnansweringListener {
public:
    UnansweringListener()
    {
        sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t size = sizeof(address);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), size);
        ::listen(listener_, 0);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        ::connect(filler_, reinterpret_cast<sockaddr*>(&address), size);
    }
    ~UnansweringListener() { ::close(filler_); ::close(listener_); }
    UnansweringListener(const UnansweringListener&) = delete;
    UnansweringListener& operator=(const UnansweringListener&) = delete;

    std::string address() const { return loopbackAddress(port_); }

private:
    int listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int filler_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int port_ = 0;
};

}  // namespace kt::serial::test

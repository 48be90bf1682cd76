#include "serve/bus_lending.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "device/request_frames.h"
#include "serial/crc16.h"
#include "serve/daemon_log.h"

namespace kt::serve {
namespace {

using Clock = std::chrono::steady_clock;

// One character on an 8N1 line: start bit, 8 data bits, stop bit.
constexpr int kBitsPerCharacter = 10;

std::chrono::microseconds characterTimes(double count, int baud)
{
    return std::chrono::microseconds(static_cast<long>(count * kBitsPerCharacter * 1e6 / baud));
}

std::string peerName(const sockaddr_storage& peer)
{
    char host[INET6_ADDRSTRLEN] = "?";
    int port = 0;
    if (peer.ss_family == AF_INET6) {
        const auto& address = reinterpret_cast<const sockaddr_in6&>(peer);
        inet_ntop(AF_INET6, &address.sin6_addr, host, sizeof host);
        port = ntohs(address.sin6_port);
    } else {
        const auto& address = reinterpret_cast<const sockaddr_in&>(peer);
        inet_ntop(AF_INET, &address.sin_addr, host, sizeof host);
        port = ntohs(address.sin_port);
    }
    return NetworkAddress{host, port}.text();
}

}  // namespace

std::variant<std::unique_ptr<BusLending>, std::string> BusLending::listen(const NetworkAddress& address, int baud)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    if (const int error = getaddrinfo(address.host.c_str(), std::to_string(address.port).c_str(), &hints, &found))
        return "cannot resolve " + address.text() + ": " + gai_strerror(error);
    std::string refusal = "cannot listen on " + address.text();
    int listening = -1;
    for (const addrinfo* candidate = found; candidate && listening < 0; candidate = candidate->ai_next) {
        const int socket = ::socket(candidate->ai_family, candidate->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        const int reuse = 1;
        if (socket >= 0 && ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse) == 0 && ::bind(socket, candidate->ai_addr, candidate->ai_addrlen) == 0 && ::listen(socket, 8) == 0) {
            listening = socket;
        } else {
            refusal = "cannot listen on " + address.text() + ": " + std::strerror(errno);
            if (socket >= 0)
                ::close(socket);
        }
    }
    freeaddrinfo(found);
    if (listening < 0)
        return refusal;
    return std::unique_ptr<BusLending>(new BusLending(listening, characterTimes(3.5, baud)));
}

BusLending::BusLending(int socket, std::chrono::microseconds silence) : socket_(socket), silence_(silence) {}

BusLending::~BusLending()
{
    for (const Client& client : clients_)
        ::close(client.socket);
    ::close(socket_);
}

void BusLending::lend(link::Link* link)
{
    std::vector<pollfd> watched{{.fd = socket_, .events = POLLIN, .revents = 0}};
    for (const Client& client : clients_)
        watched.push_back({.fd = client.socket, .events = POLLIN, .revents = 0});
    if (::poll(watched.data(), watched.size(), 0) > 0) {
        const std::size_t waiting = queue_.size();
        // Clients first, in the order they came: an accept appends to clients_.
        std::vector<std::uint64_t> gone;
        for (std::size_t i = 1; i < watched.size(); ++i) {
            if (watched[i].revents != 0 && !receive(clients_[i - 1]))
                gone.push_back(clients_[i - 1].id);
        }
        std::stable_sort(queue_.begin() + static_cast<std::ptrdiff_t>(waiting), queue_.end(),
                         [](const Request& one, const Request& other) { return one.arrived < other.arrived; });
        for (const std::uint64_t id : gone)
            drop(id, "disconnected");
        if (watched[0].revents & POLLIN)
            accept();
    }
    const Clock::time_point now = Clock::now();
    for (Client& client : clients_) {
        if (!client.received.empty() && now - client.firstByte > kRequestArrival) {
            logLine(Priority::Warning, "dropped " + std::to_string(client.received.size()) + " bytes from "
                                           + client.name + " that formed no request");
            client.received.clear();
        }
    }
    if (!link && !queue_.empty()) {
        logLine(Priority::Warning, "dropped " + std::to_string(queue_.size()) + " client requests: the port is gone");
        queue_.clear();
    }
    while (link && !queue_.empty()) {
        const Request request = std::move(queue_.front());
        queue_.pop_front();
        relay(*link, request);
    }
}

void BusLending::relay(link::Link& link, const Request& request)
{
    // The client waits for its reply from the moment it sent the request: the bus gets what
    // is left of that wait, and a request whose client has given up is not sent at all.
    const std::chrono::milliseconds clientWait(device::requestReplyWaitMs(request.frame));
    const auto waited = std::chrono::duration_cast<Clock::duration>(Arrival::clock::now() - request.arrived);
    if (waited >= clientWait) {
        const auto client = std::ranges::find(clients_, request.client, &Client::id);
        logLine(Priority::Warning, "dropped a request from " + client->name + ": it waited "
                                       + std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(waited).count())
                                       + " ms for the bus, its client's whole reply wait");
        return;
    }
    answer(request.client, link.relay(request.frame, device::requestReplyLength(request.frame),
                                      Clock::now() + clientWait - waited, silence_));
}

void BusLending::accept()
{
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    const int socket = ::accept4(socket_, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (socket < 0)
        return;
    const std::string name = peerName(peer);
    if (clients_.size() >= kMostClients) {
        logLine(Priority::Warning, "refused client " + name + ": already " + std::to_string(kMostClients) + " clients");
        ::close(socket);
        return;
    }
    const int stamped = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_TIMESTAMPNS, &stamped, sizeof stamped);
    logLine(Priority::Info, "client " + name + " connected");
    clients_.push_back({.id = nextId_++, .socket = socket, .name = name, .received = {}, .firstByte = {}});
}

bool BusLending::receive(Client& client)
{
    std::uint8_t buffer[512];
    iovec data{.iov_base = buffer, .iov_len = sizeof buffer};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t count = ::recvmsg(client.socket, &message, 0);
    if (count < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    if (count == 0)
        return false;
    Arrival arrived = Arrival::clock::now();  // unless the kernel tells it
    for (cmsghdr* item = CMSG_FIRSTHDR(&message); item; item = CMSG_NXTHDR(&message, item)) {
        if (item->cmsg_level == SOL_SOCKET && item->cmsg_type == SCM_TIMESTAMPNS) {
            timespec stamp{};
            std::memcpy(&stamp, CMSG_DATA(item), sizeof stamp);
            arrived = Arrival(std::chrono::duration_cast<Arrival::duration>(
                std::chrono::seconds(stamp.tv_sec) + std::chrono::nanoseconds(stamp.tv_nsec)));
        }
    }
    if (client.received.empty())
        client.firstByte = Clock::now();
    client.received.insert(client.received.end(), buffer, buffer + count);
    takeRequests(client, arrived);
    return true;
}

void BusLending::takeRequests(Client& client, Arrival arrived)
{
    device::Bytes& bytes = client.received;
    while (bytes.size() >= device::kRequestHeaderLength) {
        const std::optional<std::size_t> length = device::requestFrameLength(bytes);
        if (!length) {
            logLine(Priority::Warning, "dropped " + std::to_string(bytes.size()) + " bytes from " + client.name
                                           + ": no request of this controller begins so");
            bytes.clear();
            return;
        }
        if (bytes.size() < *length)
            return;
        const device::Bytes frame(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(*length));
        if (serial::checksumMatches(frame)) {
            // A master sends its next request only once it has given up on the one before,
            // which would now be answered into the next exchange.
            if (std::erase_if(queue_, [&client](const Request& request) { return request.client == client.id; }) > 0)
                logLine(Priority::Warning, "dropped a request from " + client.name + ": it sent the next one before its turn");
            queue_.push_back({.client = client.id, .frame = frame, .arrived = arrived});
        } else
            logLine(Priority::Warning, "dropped a request from " + client.name + ": its checksum fails");
        bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(*length));
        client.firstByte = Clock::now();
    }
}

void BusLending::answer(std::uint64_t clientId, const device::Bytes& reply)
{
    const auto client = std::ranges::find(clients_, clientId, &Client::id);
    if (client == clients_.end() || reply.empty())
        return;
    const ssize_t sent = ::send(client->socket, reply.data(), reply.size(), MSG_NOSIGNAL);
    if (sent != static_cast<ssize_t>(reply.size()))
        drop(clientId, sent < 0 ? std::string("cannot take its reply: ") + std::strerror(errno) : "cannot take its reply");
}

void BusLending::drop(std::uint64_t clientId, const std::string& why)
{
    const auto client = std::ranges::find(clients_, clientId, &Client::id);
    logLine(Priority::Notice, "client " + client->name + " " + why);
    ::close(client->socket);
    clients_.erase(client);
    std::erase_if(queue_, [clientId](const Request& request) { return request.client == clientId; });
}

}  // namespace kt::serve

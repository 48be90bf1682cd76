#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "device/bytes.h"
#include "link/link.h"
#include "serve/network_address.h"

namespace kt::serve {

// The bus, lent between the daemon's own polls to TCP clients that speak raw request frames
// as to a serial device server: the window, or kt5270 --port tcp://HOST:PORT. Each whole,
// correctly checksummed request joins one queue, first come first served; whatever the
// controller answers goes back to that client alone. Anything else is logged and dropped,
// and never reaches the bus. Non-blocking sockets, driven by the daemon's loop.
class BusLending {
public:
    static constexpr std::size_t kMostClients = 4;
    // Bytes that form no whole request within this time are dropped.
    static constexpr std::chrono::milliseconds kRequestArrival{500};

    // Listens on `address` for a bus running at `baud`; or why it cannot.
    static std::variant<std::unique_ptr<BusLending>, std::string> listen(const NetworkAddress& address, int baud);
    ~BusLending();
    BusLending(const BusLending&) = delete;
    BusLending& operator=(const BusLending&) = delete;

    // Takes in new clients and their bytes, then serves every request queued so far on
    // `link`; with no link (the port is gone) the queued requests are dropped.
    void lend(link::Link* link);

private:
    struct Client {
        std::uint64_t id = 0;
        int socket = -1;
        std::string name;  // its address, for the log
        device::Bytes received;
        std::chrono::steady_clock::time_point firstByte;  // of what `received` holds
    };
    // The kernel's time of arrival: requests that arrived during one exchange on the bus
    // are served in the order they came, not in the order their clients are looked at, and
    // each client's reply wait is counted from it.
    using Arrival = std::chrono::system_clock::time_point;
    struct Request {
        std::uint64_t client = 0;
        device::Bytes frame;
        Arrival arrived;
    };

    BusLending(int socket, std::chrono::microseconds silence);
    void accept();
    // False when the client is gone.
    bool receive(Client& client);
    void takeRequests(Client& client, Arrival arrived);
    // Passes `request` on over `link` and its reply back to its client.
    void relay(link::Link& link, const Request& request);
    void answer(std::uint64_t clientId, const device::Bytes& reply);
    void drop(std::uint64_t clientId, const std::string& why);

    int socket_;
    std::chrono::microseconds silence_;  // 3.5 character times: the end of a reply
    std::uint64_t nextId_ = 1;
    std::vector<Client> clients_;
    std::deque<Request> queue_;
};

}  // namespace kt::serve

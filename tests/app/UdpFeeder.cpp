#include "UdpFeeder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

sockaddr_in Loopback(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

}  // namespace

uint16_t FreeUdpPort() {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address = Loopback(0);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("FreeUdpPort: bind");
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

bool UdpPortBound(uint16_t port) {
    for (const char* table : {"/proc/net/udp", "/proc/net/udp6"}) {
        std::ifstream file(table);
        std::string line;
        std::getline(file, line);  // column titles
        while (std::getline(file, line)) {
            // "  sl  local_address:port ..." with the port in hexadecimal.
            std::istringstream fields(line);
            std::string slot;
            std::string local;
            fields >> slot >> local;
            const size_t colon = local.rfind(':');
            if (colon != std::string::npos &&
                std::stoul(local.substr(colon + 1), nullptr, 16) == port) {
                return true;
            }
        }
    }
    return false;
}

bool WaitForUdpPort(uint16_t port, ChildProcess& child, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!UdpPortBound(port)) {
        if (child.HasExited() || std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

UdpFeeder::UdpFeeder(uint16_t port) : port(port) {
    socketFd = socket(AF_INET, SOCK_DGRAM, 0);
    if (socketFd < 0)
        throw std::runtime_error("UdpFeeder: socket");
}

UdpFeeder::~UdpFeeder() {
    close(socketFd);
}

void UdpFeeder::Send(const sibuild::Bytes& packets) {
    const sockaddr_in address = Loopback(port);
    constexpr size_t datagram = 7 * 188;
    for (size_t offset = 0; offset < packets.size(); offset += datagram) {
        const size_t length = std::min(datagram, packets.size() - offset);
        sendto(socketFd, packets.data() + offset, length, 0,
               reinterpret_cast<const sockaddr*>(&address), sizeof address);
        // Loopback drops what the receiver's buffer cannot take; a short pause now and then
        // keeps a large round from overrunning it.
        if ((offset / datagram) % 64 == 63)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

#pragma once
// Feeds transport stream to a UDP source on 127.0.0.1, as a broadcast gateway would.

#include <chrono>
#include <cstdint>

#include "sibuild/SectionBuilder.h"
#include "support/ChildProcess.h"

// A UDP port on 127.0.0.1 that nothing is bound to right now.
uint16_t FreeUdpPort();
// Whether some socket is bound to this UDP port (read from /proc/net/udp).
bool UdpPortBound(uint16_t port);
// Waits up to `timeout` for UdpPortBound; gives up early when `child` ends first.
bool WaitForUdpPort(uint16_t port, ChildProcess& child, std::chrono::milliseconds timeout);

class UdpFeeder {
public:
    explicit UdpFeeder(uint16_t port);
    ~UdpFeeder();
    UdpFeeder(const UdpFeeder&) = delete;
    UdpFeeder& operator=(const UdpFeeder&) = delete;

    // Sends the packets in datagrams of seven, the usual size.
    void Send(const sibuild::Bytes& packets);

private:
    int socketFd = -1;
    uint16_t port;
};

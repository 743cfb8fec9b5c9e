#pragma once
// The [Capture] Url: where a transport stream arrives over the network.
//
//     udp://239.1.1.1:1234                      multicast group (joined) and port
//     rtp://239.1.1.1:5004                      the same, with RTP headers
//     udp://127.0.0.1:1234  udp://:1234         unicast: the local address (any) and port bound
//     udp://@239.1.1.1:1234                     "@" before the address is accepted and ignored
//     udp://239.1.1.1:1234?localaddr=10.0.0.2   the interface address to join the group on
//
// IPv4 only. The host is an address or a name.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct StreamUrl {
    enum class Protocol { Udp, Rtp };
    Protocol protocol = Protocol::Udp;
    std::string host;  // as written; empty: any local address
    uint16_t port = 0;
    std::string localAddress;  // interface for a multicast join; empty: the system's choice
};

// Nothing when the text is not such a Url; `reason` then says why.
std::optional<StreamUrl> ParseStreamUrl(std::string_view text, std::string& reason);

// "UDP 239.1.1.1:1234", "RTP 0.0.0.0:5004": the device's friendly name and the name in its
// messages.
std::string StreamUrlName(const StreamUrl& url);

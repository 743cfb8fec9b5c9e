#include "platform/sources/StreamUrl.h"

#include <arpa/inet.h>

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
        if (c != prefix[i])
            return false;
    }
    return true;
}

bool IsHostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-';
}

bool IsIpv4Address(const std::string& text) {
    in_addr address{};
    return ::inet_pton(AF_INET, text.c_str(), &address) == 1;
}

}  // namespace

std::optional<StreamUrl> ParseStreamUrl(std::string_view text, std::string& reason) {
    StreamUrl url;
    if (StartsWithNoCase(text, "udp://")) {
        url.protocol = StreamUrl::Protocol::Udp;
    } else if (StartsWithNoCase(text, "rtp://")) {
        url.protocol = StreamUrl::Protocol::Rtp;
    } else {
        reason = "expected udp://host:port or rtp://host:port";
        return std::nullopt;
    }
    std::string_view rest = text.substr(6);

    std::string_view options;
    if (const size_t question = rest.find('?'); question != std::string_view::npos) {
        options = rest.substr(question + 1);
        rest = rest.substr(0, question);
    }
    if (rest.starts_with('@'))
        rest.remove_prefix(1);
    if (rest.starts_with('[')) {
        reason = "IPv6 addresses are not supported";
        return std::nullopt;
    }
    const size_t colon = rest.rfind(':');
    if (colon == std::string_view::npos) {
        reason = "no port";
        return std::nullopt;
    }
    const std::string_view host = rest.substr(0, colon);
    const std::string_view port = rest.substr(colon + 1);
    for (char c : host) {
        if (!IsHostCharacter(c)) {
            reason = "\"" + std::string(host) + "\" is not a host address or name";
            return std::nullopt;
        }
    }
    uint32_t portNumber = 0;
    bool portOk = !port.empty() && port.size() <= 5;
    for (char c : port) {
        portOk = portOk && c >= '0' && c <= '9';
        portNumber = portNumber * 10 + static_cast<uint32_t>(c - '0');
    }
    if (!portOk || portNumber == 0 || portNumber > 65535) {
        reason = "the port must be a number from 1 to 65535";
        return std::nullopt;
    }
    url.host = std::string(host);
    url.port = static_cast<uint16_t>(portNumber);

    while (!options.empty()) {
        const size_t amp = options.find('&');
        const std::string_view option = options.substr(0, amp);
        options = amp == std::string_view::npos ? std::string_view() : options.substr(amp + 1);
        if (StartsWithNoCase(option, "localaddr=")) {
            url.localAddress = std::string(option.substr(10));
            if (!IsIpv4Address(url.localAddress)) {
                reason = "localaddr must be an IPv4 address";
                return std::nullopt;
            }
        } else {
            reason = "unknown option \"" + std::string(option) + "\"";
            return std::nullopt;
        }
    }
    return url;
}

std::string StreamUrlName(const StreamUrl& url) {
    return std::string(url.protocol == StreamUrl::Protocol::Rtp ? "RTP " : "UDP ") +
           (url.host.empty() ? "0.0.0.0" : url.host) + ":" + std::to_string(url.port);
}

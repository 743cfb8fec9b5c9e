#include "platform/sources/UdpSource.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/sources/RtpPayload.h"

namespace {

constexpr size_t kLargestDatagram = 65536;
constexpr size_t kBatchSize = 1 << 20;
constexpr int kReceiveBuffer = 8 << 20;

// A bind is reported right after the graph's unterminated "Loading filter" text, so the line
// starts on a line of its own.
void Report(const StreamUrl& url, const std::string& reason) {
    std::printf("\n%s: %s\n", StreamUrlName(url).c_str(), reason.c_str());
}

std::string SystemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// The IPv4 address of `host` (empty: any).
bool Resolve(const std::string& host, in_addr& address, std::string& reason) {
    if (host.empty()) {
        address.s_addr = htonl(INADDR_ANY);
        return true;
    }
    if (::inet_pton(AF_INET, host.c_str(), &address) == 1)
        return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const int error = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (error != 0 || found == nullptr) {
        reason = std::string("cannot resolve ") + host + ": " + ::gai_strerror(error);
        return false;
    }
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    ::freeaddrinfo(found);
    return true;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd(fd) {}
    ~FileDescriptor() {
        if (fd >= 0)
            ::close(fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd; }
    int Release() { return std::exchange(fd, -1); }

private:
    int fd;
};

}  // namespace

std::shared_ptr<UdpSource> UdpSource::Open(const StreamUrl& url) {
    in_addr address{};
    std::string reason;
    if (!Resolve(url.host, address, reason)) {
        Report(url, reason);
        return nullptr;
    }
    FileDescriptor socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (socket.Get() < 0) {
        Report(url, SystemError("cannot open a socket"));
        return nullptr;
    }
    const int on = 1;
    ::setsockopt(socket.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    // Broadcast bursts must not overflow the socket while the parsers are busy.
    ::setsockopt(socket.Get(), SOL_SOCKET, SO_RCVBUF, &kReceiveBuffer, sizeof kReceiveBuffer);

    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(url.port);
    local.sin_addr = address;
    if (::bind(socket.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        Report(url, SystemError("cannot bind"));
        return nullptr;
    }
    if (IN_MULTICAST(ntohl(address.s_addr))) {
        ip_mreq membership{};
        membership.imr_multiaddr = address;
        membership.imr_interface.s_addr = htonl(INADDR_ANY);
        if (!url.localAddress.empty())
            ::inet_pton(AF_INET, url.localAddress.c_str(), &membership.imr_interface);
        if (::setsockopt(socket.Get(), IPPROTO_IP, IP_ADD_MEMBERSHIP, &membership,
                         sizeof membership) != 0) {
            Report(url, SystemError("cannot join the multicast group"));
            return nullptr;
        }
    } else if (!url.localAddress.empty()) {
        Report(url, "localaddr is for multicast groups only");
        return nullptr;
    }
    return std::make_shared<UdpSource>(socket.Release(), url);
}

UdpSource::UdpSource(int socket, StreamUrl url) : socket(socket), url(std::move(url)) {}

UdpSource::~UdpSource() {
    ::close(socket);
}

HRESULT UdpSource::Tune(const TuneParameters&) {
    return S_OK;
}

HRESULT UdpSource::GetSignalStatistics(SignalStatistics& statistics) {
    statistics = {true, 100, 100};
    return S_OK;
}

uint16_t UdpSource::LocalPort() const {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return 0;
    return ntohs(local.sin_port);
}

bool UdpSource::Drain(std::vector<uint8_t>& batch, size_t& used) {
    const bool rtp = url.protocol == StreamUrl::Protocol::Rtp;
    while (batch.size() - used >= kLargestDatagram) {
        uint8_t* at = batch.data() + used;
        const ssize_t n = ::recv(socket, at, kLargestDatagram, MSG_DONTWAIT);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        if (n < 0) {
            std::printf("%s: %s\n", StreamUrlName(url).c_str(),
                        SystemError("cannot receive").c_str());
            return false;
        }
        const std::span<const uint8_t> payload =
            TransportStreamPayload({at, static_cast<size_t>(n)}, rtp);
        if (!payload.empty() && payload.data() != at)
            std::memmove(at, payload.data(), payload.size());
        used += payload.size();
    }
    return true;
}

void UdpSource::Stream(std::stop_token stop, TransportStreamSink& sink) {
    FileDescriptor wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (wake.Get() < 0) {
        std::printf("%s: %s\n", StreamUrlName(url).c_str(), SystemError("cannot wait").c_str());
        return;
    }
    std::stop_callback wakeOnStop(stop, [fd = wake.Get()] {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t written = ::write(fd, &one, sizeof one);
    });
    std::vector<uint8_t> batch(kBatchSize);
    while (!stop.stop_requested()) {
        pollfd waits[2] = {{socket, POLLIN, 0}, {wake.Get(), POLLIN, 0}};
        const int ready = ::poll(waits, 2, -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0) {
            std::printf("%s: %s\n", StreamUrlName(url).c_str(), SystemError("cannot wait").c_str());
            return;
        }
        if (waits[1].revents != 0)
            return;
        size_t used = 0;
        const bool ok = Drain(batch, used);
        if (used > 0)
            sink.DeliverBytes(batch.data(), used);
        if (!ok)
            return;
    }
}

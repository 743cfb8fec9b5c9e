#pragma once
// A tuner fed by a transport stream received over UDP, plain or in RTP: a multicast group is
// joined, a unicast address bound. Always locked, quality and strength 100. The stream is live:
// it has no end, and Run takes up whatever arrives (and what the socket kept since the bind).
// Datagrams that arrive together go down as one delivery.

#include <memory>
#include <string>
#include <vector>

#include "platform/bda/TunerSource.h"
#include "platform/sources/StreamUrl.h"

class UdpSource : public TunerSource {
public:
    // Resolves, binds and joins. On failure prints one line, "<UDP|RTP> <host>:<port>: <reason>",
    // and gives null.
    static std::shared_ptr<UdpSource> Open(const StreamUrl& url);

    UdpSource(int socket, StreamUrl url);
    ~UdpSource() override;
    UdpSource(const UdpSource&) = delete;
    UdpSource& operator=(const UdpSource&) = delete;

    HRESULT Tune(const TuneParameters& parameters) override;
    HRESULT GetSignalStatistics(SignalStatistics& statistics) override;
    // Waits for datagrams until stop is requested; a stop request wakes the wait at once.
    void Stream(std::stop_token stop, TransportStreamSink& sink) override;

    // The port the socket is bound to (tests bind what they are given).
    uint16_t LocalPort() const;

private:
    // Takes every datagram waiting into `batch`; false after a socket error (reported).
    bool Drain(std::vector<uint8_t>& batch, size_t& used);

    const int socket;
    const StreamUrl url;
};

// A capture sent over UDP on loopback, plain and in RTP, unicast and (where the kernel lets
// it) multicast, reaches the sink as the same sections as from the file. The sender is a thread
// of the test that sends to 127.0.0.1 (or a group on lo) only, paced by what the sink has taken,
// and bounded in count and time.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <thread>

#include "SourceTestSupport.h"
#include "platform/bda/TunerDeviceFilter.h"
#include "platform/sources/UdpSource.h"

using namespace sourcetest;

namespace {

constexpr size_t kDatagramPackets = 7;
constexpr size_t kInFlight = 64 * 1024;  // well within any socket buffer

enum class Framing { Plain, Rtp, RtpWithEverything };

Bytes Datagram(const uint8_t* ts, size_t size, Framing framing, uint16_t sequence) {
    sibuild::ByteWriter w;
    if (framing == Framing::Rtp)
        w.U8(0x80).U8(33).U16(sequence).U32(sequence * 1000u).U32(0x1234);
    if (framing == Framing::RtpWithEverything) {
        w.U8(0x80 | 0x20 | 0x10 | 2).U8(0x80 | 96).U16(sequence).U32(0).U32(0x1234);
        w.U32(1).U32(2);                       // two CSRCs
        w.U16(0xBEDE).U16(1).U32(0x47474747);  // an extension of one word
    }
    w.Append(Bytes(ts, ts + size));
    if (framing == Framing::RtpWithEverything)
        w.U8(0).U8(0).U8(3);  // padding
    return w.Take();
}

// Sends `capture` to `to` in datagrams of seven packets, never more than kInFlight bytes ahead
// of what the sink has received; gives up after 20 s.
class Sender {
public:
    Sender(const Bytes& capture, sockaddr_in to, Framing framing, SectionRecordingSink& sink,
           bool multicast = false)
        : thread([=, &capture, &sink, this] {
              const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
              if (multicast) {
                  in_addr loopback{htonl(INADDR_LOOPBACK)};
                  ::setsockopt(s, IPPROTO_IP, IP_MULTICAST_IF, &loopback, sizeof loopback);
                  const unsigned char loop = 1;
                  ::setsockopt(s, IPPROTO_IP, IP_MULTICAST_LOOP, &loop, sizeof loop);
              }
              const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
              const size_t step = kDatagramPackets * 188;
              uint16_t sequence = 0;
              for (size_t at = 0; at < capture.size() && !stop; at += step) {
                  while (at > sink.BytesReceived() + kInFlight && !stop &&
                         std::chrono::steady_clock::now() < deadline) {
                      sink.WaitForBytes(at - kInFlight, 10);
                  }
                  if (std::chrono::steady_clock::now() >= deadline)
                      break;
                  const Bytes datagram =
                      Datagram(capture.data() + at, std::min(step, capture.size() - at), framing,
                               sequence++);
                  ::sendto(s, datagram.data(), datagram.size(), 0,
                           reinterpret_cast<const sockaddr*>(&to), sizeof to);
              }
              ::close(s);
          }) {}
    ~Sender() {
        stop = true;
        thread.join();
    }

private:
    std::atomic<bool> stop{false};
    std::thread thread;
};

struct Receiver {
    std::shared_ptr<UdpSource> source;
    ComPtr<IBaseFilter> tuner;
    sockaddr_in address{};
};

// A UDP tuner on a port of the system's choosing.
Receiver Open(const char* host, StreamUrl::Protocol protocol, const char* localAddress = "") {
    Receiver r;
    StreamUrl url;
    url.protocol = protocol;
    url.host = host;
    url.port = 0;
    url.localAddress = localAddress;
    r.source = UdpSource::Open(url);
    if (!r.source)
        return r;
    CreateComObject<TunerDeviceFilter>(IID_IBaseFilter, reinterpret_cast<void**>(&r.tuner),
                                       std::shared_ptr<TunerSource>(r.source));
    r.address.sin_family = AF_INET;
    r.address.sin_port = htons(r.source->LocalPort());
    ::inet_pton(AF_INET, host, &r.address.sin_addr);
    return r;
}

class UdpSourceThreaded : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(CBaseObject::ObjectsActive(), objectsBefore); }
    const LONG objectsBefore = CBaseObject::ObjectsActive();
};

TEST_F(UdpSourceThreaded, UnicastPlainAndRtpGiveTheSectionsOfTheFile) {
    const Bytes capture = ReadTestData("eit-pf-actual-other.ts");
    const std::vector<RecordedSection> expected = SectionsOf(capture);
    struct Case {
        const char* name;
        StreamUrl::Protocol protocol;
        Framing framing;
    };
    const Case cases[] = {
        {"plain over udp://", StreamUrl::Protocol::Udp, Framing::Plain},
        {"rtp over udp://", StreamUrl::Protocol::Udp, Framing::Rtp},
        {"rtp over rtp://", StreamUrl::Protocol::Rtp, Framing::Rtp},
        {"rtp with csrcs, extension, padding", StreamUrl::Protocol::Rtp,
         Framing::RtpWithEverything},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Receiver receiver = Open("127.0.0.1", c.protocol);
        ASSERT_TRUE(receiver.tuner);
        TunerGraph graph(receiver.tuner);
        ASSERT_EQ(graph.Run(), S_OK);
        {
            Sender sender(capture, receiver.address, c.framing, *graph.sink);
            EXPECT_TRUE(graph.sink->WaitForBytes(capture.size()));
        }
        graph.Stop();
        EXPECT_EQ(graph.sink->BytesReceived(), capture.size());
        EXPECT_EQ(graph.sink->Sections(), expected);
        EXPECT_EQ(graph.sink->EndsOfStream(), 0);  // a live stream does not end
    }
}

TEST_F(UdpSourceThreaded, MulticastOnLoopback) {
    Receiver receiver = Open("239.255.42.42", StreamUrl::Protocol::Udp, "127.0.0.1");
    if (!receiver.tuner)
        GTEST_SKIP() << "this kernel does not let a socket join a multicast group on lo";
    const Bytes capture = ReadTestData("eit-pf-actual-other.ts");
    TunerGraph graph(receiver.tuner);
    ASSERT_EQ(graph.Run(), S_OK);
    {
        Sender sender(capture, receiver.address, Framing::Plain, *graph.sink, true);
        if (!graph.sink->WaitForBytes(1, 2000)) {
            graph.Stop();
            GTEST_SKIP() << "multicast sent on lo does not come back on this machine";
        }
        EXPECT_TRUE(graph.sink->WaitForBytes(capture.size()));
    }
    graph.Stop();
    EXPECT_EQ(graph.sink->Sections(), SectionsOf(capture));
}

TEST_F(UdpSourceThreaded, StopReturnsWhileNothingArrives) {
    Receiver receiver = Open("127.0.0.1", StreamUrl::Protocol::Udp);
    ASSERT_TRUE(receiver.tuner);
    TunerGraph graph(receiver.tuner);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(graph.Run(), S_OK);
        EXPECT_EQ(graph.Stop(), S_OK);
    }
    // Stopped for good: what arrives now stays in the socket.
    const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    const Bytes packet = sibuild::TsPacket({0x12, 0, true, false, true}, {}, {0});
    ::sendto(s, packet.data(), packet.size(), 0,
             reinterpret_cast<const sockaddr*>(&receiver.address), sizeof receiver.address);
    ::close(s);
    EXPECT_FALSE(graph.sink->WaitForBytes(1, 100));
    // ...and is taken up by the next run.
    ASSERT_EQ(graph.Run(), S_OK);
    EXPECT_TRUE(graph.sink->WaitForBytes(188));
}

}  // namespace

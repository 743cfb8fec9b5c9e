// Whole runs of the binary on damaged input: captures cut off, corrupted every tenth packet
// or made of random bytes, and UDP that loses, reorders and mixes junk into its datagrams.
// Each run must end normally with a well-formed document that holds exactly what the
// sections that arrived intact carried.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <random>
#include <thread>

#include "BinaryFixture.h"
#include "DamagedCapture.h"
#include "HarvestScenario.h"
#include "UdpFeeder.h"
#include "sibuild/CaptureGenerator.h"
#include "sibuild/DvbTime.h"
#include "support/XmlDocumentCheck.h"

namespace {

using namespace std::chrono_literals;
using sibuild::Bytes;

constexpr size_t kPacket = 188;
const int64_t kStart = sibuild::UtcSeconds(2026, 1, 15, 18, 0, 0);
const char kCaptureConfig[] =
    "[Tuner]\nTransponder=12303000\nTimeout=30\n"
    "[Capture]\nFile=capture.ts\nClock=2026-01-15T18:00:00Z\n";

struct Generated {
    sibuild::Lineup lineup;
    Bytes capture;
    std::vector<SpannedSection> sections;
};

// Six services, two days of schedule, SI only: seven passes through the schedule, so most
// sections go out several times.
const Generated& Capture() {
    static const Generated generated = [] {
        sibuild::CaptureOptions options;
        options.services = 6;
        options.days = 2;
        options.siSharePercent = 100;
        options.sizeBytes = 1500 << 10;
        options.seed = 7;
        options.start = kStart;
        sibuild::CaptureGenerator generator(options);
        Generated g;
        generator.Write([&](const uint8_t* data, size_t size) {
            g.capture.insert(g.capture.end(), data, data + size);
        });
        g.lineup = generator.Description();
        g.sections = SpannedSections(g.capture);
        return g;
    }();
    return generated;
}

size_t PacketCount() {
    return Capture().capture.size() / kPacket;
}

// Bytes that never read as a sync byte, so that a damaged packet cannot fake one.
uint8_t NoSync(uint8_t byte) {
    return byte == 0x47 ? 0x48 : byte;
}

// What a case does to the capture, and which packets never reach the demultiplexer then.
struct Damage {
    Bytes capture;
    std::vector<uint64_t> lost;  // sorted
};

Damage CutAt(size_t byteCount) {
    Damage damage;
    damage.capture.assign(Capture().capture.begin(),
                          Capture().capture.begin() + static_cast<std::ptrdiff_t>(byteCount));
    // A packet cut off is never delivered.
    for (uint64_t p = byteCount / kPacket; p < PacketCount(); ++p)
        damage.lost.push_back(p);
    return damage;
}

// A recording that starts with junk: nothing of the capture behind it may be lost.
Damage JunkFirst(size_t junkBytes) {
    std::mt19937 random(5);
    Damage damage;
    for (size_t i = 0; i < junkBytes; ++i)
        damage.capture.push_back(NoSync(static_cast<uint8_t>(random())));
    damage.capture.insert(damage.capture.end(), Capture().capture.begin(), Capture().capture.end());
    return damage;
}

// A section of `pid` in the middle of the capture that spans at least `packets` packets.
const SpannedSection& LongSectionOf(uint16_t pid, size_t packets) {
    for (const SpannedSection& s : Capture().sections)
        if (s.pid == pid && s.packets.size() >= packets && s.packets.front() > PacketCount() / 3)
            return s;
    throw std::logic_error("no long section");
}

// Every tenth packet damaged by `corrupt`. A packet without its sync byte makes the framer
// search again; it regains sync at the next packet as long as three whole ones follow.
Damage EveryTenth(const std::function<void(uint8_t*, std::mt19937&)>& corrupt, bool syncLost) {
    Damage damage{Capture().capture, {}};
    std::mt19937 random(10);
    const size_t count = PacketCount();
    for (uint64_t p = 9; p < count; p += 10) {
        corrupt(damage.capture.data() + p * kPacket, random);
        damage.lost.push_back(p);
    }
    if (syncLost && count - 1 - damage.lost.back() < 3) {
        for (uint64_t p = damage.lost.back() + 1; p < count; ++p)
            damage.lost.push_back(p);
    }
    return damage;
}

// As a demodulator marks a packet it could not correct: transport_error_indicator set, every
// other header bit and the payload garbage.
void TransportError(uint8_t* packet, std::mt19937& random) {
    for (size_t i = 1; i < kPacket; ++i)
        packet[i] = NoSync(static_cast<uint8_t>(random()));
    packet[1] |= 0x80;
}

// The whole packet garbage, its sync byte included.
void SyncLost(uint8_t* packet, std::mt19937& random) {
    for (size_t i = 0; i < kPacket; ++i)
        packet[i] = NoSync(static_cast<uint8_t>(random()));
}

class DamagedCaptureTest : public BinaryTest {
protected:
    std::string Harvest(const Bytes& capture) {
        WriteFile("capture.ts", capture);
        WriteFile("config.ini", kCaptureConfig);
        const ChildResult result = Run({"config.ini", "guide.xml"});
        EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
        const std::string document = ReadFile("guide.xml");
        const std::string head = DocumentHead("config.ini");
        EXPECT_EQ(document.substr(0, head.size()), head);
        EXPECT_TRUE(document.ends_with("\r\n</tv>\r\n") || document == head + "</tv>\r\n");
        EXPECT_TRUE(IsWellFormedXmlDocument(document));
        return document;
    }
};

TEST_F(DamagedCaptureTest, GuideHoldsExactlyWhatTheIntactSectionsCarried) {
    struct Case {
        const char* name;
        std::function<Damage()> damage;
        bool loses;  // the damage costs some of the guide
    };
    const Case cases[] = {
        {"intact",
         [] {
             return Damage{Capture().capture, {}};
         },
         false},
        {"20 KiB of junk before the first packet", [] { return JunkFirst(20000); }, false},
        {"cut mid-packet", [] { return CutAt(PacketCount() / 2 * kPacket + 77); }, true},
        {"cut mid-EIT section",
         [] { return CutAt(LongSectionOf(0x0012, 3).packets[1] * kPacket + 100); }, true},
        {"cut mid-SDT section at a packet boundary",
         [] { return CutAt(LongSectionOf(0x0011, 2).packets[1] * kPacket); }, true},
        {"cut after the first packets", [] { return CutAt(5 * kPacket + 3); }, true},
        {"every tenth packet with transport error",
         [] { return EveryTenth(TransportError, false); }, true},
        {"every tenth packet out of sync", [] { return EveryTenth(SyncLost, true); }, true},
    };
    const GuideContent whole = ExpectedGuide(Capture().lineup, Capture().sections, {}, kStart);
    ASSERT_GT(whole.programmes.size(), 100u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Damage damage = c.damage();
        const GuideContent expected =
            ExpectedGuide(Capture().lineup, Capture().sections, damage.lost, kStart);
        if (c.loses) {
            EXPECT_LT(expected.programmes.size(), whole.programmes.size());
        }
        const GuideContent harvested = GuideOf(Harvest(damage.capture));
        EXPECT_EQ(harvested.channels, expected.channels);
        EXPECT_EQ(harvested.programmes, expected.programmes);
    }
}

TEST_F(DamagedCaptureTest, RandomBytesGiveAnEmptyGuide) {
    struct Case {
        const char* name;
        bool packetShaped;  // sync bytes in place, SI PIDs, garbage behind them
    };
    for (const Case c : {Case{"random bytes", false}, Case{"random SI packets", true}}) {
        SCOPED_TRACE(c.name);
        std::mt19937 random(c.packetShaped ? 2 : 1);
        Bytes capture(4000 * kPacket);
        for (uint8_t& byte : capture)
            byte = static_cast<uint8_t>(random());
        for (size_t at = 0; c.packetShaped && at < capture.size(); at += kPacket) {
            capture[at] = 0x47;
            capture[at + 1] &= 0x40;  // no transport error, unit start at random
            capture[at + 2] = random() % 2 ? 0x11 : 0x12;
        }
        EXPECT_EQ(Harvest(capture), DocumentHead("config.ini") + "</tv>\r\n");
    }
}

// The document's top-level elements, each whole, in sorted order.
std::vector<std::string> Elements(const std::string& text) {
    std::vector<std::string> elements;
    bool open = false;
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find("\r\n", at), text.size());
        const std::string line = text.substr(at, end - at);
        at = end + 2;
        if (line.rfind("<channel ", 0) == 0 || line.rfind("<programme ", 0) == 0) {
            elements.push_back(line);
            open = true;
        } else if (open) {
            elements.back() += "\r\n" + line;
            open = line != "</channel>" && line != "</programme>";
        }
    }
    std::sort(elements.begin(), elements.end());
    return elements;
}

using Datagrams = std::vector<Bytes>;

Datagrams InDatagrams(const Bytes& packets) {
    Datagrams datagrams;
    for (size_t at = 0; at < packets.size(); at += 7 * kPacket)
        datagrams.emplace_back(packets.begin() + static_cast<std::ptrdiff_t>(at),
                               packets.begin() + static_cast<std::ptrdiff_t>(
                                                     std::min(at + 7 * kPacket, packets.size())));
    return datagrams;
}

Datagrams DropEveryFourth(Datagrams d) {
    Datagrams kept;
    for (size_t i = 0; i < d.size(); ++i)
        if (i % 4 != 1)
            kept.push_back(std::move(d[i]));
    return kept;
}

Datagrams SwapNeighbours(Datagrams d) {
    for (size_t i = 0; i + 1 < d.size(); i += 5)
        std::swap(d[i], d[i + 1]);
    return d;
}

// After every third datagram one that is not transport stream: garbage, or an RTP header
// (version 2) with garbage behind it.
Datagrams WithJunk(Datagrams d) {
    std::mt19937 random(3);
    Datagrams mixed;
    for (size_t i = 0; i < d.size(); ++i) {
        mixed.push_back(std::move(d[i]));
        if (i % 3 == 2) {
            Bytes junk(100 + random() % 900);
            for (uint8_t& byte : junk)
                byte = NoSync(static_cast<uint8_t>(random()));
            if (i % 2)
                junk[0] = 0x80;
            mixed.push_back(std::move(junk));
        }
    }
    return mixed;
}

class DamagedUdpTest : public BinaryTest {};

TEST_F(DamagedUdpTest, RepeatedCarouselArrivesWholeDespiteLossReorderingAndJunk) {
    const int64_t broadcastTime = sibuild::UtcSeconds(2019, 1, 22, 12, 0, 0);
    const HarvestScenario scenario = MakeHarvestScenario(broadcastTime, 24);
    struct Case {
        const char* name;
        Datagrams (*damage)(Datagrams);
    };
    const Case cases[] = {
        {"every fourth datagram lost", DropEveryFourth},
        {"neighbours swapped", SwapNeighbours},
        {"junk datagrams between", WithJunk},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScenarioCarousel carousel(scenario);
        Bytes stream;
        for (int round = 0; round < 8; ++round) {
            const Bytes next = carousel.NextRound();
            stream.insert(stream.end(), next.begin(), next.end());
        }
        const Datagrams datagrams = c.damage(InDatagrams(stream));

        const uint16_t port = FreeUdpPort();
        WriteFile("config.ini",
                  "[Tuner]\nTransponder=12303000\nTimeout=1\n[Capture]\n"
                  "Url=udp://127.0.0.1:" +
                      std::to_string(port) + "\nClock=2019-01-22T12:00:00Z\n");
        ChildProcess child(Argv({"config.ini", "guide.xml"}), InFolder());
        ASSERT_TRUE(WaitForUdpPort(port, child, 20s)) << child.Wait().out;
        UdpFeeder feeder(port);
        for (size_t i = 0; i < datagrams.size(); ++i) {
            feeder.Send(datagrams[i]);
            if (i % 8 == 7)
                std::this_thread::sleep_for(2ms);
        }
        const ChildResult result = child.Wait(30s);
        ASSERT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, 0) << result.out;
        const std::string document = ReadFile("guide.xml");
        EXPECT_TRUE(document.starts_with(DocumentHead("config.ini")));
        EXPECT_TRUE(document.ends_with("</tv>\r\n"));
        EXPECT_TRUE(IsWellFormedXmlDocument(document));
        EXPECT_EQ(Elements(document), Elements(scenario.expectedElements));
    }
}

}  // namespace

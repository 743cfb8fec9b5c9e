// The [Capture] values a user writes: Clock and Url, and what each means or why it is refused.

#include <gtest/gtest.h>

#include "platform/sources/ClockSetting.h"
#include "platform/sources/SourceDevices.h"
#include "platform/sources/StreamUrl.h"
#include "sibuild/DvbTime.h"

namespace {

TEST(ClockSetting, AcceptsExactlyTheThreeForms) {
    std::string reason;
    ASSERT_TRUE(ParseClockSetting("stream", reason));
    EXPECT_EQ(ParseClockSetting("stream", reason)->mode, ClockSetting::Mode::Stream);
    EXPECT_EQ(ParseClockSetting("system", reason)->mode, ClockSetting::Mode::System);

    struct Fixed {
        const char* text;
        int64_t utc;
    };
    const Fixed fixed[] = {
        {"2019-01-22T12:00:00Z", sibuild::UtcSeconds(2019, 1, 22, 12)},
        {"1970-01-01T00:00:00Z", 0},
        {"2024-02-29T23:59:59Z", sibuild::UtcSeconds(2024, 2, 29, 23, 59, 59)},
        {"2000-02-29T00:00:00Z", sibuild::UtcSeconds(2000, 2, 29)},
    };
    for (const Fixed& f : fixed) {
        std::optional<ClockSetting> setting = ParseClockSetting(f.text, reason);
        ASSERT_TRUE(setting) << f.text << ": " << reason;
        EXPECT_EQ(setting->mode, ClockSetting::Mode::Fixed) << f.text;
        EXPECT_EQ(setting->fixedTime, f.utc) << f.text;
    }
}

TEST(ClockSetting, RefusesEverythingElseWithAReason) {
    struct Bad {
        const char* text;
        const char* reason;
    };
    const char* kForms = "expected stream, system or a UTC time as YYYY-MM-DDTHH:MM:SSZ";
    const Bad bad[] = {
        {"Stream", kForms},
        {"SYSTEM", kForms},
        {"streams", kForms},
        {" stream", kForms},
        {"2019-01-22 12:00:00Z", kForms},
        {"2019-01-22T12:00:00", kForms},
        {"2019-01-22T12:00:00z", kForms},
        {"2019-01-22T12:00:00+01:00", kForms},
        {"2019-1-22T12:00:00Z", kForms},
        {"2019-01-22T12:0a:00Z", kForms},
        {"+019-01-22T12:00:00Z", kForms},
        {"2019-13-01T00:00:00Z", "no such date"},
        {"2019-00-10T00:00:00Z", "no such date"},
        {"2019-02-29T00:00:00Z", "no such date"},
        {"1900-02-29T00:00:00Z", "no such date"},
        {"2019-04-31T00:00:00Z", "no such date"},
        {"2019-01-00T00:00:00Z", "no such date"},
        {"2019-01-22T24:00:00Z", "no such time of day"},
        {"2019-01-22T12:60:00Z", "no such time of day"},
        {"2019-01-22T12:00:60Z", "no such time of day"},
    };
    for (const Bad& b : bad) {
        std::string reason;
        EXPECT_FALSE(ParseClockSetting(b.text, reason)) << b.text;
        EXPECT_EQ(reason, b.reason) << b.text;
    }
}

TEST(StreamUrl, ParsesTheForms) {
    struct Good {
        const char* text;
        StreamUrl::Protocol protocol;
        const char* host;
        uint16_t port;
        const char* localAddress;
        const char* name;
    };
    using P = StreamUrl::Protocol;
    const Good good[] = {
        {"udp://239.1.1.1:1234", P::Udp, "239.1.1.1", 1234, "", "UDP 239.1.1.1:1234"},
        {"rtp://239.1.1.1:5004", P::Rtp, "239.1.1.1", 5004, "", "RTP 239.1.1.1:5004"},
        {"UDP://127.0.0.1:1", P::Udp, "127.0.0.1", 1, "", "UDP 127.0.0.1:1"},
        {"udp://@239.1.1.1:65535", P::Udp, "239.1.1.1", 65535, "", "UDP 239.1.1.1:65535"},
        {"udp://:1234", P::Udp, "", 1234, "", "UDP 0.0.0.0:1234"},
        {"udp://@:1234", P::Udp, "", 1234, "", "UDP 0.0.0.0:1234"},
        {"udp://localhost:1234", P::Udp, "localhost", 1234, "", "UDP localhost:1234"},
        {"udp://239.1.1.1:1234?localaddr=10.0.0.2", P::Udp, "239.1.1.1", 1234, "10.0.0.2",
         "UDP 239.1.1.1:1234"},
    };
    for (const Good& g : good) {
        std::string reason;
        std::optional<StreamUrl> url = ParseStreamUrl(g.text, reason);
        ASSERT_TRUE(url) << g.text << ": " << reason;
        EXPECT_EQ(url->protocol, g.protocol) << g.text;
        EXPECT_EQ(url->host, g.host) << g.text;
        EXPECT_EQ(url->port, g.port) << g.text;
        EXPECT_EQ(url->localAddress, g.localAddress) << g.text;
        EXPECT_EQ(StreamUrlName(*url), g.name) << g.text;
    }
}

TEST(StreamUrl, RefusesWithAReason) {
    struct Bad {
        const char* text;
        const char* reason;
    };
    const char* kPort = "the port must be a number from 1 to 65535";
    const Bad bad[] = {
        {"http://239.1.1.1:1234", "expected udp://host:port or rtp://host:port"},
        {"239.1.1.1:1234", "expected udp://host:port or rtp://host:port"},
        {"udp:/239.1.1.1:1234", "expected udp://host:port or rtp://host:port"},
        {"udp://239.1.1.1", "no port"},
        {"udp://239.1.1.1:", kPort},
        {"udp://239.1.1.1:0", kPort},
        {"udp://239.1.1.1:65536", kPort},
        {"udp://239.1.1.1:123456", kPort},
        {"udp://239.1.1.1:12a4", kPort},
        {"udp://239.1.1.1:-1", kPort},
        {"udp://239.1.1.1:1234/stream", kPort},
        {"udp://[ff02::1]:1234", "IPv6 addresses are not supported"},
        {"udp://user@239.1.1.1:1234", "\"user@239.1.1.1\" is not a host address or name"},
        {"udp://239.1.1.1:1234?ttl=4", "unknown option \"ttl=4\""},
        {"udp://239.1.1.1:1234?localaddr=eth0", "localaddr must be an IPv4 address"},
    };
    for (const Bad& b : bad) {
        std::string reason;
        EXPECT_FALSE(ParseStreamUrl(b.text, reason)) << b.text;
        EXPECT_EQ(reason, b.reason) << b.text;
    }
}

}  // namespace

namespace {

// Paths are bytes; friendly names are wide text that the graph prints.
TEST(SourceDeviceNames, PathsBecomeWideTextAndBrokenBytesAReplacementCharacter) {
    struct Case {
        std::string utf8;
        std::wstring wide;
    };
    const Case cases[] = {
        {"recordings/12303V.ts", L"recordings/12303V.ts"},
        {"\xD0\x97\xD0\xB0\xD0\xBF\xD0\xB8\xD1\x81\xD0\xB8",
         L"\u0417\u0430\u043F\u0438\u0441\u0438"},
        {"\xE2\x82\xAC \xF0\x9F\x93\xBA", L"\u20AC \U0001F4FA"},
        {"a\xFF"
         "b",
         L"a\uFFFDb"},
        {"\xE2\x82", L"\uFFFD\uFFFD"},                      // cut off
        {"\xC0\xAF", L"\uFFFD\uFFFD"},                      // overlong
        {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},            // surrogate
        {"\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
    };
    for (const Case& c : cases)
        EXPECT_EQ(WideFromUtf8(c.utf8), c.wide) << c.utf8;
}

}  // namespace

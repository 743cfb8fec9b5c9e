// The clock of a replayed capture: each section is parsed with the time of the latest TDT/TOT
// on PID 0x0014 before the packet that completed it (the first one before there was any; the
// system clock when the capture has none), or the fixed or system time that Clock sets.

#include <gtest/gtest.h>

#include <condition_variable>

#include "SourceTestSupport.h"
#include "platform/Platform.h"
#include "platform/sources/CaptureFileSource.h"
#include "si/SectionParser.h"
#include "sibuild/DvbTime.h"
#include "sibuild/TimeTableBuilder.h"

using namespace sourcetest;

namespace {

const int64_t t1 = sibuild::UtcSeconds(2019, 1, 22, 12, 0, 0);
const int64_t t2 = sibuild::UtcSeconds(2019, 1, 22, 12, 0, 30);
const int64_t t3 = sibuild::UtcSeconds(2019, 1, 22, 12, 1, 0);

class CaptureClock : public ::testing::Test {
protected:
    void TearDown() override {
        StopPlatform();
        EXPECT_EQ(CBaseObject::ObjectsActive(), objectsBefore);
    }

    // Replays `capture` as the File of a configuration with `clock` (none: no Clock key), to
    // its end; each section with the clock's reading when it completed.
    std::vector<RecordedSection> Replay(const Bytes& capture, const char* clock) {
        dir.Write("capture.ts", capture);
        std::string config = "[Tuner]\nTransponder=12303000\n[Capture]\nFile=capture.ts\n";
        if (clock != nullptr)
            config += std::string("Clock=") + clock + "\n";
        EXPECT_TRUE(StartPlatform(dir.WriteText("epg.ini", config)));
        std::mutex mutex;
        std::condition_variable ended;
        bool end = false;
        SetEndOfCaptureHandler([&] {
            std::lock_guard lock(mutex);
            end = true;
            ended.notify_all();
        });
        std::vector<RecordedSection> sections;
        {
            TunerGraph graph(BindTuner(1), PlatformClock());
            EXPECT_EQ(graph.Run(), S_OK);
            std::unique_lock lock(mutex);
            EXPECT_TRUE(ended.wait_for(lock, std::chrono::seconds(20), [&] { return end; }));
            lock.unlock();
            graph.Stop();
            sections = graph.sink->Sections();
        }
        StopPlatform();
        return sections;
    }

    static std::vector<int64_t> Times(const std::vector<RecordedSection>& sections) {
        std::vector<int64_t> times;
        for (const RecordedSection& s : sections)
            times.push_back(s.now);
        return times;
    }

    const LONG objectsBefore = CBaseObject::ObjectsActive();
    TempDir dir;
};

// e1, TDT t1, e2, e3 begins, TOT t2, e3 ends, e4, a TDT too short to hold a time, e5,
// a TOT with a wrong CRC (t3), e6.
Bytes TimedCapture() {
    CaptureBuilder b;
    b.Section(0x12, TestSection(1));
    b.Section(0x14, sibuild::TdtSection(t1));
    b.Section(0x12, TestSection(2));
    const Bytes spanning = b.Packetizer(0x12).Packetize(TestSection(3, 400));
    b.Append(Bytes(spanning.begin(), spanning.begin() + 2 * 188));
    b.Section(0x14, sibuild::TotSection(t2));
    b.Append(Bytes(spanning.begin() + 2 * 188, spanning.end()));
    b.Section(0x12, TestSection(4));
    b.Section(0x14, Bytes{0x70, 0x70, 0x03, 0xE8, 0x4E, 0x12});
    b.Section(0x11, TestSection(5, 50, 0x42));
    Bytes badCrc = sibuild::TotSection(t3);
    badCrc.back() ^= 0xFF;
    b.Section(0x14, badCrc);
    b.Section(0x12, TestSection(6));
    return b.bytes;
}

TEST_F(CaptureClock, EachSectionSeesTheLatestTimeTableBeforeItsLastPacket) {
    const Bytes capture = TimedCapture();
    const std::vector<RecordedSection> sections = Replay(capture, "stream");
    EXPECT_EQ(WithoutTimes(sections), SectionsOf(capture));
    EXPECT_EQ(Times(sections), (std::vector<int64_t>{t1, t1, t2, t2, t2, t3}));
}

TEST_F(CaptureClock, StreamIsTheDefaultAndPacketSizesChangeNothing) {
    const Bytes capture = TimedCapture();
    const std::vector<int64_t> expected{t1, t1, t2, t2, t2, t3};
    EXPECT_EQ(Times(Replay(capture, nullptr)), expected) << "no Clock key";
    EXPECT_EQ(Times(Replay(capture, "")), expected) << "empty Clock";
    EXPECT_EQ(Times(Replay(sibuild::To192(capture), "stream")), expected) << "192-byte packets";
    EXPECT_EQ(Times(Replay(sibuild::To204(capture), "stream")), expected) << "204-byte packets";
}

TEST_F(CaptureClock, ATimeTableAcrossTwoReadsOfTheFile) {
    // The TDT's packet straddles the end of the first chunk read: the section completed in the
    // packet before it still has the old time, the one after it the new. Also when the chunk
    // ends inside the packet's header (the stream shifted by bytes without a sync byte).
    struct Case {
        const char* name;
        size_t step;
        size_t shift;
    };
    const Case cases[] = {
        {"188", 188, 0},
        {"192", 192, 0},
        {"204", 204, 0},
        {"188, sync byte last in the chunk", 188, 99},
        {"188, header cut after its PID's first byte", 188, 98},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t tdtPacket = (CaptureFileSource::kChunkSize - c.shift) / c.step;
        CaptureBuilder b;
        b.Section(0x14, sibuild::TdtSection(t1));
        b.Stuffing(tdtPacket - 2);
        b.Section(0x12, TestSection(1));
        b.Section(0x14, sibuild::TdtSection(t2));
        b.Section(0x12, TestSection(2));
        Bytes capture = c.step == 192   ? sibuild::To192(b.bytes)
                        : c.step == 204 ? sibuild::To204(b.bytes)
                                        : b.bytes;
        capture.insert(capture.begin(), c.shift, 0x00);
        const size_t tdtAt = c.shift + tdtPacket * c.step + (c.step == 192 ? 4 : 0);
        ASSERT_LT(tdtAt, CaptureFileSource::kChunkSize);
        ASSERT_GT(tdtAt + 188, CaptureFileSource::kChunkSize);
        EXPECT_EQ(Times(Replay(capture, "stream")), (std::vector<int64_t>{t1, t2}));
    }
}

TEST_F(CaptureClock, AfterALostSyncNoSectionBeforeTheTimeTableSeesIt) {
    // Bytes without a sync byte break the stream just before e2. The demultiplexer takes e2,
    // the TDT and e3 only once the third of them confirms the regained sync, so e2 must still
    // see t1; e3 comes down with them and cannot see t2 yet.
    CaptureBuilder b;
    b.Section(0x14, sibuild::TdtSection(t1));
    b.Section(0x12, TestSection(1));
    b.Append(Bytes(5, 0x00));
    b.Section(0x12, TestSection(2));
    b.Section(0x14, sibuild::TdtSection(t2));
    b.Section(0x12, TestSection(3));
    b.Section(0x12, TestSection(4));
    const std::vector<RecordedSection> sections = Replay(b.bytes, "stream");
    ASSERT_EQ(sections.size(), 4u);
    EXPECT_EQ(Times(sections), (std::vector<int64_t>{t1, t1, t1, t2}));
}

TEST_F(CaptureClock, ACaptureWithoutTimeTablesRunsOnTheSystemClock) {
    const Bytes capture = ReadTestData("eit-pf-actual-other.ts");
    const int64_t before = SystemUtcNow();
    const std::vector<RecordedSection> sections = Replay(capture, "stream");
    const int64_t after = SystemUtcNow();
    ASSERT_FALSE(sections.empty());
    for (const RecordedSection& s : sections) {
        EXPECT_GE(s.now, before);
        EXPECT_LE(s.now, after);
    }
}

TEST_F(CaptureClock, FixedAndSystemClocksIgnoreTheTimeTables) {
    const Bytes capture = TimedCapture();
    const int64_t fixed = sibuild::UtcSeconds(2026, 1, 15, 18, 0, 0);
    EXPECT_EQ(Times(Replay(capture, "2026-01-15T18:00:00Z")), std::vector<int64_t>(6, fixed));

    const int64_t before = SystemUtcNow();
    const std::vector<RecordedSection> sections = Replay(capture, "system");
    const int64_t after = SystemUtcNow();
    ASSERT_EQ(sections.size(), 6u);
    for (const RecordedSection& s : sections) {
        EXPECT_GE(s.now, before);
        EXPECT_LE(s.now, after);
    }
}

}  // namespace

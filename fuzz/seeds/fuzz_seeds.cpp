// fuzz_seeds: writes the fuzz targets' starting corpora, made from the capture generator's
// line-up and tables, into <dir>/sections, <dir>/demux and <dir>/ini.
//   sections: SDT actual/other and BAT sections followed by one EIT section each (the EIT of a
//             service counts only once its SDT entry is known), present/following and schedule,
//             with every descriptor kind the generator makes
//   demux:    short SI-only captures of 188-, 192- and 204-byte packets
//   ini:      the demo configuration and variants of it
// Usage: fuzz_seeds DIR

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "sibuild/CaptureEit.h"
#include "sibuild/CaptureGenerator.h"
#include "sibuild/CaptureLineup.h"
#include "sibuild/CaptureTables.h"

namespace fs = std::filesystem;
using sibuild::Bytes;

namespace {

bool WriteFile(const fs::path& path, const Bytes& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

Bytes Joined(const std::vector<Bytes>& sections) {
    Bytes joined;
    for (const Bytes& section : sections)
        joined.insert(joined.end(), section.begin(), section.end());
    return joined;
}

bool SectionSeeds(const fs::path& dir) {
    sibuild::CaptureOptions options;
    options.services = 6;
    options.days = 2;
    const sibuild::Lineup lineup = sibuild::BuildLineup(options);
    std::vector<Bytes> services = sibuild::CaptureSdt(lineup);
    for (bool yes : {true, false})
        for (Bytes& bat : sibuild::CaptureBat(lineup, yes))
            services.push_back(std::move(bat));
    const Bytes head = Joined(services);
    bool ok = WriteFile(dir / "services", head);
    int count = 0;
    auto add = [&](const Bytes& eit) {
        Bytes seed = head;
        seed.insert(seed.end(), eit.begin(), eit.end());
        ok = WriteFile(dir / ("eit-" + std::to_string(count++)), seed) && ok;
    };
    for (size_t service = 0; service < lineup.services.size(); ++service) {
        for (const sibuild::EventSection& section :
             sibuild::PresentFollowingSections(lineup, service, 0, lineup.start,
                                               lineup.services[service].presentFollowingVersion))
            add(section.bytes);
        // The first sections of each schedule table: enough to carry every descriptor kind.
        for (int table = 0; table < sibuild::ScheduleTableCount(lineup); ++table) {
            const std::vector<sibuild::EventSection> schedule =
                sibuild::ScheduleSections(lineup, service, 0, table);
            for (size_t i = 0; i < schedule.size() && i < 3; ++i)
                add(schedule[i].bytes);
        }
    }
    return ok;
}

bool DemuxSeeds(const fs::path& dir) {
    bool ok = true;
    for (int packetSize : {188, 192, 204}) {
        for (uint64_t packets : {40, 120}) {
            sibuild::CaptureOptions options;
            options.services = 4;
            options.days = 1;
            options.siSharePercent = packets == 40 ? 100.0 : 20.0;
            options.packetSize = packetSize;
            options.sizeBytes = packets * static_cast<uint64_t>(packetSize);
            sibuild::CaptureGenerator generator(options);
            Bytes capture;
            generator.Write([&](const uint8_t* data, size_t size) {
                capture.insert(capture.end(), data, data + size);
            });
            ok = WriteFile(dir / ("capture-" + std::to_string(packetSize) + "-" +
                                  std::to_string(packets)),
                           capture) &&
                 ok;
        }
    }
    return ok;
}

bool IniSeeds(const fs::path& dir) {
    const std::vector<std::string> seeds = {
        "; The bundled demo\r\n[Tuner]\r\nTimeout=5\r\nTransponder=12303000\r\n"
        "SignalPolarisation=0\r\nSymbolRate=27500\r\nDVBS2=0\r\nBAT=1\r\n\r\n[Capture]\r\n"
        "File=demo.ts\r\nClock=stream\r\n",
        "[tuner]\n  transponder = 11954000  \nsymbolrate=+27500\nTimeout=-1\nChannelBase=100\n"
        "TunerOrdinal=2\nDVBS2=2\n# comment\n[capture]\nUrl=udp://239.1.1.1:1234\n"
        "Clock=2026-01-15T18:00:00Z\n",
        "\xEF\xBB\xBF[Tuner]\nTransponder=4294967296123\nBAT=\nTimeout=12abc\n[Capture]\n"
        "Url=rtp://@239.1.1.1:5004?localaddr=10.0.0.2\nClock=system\nFile=/tmp/x.ts\n",
        "[Capture]\nUrl=udp://:1234\n[Tuner]\nTransponder=12303000\nTransponder=0\n",
    };
    bool ok = true;
    for (size_t i = 0; i < seeds.size(); ++i)
        ok = WriteFile(dir / ("config-" + std::to_string(i)),
                       Bytes(seeds[i].begin(), seeds[i].end())) &&
             ok;
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: fuzz_seeds DIR\n");
        return 2;
    }
    const fs::path root = argv[1];
    for (const char* target : {"sections", "demux", "ini"})
        fs::create_directories(root / target);
    if (!SectionSeeds(root / "sections") || !DemuxSeeds(root / "demux") ||
        !IniSeeds(root / "ini")) {
        std::fprintf(stderr, "fuzz_seeds: can't write the seeds in %s\n", argv[1]);
        return 1;
    }
    return 0;
}

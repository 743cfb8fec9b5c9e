// gencapture: writes a synthetic DVB-S capture for the demo, the tests and the benchmarks.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <string>
#include <vector>

#include "sibuild/CaptureCommandLine.h"
#include "sibuild/CaptureGenerator.h"

namespace {

const char* TypeName(uint8_t type) {
    switch (type) {
        case 0x01:
            return "TV";
        case 0x02:
            return "radio";
        case 0x19:
            return "HD TV";
        case 0x0C:
            return "data";
        default:
            return "?";
    }
}

void PrintLineup(FILE* out, const sibuild::Lineup& lineup) {
    std::fprintf(out, "%-6s %-7s %-5s %-7s %-7s %-6s %s\n", "sid", "type", "ts", "running",
                 "number", "events", "names");
    for (const sibuild::LineupService& service : lineup.services) {
        std::string names = service.hasServiceDescriptor ? service.name.utf8 : "(none)";
        for (const sibuild::LineupName& name : service.otherNames)
            names += " | " + name.language + ": " + name.utf8;
        const std::string number = !service.inBouquet ? "-"
                                   : service.bouquetNumber == 0
                                       ? "0"
                                       : std::to_string(service.bouquetNumber);
        std::fprintf(out, "%-6u %-7s %-5u %-7s %-7s %-6zu %s\n", service.serviceId,
                     TypeName(service.serviceType), service.transportStreamId,
                     service.runningStatus == 4 ? "yes" : "no", number.c_str(),
                     service.events.size(), names.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    sibuild::CaptureCommand command;
    try {
        command = sibuild::ParseCaptureCommand(args, static_cast<int64_t>(std::time(nullptr)));
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "gencapture: %s\nTry gencapture --help.\n", error.what());
        return 2;
    }
    if (command.help) {
        std::fputs(sibuild::CaptureUsage("gencapture").c_str(), stdout);
        return 0;
    }

    sibuild::CaptureGenerator generator(command.options);
    // The listing goes to standard error when the capture goes to standard output.
    if (command.list) {
        PrintLineup(command.outPath == "-" ? stderr : stdout, generator.Description());
        std::fflush(stdout);
    }

    const bool toStdout = command.outPath == "-";
    FILE* out = toStdout ? stdout : std::fopen(command.outPath.c_str(), "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "gencapture: can't open %s: %s\n", command.outPath.c_str(),
                     std::strerror(errno));
        return 1;
    }
    bool failed = false;
    const sibuild::CaptureSummary summary = generator.Write([&](const uint8_t* data, size_t size) {
        if (!failed && std::fwrite(data, 1, size, out) != size)
            failed = true;
    });
    if ((toStdout ? std::fflush(out) : std::fclose(out)) != 0)
        failed = true;
    if (failed) {
        std::fprintf(stderr, "gencapture: can't write %s: %s\n", command.outPath.c_str(),
                     std::strerror(errno));
        return 1;
    }

    size_t events = 0;
    for (const sibuild::LineupService& service : generator.Description().services)
        events += service.events.size();
    std::fprintf(
        stderr,
        "gencapture: %s: %llu bytes, %llu packets of %d bytes, %.1f %% SI; %zu services, "
        "%zu events; stream time %s + %.2f s; %u schedule passes\n",
        command.outPath.c_str(), static_cast<unsigned long long>(summary.bytes),
        static_cast<unsigned long long>(summary.packets), command.options.packetSize,
        100.0 * static_cast<double>(summary.siPackets) / static_cast<double>(summary.packets),
        generator.Description().services.size(), events,
        sibuild::FormatUtcTime(command.options.start).c_str(), summary.streamSeconds,
        summary.scheduleCycles);
    return 0;
}

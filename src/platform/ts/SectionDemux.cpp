#include "platform/ts/SectionDemux.h"

#include <utility>

#include "si/ByteReader.h"

namespace {
constexpr size_t kPacketSize = 188;
}

SectionDemux::SectionDemux(SectionHandler onSection) : onSection(std::move(onSection)) {}

void SectionDemux::MapPid(uint16_t pid, int output) {
    pid &= kPidCount - 1;
    if (const uint16_t route = routeOfPid[pid]) {
        routes[route - 1]->output = output;
        return;
    }
    routes.push_back(std::make_unique<Route>(pid, output, onSection));
    routeOfPid[pid] = static_cast<uint16_t>(routes.size());
}

void SectionDemux::UnmapPid(uint16_t pid) {
    pid &= kPidCount - 1;
    const uint16_t route = routeOfPid[pid];
    if (route == 0)
        return;
    if (route != routes.size()) {  // the last route takes the freed place
        routes[route - 1] = std::move(routes.back());
        routeOfPid[routes[route - 1]->pid] = route;
    }
    routes.pop_back();
    routeOfPid[pid] = 0;
}

bool SectionDemux::IsMapped(uint16_t pid) const {
    return routeOfPid[pid & (kPidCount - 1)] != 0;
}

void SectionDemux::Feed(const uint8_t* packets, size_t count) {
    for (const uint8_t* packet = packets; count > 0; --count, packet += kPacketSize) {
        ByteReader header(packet + 1, 2);
        const uint16_t pid = header.U16() & (kPidCount - 1);
        if (const uint16_t route = routeOfPid[pid]) {
            Route& r = *routes[route - 1];
            r.assembler.Feed(packet, r);
        }
    }
}

void SectionDemux::Reset() {
    for (auto& route : routes)
        route->assembler.Reset();
}

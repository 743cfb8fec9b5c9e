#include "TransponderStream.h"

#include "sibuild/TsPacketizer.h"

sibuild::Bytes TransponderAround(const sibuild::Bytes& si, size_t streamBytes) {
    sibuild::Bytes out;
    out.reserve(streamBytes);
    uint8_t counter = 0;
    for (size_t i = 0; out.size() + 188 <= streamBytes; ++i) {
        if (i % 20 == 0) {
            const size_t at = (i / 20 * 188) % si.size();
            out.insert(out.end(), si.begin() + static_cast<std::ptrdiff_t>(at),
                       si.begin() + static_cast<std::ptrdiff_t>(at + 188));
            continue;
        }
        sibuild::TsHeader header;
        header.pid = static_cast<uint16_t>(0x100 + i % 7);
        header.counter = counter++;
        const sibuild::Bytes filler = sibuild::TsPacket(header, {}, sibuild::Bytes(184, 0x5A));
        out.insert(out.end(), filler.begin(), filler.end());
    }
    return out;
}

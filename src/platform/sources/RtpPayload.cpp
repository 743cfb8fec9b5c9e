#include "platform/sources/RtpPayload.h"

#include <optional>

#include "si/ByteReader.h"

namespace {

constexpr uint8_t kSyncByte = 0x47;

// The payload of a valid RTP version 2 packet.
std::optional<std::span<const uint8_t>> RtpPayload(std::span<const uint8_t> datagram) {
    ByteReader reader(datagram);
    const uint8_t first = reader.U8();
    if (!reader.Ok() || first >> 6 != 2)
        return std::nullopt;
    const bool padding = (first & 0x20) != 0;
    const bool extension = (first & 0x10) != 0;
    const size_t csrcCount = first & 0x0F;
    reader.Skip(1 + 2 + 4 + 4);  // marker and payload type, sequence number, timestamp, SSRC
    reader.Skip(4 * csrcCount);
    if (extension) {
        reader.Skip(2);  // profile-defined
        reader.Skip(4 * size_t{reader.U16()});
    }
    if (!reader.Ok())
        return std::nullopt;
    std::span<const uint8_t> payload(reader.Position(), reader.Remaining());
    if (padding) {
        const size_t padBytes = payload.empty() ? 0 : payload.back();
        if (padBytes == 0 || padBytes > payload.size())
            return std::nullopt;
        payload = payload.first(payload.size() - padBytes);
    }
    return payload;
}

}  // namespace

std::span<const uint8_t> TransportStreamPayload(std::span<const uint8_t> datagram,
                                                bool rtpExpected) {
    if (!datagram.empty() && datagram[0] == kSyncByte)
        return datagram;
    std::optional<std::span<const uint8_t>> payload = RtpPayload(datagram);
    if (rtpExpected)
        return payload.value_or(std::span<const uint8_t>());
    if (payload && !payload->empty() && (*payload)[0] == kSyncByte)
        return *payload;
    return datagram;
}

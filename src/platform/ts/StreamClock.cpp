#include "platform/ts/StreamClock.h"

#include "si/ByteReader.h"
#include "si/DvbTime.h"

std::optional<int64_t> ParseTimeSection(const uint8_t* section, size_t length) {
    ByteReader reader(section, length);
    const uint8_t tableId = reader.U8();
    if (tableId != kTimeDateTableId && tableId != kTimeOffsetTableId)
        return std::nullopt;
    if (reader.Length12() < 5)
        return std::nullopt;
    const auto utcTime = reader.Bytes(5);
    if (!reader.Ok())
        return std::nullopt;
    return UtcSecondsFromDvbTime(utcTime.data());
}

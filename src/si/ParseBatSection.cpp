#include "si/ParseBatSection.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "si/ByteReader.h"
#include "si/Settings.h"
#include "text/DecodeDvbString.h"
#include "text/XmlEscape.h"

namespace {

constexpr uint8_t BouquetNameTag = 0x47;
constexpr uint8_t ChannelListTag = 0xE2;
constexpr std::string_view OurBouquet = "Yes Bouquet 1";
// table_id to last_section_number, the two loop lengths and the CRC.
constexpr size_t MinimumSectionLength = 8 + 2 + 2 + 4;

// The last bouquet name in the loop; a faulty descriptor ends the walk, keeping what came
// before it.
std::string_view BouquetName(ByteReader loop) {
    std::string_view name;
    while (loop.Remaining() > 0) {
        const uint8_t tag = loop.U8();
        ByteReader body = loop.Scope(loop.U8());
        if (!loop.Ok())
            break;
        if (tag == BouquetNameTag)
            name = body.Text(body.Remaining());
    }
    return name;
}

void WriteChannel(FILE* stream, uint16_t channelNumber, const ServiceRecord& service) {
    // Sorted by language code so that two runs over the same stream give the same document.
    std::vector<const std::pair<const std::string, std::string>*> names;
    names.reserve(service.names.size());
    for (const auto& entry : service.names)
        names.push_back(&entry);
    std::sort(names.begin(), names.end(), [](auto* a, auto* b) { return a->first < b->first; });

    fprintf(stream, "<channel id=\"%hu\">\r\n", ChannelId(channelNumber));
    std::string decoded;
    for (const auto* entry : names) {
        DecodeDvbString(entry->first, entry->second, decoded);
        const std::string line = "\t<display-name lang=\"" + LanguageAttribute(entry->first) +
                                 "\">" + decoded + "</display-name>\r\n";
        fwrite(line.data(), 1, line.size(), stream);
    }
    fprintf(stream, "\t<icon>%u</icon>\r\n</channel>\r\n", unsigned{service.serviceType});
}

// One channel list entry; true when it numbered the service.
bool TakeEntry(SectionParser& parser, uint16_t serviceId, uint16_t channelNumber) {
    // A number 0 numbers nothing, and must not count as news on every repetition of the bouquet.
    if (channelNumber == 0)
        return false;
    const auto found = parser.services.find(serviceId);
    if (found == parser.services.end())
        return false;
    ServiceRecord& service = found->second;
    if (service.channelNumber != 0)
        return false;  // the first number a service gets stays
    service.channelNumber = channelNumber;

    const bool televisionOrRadio =
        service.serviceType == 0x01 || service.serviceType == 0x02 || service.serviceType == 0x19;
    if (parser.batFlag && service.runningStatus == 4 && televisionOrRadio) {
        WriteChannel(parser.outputStream, channelNumber, service);
        parser.channelsWritten.Add();
    }
    return true;
}

bool TakeTransportStream(SectionParser& parser, ByteReader descriptors) {
    bool numbered = false;
    while (descriptors.Remaining() > 0) {
        const uint8_t tag = descriptors.U8();
        ByteReader body = descriptors.Scope(descriptors.U8());
        if (!descriptors.Ok())
            break;
        if (tag != ChannelListTag)
            continue;
        // One to three bytes left over at the end hold no entry.
        for (size_t entries = body.Remaining() / 4; entries > 0; --entries) {
            const uint16_t serviceId = body.U16();
            const uint16_t channelNumber = body.U16();
            numbered |= TakeEntry(parser, serviceId, channelNumber);
        }
    }
    return numbered;
}

}  // namespace

bool ParseBatSection(SectionParser& parser, const uint8_t* section) {
    ByteReader head(section, 3);
    head.Skip(1);
    const size_t totalLength = size_t{head.Length12()} + 3;
    if (totalLength < MinimumSectionLength)
        return false;
    // Every loop ends at the latest where the CRC begins.
    ByteReader reader(section, totalLength - 4);
    reader.Skip(8);
    const ByteReader bouquetDescriptors = reader.Scope(reader.Length12());
    if (!reader.Ok() || BouquetName(bouquetDescriptors) != OurBouquet)
        return false;

    ByteReader transportStreams = reader.Scope(reader.Length12());
    bool numbered = false;
    while (transportStreams.Remaining() > 0) {
        transportStreams.Skip(4);  // transport_stream_id, original_network_id
        const ByteReader descriptors = transportStreams.Scope(transportStreams.Length12());
        if (!transportStreams.Ok())
            break;
        numbered |= TakeTransportStream(parser, descriptors);
    }
    return numbered;
}

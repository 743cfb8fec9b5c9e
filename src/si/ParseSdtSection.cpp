#include "si/ParseSdtSection.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "si/ByteReader.h"
#include "si/Settings.h"
#include "text/DecodeDvbString.h"

namespace {

constexpr int32_t headerLength = 11;  // table_id up to reserved_future_use
constexpr int32_t crcLength = 4;
constexpr uint8_t serviceDescriptorTag = 0x48;
constexpr uint8_t multilingualServiceNameDescriptorTag = 0x5D;
constexpr size_t serviceTypeLength = 1;
constexpr size_t languageCodeLength = 3;

// One name entry of a service or multilingual service name descriptor: a head (service_type
// or the language code), the provider name (skipped), the service name.
struct NameEntry {
    std::string_view head;
    std::string_view name;
};

bool ReadNameEntry(ByteReader& body, size_t headLength, NameEntry& entry) {
    entry.head = body.Text(headLength);
    body.Skip(body.U8());
    entry.name = body.Text(body.U8());
    return body.Ok();
}

// A descriptor takes effect only when every one of its entries lies inside its body, so a
// damaged descriptor writes and stores nothing.
bool EntriesSound(ByteReader body, size_t headLength) {
    NameEntry entry;
    while (body.Remaining() > 0)
        if (!ReadNameEntry(body, headLength, entry))
            return false;
    return true;
}

void WriteChannelElement(FILE* out, uint16_t serviceId, uint8_t serviceType, std::string_view name,
                         std::string& decoded) {
    std::fprintf(out, "<channel id=\"%hu\">\r\n", ChannelId(serviceId));
    // SDT names are read as ISO/IEC 8859-5 whatever their language.
    DecodeDvbString("rus", name, decoded);
    std::fprintf(out, "\t<display-name>%s</display-name>\r\n", decoded.c_str());
    std::fprintf(out, "\t<icon>%u</icon>\r\n</channel>\r\n", unsigned{serviceType});
}

bool ApplyServiceDescriptor(SectionParser& parser, uint16_t serviceId, ServiceRecord& record,
                            ByteReader body, std::string& decoded) {
    if (body.Remaining() < serviceTypeLength || !EntriesSound(body, serviceTypeLength))
        return false;
    record.serviceType = body.Rest().U8();  // only the first entry's type counts
    // With the bouquet numbering the channels, 0 lets it give this service its number.
    record.channelNumber = parser.batFlag ? 0 : serviceId;
    NameEntry entry;
    while (body.Remaining() > 0) {
        ReadNameEntry(body, serviceTypeLength, entry);
        record.names.insert_or_assign(std::string("eng"), std::string(entry.name));
        if (!parser.batFlag) {
            WriteChannelElement(parser.outputStream, serviceId, record.serviceType, entry.name,
                                decoded);
            parser.channelsWritten.Add();
        }
    }
    return true;
}

bool ApplyMultilingualNames(ServiceRecord& record, ByteReader body) {
    if (!EntriesSound(body, languageCodeLength))
        return false;
    NameEntry entry;
    while (body.Remaining() > 0) {
        ReadNameEntry(body, languageCodeLength, entry);
        record.names.insert_or_assign(std::string(entry.head), std::string(entry.name));
    }
    return true;
}

// Walks a new service's descriptors. A descriptor that runs past the loop, or whose names
// run past its body, ends the walk; what came before it stands.
void ReadServiceDescriptors(SectionParser& parser, uint16_t serviceId, ServiceRecord& record,
                            ByteReader descriptors, std::string& decoded) {
    while (descriptors.Remaining() > 0) {
        const uint8_t tag = descriptors.U8();
        ByteReader body = descriptors.Scope(descriptors.U8());
        if (!descriptors.Ok())
            return;
        bool sound = true;
        if (tag == serviceDescriptorTag)
            sound = ApplyServiceDescriptor(parser, serviceId, record, body, decoded);
        else if (tag == multilingualServiceNameDescriptorTag)
            sound = ApplyMultilingualNames(record, body);
        if (!sound)
            return;
    }
}

}  // namespace

bool ParseSdtSection(SectionParser& parser, const uint8_t* section, int32_t totalLength) {
    if (totalLength < headerLength + crcLength)
        return false;
    // The service loop ends where the CRC begins.
    ByteReader loop(section + headerLength,
                    static_cast<size_t>(totalLength - headerLength - crcLength));
    bool added = false;
    std::string decoded;
    while (loop.Remaining() > 0) {
        const uint16_t serviceId = loop.U16();
        loop.Skip(1);  // EIT flags
        const uint16_t statusAndLength = loop.U16();
        ByteReader descriptors = loop.Scope(statusAndLength & 0x0FFF);
        // An entry running past the loop is dropped with everything after it.
        if (!loop.Ok())
            break;
        auto [it, inserted] = parser.services.try_emplace(serviceId);
        if (!inserted)
            continue;  // the first entry seen for a service decides it
        added = true;
        it->second.runningStatus = static_cast<uint8_t>(statusAndLength >> 13);
        ReadServiceDescriptors(parser, serviceId, it->second, descriptors, decoded);
    }
    return added;
}

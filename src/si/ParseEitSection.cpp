#include "si/ParseEitSection.h"

#include "si/ByteReader.h"
#include "si/DvbTime.h"
#include "si/Settings.h"
#include "si/WriteEventDescriptors.h"

namespace {

constexpr int32_t HeaderLength = 14;  // table_id up to last_table_id
constexpr int32_t CrcLength = 4;
constexpr int64_t WindowBefore = 86400;   // one day back
constexpr int64_t WindowAfter = 1209600;  // fourteen days ahead

bool PassesGate(const ServiceRecord& service) {
    const bool televisionOrRadio =
        service.serviceType == 0x01 || service.serviceType == 0x02 || service.serviceType == 0x19;
    return service.channelNumber != 0 && service.runningStatus == 4 && televisionOrRadio;
}

void WriteProgramme(SectionParser& parser, uint16_t channelNumber, int64_t start, int64_t stop,
                    const uint8_t* descriptors, int32_t descriptorsLength) {
    XmltvTimeText startText;
    XmltvTimeText stopText;
    FormatXmltvTime(start, startText);
    FormatXmltvTime(stop, stopText);
    // One call for the opening tag: a programme is written for every new event. The space after
    // CR LF starts the first child line, as the document has always had it.
    fprintf(parser.outputStream,
            "<programme channel=\"%hu\" start=\"%s +0000\" stop=\"%s +0000\">\r\n ",
            ChannelId(channelNumber), startText.data(), stopText.data());
    WriteEventDescriptors(parser, descriptors, descriptorsLength);
    fputs("</programme>\r\n", parser.outputStream);
    parser.programmesWritten.Add();
}

}  // namespace

bool ParseEitSection(SectionParser& parser, const uint8_t* section, int32_t totalLength) {
    if (totalLength < HeaderLength + CrcLength)
        return false;
    ByteReader reader(section, static_cast<size_t>(totalLength));
    reader.Skip(3);
    const uint16_t serviceId = reader.U16();

    const auto found = parser.services.find(serviceId);
    if (found == parser.services.end())
        return false;
    ServiceRecord& service = found->second;
    if (!PassesGate(service))
        return false;

    reader.Skip(HeaderLength - 5);
    ByteReader loop = reader.Scope(static_cast<size_t>(totalLength - HeaderLength - CrcLength));
    bool added = false;
    while (loop.Remaining() > 0) {
        const uint16_t eventId = loop.U16();
        const uint8_t* startTime = loop.Bytes(5).data();
        const uint8_t* duration = loop.Bytes(3).data();
        const uint16_t descriptorsLength = loop.Length12();  // running_status, free_CA_mode above
        const ByteReader descriptors = loop.Scope(descriptorsLength);
        // A cut-off event or a descriptor loop past the event loop: the rest is not trusted.
        if (!loop.Ok())
            break;

        if (!service.events.insert(eventId).second)
            continue;
        added = true;

        const int64_t start = UtcSecondsFromDvbTime(startTime);
        const int64_t stop = start + SecondsFromDvbDuration(duration);
        const int64_t now = parser.now();
        if (stop < now - WindowBefore || stop > now + WindowAfter)
            continue;
        WriteProgramme(parser, service.channelNumber, start, stop, descriptors.Position(),
                       descriptorsLength);
    }
    return added;
}

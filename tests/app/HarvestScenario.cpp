#include "HarvestScenario.h"

#include "sibuild/EitBuilder.h"
#include "sibuild/EventDescriptors.h"
#include "sibuild/SdtBuilder.h"
#include "sibuild/TimeTableBuilder.h"
#include "sibuild/TsPacketizer.h"
#include "support/XmltvTime.h"

using namespace sibuild;

namespace {

std::string XmltvTime(int64_t utc) {
    return XmltvTimeDigits(utc) + " +0000";
}

struct Service {
    uint16_t id;
    uint8_t type;
    const char* name;     // as broadcast
    const char* written;  // as the display-name shows it
};

const Service services[] = {
    {101, 0x01, "Alpha One", "Alpha One"},
    {102, 0x02, "Beta & Radio", "Beta &amp; Radio"},
};

}  // namespace

HarvestScenario MakeHarvestScenario(int64_t streamTime, int eventsPerService) {
    HarvestScenario scenario;
    scenario.streamTime = streamTime;
    scenario.tdt.push_back(TdtSection(streamTime));

    std::vector<SdtService> sdtServices;
    for (const Service& service : services) {
        SdtService entry;
        entry.serviceId = service.id;
        entry.descriptors = ServiceDescriptor(service.type, "Provider", service.name);
        sdtServices.push_back(entry);
        scenario.expectedElements += "<channel id=\"" + std::to_string(service.id) +
                                     "\">\r\n\t<display-name>" + service.written +
                                     "</display-name>\r\n\t<icon>" + std::to_string(service.type) +
                                     "</icon>\r\n</channel>\r\n";
    }
    scenario.sdt.push_back(SdtSection(SdtHeader{}, sdtServices));

    // Schedule sections of at most eight events, each event half an hour.
    for (const Service& service : services) {
        EitSection section;
        section.tableId = 0x50;
        section.lastTableId = 0x50;
        section.serviceId = service.id;
        auto flush = [&] {
            if (!section.events.empty())
                scenario.eit.push_back(BuildEit(section));
            section.events.clear();
            ++section.sectionNumber;
        };
        for (int i = 0; i < eventsPerService; ++i) {
            EitEvent event;
            event.eventId = static_cast<uint16_t>(1000 + i);
            event.start = streamTime + i * 1800;
            event.duration = 1800;
            const std::string title = "Show " + std::to_string(i) + " of " + service.name;
            const std::string writtenTitle = "Show " + std::to_string(i) + " of " + service.written;
            event.descriptors =
                Concat({ShortEventDescriptor("eng", title, "Part " + std::to_string(i)),
                        ComponentDescriptor(0x02, 0x03, "deu"), ContentDescriptor({{0x14, 0x00}}),
                        ExtendedEventDescriptor(0, 0, "ger", {}, "Lange Beschreibung")});
            section.events.push_back(event);
            scenario.expectedElements +=
                "<programme channel=\"" + std::to_string(service.id) + "\" start=\"" +
                XmltvTime(event.start) + "\" stop=\"" + XmltvTime(event.start + 1800) +
                "\">\r\n \t<title lang=\"en\">" + writtenTitle +
                "</title>\r\n\t<sub-title lang=\"en\">Part " + std::to_string(i) +
                "</sub-title>\r\n\t<audio>\r\n\t\t<stereo>0x03</stereo>\r\n\t</audio>\r\n"
                "\t<category>0x14</category>\r\n\t<desc lang=\"ge\">Lange Beschreibung</desc>\r\n"
                "</programme>\r\n";
            if (section.events.size() == 8)
                flush();
        }
        flush();
    }
    return scenario;
}

ScenarioCarousel::ScenarioCarousel(const HarvestScenario& scenario) : scenario(scenario) {}

Bytes ScenarioCarousel::NextRound() {
    TsPacketizer tdt(0x0014, tdtCounter);
    TsPacketizer sdt(0x0011, sdtCounter);
    TsPacketizer eit(0x0012, eitCounter);
    Bytes round = Concat({tdt.Packetize(scenario.tdt), sdt.Packetize(scenario.sdt),
                          eit.Packetize(scenario.eit, true)});
    tdtCounter = tdt.Counter();
    sdtCounter = sdt.Counter();
    eitCounter = eit.Counter();
    return round;
}

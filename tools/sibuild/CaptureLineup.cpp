#include "sibuild/CaptureLineup.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>
#include <string>

#include "sibuild/CaptureRandom.h"
#include "sibuild/CaptureTexts.h"
#include "sibuild/DvbTime.h"
#include "sibuild/EventDescriptors.h"
#include "sibuild/SingleByteText.h"

namespace sibuild {

namespace {

constexpr int64_t kDay = 86400;
constexpr int64_t kSegment = 3 * 3600;  // an EIT schedule segment
// At most this many events start in one segment, so that a segment's events always fit into
// its eight sections of 4 KiB.
constexpr int kMaxEventsPerSegment = 16;
constexpr uint8_t kRevisions = 3;
constexpr int64_t kRevisedSpan = 6 * 3600;  // the end of the schedule that revisions add
constexpr size_t kExtendedTextChunk = 180;  // text bytes per extended event descriptor

enum Kind : uint8_t { kTv = 0x01, kRadio = 0x02, kData = 0x0C, kHd = 0x19 };

struct Pattern {
    Kind kind;
    const char* language;
    int transportStream;  // 0 actual, 1 and 2 other
    uint8_t runningStatus;
};

// The line-up repeats this pattern: every table, script and service type turns up within
// twelve services; one in twelve is not running, one outside the bouquet.
constexpr Pattern kPatterns[12] = {
    {kTv, "fre", 0, 4},    {kTv, "rus", 0, 4}, {kHd, "ger", 0, 4}, {kRadio, "spa", 0, 4},
    {kTv, "ara", 1, 4},    {kTv, "heb", 0, 4}, {kTv, "eng", 0, 1}, {kData, "fre", 0, 4},
    {kRadio, "rus", 1, 4}, {kHd, "heb", 2, 4}, {kTv, "spa", 2, 4}, {kTv, "ara", 0, 4}};
constexpr int kOutsideBouquetPattern = 10;
// The service of this index (when the line-up is that long) has no service descriptor, only
// multilingual names.
constexpr int kUnnamedServiceIndex = 23;

const char* CountryOf(std::string_view language) {
    static const std::map<std::string_view, const char*> countries{
        {"fre", "FRA"}, {"ger", "DEU"}, {"spa", "ESP"}, {"eng", "GBR"},
        {"rus", "RUS"}, {"ara", "ARE"}, {"heb", "ISR"}};
    return countries.at(language);
}

// Cuts the encoded text into pieces of the extended event descriptors, each with its own
// selector byte as broadcasters send them.
std::vector<std::string> ExtendedChunks(const std::string& encoded, TextScript script) {
    std::vector<std::string> chunks;
    const uint8_t selector = SelectorByte(script);
    for (size_t pos = 0; pos < encoded.size(); pos += kExtendedTextChunk) {
        std::string chunk;
        if (selector != 0)
            chunk.push_back(static_cast<char>(selector));
        chunks.push_back(chunk + encoded.substr(pos, kExtendedTextChunk));
    }
    return chunks;
}

class EventMaker {
public:
    EventMaker(const Lineup& lineup, const LineupService& service, CaptureRandom& random)
        : lineup(lineup), service(service), texts(TextsOf(service.language)), random(random) {}

    std::vector<LineupEvent> Make() {
        std::vector<LineupEvent> events;
        uint16_t eventId = static_cast<uint16_t>(random.Between(1, 30000));
        int64_t segment = -1;
        int inSegment = 0;
        for (int64_t t = lineup.scheduleStart; t < lineup.scheduleEnd;) {
            const ShowText& show =
                random.Pick(service.serviceType == kRadio ? texts.radioShows : texts.tvShows);
            int64_t duration = (random.Between(show.minMinutes, show.maxMinutes) + 4) / 5 * 5 * 60;
            const int64_t tSegment = (t - lineup.scheduleStart) / kSegment;
            inSegment = tSegment == segment ? inSegment + 1 : 1;
            segment = tSegment;
            if (inSegment == kMaxEventsPerSegment)
                duration = lineup.scheduleStart + (segment + 1) * kSegment - t;
            events.push_back(MakeEvent(eventId++, t, static_cast<int32_t>(duration), show));
            t += duration;
        }
        Revise(events);
        return events;
    }

private:
    LineupEvent MakeEvent(uint16_t eventId, int64_t start, int32_t duration, const ShowText& show) {
        LineupEvent event;
        event.eventId = eventId;
        event.start = start;
        event.duration = duration;
        event.language = std::string(texts.code);
        event.genre = show.genre;
        const int64_t revisedFrom = lineup.scheduleEnd - kRevisedSpan;
        if (start >= revisedFrom)
            event.addedInRevision = static_cast<uint8_t>(
                std::min<int64_t>(kRevisions, 1 + (start - revisedFrom) / 7200));
        event.title = BroadcastText(show.title, texts.script);
        event.subTitle = BroadcastText(random.Pick(texts.subTitles), texts.script);
        std::string text;
        for (int n = show.film ? random.Between(6, 14) : random.Between(2, 10); n > 0; --n)
            text +=
                std::string(text.empty() ? "" : " ") + std::string(random.Pick(texts.sentences));
        director = show.film ? random.Pick(texts.people) : std::string_view();
        descriptionChunks = ExtendedChunks(EncodeSingleByte(text, texts.script), texts.script);
        for (const std::string& chunk : descriptionChunks)
            event.description += chunk;
        audioTracks = show.film && texts.script == TextScript::Latin1252 ? 2 : 1;
        subtitles = random.Chance(30) ? (random.Chance(50) ? 0x10 : 0x01) : 0;
        userByte = random.Chance(10) ? static_cast<uint8_t>(random.Between(1, 255)) : 0;
        rating = show.film ? static_cast<uint8_t>(random.Between(0x04, 0x0F)) : 0;
        url = random.Chance(5);
        event.descriptors = Descriptors(event, event.subTitle);
        return event;
    }

    // Every revision changes the sub-title of one event still to come, and keeps what it has
    // drawn for the event's other descriptors.
    void Revise(std::vector<LineupEvent>& events) {
        for (uint8_t revision = 1; revision <= kRevisions; ++revision) {
            std::vector<size_t> candidates;
            for (size_t i = 0; i < events.size(); ++i)
                if (events[i].start >= lineup.start && events[i].addedInRevision < revision &&
                    events[i].revisedInRevision == 0)
                    candidates.push_back(i);
            if (candidates.empty())
                continue;
            LineupEvent& event = events[random.Pick(candidates)];
            event.revisedInRevision = revision;
            event.revisedSubTitle = BroadcastText(texts.revisedNote, texts.script);
            event.revisedDescriptors = ReplaceSubTitle(event);
        }
    }

    Bytes Descriptors(const LineupEvent& event, const std::string& subTitle) const {
        ByteWriter w;
        w.Append(ShortEventDescriptor(event.language, event.title, subTitle));
        const uint8_t last = static_cast<uint8_t>(descriptionChunks.size() - 1);
        for (size_t i = 0; i < descriptionChunks.size(); ++i) {
            std::vector<ExtendedEventItem> items;
            if (i == 0 && !director.empty())
                items.push_back({BroadcastText(texts.directorLabel, texts.script),
                                 BroadcastText(director, texts.script)});
            w.Append(ExtendedEventDescriptor(static_cast<uint8_t>(i), last, event.language, items,
                                             descriptionChunks[i]));
        }
        if (service.serviceType == kTv)
            w.Append(ComponentDescriptor(0x01, 0x03, event.language, 0x0F, 1));  // 16:9 SD
        if (service.serviceType == kHd)
            w.Append(ComponentDescriptor(0x05, 0x0B, event.language, 0x0F, 1));  // H.264 16:9 HD
        w.Append(ComponentDescriptor(0x02, 0x03, event.language, 0x0F, 2));      // stereo
        if (audioTracks > 1)
            w.Append(ComponentDescriptor(0x02, 0x03, "eng", 0x0F, 3, "VO"));
        if (subtitles != 0 && service.serviceType != kRadio)
            w.Append(ComponentDescriptor(0x03, subtitles, event.language, 0x0F, 4));
        w.Append(ContentDescriptor({{event.genre, userByte}}));
        if (rating != 0)
            w.Append(ParentalRatingDescriptor({{CountryOf(event.language), rating}}));
        if (url)
            w.Append(UrlDescriptor(
                EncodeText("https://guide.example/e/" + std::to_string(event.eventId))));
        return w.Take();
    }

    // The descriptors with another sub-title: the short event descriptor is the first.
    Bytes ReplaceSubTitle(const LineupEvent& event) const {
        const Bytes& original = event.descriptors;
        const size_t shortSize = 2 + original[1];
        Bytes revised = ShortEventDescriptor(event.language, event.title, event.revisedSubTitle);
        revised.insert(revised.end(), original.begin() + static_cast<std::ptrdiff_t>(shortSize),
                       original.end());
        return revised;
    }

    static Bytes EncodeText(const std::string& text) { return Bytes(text.begin(), text.end()); }

    const Lineup& lineup;
    const LineupService& service;
    const LanguageTexts& texts;
    CaptureRandom& random;
    // What the event being made drew, kept for its revision.
    std::vector<std::string> descriptionChunks;
    std::string_view director;
    int audioTracks = 1;
    uint8_t subtitles = 0;
    uint8_t userByte = 0;
    uint8_t rating = 0;
    bool url = false;
};

// Names are unique: a name used again gets a number.
class NamePicker {
public:
    void Pick(const std::vector<ServiceNameText>& pool, std::string& latinOut,
              std::string& nativeOut) {
        const int use = uses[&pool]++;
        const ServiceNameText& name = pool[static_cast<size_t>(use) % pool.size()];
        const std::string suffix =
            use < static_cast<int>(pool.size())
                ? ""
                : " " + std::to_string(use / static_cast<int>(pool.size()) + 1);
        latinOut = std::string(name.latin) + suffix;
        nativeOut = name.native.empty() ? "" : std::string(name.native) + suffix;
    }

private:
    std::map<const void*, int> uses;
};

}  // namespace

void CaptureOptions::Validate() const {
    const auto fail = [](const char* what) { throw std::invalid_argument(what); };
    if (services < 1 || services > 1000)
        fail("services: 1 to 1000");
    if (days < 1 || days > 60)
        fail("days: 1 to 60");
    // The line-up and its packets stay in memory: some 1.5 KiB per event, 35 events a day.
    if (services * days > 4000)
        fail("services times days: at most 4000");
    if (!(siSharePercent > 0 && siSharePercent <= 100))
        fail("SI share: above 0, at most 100 percent");
    if (packetSize != 188 && packetSize != 192 && packetSize != 204)
        fail("packet size: 188, 192 or 204");
    if (bitrate < 100'000 || bitrate > 1'000'000'000)
        fail("bitrate: 100 kbit/s to 1 Gbit/s");
    if (durationSeconds ? !(*durationSeconds > 0 && *durationSeconds < 1e7) : sizeBytes == 0)
        fail("size or duration: above 0");
    const double streamSeconds = durationSeconds ? *durationSeconds
                                                 : static_cast<double>(sizeBytes) / packetSize *
                                                       1504.0 / static_cast<double>(bitrate);
    // The schedule, the stream and a margin must end before the last date DVB time can carry.
    const double lastSecond = static_cast<double>(UtcSeconds(2038, 4, 22));
    if (start < 0 ||
        static_cast<double>(start) + streamSeconds + (days + 2) * double(kDay) >= lastSecond)
        fail("start: from 1970 on, and the schedule and stream must end before 2038-04-22");
}

Lineup BuildLineup(const CaptureOptions& options) {
    options.Validate();
    CaptureRandom random(options.seed);
    Lineup lineup;
    lineup.start = options.start;
    lineup.scheduleStart = options.start / kDay * kDay;
    lineup.scheduleEnd = options.start + options.days * kDay;
    lineup.originalNetworkId = 0x0F01;
    lineup.actualTransportStreamId = 1101;
    lineup.sdtVersion = static_cast<uint8_t>(random.Below(32));
    lineup.batVersion = static_cast<uint8_t>(random.Below(32));
    lineup.bouquetName = "Yes Bouquet 1";
    lineup.bouquetId = 0x6001;
    lineup.otherBouquetName = "Yes Bouquet 2";
    lineup.otherBouquetId = 0x6002;

    NamePicker names;
    uint16_t nextTvNumber = 1, nextRadioNumber = 801;
    uint16_t avIndex = 0;
    for (int i = 0; i < options.services; ++i) {
        const Pattern& pattern = kPatterns[i % 12];
        LineupService service;
        service.serviceId = static_cast<uint16_t>(4000 + 10 * i + random.Between(1, 9));
        service.transportStreamId =
            static_cast<uint16_t>(lineup.actualTransportStreamId + pattern.transportStream);
        service.actual = pattern.transportStream == 0;
        service.serviceType = pattern.kind;
        service.runningStatus = pattern.runningStatus;
        service.hasServiceDescriptor = i != kUnnamedServiceIndex;
        service.language = pattern.language;
        service.provider = EncodeSingleByte(
            ProviderName(static_cast<uint32_t>(pattern.transportStream)), TextScript::Latin1252);

        const LanguageTexts& texts = TextsOf(service.language);
        std::string latin, native;
        if (pattern.kind == kData) {
            const auto& pool = DataServiceNames();
            latin = std::string(pool[static_cast<size_t>(i / 12) % pool.size()]);
            if (i / 12 >= static_cast<int>(pool.size()))
                latin += " " + std::to_string(i / 12 / pool.size() + 1);
        } else {
            names.Pick(pattern.kind == kRadio ? texts.radioNames
                       : pattern.kind == kHd  ? texts.hdNames
                                              : texts.tvNames,
                       latin, native);
        }
        service.name = {"eng", EncodeSingleByte(latin, TextScript::Latin1252), latin};
        if (!native.empty())
            service.otherNames.push_back(
                {service.language, BroadcastText(native, texts.script), native});
        else if (i % 3 == 0 || !service.hasServiceDescriptor)
            service.otherNames.push_back(
                {service.language, EncodeSingleByte(latin, TextScript::Latin1252), latin});

        service.inBouquet = i % 12 != kOutsideBouquetPattern;
        if (service.inBouquet && pattern.kind != kData)
            service.bouquetNumber = pattern.kind == kRadio ? nextRadioNumber++ : nextTvNumber++;
        service.otherBouquetNumber = static_cast<uint16_t>(500 + i);
        if (service.actual && pattern.kind != kData) {
            const uint16_t base = static_cast<uint16_t>(0x100 + 0x10 * (avIndex++ % 400));
            service.videoPid = pattern.kind == kRadio ? 0 : base;
            service.audioPid = static_cast<uint16_t>(base + 1);
        }
        service.scheduleVersion = static_cast<uint8_t>(random.Below(32));
        service.presentFollowingVersion = static_cast<uint8_t>(random.Below(32));
        if (pattern.kind != kData) {
            service.revisions = kRevisions;
            service.events = EventMaker(lineup, service, random).Make();
        }
        lineup.services.push_back(std::move(service));
    }
    lineup.strayBouquetServiceIds.push_back(
        static_cast<uint16_t>(4000 + 10 * options.services + 5));
    return lineup;
}

}  // namespace sibuild

#pragma once
// SectionRecordingSink: a renderer that stands in for the demultiplexer and the sink filter
// below a tuner. Its input pin ("Input", any transport stream type) frames what it receives,
// assembles the sections of PIDs 0x0011 and 0x0012, and records each one together with the
// clock's reading at the moment it completed, as the parsers would read it. It counts bytes and
// ends of stream (EC_COMPLETE goes to the graph), and can run a hook on every sample.
//
//     auto sink = SectionRecordingSink::Create(clock);
//     graph->AddFilter(sink.Get(), L"Sink");
//     ... sink->WaitForEndsOfStream(); sink->Sections();

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/dshow/BaseFilter.h"
#include "sibuild/SectionBuilder.h"

struct RecordedSection {
    uint16_t pid;
    sibuild::Bytes section;
    int64_t now;  // the clock when the section completed
    bool operator==(const RecordedSection&) const = default;
};

class SectionRecordingSink : public CBaseFilter {
public:
    // `clock`: read for every section; none: recorded as 0.
    static ComPtr<SectionRecordingSink> Create(std::function<int64_t()> clock = {});

    explicit SectionRecordingSink(std::function<int64_t()> clock);
    ~SectionRecordingSink() override;

    int GetPinCount() override;
    CBasePin* GetPin(int n) override;
    IPin* InputPin();

    // Runs on the deliverer's thread after a sample was taken in.
    void SetOnReceive(std::function<void()> hook);

    std::vector<RecordedSection> Sections();
    size_t BytesReceived();
    size_t SamplesReceived();
    int EndsOfStream();
    // True when the condition came within the time.
    bool WaitForBytes(size_t count, int timeoutMs = 20000);
    bool WaitForEndsOfStream(int count = 1, int timeoutMs = 20000);
    bool WaitForSamples(size_t count, int timeoutMs = 20000);

private:
    class Pin;
    friend class Pin;

    CCritSec lock;
    std::unique_ptr<Pin> pin;
};

// The sections of PIDs 0x0011 and 0x0012 in `capture`, framed and assembled in one go (the
// clock reads 0): what a tuner replaying it must make the sink record.
std::vector<RecordedSection> SectionsOf(const sibuild::Bytes& capture);
// The sections without the clock readings.
std::vector<RecordedSection> WithoutTimes(std::vector<RecordedSection> sections);

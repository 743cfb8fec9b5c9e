#pragma once
// The demultiplexer between a fake transport stream source and recording sinks, driven on the
// test's own thread: every filter runs, the source's Deliver is the demultiplexer's Receive.
// By default output "EIT" (sink 0) maps PID 0x12 and output "SDT" (sink 1) maps PID 0x11.

#include <string>
#include <vector>

#include "platform/com/ClassRegistry.h"
#include "platform/dshow/Mpeg2Interfaces.h"
#include "sibuild/SectionBuilder.h"
#include "support/FakeFilter.h"

// The media type of the demultiplexer's section outputs.
CMediaType PsiSectionType();

// The sections of a sample laid back to back; fails the test when the sample is not made of
// whole sections.
std::vector<sibuild::Bytes> SplitSections(const sibuild::Bytes& sample);

class DemuxRig {
public:
    struct Output {
        std::wstring name;
        std::vector<ULONG> pids;
        bool connected = true;
    };
    struct Delivery {
        int sink;
        sibuild::Bytes sample;
        bool operator==(const Delivery&) const = default;
    };

    DemuxRig();
    explicit DemuxRig(std::vector<Output> outputs);
    ~DemuxRig();
    DemuxRig(const DemuxRig&) = delete;
    DemuxRig& operator=(const DemuxRig&) = delete;

    // The stream in chunks of `chunk` bytes (0: one chunk); fails the test on a failed Receive.
    void Push(const sibuild::Bytes& stream, size_t chunk = 0);
    // End of stream, from the source.
    void End();
    // The sections sink n received, in order.
    std::vector<sibuild::Bytes> Sections(int sink);

    ClassRegistration registration;
    ComPtr<IBaseFilter> filter;
    ComPtr<IMpeg2Demultiplexer> demux;
    ComPtr<FakeFilter> source;
    std::vector<ComPtr<IPin>> outputPins;   // in the order given
    std::vector<ComPtr<FakeFilter>> sinks;  // one per output, connected or not
    std::vector<Delivery> deliveries;       // every sample, in delivery order
};

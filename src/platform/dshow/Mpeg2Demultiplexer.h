#pragma once
// The MPEG-2 demultiplexer filter (CLSID_MPEG2Demultiplexer): a transport stream comes in on its
// input pin, and output pins made at run time (IMpeg2Demultiplexer) deliver the sections of the
// PIDs mapped to them (IMPEG2PIDMap, MEDIA_MPEG2_PSI).
//
// Pins enumerate input first, then the outputs in the order they were created.
//
// Delivery: the input's Receive takes bytes in chunks of any size; packets are framed by
// PacketFramer and their sections assembled by SectionDemux. Complete sections go out
// synchronously on the thread that called Receive, before it returns: a media sample holds one
// or more whole sections of one output, and samples follow the order in which the sections
// completed. Sections of an output that is not connected are dropped. End of stream delivers
// what the remaining bytes complete, drops unfinished sections and passes the end of stream to
// every connected output. A stopped filter takes neither (VFW_E_WRONG_STATE); Stop waits for a
// Receive under way and forgets the stream's state (unfinished sections, counters, framing), so
// the next run starts afresh.
//
// Output pins are made and deleted while the filter is stopped; PIDs may be mapped at any time.
// A deleted pin leaves the filter's pins at once, but its object stays until the filter goes,
// as callers may still hold it. Receivers must not call back into the demultiplexer from
// Receive.

#include <memory>
#include <mutex>
#include <vector>

#include "platform/com/ClassRegistry.h"
#include "platform/dshow/BaseFilter.h"
#include "platform/dshow/Mpeg2Interfaces.h"
#include "platform/ts/PacketFramer.h"
#include "platform/ts/SectionDemux.h"

class DemuxInputPin;
class DemuxOutputPin;

class Mpeg2Demultiplexer : public CBaseFilter, public IMpeg2Demultiplexer {
public:
    // The largest media sample it delivers, unless one section alone is larger.
    static constexpr size_t kMaxSampleBytes = 64 * 1024;

    Mpeg2Demultiplexer();
    ~Mpeg2Demultiplexer() override;

    DECLARE_IUNKNOWN
    // IMpeg2Demultiplexer, then CBaseFilter's.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    int GetPinCount() override;
    CBasePin* GetPin(int n) override;

    STDMETHODIMP Stop() override;

    // A new output pin named pszPinName offering *pMediaType, returned in *ppIPin with a
    // reference. E_INVALIDARG for an empty name or one a pin already has; VFW_E_NOT_STOPPED.
    STDMETHODIMP CreateOutputPin(AM_MEDIA_TYPE* pMediaType, LPWSTR pszPinName,
                                 IPin** ppIPin) override;
    // Disconnects the output pin of that name, unmaps its PIDs and removes it.
    // VFW_E_NOT_FOUND when no output pin has the name; VFW_E_NOT_STOPPED.
    STDMETHODIMP DeleteOutputPin(LPWSTR pszPinName) override;

    // For the pins.
    HRESULT ReceiveStream(IMediaSample* pSample);
    HRESULT EndOfStream();
    HRESULT MapPids(DemuxOutputPin* pin, ULONG count, const ULONG* pids);

private:
    void OnSection(int output, const uint8_t* section, size_t length);
    void FlushSample();
    void ResetStream();
    DemuxOutputPin* FindOutput(LPCWSTR name);

    CCritSec lock;  // the filter's state and its pins, for the main thread
    // The stream: framer, section state, the outputs as delivery sees them, the sample being
    // filled. Changes to the outputs take `lock` first, then this one.
    std::mutex streamLock;
    std::unique_ptr<DemuxInputPin> input;
    // Every output ever made, by id (its index); deleted ones stay until the filter goes.
    std::vector<std::unique_ptr<DemuxOutputPin>> createdOutputs;
    std::vector<DemuxOutputPin*> outputs;  // the live ones, in creation order
    std::vector<int> outputOfPid;          // id of the output each PID is mapped to, or -1
    PacketFramer framer;
    SectionDemux sections;
    std::vector<uint8_t> sample;
    int sampleOutput = -1;
};

// Registers the demultiplexer for CoCreateInstance(CLSID_MPEG2Demultiplexer); it stays
// registered while the handle lives (Keep() for the rest of the process).
[[nodiscard]] ClassRegistration RegisterDemultiplexerClass();

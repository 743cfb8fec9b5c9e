#include "platform/dshow/Mpeg2Demultiplexer.h"

#include <cwchar>

#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/DemuxInputPin.h"
#include "platform/dshow/DemuxOutputPin.h"
#include "platform/dshow/MemorySample.h"

namespace {
constexpr ULONG kMaxPid = SectionDemux::kPidCount - 1;
}

Mpeg2Demultiplexer::Mpeg2Demultiplexer()
    : CBaseFilter(NAME("MPEG-2 demultiplexer"), nullptr, &lock, CLSID_MPEG2Demultiplexer),
      input(std::make_unique<DemuxInputPin>(this, &lock)),
      outputOfPid(SectionDemux::kPidCount, -1),
      framer([this](const uint8_t* packets, size_t count) { sections.Feed(packets, count); }),
      sections([this](int output, uint16_t, const uint8_t* section, size_t length) {
          OnSection(output, section, length);
      }) {
    sample.reserve(kMaxSampleBytes);
}

Mpeg2Demultiplexer::~Mpeg2Demultiplexer() = default;

STDMETHODIMP Mpeg2Demultiplexer::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IMpeg2Demultiplexer)
        return GetInterface(static_cast<IMpeg2Demultiplexer*>(this), ppv);
    return CBaseFilter::NonDelegatingQueryInterface(riid, ppv);
}

int Mpeg2Demultiplexer::GetPinCount() {
    CAutoLock guard(&lock);
    return 1 + static_cast<int>(outputs.size());
}

CBasePin* Mpeg2Demultiplexer::GetPin(int n) {
    CAutoLock guard(&lock);
    if (n == 0)
        return input.get();
    if (n < 0 || static_cast<size_t>(n) > outputs.size())
        return nullptr;
    return outputs[static_cast<size_t>(n - 1)];
}

STDMETHODIMP Mpeg2Demultiplexer::Stop() {
    HRESULT hr = CBaseFilter::Stop();
    // Waits for a Receive under way; later ones find the filter stopped.
    std::lock_guard stream(streamLock);
    ResetStream();
    return hr;
}

DemuxOutputPin* Mpeg2Demultiplexer::FindOutput(LPCWSTR name) {
    for (DemuxOutputPin* pin : outputs) {
        if (std::wcscmp(pin->Name(), name) == 0)
            return pin;
    }
    return nullptr;
}

STDMETHODIMP Mpeg2Demultiplexer::CreateOutputPin(AM_MEDIA_TYPE* pMediaType, LPWSTR pszPinName,
                                                 IPin** ppIPin) {
    if (ppIPin == nullptr)
        return E_POINTER;
    *ppIPin = nullptr;
    if (pMediaType == nullptr || pszPinName == nullptr)
        return E_POINTER;
    CAutoLock guard(&lock);
    if (!IsStopped())
        return VFW_E_NOT_STOPPED;
    // Pins are found and deleted by name: it must tell them apart.
    if (pszPinName[0] == 0 || FindOutput(pszPinName) != nullptr ||
        std::wcscmp(input->Name(), pszPinName) == 0) {
        return E_INVALIDARG;
    }
    const int id = static_cast<int>(createdOutputs.size());
    auto pin =
        std::make_unique<DemuxOutputPin>(this, &lock, pszPinName, CMediaType(*pMediaType), id);
    DemuxOutputPin* created = pin.get();
    {
        std::lock_guard stream(streamLock);
        createdOutputs.push_back(std::move(pin));
        outputs.push_back(created);
    }
    IncrementPinVersion();
    *ppIPin = created;
    created->AddRef();
    return S_OK;
}

STDMETHODIMP Mpeg2Demultiplexer::DeleteOutputPin(LPWSTR pszPinName) {
    if (pszPinName == nullptr)
        return E_POINTER;
    CAutoLock guard(&lock);
    if (!IsStopped())
        return VFW_E_NOT_STOPPED;
    DemuxOutputPin* pin = FindOutput(pszPinName);
    if (pin == nullptr)
        return VFW_E_NOT_FOUND;
    // Both ends, so the peer lets go of the pin (and of this filter).
    if (IPin* peer = pin->GetConnected()) {
        peer->Disconnect();
        pin->Disconnect();
    }
    {
        std::lock_guard stream(streamLock);
        for (size_t pid = 0; pid < outputOfPid.size(); ++pid) {
            if (outputOfPid[pid] == pin->Id()) {
                sections.UnmapPid(static_cast<uint16_t>(pid));
                outputOfPid[pid] = -1;
            }
        }
        std::erase(outputs, pin);
        pin->deleted = true;
    }
    IncrementPinVersion();
    return S_OK;
}

HRESULT Mpeg2Demultiplexer::MapPids(DemuxOutputPin* pin, ULONG count, const ULONG* pids) {
    if (count == 0)
        return E_INVALIDARG;
    for (ULONG i = 0; i < count; ++i) {
        if (pids[i] > kMaxPid)
            return E_INVALIDARG;
    }
    std::lock_guard stream(streamLock);
    if (pin->deleted)
        return E_UNEXPECTED;
    for (ULONG i = 0; i < count; ++i) {
        const auto pid = static_cast<uint16_t>(pids[i]);
        sections.MapPid(pid, pin->Id());
        outputOfPid[pid] = pin->Id();
    }
    return S_OK;
}

HRESULT Mpeg2Demultiplexer::ReceiveStream(IMediaSample* pSample) {
    std::lock_guard stream(streamLock);
    HRESULT hr = input->CheckStreaming();
    if (FAILED(hr))
        return hr;
    BYTE* data = nullptr;
    const LONG length = pSample->GetActualDataLength();
    if (length <= 0 || FAILED(pSample->GetPointer(&data)) || data == nullptr)
        return S_OK;
    framer.Push(data, static_cast<size_t>(length));
    FlushSample();
    return S_OK;
}

HRESULT Mpeg2Demultiplexer::EndOfStream() {
    std::lock_guard stream(streamLock);
    HRESULT hr = input->CheckStreaming();
    if (FAILED(hr))
        return hr;
    framer.End();
    FlushSample();
    sections.Reset();  // a section cut off by the end is never delivered
    for (DemuxOutputPin* pin : outputs) {
        if (pin->IsConnected())
            pin->DeliverEndOfStream();
    }
    return S_OK;
}

void Mpeg2Demultiplexer::OnSection(int output, const uint8_t* section, size_t length) {
    DemuxOutputPin* pin = createdOutputs[static_cast<size_t>(output)].get();
    if (!pin->IsConnected())
        return;
    if (output != sampleOutput || sample.size() + length > kMaxSampleBytes)
        FlushSample();
    sampleOutput = output;
    sample.insert(sample.end(), section, section + length);
}

void Mpeg2Demultiplexer::FlushSample() {
    if (sample.empty())
        return;
    CMemorySample media(sample.data(), static_cast<LONG>(sample.size()));
    // A receiver's failure is its own: the other outputs and later samples go on.
    createdOutputs[static_cast<size_t>(sampleOutput)]->Deliver(&media);
    sample.clear();
}

void Mpeg2Demultiplexer::ResetStream() {
    framer = PacketFramer(
        [this](const uint8_t* packets, size_t count) { sections.Feed(packets, count); });
    sections.Reset();
    sample.clear();
    sampleOutput = -1;
}

ClassRegistration RegisterDemultiplexerClass() {
    return RegisterClass(CLSID_MPEG2Demultiplexer, MakeClassFactory<Mpeg2Demultiplexer>());
}

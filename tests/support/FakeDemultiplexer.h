#pragma once
// FakeDemultiplexer: a stand-in for the MPEG-2 demultiplexer in tests of graph code. It has
// an input pin "MPEG-2 Stream" and output pins made and deleted at run time through
// IMpeg2Demultiplexer, each with IMPEG2PIDMap; pins enumerate input first, then outputs in
// creation order. Each step can be made to fail, and every call is logged ("demux.MapPID").
//
//     FakeDemultiplexerConfig config;
//     config.existingOutputs = {L"Old 1", L"Old 2"};   // outputs present before the build
//     ClassRegistration demux = RegisterClass(CLSID_MPEG2Demultiplexer,
//                                             FakeDemultiplexer::Factory(config));
//
// Deleted pins are disconnected and kept until the filter goes (a caller may still hold one).

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/dshow/BaseFilter.h"
#include "platform/dshow/Mpeg2Interfaces.h"
#include "support/CallLog.h"

class FakeDemultiplexer;

struct FakeDemultiplexerConfig {
    std::shared_ptr<CallLog> log;
    std::vector<std::wstring> existingOutputs;
    // CreateOutputPin of these names fails with E_FAIL.
    std::vector<std::wstring> failingOutputs;
    HRESULT deleteOutputPinResult = S_OK;
    HRESULT mapPidResult = S_OK;
    bool pinsHavePidMap = true;
    bool answersDemultiplexer = true;
    // Called with every new instance, before it is handed out.
    std::function<void(FakeDemultiplexer*)> onCreated;
};

struct FakePidMapping {
    std::vector<ULONG> pids;
    MEDIA_SAMPLE_CONTENT content;
};

class FakeDemultiplexer : public CBaseFilter, public IMpeg2Demultiplexer {
public:
    static ClassFactory Factory(FakeDemultiplexerConfig config);
    explicit FakeDemultiplexer(FakeDemultiplexerConfig config);
    ~FakeDemultiplexer() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    int GetPinCount() override;
    CBasePin* GetPin(int n) override;

    STDMETHODIMP CreateOutputPin(AM_MEDIA_TYPE* pMediaType, LPWSTR pszPinName,
                                 IPin** ppIPin) override;
    STDMETHODIMP DeleteOutputPin(LPWSTR pszPinName) override;

    FakeDemultiplexerConfig& Config() { return config; }
    // The outputs that exist, in enumeration order.
    std::vector<std::wstring> OutputNames();
    // The MapPID calls on an output, and the type it was created with.
    std::vector<FakePidMapping> Mappings(const std::wstring& output);
    AM_MEDIA_TYPE OutputType(const std::wstring& output);
    // The graph name of the filter an output is connected to ("" when it is free).
    std::wstring PeerFilterName(const std::wstring& output);
    // Delivers bytes as one sample on an output; the peer's Receive result.
    HRESULT Deliver(const std::wstring& output, const std::vector<BYTE>& bytes);

    void Log(const std::string& entry);

private:
    class Pins;
    FakeDemultiplexerConfig config;
    CCritSec lock;
    std::unique_ptr<Pins> pins;
};

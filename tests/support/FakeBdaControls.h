#pragma once
// Fakes of a tuner device's controls, to hang on a FakeFilter or its pins through
// FakeInterface: the kernel-streaming property set of a pin, the topology of the filter and
// the signal statistics of its control node. Each records what it was asked and answers with
// the configured values or failures.
//
//     auto stats = FakeSignalStatistics::Create();
//     stats->locked = 1; stats->qualityResult = E_FAIL;
//     auto topology = FakeTopology::Create(stats.Get());
//     config.interfaces = {FakeInterface::Of(IID_IBDA_Topology, topology.Get())};
//     auto props = FakeKsPropertySet::Create();
//     config.pins[0].interfaces = {FakeInterface::Of(IID_IKsPropertySet, props.Get())};

#include <functional>
#include <mutex>
#include <vector>

#include "platform/bda/BdaInterfaces.h"
#include "platform/dshow/CUnknown.h"

class FakeKsPropertySet : public CUnknown, public IKsPropertySet {
public:
    struct SetCall {
        GUID propertySet;
        DWORD propertyId;
        std::vector<BYTE> instanceData;
        std::vector<BYTE> propertyData;
    };

    static ComPtr<FakeKsPropertySet> Create();
    FakeKsPropertySet();

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    // Records the call (the bytes as they were passed), then runs onSet when given (which may
    // write through the property data, as a driver does), else answers setResult.
    STDMETHODIMP Set(REFGUID guidPropSet, DWORD dwPropID, LPVOID pInstanceData,
                     DWORD cbInstanceData, LPVOID pPropData, DWORD cbPropData) override;

    std::vector<SetCall> Calls();

    HRESULT setResult = S_OK;
    std::function<HRESULT(REFGUID, DWORD, LPVOID, DWORD, LPVOID, DWORD)> onSet;

private:
    std::mutex mutex;
    std::vector<SetCall> calls;
};

class FakeSignalStatistics : public CUnknown, public IBDA_SignalStatistics {
public:
    static ComPtr<FakeSignalStatistics> Create();
    FakeSignalStatistics();

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP get_SignalStrength(LONG* plDbStrength) override;
    STDMETHODIMP get_SignalQuality(LONG* plPercentQuality) override;
    STDMETHODIMP get_SignalLocked(BOOLEAN* pfLocked) override;

    BOOLEAN locked = 1;
    LONG quality = 100;
    LONG strength = 100;
    HRESULT lockedResult = S_OK;
    HRESULT qualityResult = S_OK;
    HRESULT strengthResult = S_OK;
};

class FakeTopology : public CUnknown, public IBDA_Topology {
public:
    struct NodeRequest {
        ULONG inputPinId;
        ULONG outputPinId;
        ULONG nodeType;
    };

    // node: what GetControlNode hands out (may be null: then it fails with E_FAIL).
    static ComPtr<FakeTopology> Create(IUnknown* node);
    explicit FakeTopology(IUnknown* node);

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP GetControlNode(ULONG ulInputPinId, ULONG ulOutputPinId, ULONG ulNodeType,
                                IUnknown** ppControlNode) override;

    std::vector<NodeRequest> requests;
    HRESULT getControlNodeResult = S_OK;

private:
    ComPtr<IUnknown> node;
};

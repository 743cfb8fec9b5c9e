#include "support/FakeBdaControls.h"

namespace {

template <typename T>
ComPtr<T> Counted(T* object) {
    return ComPtr<T>(object);
}

std::vector<BYTE> Copy(LPVOID data, DWORD size) {
    if (data == nullptr)
        return {};
    const BYTE* bytes = static_cast<const BYTE*>(data);
    return std::vector<BYTE>(bytes, bytes + size);
}

}  // namespace

ComPtr<FakeKsPropertySet> FakeKsPropertySet::Create() {
    return Counted(new FakeKsPropertySet);
}

FakeKsPropertySet::FakeKsPropertySet() : CUnknown(NAME("FakeKsPropertySet"), nullptr) {}

STDMETHODIMP FakeKsPropertySet::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IKsPropertySet)
        return GetInterface(static_cast<IKsPropertySet*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP FakeKsPropertySet::Set(REFGUID guidPropSet, DWORD dwPropID, LPVOID pInstanceData,
                                    DWORD cbInstanceData, LPVOID pPropData, DWORD cbPropData) {
    {
        std::lock_guard lock(mutex);
        calls.push_back(SetCall{guidPropSet, dwPropID, Copy(pInstanceData, cbInstanceData),
                                Copy(pPropData, cbPropData)});
    }
    if (onSet) {
        return onSet(guidPropSet, dwPropID, pInstanceData, cbInstanceData, pPropData, cbPropData);
    }
    return setResult;
}

std::vector<FakeKsPropertySet::SetCall> FakeKsPropertySet::Calls() {
    std::lock_guard lock(mutex);
    return calls;
}

ComPtr<FakeSignalStatistics> FakeSignalStatistics::Create() {
    return Counted(new FakeSignalStatistics);
}

FakeSignalStatistics::FakeSignalStatistics() : CUnknown(NAME("FakeSignalStatistics"), nullptr) {}

STDMETHODIMP FakeSignalStatistics::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IBDA_SignalStatistics) {
        return GetInterface(static_cast<IBDA_SignalStatistics*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP FakeSignalStatistics::get_SignalStrength(LONG* plDbStrength) {
    if (plDbStrength == nullptr)
        return E_POINTER;
    if (FAILED(strengthResult))
        return strengthResult;
    *plDbStrength = strength;
    return S_OK;
}

STDMETHODIMP FakeSignalStatistics::get_SignalQuality(LONG* plPercentQuality) {
    if (plPercentQuality == nullptr)
        return E_POINTER;
    if (FAILED(qualityResult))
        return qualityResult;
    *plPercentQuality = quality;
    return S_OK;
}

STDMETHODIMP FakeSignalStatistics::get_SignalLocked(BOOLEAN* pfLocked) {
    if (pfLocked == nullptr)
        return E_POINTER;
    if (FAILED(lockedResult))
        return lockedResult;
    *pfLocked = locked;
    return S_OK;
}

ComPtr<FakeTopology> FakeTopology::Create(IUnknown* node) {
    return Counted(new FakeTopology(node));
}

FakeTopology::FakeTopology(IUnknown* node) : CUnknown(NAME("FakeTopology"), nullptr), node(node) {}

STDMETHODIMP FakeTopology::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IBDA_Topology)
        return GetInterface(static_cast<IBDA_Topology*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP FakeTopology::GetControlNode(ULONG ulInputPinId, ULONG ulOutputPinId, ULONG ulNodeType,
                                          IUnknown** ppControlNode) {
    if (ppControlNode == nullptr)
        return E_POINTER;
    *ppControlNode = nullptr;
    requests.push_back(NodeRequest{ulInputPinId, ulOutputPinId, ulNodeType});
    if (FAILED(getControlNodeResult))
        return getControlNodeResult;
    if (!node)
        return E_FAIL;
    return node.CopyTo(ppControlNode);
}

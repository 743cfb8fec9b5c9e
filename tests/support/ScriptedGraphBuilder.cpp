#include "support/ScriptedGraphBuilder.h"

#include "platform/dshow/CUnknown.h"
#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/FilterGraph.h"

namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

HRESULT Lookup(const std::map<std::wstring, HRESULT>& results, const std::wstring& name) {
    auto it = results.find(name);
    return it != results.end() ? it->second : S_OK;
}

class ScriptedGraphBuilder : public CUnknown, public IGraphBuilder, public IMediaControl {
public:
    explicit ScriptedGraphBuilder(GraphScript* script)
        : CUnknown(NAME("ScriptedGraphBuilder"), nullptr), script(script) {
        CreateComObject<FilterGraph>(IID_IGraphBuilder, reinterpret_cast<void**>(&inner));
        inner.QueryInterface(IID_IMediaControl, innerControl);
    }

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid == IID_IFilterGraph || riid == IID_IGraphBuilder)
            return GetInterface(static_cast<IGraphBuilder*>(this), ppv);
        if (riid == IID_IMediaControl && script->answersMediaControl)
            return GetInterface(static_cast<IMediaControl*>(this), ppv);
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }

    STDMETHODIMP AddFilter(IBaseFilter* pFilter, LPCWSTR pName) override {
        const std::wstring name = pName != nullptr ? pName : L"";
        Log("AddFilter(" + Narrow(name) + ")");
        HRESULT hr = Lookup(script->addFilterResults, name);
        return FAILED(hr) ? hr : inner->AddFilter(pFilter, pName);
    }
    STDMETHODIMP RemoveFilter(IBaseFilter* pFilter) override {
        const std::wstring name = FilterName(pFilter);
        Log("RemoveFilter(" + Narrow(name) + ")");
        HRESULT hr = Lookup(script->removeFilterResults, name);
        return FAILED(hr) ? hr : inner->RemoveFilter(pFilter);
    }
    STDMETHODIMP EnumFilters(IEnumFilters** ppEnum) override {
        Log("EnumFilters");
        if (FAILED(script->enumFiltersResult)) {
            if (ppEnum != nullptr)
                *ppEnum = nullptr;
            return script->enumFiltersResult;
        }
        return inner->EnumFilters(ppEnum);
    }
    STDMETHODIMP FindFilterByName(LPCWSTR pName, IBaseFilter** ppFilter) override {
        return inner->FindFilterByName(pName, ppFilter);
    }
    STDMETHODIMP ConnectDirect(IPin* ppinOut, IPin* ppinIn, const AM_MEDIA_TYPE* pmt) override {
        return inner->ConnectDirect(ppinOut, ppinIn, pmt);
    }
    STDMETHODIMP Disconnect(IPin* ppin) override { return inner->Disconnect(ppin); }
    STDMETHODIMP Connect(IPin* ppinOut, IPin* ppinIn) override {
        Log("Connect");
        return inner->Connect(ppinOut, ppinIn);
    }

    STDMETHODIMP Run() override {
        Log("Run");
        return FAILED(script->runResult) ? script->runResult : innerControl->Run();
    }
    STDMETHODIMP Pause() override {
        Log("Pause");
        return innerControl->Pause();
    }
    STDMETHODIMP Stop() override {
        Log("Stop");
        HRESULT hr = innerControl->Stop();
        return FAILED(script->stopResult) ? script->stopResult : hr;
    }

private:
    void Log(const std::string& method) { script->log->Add("graph." + method); }

    GraphScript* const script;
    ComPtr<IGraphBuilder> inner;
    ComPtr<IMediaControl> innerControl;
};

}  // namespace

ClassRegistration GraphScript::Register() {
    return RegisterClass(CLSID_FilterGraph,
                         [this](IUnknown* outer, REFIID riid, void** ppv) -> HRESULT {
                             if (ppv == nullptr)
                                 return E_POINTER;
                             *ppv = nullptr;
                             if (outer != nullptr)
                                 return CLASS_E_NOAGGREGATION;
                             return CreateComObject<ScriptedGraphBuilder>(riid, ppv, this);
                         });
}

std::wstring FilterName(IBaseFilter* filter) {
    FILTER_INFO info;
    if (filter == nullptr || FAILED(filter->QueryFilterInfo(&info)))
        return L"";
    if (info.pGraph != nullptr)
        info.pGraph->Release();
    return info.achName;
}

#pragma once
// Helpers of the source tests: a scratch folder, standard output captured, captures assembled
// packet by packet, and a graph network provider -> tuner -> recording sink.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "platform/bda/BdaInterfaces.h"
#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/DeviceInterfaces.h"
#include "platform/dshow/GraphInterfaces.h"
#include "sibuild/TsPacketizer.h"
#include "support/SectionRecordingSink.h"

namespace sourcetest {

using sibuild::Bytes;

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "epg-sources-XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr)
            ADD_FAILURE() << "mkdtemp";
        path = pattern;
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string File(const std::string& name) const { return (path / name).string(); }
    std::string Write(const std::string& name, const Bytes& bytes) const {
        std::ofstream out(File(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return File(name);
    }
    std::string WriteText(const std::string& name, const std::string& text) const {
        std::ofstream out(File(name), std::ios::binary);
        out << text;
        return File(name);
    }
    std::filesystem::path path;
};

// Everything written to standard output (the file descriptor) while it lives.
class CapturedStdout {
public:
    CapturedStdout() {
        std::fflush(stdout);
        saved = ::dup(1);
        file = std::tmpfile();
        ::dup2(::fileno(file), 1);
    }
    ~CapturedStdout() { Text(); }
    std::string Text() {
        if (saved >= 0) {
            std::fflush(stdout);
            ::dup2(saved, 1);
            ::close(saved);
            saved = -1;
            std::rewind(file);
            char buffer[4096];
            size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
                text.append(buffer, n);
            std::fclose(file);
        }
        return text;
    }

private:
    int saved = -1;
    FILE* file = nullptr;
    std::string text;
};

inline Bytes ReadTestData(const std::string& name) {
    std::ifstream in(std::string(EPG_SOURCE_DIR) + "/tests/data/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A capture put together packet by packet, each PID with its own continuity counter.
class CaptureBuilder {
public:
    // The sections on `pid`, each starting a packet of its own.
    CaptureBuilder& Sections(uint16_t pid, const std::vector<Bytes>& sections) {
        Append(Packetizer(pid).Packetize(sections));
        return *this;
    }
    CaptureBuilder& Section(uint16_t pid, const Bytes& section) { return Sections(pid, {section}); }
    // Null packets (PID 0x1FFF).
    CaptureBuilder& Stuffing(size_t packets) {
        for (size_t i = 0; i < packets; ++i)
            Append(sibuild::TsPacket({0x1FFF, 0, false, false, true}, {}, {}));
        return *this;
    }
    CaptureBuilder& Append(const Bytes& packets) {
        bytes.insert(bytes.end(), packets.begin(), packets.end());
        return *this;
    }
    sibuild::TsPacketizer& Packetizer(uint16_t pid) {
        return packetizers.try_emplace(pid, pid).first->second;
    }
    size_t Packets() const { return bytes.size() / sibuild::kTsPacketSize; }

    Bytes bytes;

private:
    std::map<uint16_t, sibuild::TsPacketizer> packetizers;
};

// A long-syntax section of `size` bytes in all on table 0x4E, told apart by `id`.
inline Bytes TestSection(uint16_t id, size_t size = 100, uint8_t tableId = 0x4E) {
    sibuild::SectionHeader header;
    header.tableId = tableId;
    header.tableIdExtension = id;
    return sibuild::LongSection(header, Bytes(size - 12, static_cast<uint8_t>(id)));
}

// network provider -> tuner -> recording sink, tuned through a tune request.
class TunerGraph {
public:
    TunerGraph(ComPtr<IBaseFilter> tunerFilter, std::function<int64_t()> clock = {})
        : tuner(std::move(tunerFilter)), sink(SectionRecordingSink::Create(std::move(clock))) {
        EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_ALL, IID_IGraphBuilder,
                                   reinterpret_cast<void**>(&graph)),
                  S_OK);
        EXPECT_EQ(CoCreateInstance(CLSID_DVBSNetworkProvider, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IBaseFilter, reinterpret_cast<void**>(&provider)),
                  S_OK);
        graph->AddFilter(provider.Get(), L"Network Provider");
        graph->AddFilter(tuner.Get(), L"Tuner");
        graph->AddFilter(sink.Get(), L"Sink");
        EXPECT_EQ(graph->Connect(Pin(provider.Get(), L"Antenna Out"), Pin(tuner.Get(), L"Input0")),
                  S_OK);
        EXPECT_EQ(graph->Connect(Pin(tuner.Get(), L"MPEG2 Transport"), sink->InputPin()), S_OK);
        Tune();
        EXPECT_EQ(graph.QueryInterface(IID_IMediaControl, control), S_OK);
    }
    ~TunerGraph() {
        if (control)
            control->Stop();
    }

    void Tune() {
        ComPtr<IDVBSTuningSpace> space;
        CoCreateInstance(CLSID_DVBSTuningSpace, nullptr, CLSCTX_ALL, IID_IDVBSTuningSpace,
                         reinterpret_cast<void**>(&space));
        ComPtr<ITuneRequest> request;
        space->CreateTuneRequest(&request);
        ComPtr<IDVBSLocator> locator;
        CoCreateInstance(CLSID_DVBSLocator, nullptr, CLSCTX_ALL, IID_IDVBSLocator,
                         reinterpret_cast<void**>(&locator));
        locator->put_CarrierFrequency(12303000);
        request->put_Locator(locator.Get());
        ComPtr<ITuner> tunerControl;
        provider.QueryInterface(IID_ITuner, tunerControl);
        EXPECT_EQ(tunerControl->put_TuneRequest(request.Get()), S_OK);
    }

    HRESULT Run() { return control->Run(); }
    HRESULT Stop() { return control->Stop(); }

    static IPin* Pin(IBaseFilter* filter, const wchar_t* name) {
        ComPtr<IPin> pin;
        filter->FindPin(name, &pin);
        return pin.Get();  // the filter keeps it
    }

    ComPtr<IGraphBuilder> graph;
    ComPtr<IBaseFilter> provider;
    ComPtr<IBaseFilter> tuner;
    ComPtr<SectionRecordingSink> sink;
    ComPtr<IMediaControl> control;
};

// The tuner device at `ordinal` (from 1) bound through the system device enumerator, with its
// friendly name; null when the bind fails.
inline ComPtr<IBaseFilter> BindTuner(int ordinal, std::wstring* friendlyName = nullptr) {
    ComPtr<ICreateDevEnum> devices;
    CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_ALL, IID_ICreateDevEnum,
                     reinterpret_cast<void**>(&devices));
    ComPtr<IEnumMoniker> monikers;
    if (devices->CreateClassEnumerator(KSCATEGORY_BDA_NETWORK_TUNER, &monikers, 0) != S_OK)
        return nullptr;
    ComPtr<IMoniker> moniker;
    for (int i = 0; i < ordinal; ++i) {
        if (monikers->Next(1, &moniker, nullptr) != S_OK)
            return nullptr;
    }
    if (friendlyName != nullptr) {
        ComPtr<IPropertyBag> bag;
        moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag));
        VARIANT name;
        VariantInit(&name);
        if (SUCCEEDED(bag->Read(L"FriendlyName", &name, nullptr))) {
            *friendlyName = name.bstrVal;
            VariantClear(&name);
        }
    }
    ComPtr<IBaseFilter> filter;
    moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter));
    return filter;
}

}  // namespace sourcetest

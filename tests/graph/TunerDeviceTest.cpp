#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "GraphWorld.h"
#include "support/StdoutCapture.h"

namespace {

std::wstring NameOf(IPin* pin) {
    if (pin == nullptr)
        return L"(none)";
    PIN_INFO info;
    pin->QueryPinInfo(&info);
    info.pFilter->Release();
    return info.achName;
}

class TunerDevice : public ::testing::Test {
protected:
    // A tuner filter with these pins, each input with the input property set and each output
    // with the output one, set as the graph's tuner.
    ComPtr<FakeFilter> SetTuner(std::vector<FakePinConfig> pins) {
        FakeFilterConfig config = world.TunerConfig();
        for (FakePinConfig& pin : pins) {
            FakeKsPropertySet* properties = pin.direction == PINDIR_INPUT
                                                ? world.inputProperties.Get()
                                                : world.outputProperties.Get();
            pin.interfaces = {FakeInterface::Of(IID_IKsPropertySet, properties)};
        }
        config.pins = std::move(pins);
        ComPtr<FakeFilter> tuner = FakeFilter::Create(config);
        graph->pTunerFilter = tuner.Get();
        return tuner;
    }

    GraphWorld world;
    BdaGraph* graph = &world.NewGraph();
};

}  // namespace

TEST_F(TunerDevice, FindPinMatchesWholeNamesExactly) {
    const std::wstring longName(79, L'x');
    const std::wstring tooLong(80, L'x');
    const std::string longText(79, 'x');
    const std::string tooLongText(80, 'x');
    ComPtr<FakeFilter> filter =
        SetTuner({FakePinConfig::Output(L"MPEG2 Transport"), FakePinConfig::Input(L"Input0"),
                  FakePinConfig::Input(L"\u00C9ingang"), FakePinConfig::Input(longName),
                  FakePinConfig::Input(tooLong)});
    struct Case {
        const char* name;
        BOOL matchName;
        std::wstring found;
    } cases[] = {
        {"Input0", TRUE, L"Input0"},
        {"MPEG2 Transport", TRUE, L"MPEG2 Transport"},
        {"input0", TRUE, L"(none)"},
        {"Input", TRUE, L"(none)"},
        {"Input00", TRUE, L"(none)"},
        {"", TRUE, L"(none)"},
        {"\xC3\x89ingang", TRUE, L"\u00C9ingang"},
        {longText.c_str(), TRUE, longName},
        // 80 bytes do not fit the name buffer with its terminator: never a match.
        {tooLongText.c_str(), TRUE, L"(none)"},
        {"Input0", FALSE, L"MPEG2 Transport"},
        {nullptr, TRUE, L"MPEG2 Transport"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name != nullptr ? c.name : "(null)");
        EXPECT_EQ(NameOf(graph->FindPin(filter.Get(), c.name, c.matchName).Get()), c.found);
    }
}

TEST_F(TunerDevice, FindPinSkipsUnreadablePinsAndFailsWithoutPins) {
    ComPtr<FakeFilter> filter = SetTuner({FakePinConfig::Input(L"A"), FakePinConfig::Input(L"B")});
    filter->PinConfig(0).queryPinInfoResult = E_FAIL;
    EXPECT_EQ(NameOf(graph->FindPin(filter.Get(), "A", TRUE).Get()), L"(none)");
    EXPECT_EQ(NameOf(graph->FindPin(filter.Get(), "Q", FALSE).Get()), L"B");
    filter->PinConfig(0).queryPinInfoResult = S_OK;
    filter->Config().enumPinsResult = E_FAIL;
    EXPECT_FALSE(graph->FindPin(filter.Get(), "B", TRUE));
    EXPECT_FALSE(graph->FindPin(filter.Get(), nullptr, FALSE));
    filter->Config().enumPinsResult = S_OK;
    EXPECT_FALSE(graph->FindPin(nullptr, "B", TRUE));
}

TEST_F(TunerDevice, TunerPinsByNameAndPosition) {
    struct Case {
        const char* what;
        std::vector<FakePinConfig> pins;
        std::wstring input;
        std::wstring transport;
    } cases[] = {
        {"antenna pin after Input0",
         {FakePinConfig::Output(L"MPEG2 Transport"), FakePinConfig::Input(L"Input0"),
          FakePinConfig::Input(L"Antenna In Pin")},
         L"Antenna In Pin",
         L"MPEG2 Transport"},
        {"antenna pin first",
         {FakePinConfig::Input(L"Antenna In Pin"), FakePinConfig::Input(L"Input0"),
          FakePinConfig::Output(L"MPEG2 Transport")},
         L"Antenna In Pin",
         L"Antenna In Pin"},
        {"only Input0",
         {FakePinConfig::Output(L"TS Out"), FakePinConfig::Input(L"Input0")},
         L"Input0",
         L"TS Out"},
        // The transport pin is whatever comes first, even the input itself.
        {"input first",
         {FakePinConfig::Input(L"Input0"), FakePinConfig::Output(L"MPEG2 Transport")},
         L"Input0",
         L"Input0"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetTuner(c.pins);
        bool found = false;
        const std::string printed = CaptureStdout([&] { found = graph->GetTunerDemodPins(); });
        EXPECT_TRUE(found);
        EXPECT_EQ(printed, "");
        EXPECT_EQ(NameOf(graph->pTunerInPin.Get()), c.input);
        EXPECT_EQ(NameOf(graph->pTunerOutPin.Get()), c.transport);
        EXPECT_TRUE(graph->pTunerInPropSet);
        EXPECT_TRUE(graph->pTunerOutPropSet);
    }
}

TEST_F(TunerDevice, TunerPinFailures) {
    struct Case {
        const char* what;
        std::vector<FakePinConfig> pins;
        bool inputProperties;
        bool outputProperties;
        const char* printed;
        bool inPin, outPin, inSet, outSet;
    } cases[] = {
        {"no input pin",
         {FakePinConfig::Output(L"MPEG2 Transport"), FakePinConfig::Input(L"Input1")},
         true,
         true,
         "Cannot find Input0 pin on BDA Tuner/Demod filter!\n",
         false,
         false,
         false,
         false},
        {"input without property set",
         {FakePinConfig::Output(L"MPEG2 Transport"), FakePinConfig::Input(L"Input0")},
         false,
         true,
         "QI of IKsPropertySet failed\n",
         false,
         true,
         false,
         false},
        {"transport without property set",
         {FakePinConfig::Output(L"MPEG2 Transport"), FakePinConfig::Input(L"Input0")},
         true,
         false,
         "QI of IKsPropertySet failed\n",
         true,
         false,
         true,
         false},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        world.graph.reset();
        graph = &world.NewGraph();
        ComPtr<FakeFilter> tuner = SetTuner(c.pins);
        for (int i = 0; i < static_cast<int>(c.pins.size()); ++i) {
            const bool keep = c.pins[static_cast<size_t>(i)].direction == PINDIR_INPUT
                                  ? c.inputProperties
                                  : c.outputProperties;
            if (!keep)
                tuner->PinConfig(i).interfaces.clear();
        }
        bool found = true;
        const std::string printed = CaptureStdout([&] { found = graph->GetTunerDemodPins(); });
        EXPECT_FALSE(found);
        EXPECT_EQ(printed, c.printed);
        EXPECT_EQ(static_cast<bool>(graph->pTunerInPin), c.inPin);
        EXPECT_EQ(static_cast<bool>(graph->pTunerOutPin), c.outPin);
        EXPECT_EQ(static_cast<bool>(graph->pTunerInPropSet), c.inSet);
        EXPECT_EQ(static_cast<bool>(graph->pTunerOutPropSet), c.outSet);
    }
    graph->pTunerFilter.Release();
    EXPECT_EQ(CaptureStdout([&] { EXPECT_FALSE(graph->GetTunerDemodPins()); }), "");
}

TEST_F(TunerDevice, SignalStatusReadsInOrderAndKeepsWhatWasNotReadAtZero) {
    struct Case {
        const char* what;
        HRESULT locked, quality, strength;
        bool result;
        BOOLEAN expectedLocked;
        LONG expectedQuality, expectedStrength;
    } cases[] = {
        {"all read", S_OK, S_OK, S_OK, true, 1, 80, 70},
        {"quality fails", S_OK, E_FAIL, S_OK, false, 1, 0, 0},
        {"strength fails", S_OK, S_OK, E_FAIL, false, 1, 80, 0},
        {"lock fails", E_FAIL, S_OK, S_OK, false, 0, 0, 0},
    };
    SetTuner({FakePinConfig::Output(L"MPEG2 Transport"), FakePinConfig::Input(L"Input0")});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        world.statistics->locked = 1;
        world.statistics->quality = 80;
        world.statistics->strength = 70;
        world.statistics->lockedResult = c.locked;
        world.statistics->qualityResult = c.quality;
        world.statistics->strengthResult = c.strength;
        BOOLEAN locked = 7;
        LONG quality = 7, strength = 7;
        EXPECT_EQ(graph->GetSignalStatus(locked, quality, strength), c.result);
        EXPECT_EQ(locked, c.expectedLocked);
        EXPECT_EQ(quality, c.expectedQuality);
        EXPECT_EQ(strength, c.expectedStrength);
    }
    ASSERT_FALSE(world.topology->requests.empty());
    EXPECT_EQ(world.topology->requests[0].inputPinId, 0u);
    EXPECT_EQ(world.topology->requests[0].outputPinId, 1u);
    EXPECT_EQ(world.topology->requests[0].nodeType, 0u);
}

TEST_F(TunerDevice, WithoutTopologyOrStatisticsTheTunerIsNotLocked) {
    struct Case {
        const char* what;
        void (*setup)(GraphWorld& world, FakeFilter& tuner);
    } cases[] = {
        {"no topology", [](GraphWorld&, FakeFilter& tuner) { tuner.Config().interfaces.clear(); }},
        {"no control node",
         [](GraphWorld& world, FakeFilter&) { world.topology->getControlNodeResult = E_FAIL; }},
        {"node without statistics",
         [](GraphWorld& world, FakeFilter& tuner) {
             ComPtr<FakeTopology> bare = FakeTopology::Create(world.inputProperties.Get());
             tuner.Config().interfaces = {FakeInterface::Of(IID_IBDA_Topology, bare.Get())};
         }},
        {"no tuner", [](GraphWorld& world, FakeFilter&) { world.graph->pTunerFilter.Release(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        world.topology->getControlNodeResult = S_OK;
        ComPtr<FakeFilter> tuner =
            SetTuner({FakePinConfig::Output(L"MPEG2 Transport"), FakePinConfig::Input(L"Input0")});
        c.setup(world, *tuner);
        BOOLEAN locked = 7;
        LONG quality = 7, strength = 7;
        EXPECT_FALSE(graph->GetSignalStatus(locked, quality, strength));
        EXPECT_EQ(locked, 0);
        EXPECT_EQ(quality, 0);
        EXPECT_EQ(strength, 0);
    }
}

namespace {

// The vendor command as the driver reads it: fields at their offsets for this process's
// pointer size (40 bytes with 32-bit pointers, 64 with 64-bit ones).
struct DecodedCommand {
    GUID command;
    uint32_t controlCode;
    uint64_t inputBuffer;
    uint32_t inputBufferSize;
    uint64_t outputBuffer;
    uint32_t outputBufferSize;
    uint64_t bytesReturned;
};

uint64_t ReadLe(const BYTE* bytes, size_t size) {
    uint64_t value = 0;
    for (size_t i = 0; i < size; ++i)
        value |= uint64_t{bytes[i]} << (8 * i);
    return value;
}

DecodedCommand Decode(const std::vector<BYTE>& data) {
    const size_t pointer = sizeof(void*);
    const size_t inputAt = pointer == 8 ? 24 : 20;
    DecodedCommand decoded;
    std::memcpy(&decoded.command, data.data(), 16);
    decoded.controlCode = static_cast<uint32_t>(ReadLe(&data[16], 4));
    decoded.inputBuffer = ReadLe(&data[inputAt], pointer);
    decoded.inputBufferSize = static_cast<uint32_t>(ReadLe(&data[inputAt + pointer], 4));
    const size_t outputAt = pointer == 8 ? 40 : 28;
    decoded.outputBuffer = ReadLe(&data[outputAt], pointer);
    decoded.outputBufferSize = static_cast<uint32_t>(ReadLe(&data[outputAt + pointer], 4));
    decoded.bytesReturned = ReadLe(&data[pointer == 8 ? 56 : 36], pointer);
    return decoded;
}

}  // namespace

TEST_F(TunerDevice, ThePidFilterCommandGoesToTheInputPinByteForByte) {
    SetTuner({FakePinConfig::Output(L"MPEG2 Transport"), FakePinConfig::Input(L"Input0")});
    CaptureStdout([&] { ASSERT_TRUE(graph->GetTunerDemodPins()); });
    std::vector<BYTE> pidFilter;
    world.inputProperties->onSet = [&](REFGUID, DWORD, LPVOID, DWORD, LPVOID data, DWORD size) {
        // What the driver finds behind the input buffer address while the call lasts.
        if (size == (sizeof(void*) == 8 ? 64u : 40u)) {
            const DecodedCommand command = Decode(
                std::vector<BYTE>(static_cast<BYTE*>(data), static_cast<BYTE*>(data) + size));
            const BYTE* input = reinterpret_cast<const BYTE*>(command.inputBuffer);
            pidFilter.assign(input, input + command.inputBufferSize);
        }
        return S_OK;
    };
    EXPECT_TRUE(graph->SetPidFilter());

    const auto calls = world.inputProperties->Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(world.outputProperties->Calls().empty());
    EXPECT_EQ(calls[0].propertySet, GuidFromText("{E5644CC4-17A1-4EED-BD90-74FDA1D65423}"));
    EXPECT_EQ(calls[0].propertyId, 0u);
    EXPECT_EQ(calls[0].instanceData, std::vector<BYTE>(24, 0));
    ASSERT_EQ(calls[0].propertyData.size(), sizeof(void*) == 8 ? 64u : 40u);

    const std::vector<BYTE>& data = calls[0].propertyData;
    const BYTE commandGuid[16] = {0x82, 0x00, 0x5E, 0x25, 0x17, 0x20, 0x03, 0x4B,
                                  0x90, 0xF8, 0x85, 0x6A, 0x62, 0xCB, 0x3D, 0x67};
    EXPECT_EQ(std::vector<BYTE>(data.begin(), data.begin() + 16),
              std::vector<BYTE>(commandGuid, commandGuid + 16));
    const DecodedCommand command = Decode(data);
    EXPECT_EQ(command.controlCode, 0xAA0001C4u);
    EXPECT_NE(command.inputBuffer, 0u);
    EXPECT_EQ(command.inputBufferSize, 72u);
    EXPECT_EQ(command.outputBuffer, 0u);
    EXPECT_EQ(command.outputBufferSize, 0u);
    EXPECT_NE(command.bytesReturned, 0u);
    if (sizeof(void*) == 8) {
        // The padding after each 32-bit field is zero.
        for (size_t at : {20u, 36u, 52u})
            EXPECT_EQ(ReadLe(&data[at], 4), 0u) << at;
    }

    std::vector<BYTE> expected(72, 0);
    expected[1] = 3;     // MaxPidsNum
    expected[4] = 0xFE;  // CurPidValidMap
    expected[10] = 0x11;
    expected[12] = 0x12;
    EXPECT_EQ(pidFilter, expected);
}

TEST_F(TunerDevice, ThePidFilterCommandFailsOnAnyAnswerButSuccessWithNothingReturned) {
    SetTuner({FakePinConfig::Output(L"MPEG2 Transport"), FakePinConfig::Input(L"Input0")});
    EXPECT_FALSE(graph->SetPidFilter());  // no property set yet: nothing sent
    EXPECT_TRUE(world.inputProperties->Calls().empty());

    CaptureStdout([&] { ASSERT_TRUE(graph->GetTunerDemodPins()); });
    world.inputProperties->setResult = MakeFailure(0x80070490);
    EXPECT_FALSE(graph->SetPidFilter());
    world.inputProperties->setResult = S_OK;
    world.inputProperties->onSet = [](REFGUID, DWORD, LPVOID, DWORD, LPVOID data, DWORD size) {
        const DecodedCommand command =
            Decode(std::vector<BYTE>(static_cast<BYTE*>(data), static_cast<BYTE*>(data) + size));
        *reinterpret_cast<uint32_t*>(command.bytesReturned) = 4;
        return S_OK;
    };
    EXPECT_FALSE(graph->SetPidFilter());
    EXPECT_EQ(world.inputProperties->Calls().size(), 2u);
}

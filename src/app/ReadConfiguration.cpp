#include "app/ReadConfiguration.h"

#include <cstdint>
#include <cstdio>

#include "graph/BdaGraph.h"
#include "intake/DVBFilterToParserProxy.h"
#include "platform/system/PrivateProfile.h"
#include "si/Settings.h"

bool ReadConfiguration(BdaGraph* graph, const char* path, DVBFilterToParserProxy* proxy) {
    Timeout = GetPrivateProfileIntA("Tuner", "Timeout", 120, path);
    ChannelBase = GetPrivateProfileIntA("Tuner", "ChannelBase", 0, path);
    graph->tunerOrdinal = GetPrivateProfileIntA("Tuner", "TunerOrdinal", 1, path);
    // A missing file or section leaves every key at its default, so this one check covers them.
    const int frequency = GetPrivateProfileIntA("Tuner", "Transponder", 0, path);
    if (frequency == 0) {
        printf("Err: Could not find configuration file or Transponder=0.\n");
        return false;
    }
    graph->carrierFrequency = frequency;
    graph->polarisation =
        static_cast<uint8_t>(GetPrivateProfileIntA("Tuner", "SignalPolarisation", 0, path));
    graph->symbolRate = GetPrivateProfileIntA("Tuner", "SymbolRate", 27500, path);
    graph->dvbs2 = GetPrivateProfileIntA("Tuner", "DVBS2", 0, path);
    proxy->parser.batFlag = GetPrivateProfileIntA("Tuner", "BAT", 0, path) != 0;
    return true;
}

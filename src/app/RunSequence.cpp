#include "app/RunSequence.h"

#include <cstdint>
#include <cstdio>
#include <new>

#include "app/IdleCheck.h"
#include "graph/BdaGraph.h"
#include "intake/DVBFilterToParserProxy.h"
#include "platform/com/Bstr.h"
#include "si/Settings.h"

bool RunSequence(BdaGraph* graph, DVBFilterToParserProxy* proxy) {
    graph->pParserProxy = proxy;

    BSTR networkName = SysAllocString(L"Tavolin");
    if (networkName == nullptr)
        throw std::bad_alloc();
    // BuildGraph owns the string from here on, whatever it returns.
    if (graph->BuildGraph(networkName) < 0) {
        printf("Err: Could not Build the DVB-S BDA FilterGraph.\n");
        return false;
    }

    graph->SubmitTuneRequest();  // reports its own failures

    BOOLEAN locked = FALSE;
    LONG quality = 0;
    LONG strength = 0;
    graph->GetSignalStatus(locked, quality, strength);
    if (!locked) {
        printf("Signal not locked!\n");
        return false;
    }
    printf("Signal locked, quality=%d, strength=%d\n", static_cast<int>(quality),
           static_cast<int>(strength));

    graph->SetPidFilter();

    if (graph->RunGraph() < 0) {
        printf("Err: Could not play the FilterGraph.\n");
        return false;
    }

    // Timeout seconds as milliseconds in 32 bits: a product that does not fit wraps.
    const uint32_t periodMs = static_cast<uint32_t>(Timeout) * 1000u;
    if (!CreateIdleTimer(proxy, periodMs)) {
        printf("Failed to create close timer.\n");
        return false;
    }
    return true;
}

#pragma once
// ScriptedGraphBuilder: the platform's filter graph manager with a script of failures and a
// log of the calls graph code makes on it, for tests. Every call goes to a real FilterGraph
// inside unless the script says it fails.
//
//     GraphScript script;
//     script.addFilterResults[L"Demux"] = E_FAIL;       // AddFilter(..., "Demux") fails
//     ClassRegistration graphClass = script.Register(); // CLSID_FilterGraph makes these now
//
// Logged: "graph.AddFilter(name)", "graph.RemoveFilter(name)", "graph.EnumFilters",
// "graph.Connect", "graph.Run", "graph.Pause", "graph.Stop".

#include <map>
#include <memory>
#include <string>

#include "platform/com/ClassRegistry.h"
#include "platform/dshow/GraphInterfaces.h"
#include "support/CallLog.h"

struct GraphScript {
    std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
    std::map<std::wstring, HRESULT> addFilterResults;     // by the name asked for
    std::map<std::wstring, HRESULT> removeFilterResults;  // by the filter's name in the graph
    HRESULT enumFiltersResult = S_OK;
    HRESULT runResult = S_OK;   // Run fails before any filter runs
    HRESULT stopResult = S_OK;  // Stop stops every filter, then answers this
    bool answersMediaControl = true;

    // Registers CLSID_FilterGraph to make graph managers that follow this script, which must
    // outlive them.
    ClassRegistration Register();
};

// The graph name of a filter ("" when it has none).
std::wstring FilterName(IBaseFilter* filter);

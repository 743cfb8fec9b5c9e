#pragma once
// Builds and tunes the graph, checks the signal once, starts the graph and the idle timer.

class BdaGraph;
class DVBFilterToParserProxy;

// Each step that fails prints its line and ends the sequence with false. Timeout (set by the
// configuration) gives the idle period.
bool RunSequence(BdaGraph* graph, DVBFilterToParserProxy* proxy);

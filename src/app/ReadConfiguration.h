#pragma once
// The [Tuner] section of the configuration file: run settings, tuning parameters and the
// bouquet switch.

class BdaGraph;
class DVBFilterToParserProxy;

// Reads the eight keys in their fixed order and stores each where it belongs: Timeout and
// ChannelBase process-wide, the tuning values in `graph`, BAT in the proxy's parser. False,
// after the error line on standard output, when the transponder frequency is missing or 0;
// the keys after it are then not read.
bool ReadConfiguration(BdaGraph* graph, const char* path, DVBFilterToParserProxy* proxy);

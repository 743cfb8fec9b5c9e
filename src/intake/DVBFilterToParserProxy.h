#pragma once
// DVBFilterToParserProxy: the COM object behind the sink. It owns the sink filter and its
// input pin and carries the one reference count of all three: the filter answers every
// IUnknown call through the proxy, and the pin counts on the filter. The proxy starts with a
// count of 0 and deletes itself (and with it the pin and the filter) when the count falls
// back to 0; while nobody ever took a reference it lives on.
//
// It also holds what the pin's Receive works on: the SectionParser, and the tick of the last
// sample that brought anything new, which the idle check reads.
//
// The end of the document: CloseDocument writes the closing root tag. Processing a sample and
// closing the document exclude each other, and a sample that arrives after the closing tag is
// neither parsed nor written, so the tag is the document's last bytes whichever thread wins.

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <mutex>

#include "platform/dshow/CUnknown.h"
#include "platform/dshow/CritSec.h"
#include "si/SectionParser.h"

class DVBFilter;
class DVBFilterInputPin;

class DVBFilterToParserProxy : public CUnknown {
public:
    // The parser writes to outputStream, which stays the caller's to close.
    explicit DVBFilterToParserProxy(FILE* outputStream);
    ~DVBFilterToParserProxy() override;

    // Writes "</tv>\r\n" once, flushes the stream and returns true; every later call, and a
    // proxy without an output stream, writes nothing and returns false. From then on samples
    // are dropped unread. Safe on any thread, also while a sample is being processed.
    bool CloseDocument();

    DVBFilter* filter = nullptr;       // owned
    DVBFilterInputPin* pin = nullptr;  // owned
    CCritSec lock;                     // the state lock of the filter and the pin
    std::atomic<uint32_t> lastActivityTick{0};
    SectionParser parser;

private:
    friend class DVBFilterInputPin;

    // Held while a sample is processed and while the closing tag is written.
    std::mutex documentLock;
    bool documentClosed = false;  // guarded by documentLock
};

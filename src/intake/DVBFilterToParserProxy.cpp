#include "intake/DVBFilterToParserProxy.h"

#include <memory>

#include "intake/DVBFilter.h"
#include "intake/DVBFilterInputPin.h"

DVBFilterToParserProxy::DVBFilterToParserProxy(FILE* outputStream)
    : CUnknown(NAME("DVBFilterToParserProxy"), nullptr) {
    parser.outputStream = outputStream;
    // The filter is deleted again when the pin cannot be made.
    auto newFilter = std::make_unique<DVBFilter>(this);
    HRESULT hr = S_OK;  // the pin reports nothing that could fail here
    pin = new DVBFilterInputPin(this, newFilter.get(), &hr);
    filter = newFilter.release();
}

DVBFilterToParserProxy::~DVBFilterToParserProxy() {
    delete pin;
    delete filter;
}

bool DVBFilterToParserProxy::CloseDocument() {
    std::lock_guard guard(documentLock);
    if (documentClosed)
        return false;
    documentClosed = true;
    if (parser.outputStream == nullptr)
        return false;
    static constexpr char closingTag[] = "</tv>\r\n";
    std::fwrite(closingTag, 1, sizeof closingTag - 1, parser.outputStream);
    std::fflush(parser.outputStream);
    return true;
}

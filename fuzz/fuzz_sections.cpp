// The section path: the bytes of one media sample go to DispatchSections exactly as the sink's
// Receive hands them over, with every table parser behind it writing to memory. Whatever the
// bytes, the elements written must stay well-formed XML inside the document's root element.
//
// The parser state is fresh for every input so that any finding replays from its input alone.
// Each input runs twice, once with the bouquet writing the channel elements and once without,
// as the two settings take different paths through the SDT and BAT parsers.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "intake/DispatchSections.h"
#include "si/SectionParser.h"
#include "support/XmlCheck.h"

namespace {

// The seeds' stream time (2026-01-15T18:00:00Z), so that their events fall in the window.
constexpr int64_t kFixedNow = 1768500000;

void RunOnce(const uint8_t* data, size_t size, bool batFlag) {
    char* text = nullptr;
    size_t textSize = 0;
    FILE* output = open_memstream(&text, &textSize);
    if (output == nullptr)
        std::abort();
    {
        SectionParser parser;
        parser.outputStream = output;
        parser.batFlag = batFlag;
        parser.now = [] { return kFixedNow; };
        DispatchSections(data, static_cast<int32_t>(size), parser);
    }
    std::fclose(output);
    const bool wellFormed = IsWellFormedXml(std::string(text, textSize));
    if (!wellFormed) {
        std::fprintf(stderr, "output is not well-formed XML (batFlag %d):\n%.*s\n", batFlag,
                     static_cast<int>(textSize), text);
        __builtin_trap();
    }
    // To see what an input makes of the document: EPG_FUZZ_PRINT=1 fuzz_sections FILE
    static const bool print = std::getenv("EPG_FUZZ_PRINT") != nullptr;
    if (print)
        std::fprintf(stderr, "batFlag %d:\n%.*s\n", batFlag, static_cast<int>(textSize), text);
    std::free(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A media sample's length is a 32-bit count; samples are far smaller than this.
    if (size > (1u << 20))
        return -1;
    RunOnce(data, size, false);
    RunOnce(data, size, true);
    return 0;
}

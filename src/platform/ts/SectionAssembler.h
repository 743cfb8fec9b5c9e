#pragma once
// Reassembles the sections of one PID from its transport packets.
//
// Packets with transport_error_indicator set are dropped before anything else looks at them.
// A packet whose adaptation_field_length exceeds 183, or whose pointer_field points past its
// payload, is ignored (its counter is not taken) and the unfinished section is lost with it.
// Other packets without payload carry nothing and leave the continuity counter alone. A packet that
// repeats the last counter is a duplicate and is ignored; any other counter than the next one
// discards the unfinished section. discontinuity_indicator is not honoured.
//
// In a packet with payload_unit_start_indicator, the bytes before pointer_field's target finish
// the unfinished section; from the target on, sections follow back to back until 0xFF stands where
// a table_id would (stuffing to the packet's end). A section is complete at section_length + 3
// bytes and is handed over whole, without a CRC check. Bytes after a finished section that cannot
// start one (before the pointer target, or in a packet without payload_unit_start_indicator) are
// ignored. A section that never completes is never handed over.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "si/ByteReader.h"

// Receives each complete section; the bytes are valid only during the call.
class SectionSink {
public:
    virtual void OnSection(const uint8_t* section, size_t length) = 0;

protected:
    ~SectionSink() = default;
};

class SectionAssembler {
public:
    // table_id, section_length's 12 bits, then at most 4095 bytes.
    static constexpr size_t kMaxSectionSize = 3 + 0x0FFF;

    SectionAssembler();

    // One 188-byte packet of this PID. Sections complete in the order they end, delivered before
    // this returns.
    void Feed(const uint8_t* packet, SectionSink& sink);
    // Forgets the unfinished section and the continuity counter (a new stream begins).
    void Reset();

private:
    // Takes from `payload` what the unfinished section still lacks (all of it when the header
    // is not in yet) and hands the section over when it is complete.
    void Continue(ByteReader& payload, SectionSink& sink);
    // Sections back to back from the pointer target to stuffing or the packet's end.
    void StartSections(ByteReader& payload, SectionSink& sink);
    void DropPending() { have = need = 0; }

    std::unique_ptr<uint8_t[]> buffer;  // the unfinished section, reused for every section
    size_t have = 0;                    // its bytes so far; 0: none unfinished
    size_t need = 0;                    // its total size once the header is in; 0 before
    int lastCounter = -1;               // -1: no packet with payload taken yet
};

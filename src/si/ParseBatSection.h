#pragma once
#include <cstdint>

#include "si/SectionParser.h"

// Reads one BAT section. Only the bouquet named exactly "Yes Bouquet 1" counts: each entry of
// its channel list descriptors (tag 0xE2) gives a known service without a number its channel
// number, and, with the BAT flag set, writes the service's channel element (display names in
// the order of their language codes). Returns true when a number was stored.
//
// The walk is bounded by the section's own section_length; the caller guarantees that
// section_length + 3 bytes are there. Lengths that run past the loop holding them drop the
// faulty item and the rest of that loop; a section too short for its header and CRC yields
// false.
bool ParseBatSection(SectionParser& parser, const uint8_t* section);

#pragma once
#include <cstdint>

#include "si/SectionParser.h"

// Writes the children of one programme element from an event's descriptor loop: title and
// sub-title (short event), video, audio and subtitles (component), categories (content) and
// url (tag 0xCE) in loop order, then the desc line with the joined extended event texts, which
// every programme gets. Inner lengths of a descriptor are bounded by the loop, not by its
// descriptor_length. A descriptor that needs a byte past the loop's end, or whose
// descriptor_length runs past it, is faulty: it and the rest of the loop are dropped, nothing
// of it is written, and the desc line still follows.
void WriteEventDescriptors(SectionParser& parser, const uint8_t* descriptors, int32_t length);
